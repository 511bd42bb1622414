// Placing and sizing the buttons: arrange in rows or columns, relayout, auto-size and growing the
// navigator to take a new button.
#include "navigator/wwdbnavigator.h"

#include <QScopeGuard>

void TwwNavButtons::Arrange() {
    TwwDBNavigator* nav = navigator_;
    if (!nav || nav->IsDestroying() || updateCount_ > 0) return;
    const int border = nav->BorderInset();
    const bool horizontal = nav->Layout() == nlHorizontal;
    int x = border;
    int y = border;
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    const int count = VisibleCount();
    // The first previous button is the first visible one itself, so a first button that
    // breaks the line, or does not fit, leaves the first row empty.
    TwwNavButton* previous = count > 0 ? VisibleButtons(0) : nullptr;
    for (int i = 0; i < count; ++i) {
        TwwNavButton* b = VisibleButtons(i);
        if (SkipButton(b)) continue;
        if (horizontal) {
            if (nav->Width() < x + b->Width() || b->LineBreak()) {
                y += previous->Height();
                x = border;
            }
        } else if (nav->Height() < y + b->Height() || b->LineBreak()) {
            x += previous->Width();
            y = border;
        }
        b->SetBounds(x, y, b->Width(), b->Height());
        if (horizontal)
            x += b->Width();
        else
            y += b->Height();
        previous = b;
    }
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: it is virtual and may raise
}

void TwwNavButtons::Relayout() {
    TwwDBNavigator* nav = navigator_;
    if (!nav || nav->IsDestroying() || relayingOut_ > 0) return;
    ++relayingOut_;
    const auto relaidOut = qScopeGuard([this] { --relayingOut_; });
    if (nav->AutosizeStyle() == asSizeNavButtons) {
        nav->AutoSize();
        Arrange();
    } else {
        Arrange();
        nav->AutoSize();
    }
}

void TwwDBNavigator::AutoSize() {
    TwwNavButtons& list = *Buttons();
    if (AutosizeStyle() == asNone || list.VisibleCount() == 0) return;
    const int border = BorderInset();
    if (AutosizeStyle() == asSizeNavigator) {
        // The border is added on the near side only.
        const TwwNavButton* right = list.RightMostVisibleButton();
        const TwwNavButton* bottom = list.BottomMostVisibleButton();
        const int w = right ? border + right->Left() + right->Width() : Width();
        const int h = bottom ? border + bottom->Top() + bottom->Height() : Height();
        SetBounds(Left(), Top(), w, h);
        return;
    }
    // The buttons share the inner area: the first (across mod n) buttons of a row are one pixel
    // longer, the first (stack mod rows) rows one pixel thicker.
    const bool horizontal = Layout() == nlHorizontal;
    const int w = Width() - 2 * border;
    const int h = Height() - 2 * border;
    const int count = list.VisibleCount();
    int rows = 1;
    for (int i = 0; i < count; ++i)
        if (list.VisibleButtons(i)->LineBreak()) ++rows;
    const int stack = horizontal ? h : w;
    const int across = horizontal ? w : h;
    int stackRest = stack % rows;
    int stackExtra = stackRest > 0 ? 1 : 0;
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const TwwNavButton* last = list.VisibleButtons(i);
        if (!last->LineBreak() && i != count - 1) continue;
        const int n = i - start + (last->LineBreak() ? 0 : 1);
        if (n <= 0) continue;
        int rest = across % n;
        int extra = rest > 0 ? 1 : 0;
        for (int j = start; j <= i; ++j) {
            TwwNavButton* b = list.VisibleButtons(j);
            if (horizontal)
                b->SetBounds(b->Left(), b->Top(), w / n + extra, h / rows + stackExtra);
            else
                b->SetBounds(b->Left(), b->Top(), w / rows + stackExtra, h / n + extra);
            rest -= extra;
            if (rest < extra) extra = rest;
        }
        stackRest -= stackExtra;
        if (stackRest < stackExtra) stackExtra = stackRest;
        start = i;
    }
}

void TwwDBNavigator::GrowToFit() {
    if (AutosizeStyle() != asSizeNavigator) {
        AutoSize();
        return;
    }
    TwwNavButtons& list = *Buttons();
    if (list.Count() == 0) return;
    const TwwNavButton* last = list.Buttons(list.Count() - 1);
    if (Layout() == nlHorizontal)
        SetHeight(last->Top() + last->Height());
    else
        SetWidth(last->Left() + last->Width());
}

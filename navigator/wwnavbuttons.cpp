// TwwNavButtons: the list of a navigator's buttons (its child controls), adding and removing them.
#include "navigator/wwdbnavigator.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QScopeGuard>
#include <algorithm>
#include <vector>

RAVELDA_DEFINE_CLASS(TwwNavButtons) {}

namespace {
constexpr TwwNavButtonStyle kDefaultSet[] = {
    nbsFirst,  nbsPriorPage, nbsPrior, nbsNext,   nbsNextPage, nbsLast,         nbsInsert,
    nbsDelete, nbsEdit,      nbsPost,  nbsCancel, nbsRefresh,  nbsSaveBookmark, nbsRestoreBookmark};
} // namespace

TwwNavButtons::~TwwNavButtons() = default;

TPersistent* TwwNavButtons::GetOwner() const {
    return navigator_;
}

void TwwNavButtons::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
}

int TwwNavButtons::Count() const {
    return navigator_ ? navigator_->ControlCount() : 0;
}

TwwNavButton* TwwNavButtons::Buttons(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation(QStringLiteral("Index of Buttons[] out of range"));
    return static_cast<TwwNavButton*>(navigator_->Controls(Index));
}

int TwwNavButtons::VisibleCount() const {
    if (!navigator_) return 0;
    if (navigator_->IsDesigning()) return Count();
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        if (Buttons(i)->Visible()) ++n;
    return n;
}

TwwNavButton* TwwNavButtons::VisibleButtons(int Index) const {
    if (navigator_ && navigator_->IsDesigning() && Index >= 0 && Index < Count())
        return Buttons(Index);
    if (navigator_ && !navigator_->IsDesigning() && Index >= 0) {
        int n = 0;
        for (int i = 0; i < Count(); ++i) {
            TwwNavButton* b = Buttons(i);
            if (!b->Visible()) continue;
            if (n == Index) return b;
            ++n;
        }
    }
    throw EInvalidOperation(QStringLiteral("Index of VisibleButtons[] out of range"));
}

bool TwwNavButtons::SkipButton(const TwwNavButton* Button) const {
    return !Button->Visible() && !(navigator_ && navigator_->IsDesigning());
}

TwwNavButton* TwwNavButtons::ButtonAt(TPoint P) const {
    for (int i = 0; i < Count(); ++i) {
        TwwNavButton* b = Buttons(i);
        if (b->BoundsRect().Contains(P)) return b;
    }
    return nullptr;
}

TwwNavButton* TwwNavButtons::RightMostVisibleButton() const {
    TwwNavButton* found = nullptr;
    int edge = 0;
    for (int i = 0; i < VisibleCount(); ++i) {
        TwwNavButton* b = VisibleButtons(i);
        if (b->Left() + b->Width() > edge) {
            edge = b->Left() + b->Width();
            found = b;
        }
    }
    return found;
}

TwwNavButton* TwwNavButtons::BottomMostVisibleButton() const {
    TwwNavButton* found = nullptr;
    int edge = 0;
    for (int i = 0; i < VisibleCount(); ++i) {
        TwwNavButton* b = VisibleButtons(i);
        if (b->Top() + b->Height() > edge) {
            edge = b->Top() + b->Height();
            found = b;
        }
    }
    return found;
}

void TwwNavButtons::ShowStyle(TwwNavButtonStyle Style) {
    for (int i = 0; i < Count(); ++i) {
        TwwNavButton* b = Buttons(i);
        if (b->Style() == Style) {
            b->SetVisible(true);
            return;
        }
    }
    TwwNavButton* b = AddButton(Style, nullptr);
    b->SetIndex(static_cast<int>(Style));
}

void TwwNavButtons::HideStyle(TwwNavButtonStyle Style) {
    for (int i = 0; i < Count(); ++i)
        if (Buttons(i)->Style() == Style) Buttons(i)->SetVisible(false);
}

TwwNavButton* TwwNavButtons::AddButton(TwwNavButtonStyle Style, TwwCustomDialog* Dialog) {
    TwwDBNavigator* nav = navigator_;
    BeginUpdate();
    TwwNavButton* b = nullptr;
    auto undoAdd = qScopeGuard([this, &b] {
        EndUpdate();
        delete b;
    });
    b = new TwwNavButton(nav->Owner());
    b->container_ = this;
    b->SetParent(nav);
    b->SetIndex(Count() - 1);
    b->SetStyle(Style);
    b->UpdateButtonState(ucGeneral);
    b->SetFlat(nav->Flat());
    if (IsDialogStyle(Style)) b->SetDialog(Dialog);
    b->SetHint(b->DefaultHint());
    if (nav->IsDesigning()) b->NameFromStyle();
    b->UpdateButtonState(ucGeneral);
    undoAdd.dismiss();
    EndUpdate(); // here, not in the guard: it is virtual and may raise
    Arrange();
    if (!b->Fits()) nav->GrowToFit();
    return b;
}

void TwwNavButtons::AddDialogButtons() {
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    for (int s = nbsFilterDialog; s <= nbsSearchDialog; ++s)
        AddButton(static_cast<TwwNavButtonStyle>(s), nullptr);
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: it is virtual and may raise
    Relayout();
}

void TwwNavButtons::RemoveAll() {
    while (Count() > 0)
        delete Buttons(Count() - 1);
}

void TwwNavButtons::CreateDefaultSet() {
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    for (TwwNavButtonStyle s : kDefaultSet)
        AddButton(s, nullptr);
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: it is virtual and may raise
}

void TwwNavButtons::UpdateAll(TwwUpdateCause Cause) {
    // By index, so that a handler that removes a button cannot leave a stale pointer here.
    for (int i = 0; i < Count(); ++i)
        Buttons(i)->UpdateButtonState(Cause);
}

// TwwNavButton: style, index, line break, glyph and hint selection, loading, names and the parent
// check.
#include "common/wwintl.h"
#include "data/datasource.h"
#include "dialogs/wwdialog.h"
#include "navigator/wwdbnavigator.h"
#include "navigator/wwnavglyphs.h"
#include "navigator/wwnavstyles.h"
#include "platform/application.h"
#include "platform/exceptions.h"
#include "platform/imagelist.h"
#include "platform/messagebox.h"
#include "platform/properties.h"
#include "platform/timer.h"

#include <algorithm>
#include <vector>

RAVELDA_DEFINE_CLASS(TwwNavButton) {
    RegisterNavigatorEnums();
    c.Property("Style", &TwwNavButton::Style, &TwwNavButton::SetStyle).NoDefault();
    c.Property("Index", &TwwNavButton::Index, &TwwNavButton::SetIndex).NoDefault();
    c.Property("LineBreak", &TwwNavButton::LineBreak, &TwwNavButton::SetLineBreak).Default(false);
    c.Property("Dialog", &TwwNavButton::Dialog, &TwwNavButton::SetDialog);
    c.Event("OnRowChanged", &TwwNavButton::OnRowChanged);
    c.Event("OnUpdateState", &TwwNavButton::OnUpdateState);
    c.Event("OnAfterCreateDialog", &TwwNavButton::OnAfterCreateDialog);
}

TwwNavButton::TwwNavButton(TComponent* AOwner) : TwwSpeedButton(AOwner) {}

TwwNavButton::~TwwNavButton() {
    StopRepeat();
    if (dialog_) dialog_->RemoveFreeNotification(this);
}

TwwNavButtons* TwwNavButton::Container() const {
    if (container_) return container_;
    if (auto* nav = dynamic_cast<TwwDBNavigator*>(Parent())) return nav->Buttons();
    try {
        throw EInvalidOperation(QStringLiteral("Parent propety of TwwNavButton not defined"));
    } catch (...) {
        if (Application) Application->HandleException(const_cast<TwwNavButton*>(this));
    }
    Abort();
}

TwwDBNavigator* TwwNavButton::Navigator() const {
    return Container()->Navigator();
}

void TwwNavButton::ValidateContainer(TWinControl* AParent) {
    if (!dynamic_cast<TwwDBNavigator*>(AParent)) {
        MessageDlg(QStringLiteral("Parent of TwwNavButton must be TwwDBNavigator"), mtError,
                   TMsgDlgButtons{mbOK});
        Abort();
    }
    TwwSpeedButton::ValidateContainer(AParent);
}

int TwwNavButton::RetrieveIndex() const {
    if (auto* nav = dynamic_cast<TwwDBNavigator*>(Parent())) {
        TwwNavButtons* buttons = nav->Buttons();
        for (int i = 0; i < buttons->Count(); ++i)
            if (buttons->Buttons(i) == this) return i;
    }
    throw EInvalidOperation(
        QStringLiteral("Button parameter of RetrieveIndex not in Buttons list"));
}

void TwwNavButton::SetIndex(int Value) {
    // While loading, the stored order of the children is the order.
    if (IsLoading()) return;
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    if (!nav) return;
    const int current = RetrieveIndex();
    const int count = nav->Buttons()->Count();
    Value = std::clamp(Value, 0, count - 1);
    if (Value == current) return;
    std::vector<TwwNavButton*> order;
    for (int i = 0; i < count; ++i)
        if (nav->Buttons()->Buttons(i) != this) order.push_back(nav->Buttons()->Buttons(i));
    order.insert(order.begin() + Value, this);
    // Bringing each to the front in turn leaves the children in that order.
    for (TwwNavButton* b : order)
        b->BringToFront();
    nav->Buttons()->Relayout();
}

void TwwNavButton::SetLineBreak(bool Value) {
    if (Value == lineBreak_) return;
    lineBreak_ = Value;
    if (!IsLoading())
        if (auto* nav = dynamic_cast<TwwDBNavigator*>(Parent())) nav->Buttons()->Relayout();
}

void TwwNavButton::SetStyle(TwwNavButtonStyle Value) {
    style_ = Value;
    if (GetImageIndex() == -1) UseDefaultGlyph();
    if (!IsLoading() && dynamic_cast<TwwDBNavigator*>(Parent())) {
        SetHint(DefaultHint());
        UpdateButtonState(ucGeneral);
    }
}

int TwwNavButton::GetImageIndex() const {
    if (ImageList() && ImageList() == wwNavDefaultGlyphs()) return -1;
    return StoredImageIndex();
}

void TwwNavButton::SetImageIndex(int Value) {
    if (Value == -1) {
        UseDefaultGlyph();
        return;
    }
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    SetImageList(nav ? nav->ImageList() : nullptr);
    StoreImageIndex(Value);
}

void TwwNavButton::UseDefaultGlyph() {
    if (style_ == nbsCustom || IsLoading()) return;
    SetImageIndex(2 * static_cast<int>(style_));
    SetNumGlyphs(2);
    SetImageList(wwNavDefaultGlyphs());
}

QString TwwNavButton::DefaultHint() const {
    const QString current = Hint();
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    const bool intl = nav && nav->Options().Contains(noUseInternationalText);
    if (!current.isEmpty() && !intl) return current;
    if (style_ == nbsCustom) return current;
    QString hint = NavTexts().Hints()->HintForStem(NavStyleStem(style_));
    if (style_ == nbsPriorPage || style_ == nbsNextPage)
        hint = FormatNavHint(hint, nav ? nav->MoveBy() : 10);
    return hint;
}

void TwwNavButton::NameFromStyle() {
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    if (!nav || !nav->Owner() || nav->Name().isEmpty() || !Name().isEmpty()) return;
    const QString base =
        nav->Name() + (style_ == nbsCustom ? QStringLiteral("Button") : NavStyleStem(style_));
    for (int n = 0;; ++n) {
        const QString candidate = n == 0 ? base : base + QString::number(n);
        if (Owner() && Owner()->FindComponent(candidate)) continue;
        try {
            SetName(candidate);
            return;
        } catch (const EComponentError&) {
        }
    }
}

bool TwwNavButton::Fits() const {
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    if (!nav) return false;
    return Top() + Height() < nav->Height() && Left() + Width() < nav->Width();
}

void TwwNavButton::Loaded() {
    TwwSpeedButton::Loaded();
    // A stored -1 selects the default glyph of the stored style.
    SetImageIndex(GetImageIndex());
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    if (nav && nav->Options().Contains(noUseInternationalText)) SetHint(DefaultHint());
}

void TwwNavButton::Notification(TComponent* AComponent, TOperation Operation) {
    TwwSpeedButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dialog_) dialog_ = nullptr;
}

void TwwNavButton::CMEnabledChanged() {
    TwwSpeedButton::CMEnabledChanged();
    RepaintThrough();
}

void TwwNavButton::RepaintThrough() {
    auto* nav = dynamic_cast<TwwDBNavigator*>(Parent());
    if (!nav || !nav->IsTransparent()) return;
    // What shows through the button lies in the windows beneath the navigator.
    TRect r = BoundsRect();
    for (TWinControl* w = nav; w && w->Parent(); w = w->Parent()) {
        OffsetRect(r, w->Left(), w->Top());
        w->Parent()->InvalidateRect(r);
    }
    Invalidate();
}

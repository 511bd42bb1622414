// TwwDBNavigator: its properties, the child check, enabling, accelerators, renaming and the
// default button set at the first paint.
#include "navigator/wwdbnavigator.h"

#include "data/dataset.h"
#include "data/datasource.h"
#include "navigator/wwnavstyles.h"
#include "platform/exceptions.h"
#include "platform/imagelist.h"
#include "platform/properties.h"

#include <QScopeGuard>
#include <QWidget>

RAVELDA_DEFINE_CLASS(TwwDBNavigator) {
    RegisterNavigatorEnums();
    c.Property("AutosizeStyle", &TwwDBNavigator::AutosizeStyle, &TwwDBNavigator::SetAutosizeStyle)
        .Default(asSizeNavigator);
    c.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter)
        .Default(bvNone);
    c.Property("DataSource", &TwwDBNavigator::DataSource, &TwwDBNavigator::SetDataSource);
    c.Property("DisableThemes", &TwwDBNavigator::DisableThemes, &TwwDBNavigator::SetDisableThemes)
        .Default(false);
    c.Property("Flat", &TwwDBNavigator::Flat, &TwwDBNavigator::SetFlat).Default(true);
    c.Property("ImageList", &TwwDBNavigator::ImageList, &TwwDBNavigator::SetImageList);
    c.Property("Layout", &TwwDBNavigator::Layout, &TwwDBNavigator::SetLayout).Default(nlHorizontal);
    c.Property("MoveBy", &TwwDBNavigator::MoveBy, &TwwDBNavigator::SetMoveBy).Default(10);
    c.Property("Options", &TwwDBNavigator::Options, &TwwDBNavigator::SetOptions)
        .Default(TwwNavOptions{noConfirmDelete});
    c.Property("ShowHint", &TwwDBNavigator::ShowHint, &TwwDBNavigator::SetShowHint)
        .Default(false)
        .Stored(std::function<bool(const TwwDBNavigator&)>(
            [](const TwwDBNavigator& t) { return !t.ParentShowHint(); }));
    c.Property("RepeatInterval", &TwwDBNavigator::RepeatInterval,
               &TwwDBNavigator::SetRepeatInterval);
    c.Property("Transparent", &TwwDBNavigator::Transparent, &TwwDBNavigator::SetTransparent)
        .Default(false);
    c.Property("TransparentClearsBackground", &TwwDBNavigator::TransparentClearsBackground,
               &TwwDBNavigator::SetTransparentClearsBackground)
        .Default(false);
}

void RegisterNavigatorClasses() {
    RegisterNavigatorEnums();
    for (const TClassInfo* info :
         {&TwwCustomTransparentPanel::StaticClass(), &TwwSpeedButton::StaticClass(),
          &TwwNavButton::StaticClass(), &TwwDBNavigator::StaticClass(),
          &TwwNavButtons::StaticClass(), &TwwNavRepeatInterval::StaticClass()})
        RegisterClassInfo(*info);
}

TwwDBNavigator::TwwDBNavigator(TComponent* AOwner)
    : TwwCustomTransparentPanel(AOwner), buttons_(std::make_unique<TwwNavButtons>(this)),
      dataLink_(std::make_unique<TwwNavDataLink>(this)),
      repeatInterval_(std::make_unique<TwwNavRepeatInterval>(this)) {
    // Only buttons are children, and only through the buttons container or a description.
    SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption});
    SetCaption(QString());
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    // Width 1 marks a navigator that has never been sized (the first paint sizes it).
    SetBounds(Left(), Top(), 1, Height());
}

TwwDBNavigator::~TwwDBNavigator() {
    Destroying();
    buttons_->BeginUpdate();
    // The buttons go while the container, the data link and the bookmarks they use are here.
    while (ControlCount() > 0)
        delete Controls(ControlCount() - 1);
    bookmarks_.clear();
    dataLink_->SetDataSource(nullptr);
}

TDataSource* TwwDBNavigator::DataSource() const {
    return dataLink_->DataSource();
}

void TwwDBNavigator::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    dataLink_->SetDataSource(Value);
    if (!IsDestroying()) buttons_->UpdateAll(ucGeneral);
}

void TwwDBNavigator::SetAutosizeStyle(TwwNavAutoSizeStyle Value) {
    if (Value == autosizeStyle_) return;
    autosizeStyle_ = Value;
    buttons_->Relayout();
}

void TwwDBNavigator::SetLayout(TwwNavLayout Value) {
    if (Value == layout_) return;
    layout_ = Value;
    buttons_->Relayout();
}

void TwwDBNavigator::SetFlat(bool Value) {
    flat_ = Value;
    for (int i = 0; i < buttons_->Count(); ++i)
        buttons_->Buttons(i)->SetFlat(Value);
}

void TwwDBNavigator::SetImageList(TImageList* Value) {
    imageList_ = Value;
    if (Value) Value->FreeNotification(this);
    // Buttons on their own image take the new list; those on the default glyphs stay there.
    for (int i = 0; i < buttons_->Count(); ++i) {
        TwwNavButton* b = buttons_->Buttons(i);
        if (b->ImageIndex() >= 0) b->SetImageList(Value);
    }
}

void TwwDBNavigator::SetMoveBy(int Value) {
    if (Value == moveBy_) return;
    moveBy_ = Value;
    for (int i = 0; i < buttons_->Count(); ++i) {
        TwwNavButton* b = buttons_->Buttons(i);
        if (b->Style() == nbsPriorPage || b->Style() == nbsNextPage)
            b->SetHint(FormatNavHint(b->Hint(), Value));
    }
}

void TwwDBNavigator::SetShowHint(bool Value) {
    TwwCustomTransparentPanel::SetShowHint(Value);
    for (int i = 0; i < buttons_->Count(); ++i)
        buttons_->Buttons(i)->SetShowHint(Value);
}

TwwNavButtonStyles TwwDBNavigator::VisibleStyles() const {
    TwwNavButtonStyles styles;
    for (int i = 0; i < buttons_->Count(); ++i) {
        const TwwNavButtonStyle s = buttons_->Buttons(i)->Style();
        if (IsDataStyle(s)) styles.Include(s);
    }
    return styles;
}

void TwwDBNavigator::SetVisibleStyles(TwwNavButtonStyles Value) {
    if (!IsLoading() && buttons_->Count() == 0) buttons_->CreateDefaultSet();
    for (int s = nbsFirst; s <= nbsCustom; ++s) {
        const auto style = static_cast<TwwNavButtonStyle>(s);
        if (Value.Contains(style))
            buttons_->ShowStyle(style);
        else
            buttons_->HideStyle(style);
    }
    // Hidden buttons leave the rows and shown ones take their places at once.
    buttons_->Relayout();
}

int TwwDBNavigator::BorderInset() const {
    return (BevelInner() != bvNone ? 1 : 0) + (BevelOuter() != bvNone ? 1 : 0);
}

int TwwDBNavigator::TotalButtonWidth() const {
    int total = 0;
    for (int i = 0; i < buttons_->Count(); ++i) {
        const TwwNavButton* b = buttons_->Buttons(i);
        if (!buttons_->SkipButton(b)) total += b->Width();
    }
    return total;
}

TDataSet* TwwDBNavigator::GetDataSet(bool Strict) const {
    TDataSource* source = DataSource();
    if (!source) {
        if (Strict) throw EInvalidOperation(QStringLiteral("Error, DataSource not assigned"));
        return nullptr;
    }
    if (!source->DataSet()) {
        if (Strict)
            throw EInvalidOperation(QStringLiteral("%1: %2").arg(
                QString::fromLatin1(dbtext::MissingDataSet),
                source->Name().isEmpty() ? source->ClassName() : source->Name()));
        return nullptr;
    }
    return source->DataSet();
}

void TwwDBNavigator::TakeDataSource(TComponent* Component, bool Force) {
    if (!Component) return;
    auto* source = dynamic_cast<TDataSource*>(GetComponentProp(Component, "DataSource"));
    if (source)
        SetDataSource(source);
    else if (Force)
        SetDataSource(nullptr);
}

bool TwwDBNavigator::DialogChar(QChar Char) {
    if (!Parent() || !Parent()->Showing()) return false;
    const QChar wanted = Char.toUpper();
    for (int i = 0; i < buttons_->Count(); ++i) {
        TwwNavButton* b = buttons_->Buttons(i);
        const QString& caption = b->Caption();
        bool accel = false;
        for (qsizetype k = 0; k + 1 < caption.size(); ++k) {
            if (caption[k] != QLatin1Char('&')) continue;
            if (caption[k + 1] == QLatin1Char('&')) {
                ++k;
                continue;
            }
            accel = caption[k + 1].toUpper() == wanted;
            break;
        }
        if (accel && b->Enabled() && b->Visible()) {
            b->Click();
            return true;
        }
    }
    return false;
}

void TwwDBNavigator::Loaded() {
    TwwCustomTransparentPanel::Loaded();
    SetFlat(flat_);
    SetImageList(imageList_);
    // As when the window is made: every button takes its state, then the buttons are placed.
    if (IsDesigning())
        for (int i = 0; i < buttons_->Count(); ++i)
            buttons_->Buttons(i)->NameFromStyle();
    SetDataSource(DataSource());
    buttons_->Arrange();
    AutoSize();
}

void TwwDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    TwwCustomTransparentPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (dataLink_ && AComponent == DataSource()) {
        if (IsDestroying())
            dataLink_->SetDataSource(nullptr);
        else
            SetDataSource(nullptr);
    }
    if (AComponent == imageList_) imageList_ = nullptr;
    if (auto* ds = dynamic_cast<TDataSet*>(AComponent)) DropBookmarks(ds);
}

void TwwDBNavigator::SetName(const QString& NewName) {
    const QString old = Name();
    TwwCustomTransparentPanel::SetName(NewName);
    if (old.isEmpty() || old == NewName) return;
    for (int i = 0; i < buttons_->Count(); ++i) {
        TwwNavButton* b = buttons_->Buttons(i);
        if (b->Name().startsWith(old)) b->SetName(NewName + b->Name().mid(old.size()));
    }
}

void TwwDBNavigator::CMEnabledChanged() {
    TwwCustomTransparentPanel::CMEnabledChanged();
    for (int i = 0; i < buttons_->Count(); ++i)
        buttons_->Buttons(i)->SetEnabled(Enabled());
    if (Enabled()) buttons_->UpdateAll(ucGeneral);
}

void TwwDBNavigator::ValidateInsert(TControl* AControl) {
    if (!dynamic_cast<TwwNavButton*>(AControl))
        throw EInvalidOperation(
            QStringLiteral("TwwDBNavigator only accepts controls derived from TwwNavButton"));
}

void TwwDBNavigator::Paint() {
    if (creatingDefaultSet_) return;
    const bool first = !painted_;
    painted_ = true;
    if (first && buttons_->Count() == 0 && !IsLoading() && !IsDestroying()) {
        creatingDefaultSet_ = true;
        auto notCreating = qScopeGuard([this] { creatingDefaultSet_ = false; });
        buttons_->CreateDefaultSet();
        notCreating.dismiss();
        if (Width() == 1 && buttons_->Count() > 0) {
            SetBounds(Left(), Top(), TotalButtonWidth(), buttons_->Buttons(0)->Height());
            if (Parent()) Parent()->Invalidate();
        } else if (buttons_->Count() > 0) {
            buttons_->Relayout();
        }
        creatingDefaultSet_ = false;
    }
    TwwCustomTransparentPanel::Paint();
}

void TwwDBNavigator::AlignControls(TControl* AControl, TRect& Rect) {
    (void)AControl;
    (void)Rect;
    // The buttons are placed by the navigator's own layout, not by alignment; while buttons are
    // being added the navigator keeps its size until the last one is in.
    if (buttons_->UpdateCount() == 0) buttons_->Relayout();
}

void TwwDBNavigator::DataChanged() {
    buttons_->UpdateAll(ucDataChanged);
}

void TwwDBNavigator::EditingChanged() {
    buttons_->UpdateAll(ucEditingChanged);
}

void TwwDBNavigator::ActiveChanged() {
    TDataSource* source = DataSource();
    if (source && source->DataSet() && !source->DataSet()->Active())
        DropBookmarks(source->DataSet());
    buttons_->UpdateAll(ucActiveChanged);
}

#include "platform/control.h"

#include "platform/exceptions.h"
#include "platform/form.h"
#include "platform/properties.h"
#include "platform/wincontrol.h"

#include <QScopeGuard>

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TAlign>(QStringLiteral("TAlign"),
                         {QStringLiteral("alNone"), QStringLiteral("alTop"),
                          QStringLiteral("alBottom"), QStringLiteral("alLeft"),
                          QStringLiteral("alRight"), QStringLiteral("alClient"),
                          QStringLiteral("alCustom")});
    RegisterEnum<TAnchorKind>(QStringLiteral("TAnchorKind"),
                              {QStringLiteral("akLeft"), QStringLiteral("akTop"),
                               QStringLiteral("akRight"), QStringLiteral("akBottom")});
    RegisterEnum<TAlignment>(QStringLiteral("TAlignment"),
                             {QStringLiteral("taLeftJustify"), QStringLiteral("taRightJustify"),
                              QStringLiteral("taCenter")});
    RegisterEnum<TFormBorderStyle>(QStringLiteral("TFormBorderStyle"),
                                   {QStringLiteral("bsNone"), QStringLiteral("bsSingle"),
                                    QStringLiteral("bsSizeable"), QStringLiteral("bsDialog"),
                                    QStringLiteral("bsToolWindow"),
                                    QStringLiteral("bsSizeToolWin")});
    RegisterEnum<TMouseButton>(
        QStringLiteral("TMouseButton"),
        {QStringLiteral("mbLeft"), QStringLiteral("mbRight"), QStringLiteral("mbMiddle")});
    return true;
}();

} // namespace

RAVELDA_DEFINE_CLASS(TControl) {
    (void)kEnumsRegistered;
    c.Property("Left", &TControl::Left, &TControl::SetLeft).NoDefault();
    c.Property("Top", &TControl::Top, &TControl::SetTop).NoDefault();
    c.Property("Width", &TControl::Width, &TControl::SetWidth).NoDefault();
    c.Property("Height", &TControl::Height, &TControl::SetHeight).NoDefault();
    c.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    c.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors)
        .Default(TAnchors{akLeft, akTop});
    c.Property("Caption", &TControl::Caption, &TControl::SetCaption);
    c.Property("Color", &TControl::Color, &TControl::SetColor)
        .Default(clWindow)
        .Idents(QStringLiteral("TColor"))
        .Stored(std::function<bool(const TControl&)>(
            [](const TControl& t) { return !t.ParentColor(); }));
    c.Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
        .Default(crDefault)
        .Idents(QStringLiteral("TCursor"));
    c.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    c.Property("Font", &TControl::Font, &TControl::SetFont)
        .Stored(std::function<bool(const TControl&)>(
            [](const TControl& t) { return !t.ParentFont(); }));
    c.Property("Hint", &TControl::Hint, &TControl::SetHint);
    c.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    c.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    c.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
        .Default(true);
    c.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Default(false)
        .Stored(std::function<bool(const TControl&)>(
            [](const TControl& t) { return !t.ParentShowHint(); }));
    c.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    c.Event("OnClick", &TControl::OnClick);
    c.Event("OnDblClick", &TControl::OnDblClick);
    c.Event("OnMouseDown", &TControl::OnMouseDown);
    c.Event("OnMouseMove", &TControl::OnMouseMove);
    c.Event("OnMouseUp", &TControl::OnMouseUp);
    c.Event("OnResize", &TControl::OnResize);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>()) {
    font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
    font_->OnChange = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == parent_) return;
    if (AParent == this)
        throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    for (TWinControl* p = AParent; p; p = p->Parent())
        if (p == this)
            throw EInvalidOperation(
                QStringLiteral("A control cannot have one of its children as its parent"));
    if (AParent) ValidateContainer(AParent);
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
    ParentChanged();
}

void TControl::ValidateContainer(TWinControl* AParent) {
    AParent->ValidateInsert(this);
}

TComponent* TControl::GetParentComponent() const {
    return parent_;
}

void TControl::SetParentComponent(TComponent* Value) {
    auto* win = dynamic_cast<TWinControl*>(Value);
    if (Value && !win)
        throw EInvalidOperation(
            QStringLiteral("Control '%1' cannot have %2 as its parent").arg(Name(), Value->Name()));
    SetParent(win);
}

void TControl::SetName(const QString& NewName) {
    const QString old = Name();
    // A control whose caption still shows its name follows a rename, unless it is being read.
    const bool follow = controlStyle_.Contains(csSetCaption) && !IsLoading() && old == text_ &&
                        !(Owner() && Owner()->IsLoading());
    TComponent::SetName(NewName);
    if (follow) SetText(NewName);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    const bool resized = AWidth != width_ || AHeight != height_;
    if (parent_ && !dynamic_cast<TWinControl*>(this)) Invalidate();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    UpdateBoundsRect();
    if (parent_ && !dynamic_cast<TWinControl*>(this)) Invalidate();
    if (resized) Resize();
    if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetClientSize(int AWidth, int AHeight) {
    const TRect client = ClientRect();
    SetBounds(left_, top_, width_ - client.Width() + AWidth, height_ - client.Height() + AHeight);
}

TPoint TControl::ClientOrigin() const {
    if (!parent_) return {left_, top_};
    const TPoint p = parent_->ClientOrigin();
    return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
    const TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    const TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::OriginInParentWindow() const {
    return {left_, top_};
}

void TControl::SetVisible(bool Value) {
    if (Value == visible_) return;
    if (!dynamic_cast<TWinControl*>(this)) Invalidate();
    visible_ = Value;
    CMVisibleChanged();
    if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::Showing() const {
    if (!visible_) return false;
    if (parent_) return parent_->Showing();
    // A top-level window shows while its window is on the screen.
    const auto* window = dynamic_cast<const TWinControl*>(this);
    return window && window->HandleAllocated() && window->Handle()->isVisible();
}

void TControl::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    CMEnabledChanged();
}

bool TControl::IsEnabledInParents() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void TControl::SetText(const QString& Value) {
    if (Value == text_) return;
    text_ = Value;
    CMTextChanged();
}

void TControl::SetColor(TColor Value) {
    if (Value != color_) {
        color_ = Value;
        parentColor_ = false;
        CMColorChanged();
    } else {
        parentColor_ = false;
    }
}

void TControl::SetParentColor(bool Value) {
    if (Value == parentColor_) return;
    parentColor_ = Value;
    if (Value) CMParentColorChanged();
}

void TControl::FontChanged() {
    // A change that did not come from the parent makes the font the control's own.
    if (!fromParentFont_) parentFont_ = false;
    CMFontChanged();
}

void TControl::TakeParentFont() {
    if (!parent_) return;
    fromParentFont_ = true;
    const auto fromParent = qScopeGuard([this] { fromParentFont_ = false; });
    font_->Assign(parent_->Font());
}

void TControl::SetParentFont(bool Value) {
    if (Value == parentFont_) return;
    parentFont_ = Value;
    if (Value) CMParentFontChanged();
}

void TControl::SetShowHint(bool Value) {
    parentShowHint_ = false;
    if (Value == showHint_) return;
    showHint_ = Value;
    if (auto* w = dynamic_cast<TWinControl*>(this))
        w->NotifyControls(&TControl::CMParentShowHintChanged);
}

void TControl::SetParentShowHint(bool Value) {
    if (Value == parentShowHint_) return;
    parentShowHint_ = Value;
    if (Value) CMParentShowHintChanged();
}

bool TControl::EffectiveShowHint() const {
    return showHint_;
}

void TControl::SetCursor(TCursor Value) {
    if (Value == cursor_) return;
    cursor_ = Value;
    CMCursorChanged();
}

void TControl::SetAlign(TAlign Value) {
    if (Value == align_) return;
    align_ = Value;
    if (parent_) parent_->Realign();
}

void TControl::Invalidate() {
    if (parent_ && (visible_ || IsDesigning())) parent_->InvalidateRect(BoundsRect());
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::BringToFront() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->Handle()->raise();
    Invalidate();
}

void TControl::SendToBack() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->Handle()->lower();
    Invalidate();
}

bool TControl::MouseCapture() const {
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        return QWidget::mouseGrabber() == w->Handle() || w->controlState_.Contains(csLButtonDown);
    return parent_ && parent_->captureControl_ == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (dynamic_cast<TWinControl*>(this)) return; // windows keep the pointer while a button is held
    if (!parent_) return;
    if (Value)
        parent_->captureControl_ = this;
    else if (parent_->captureControl_ == this)
        parent_->captureControl_ = nullptr;
}

void TControl::DispatchMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y,
                                 bool Double) {
    if (Button == mbLeft) {
        if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
        controlState_.Include(csLButtonDown);
        if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
        if (Double && controlStyle_.Contains(csClickEvents)) DblClick();
    }
    if (Double) Shift.Include(ssDouble);
    MouseDown(Button, Shift, X, Y);
}

void TControl::DispatchMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
        controlState_.Exclude(csLButtonDown);
        if (controlState_.Contains(csClicked)) {
            controlState_.Exclude(csClicked);
            if (ClientRect().Contains({X, Y})) Click();
        }
    }
    MouseUp(Button, Shift, X, Y);
}

void TControl::DispatchMouseMove(TShiftState Shift, int X, int Y) {
    MouseMove(Shift, X, Y);
}

void TControl::DispatchMouseEnter() {
    if (mouseInside_) return;
    mouseInside_ = true;
    CMMouseEnter();
}

void TControl::DispatchMouseLeave() {
    if (!mouseInside_) return;
    mouseInside_ = false;
    CMMouseLeave();
}

void TControl::Click() {
    Fire(OnClick, this);
}
void TControl::DblClick() {
    Fire(OnDblClick, this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Fire(OnMouseDown, this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Fire(OnMouseUp, this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    Fire(OnMouseMove, this, Shift, X, Y);
}

void TControl::Resize() {
    Fire(OnResize, this);
}

void TControl::CMMouseEnter() {}
void TControl::CMMouseLeave() {}
void TControl::CMEnabledChanged() {
    Invalidate();
}
void TControl::CMVisibleChanged() {}
void TControl::CMFontChanged() {
    Invalidate();
}
void TControl::CMTextChanged() {
    Invalidate();
}
void TControl::CMColorChanged() {
    Invalidate();
}

void TControl::CMParentFontChanged() {
    if (parentFont_) TakeParentFont();
}

void TControl::CMParentColorChanged() {
    if (parentColor_ && parent_ && parent_->Color() != color_) {
        color_ = parent_->Color();
        CMColorChanged();
    }
}

void TControl::CMParentShowHintChanged() {
    if (parentShowHint_ && parent_ && parent_->ShowHint() != showHint_) {
        showHint_ = parent_->ShowHint();
        if (auto* w = dynamic_cast<TWinControl*>(this))
            w->NotifyControls(&TControl::CMParentShowHintChanged);
    }
}

void TControl::ChangeScale(int M, int D) {
    if (M == D) return;
    const int l = MulDiv(left_, M, D);
    const int t = MulDiv(top_, M, D);
    const int w = MulDiv(left_ + width_, M, D) - l;
    const int h = MulDiv(top_ + height_, M, D) - t;
    // An own font keeps its point size; a parent's font follows the parent.
    if (!parentFont_) font_->SetHeight(MulDiv(font_->Height(), M, D));
    SetBounds(l, t, w, h);
}

void TControl::Loaded() {
    TComponent::Loaded();
}

TCustomForm* GetParentForm(const TControl* Control) {
    const TControl* c = Control;
    while (c && c->Parent())
        c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

QString GetShortHint(const QString& Hint) {
    const qsizetype bar = Hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? Hint : Hint.left(bar);
}

#include "platform/form.h"

#include "platform/application.h"
#include "platform/controlclasses.h"
#include "platform/dfmreader.h"
#include "platform/properties.h"
#include "platform/screen.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TPosition>(QStringLiteral("TPosition"),
                            {QStringLiteral("poDesigned"), QStringLiteral("poDefault"),
                             QStringLiteral("poDefaultPosOnly"),
                             QStringLiteral("poDefaultSizeOnly"), QStringLiteral("poScreenCenter"),
                             QStringLiteral("poDesktopCenter"), QStringLiteral("poMainFormCenter"),
                             QStringLiteral("poOwnerFormCenter")});
    RegisterEnum<TBorderIcon>(QStringLiteral("TBorderIcon"),
                              {QStringLiteral("biSystemMenu"), QStringLiteral("biMinimize"),
                               QStringLiteral("biMaximize"), QStringLiteral("biHelp")});
    RegisterEnum<TCloseAction>(QStringLiteral("TCloseAction"),
                               {QStringLiteral("caNone"), QStringLiteral("caHide"),
                                QStringLiteral("caFree"), QStringLiteral("caMinimize")});
    RegisterEnum<TWindowState>(
        QStringLiteral("TWindowState"),
        {QStringLiteral("wsNormal"), QStringLiteral("wsMinimized"), QStringLiteral("wsMaximized")});
    return true;
}();

int& ScreenPpiOverride() {
    static int value = 0;
    return value;
}

} // namespace

int FormScreenPixelsPerInch() {
    const int o = ScreenPpiOverride();
    return o > 0 ? o : Screen()->PixelsPerInch();
}

void SetFormScreenPixelsPerInch(int Value) {
    ScreenPpiOverride() = std::max(0, Value);
}

TFormFrame FormFrame(TFormBorderStyle Style) {
    switch (Style) {
    case bsNone:
        return {0, 0};
    case bsSingle:
    case bsDialog:
        return {3, 19};
    case bsToolWindow:
        return {3, 16};
    case bsSizeToolWin:
        return {4, 16};
    case bsSizeable:
        break;
    }
    return {4, 19};
}

RAVELDA_DEFINE_CLASS(TCustomForm) {
    (void)kEnumsRegistered;
    c.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    c.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    c.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
        .Default(bsSizeable);
    c.Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Stored(false);
    c.Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Stored(false);
    c.Property("Color", &TControl::Color, &TControl::SetColor)
        .Default(clBtnFace)
        .Idents(QStringLiteral("TColor"));
    c.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
    c.Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
        .NoDefault();
    c.Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
        .NoDefault();
    c.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
    c.Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Default(true);
    c.Property("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight).NoDefault();
    c.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(false);
    c.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
        .Default(wsNormal);
    c.Event("OnActivate", &TCustomForm::OnActivate);
    c.Event("OnClose", &TCustomForm::OnClose);
    c.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
    c.Event("OnCreate", &TCustomForm::OnCreate);
    c.Event("OnDestroy", &TCustomForm::OnDestroy);
    c.Event("OnHide", &TCustomForm::OnHide);
    c.Event("OnPaint", &TCustomForm::OnPaint);
    c.Event("OnShow", &TCustomForm::OnShow);
}

RAVELDA_DEFINE_CLASS(TForm) {}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), pixelsPerInch_(FormScreenPixelsPerInch()),
      canvas_(std::make_unique<TCanvas>()) {
    // Descriptions read into forms may name any control class.
    RegisterControlClasses();
    InitVisible(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    ApplyWindowFlags();
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() {
    GuardedCall(this, [&] { Fire(OnDestroy, this); });
    if (activeControl_) activeControl_->RemoveFreeNotification(this);
    activeControl_ = nullptr;
}

void TCustomForm::InitFromResource(const QString& Name) {
    ReadFormResource(this, Name);
    DoCreate();
}

void TCustomForm::InitFromText(const QString& Text, const QString& Source) {
    ReadComponentText(this, Text, Source);
    DoCreate();
}

void TCustomForm::DoCreate() {
    Fire(OnCreate, this);
}

TRect TCustomForm::ClientRect() const {
    const TFormFrame f = FormFrame(borderStyle_);
    return Rect(0, 0, std::max(0, Width() - f.Horizontal()), std::max(0, Height() - f.Vertical()));
}

TPoint TCustomForm::ClientOrigin() const {
    const QPoint p = Handle()->mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
}

void TCustomForm::ApplyWindowFlags() {
    Qt::WindowFlags flags = Qt::Window;
    if (borderStyle_ == bsNone) {
        flags |= Qt::FramelessWindowHint;
    } else {
        if (borderStyle_ == bsDialog) flags = Qt::Dialog;
        if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) flags = Qt::Tool;
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons_.Contains(biSystemMenu))
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (borderStyle_ != bsDialog && borderIcons_.Contains(biMinimize))
            flags |= Qt::WindowMinimizeButtonHint;
        if (borderStyle_ != bsDialog && borderIcons_.Contains(biMaximize))
            flags |= Qt::WindowMaximizeButtonHint;
        if (borderIcons_.Contains(biHelp)) flags |= Qt::WindowContextHelpButtonHint;
    }
    const bool visible = Handle()->isVisible();
    Handle()->setWindowFlags(flags);
    if (visible) Handle()->show();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == borderStyle_) return;
    // The outer size stays; the client area follows the new frame.
    borderStyle_ = Value;
    ApplyWindowFlags();
    PlaceWindow();
    Realign();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (Value == borderIcons_) return;
    borderIcons_ = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState Value) {
    windowState_ = Value;
    if (!Handle()->isVisible()) return;
    if (Value == wsMaximized)
        Handle()->showMaximized();
    else if (Value == wsMinimized)
        Handle()->showMinimized();
    else
        Handle()->showNormal();
}

void TCustomForm::PlaceWindow() {
    placingForm_ = true;
    QWidget* w = Handle();
    const TRect client = ClientRect();
    if (borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin || borderStyle_ == bsNone) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        w->resize(client.Width(), client.Height());
    } else {
        w->setFixedSize(client.Width(), client.Height());
    }
    // Left and Top are the frame's corner: a shown window knows its frame.
    if (w->isVisible() && w->windowHandle())
        w->windowHandle()->setFramePosition(QPoint(Left(), Top()));
    else
        w->move(Left(), Top());
    placingForm_ = false;
}

void TCustomForm::WindowResized(int clientWidth, int clientHeight) {
    if (placingForm_ || (clientWidth == ClientWidth() && clientHeight == ClientHeight())) return;
    const TFormFrame f = FormFrame(borderStyle_);
    SetBounds(Left(), Top(), clientWidth + f.Horizontal(), clientHeight + f.Vertical());
}

void TCustomForm::WindowMoved(int x, int y) {
    if (placingForm_) return;
    left_ = x;
    top_ = y;
}

void TCustomForm::PaintWindow(QPainter& painter, const TRect& updateRect) {
    TWinControl::PaintWindow(painter, updateRect);
    if (!OnPaint) return;
    const TCanvasPaintScope scope(*canvas_, &painter);
    canvas_->SetFont(Font());
    canvas_->Brush()->SetColor(Color());
    OnPaint(this);
}

void TCustomForm::CMTextChanged() {
    Handle()->setWindowTitle(Caption());
    TWinControl::CMTextChanged();
}

void TCustomForm::FirstShow() {
    int l = Left();
    int t = Top();
    const TCustomForm* over = nullptr;
    if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
        over = dynamic_cast<const TCustomForm*>(
            position_ == poOwnerFormCenter
                ? static_cast<TComponent*>(Owner())
                : static_cast<TComponent*>(Application ? Application->MainForm() : nullptr));
        if (over == this) over = nullptr;
    }
    if (over) {
        l = over->Left() + (over->Width() - Width()) / 2;
        t = over->Top() + (over->Height() - Height()) / 2;
    } else if (position_ == poScreenCenter || position_ == poDesktopCenter ||
               position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
        l = (Screen()->Width() - Width()) / 2;
        t = (Screen()->Height() - Height()) / 2;
    }
    SetBounds(l, t, Width(), Height());
}

void TCustomForm::SetVisible(bool Value) {
    TWinControl::SetVisible(Value);
}

void TCustomForm::CMVisibleChanged() {
    // A stored Visible = True shows the form once reading has finished.
    if (IsLoading()) return;
    QWidget* w = Handle();
    if (Visible()) {
        if (!shownOnce_) {
            shownOnce_ = true;
            FirstShow();
        }
        PlaceWindow();
        // Where the window system first puts the window is not where the form is.
        placingForm_ = true;
        if (windowState_ == wsMaximized)
            w->showMaximized();
        else if (windowState_ == wsMinimized)
            w->showMinimized();
        else
            w->show();
        placingForm_ = false;
        // Once shown the window system knows its frame: Left and Top place the frame.
        PlaceWindow();
        // The offscreen platform has no stacking; asking it only prints a warning.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
        w->activateWindow();
        Fire(OnShow, this);
        if (activeControl_ && activeControl_->CanFocus())
            activeControl_->SetFocus();
        else
            SelectFirst();
    } else {
        w->hide();
        Fire(OnHide, this);
    }
}

void TCustomForm::Show() {
    if (Visible())
        CMVisibleChanged();
    else
        SetVisible(true);
}

void TCustomForm::Hide() {
    SetVisible(false);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    Fire(OnCloseQuery, this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
    Fire(OnClose, this, Action);
}

void TCustomForm::Close() {
    if (closing_) return;
    closing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{closing_};
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    const bool isMain = Application && Application->MainForm() &&
                        static_cast<TCustomForm*>(Application->MainForm()) == this;
    if (isMain) {
        Hide();
        Application->Terminate();
        return;
    }
    switch (action) {
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Hide();
        Release();
        break;
    default:
        Hide();
        break;
    }
}

bool TCustomForm::WindowCloseRequested() {
    Close();
    return false;
}

void TCustomForm::Release() {
    QPointer<QWidget> alive(Handle());
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, alive] {
            if (alive) delete this;
        },
        Qt::QueuedConnection);
}

void TCustomForm::SetPixelsPerInch(int Value) {
    if (Value > 0) pixelsPerInch_ = Value;
}

int TCustomForm::TextHeight() const {
    return textHeight_ > 0 ? textHeight_ : QFontMetrics(Font()->Handle()).height();
}

bool TCustomForm::CanFocus() const {
    return Visible() && Enabled();
}

void TCustomForm::FocusControlChanged(TWinControl* Control) {
    if (Control == activeControl_) return;
    if (activeControl_) activeControl_->RemoveFreeNotification(this);
    activeControl_ = Control;
    if (Control) Control->FreeNotification(this);
}

void TCustomForm::SetActiveControl(TWinControl* Value) {
    if (Value == activeControl_) return;
    const bool live = !IsLoading() && Visible() && Handle()->isVisible();
    if (Value && live && !Value->CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    FocusControlChanged(Value);
    if (Value && live) Value->SetFocus();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == activeControl_) activeControl_ = nullptr;
}

void TCustomForm::ChangeScale(int M, int D) {
    if (M == D) return;
    const int cw = ClientWidth();
    const int ch = ClientHeight();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->ChangeScale(M, D);
    Font()->SetHeight(MulDiv(Font()->Height(), M, D));
    SetClientSize(MulDiv(cw, M, D), MulDiv(ch, M, D));
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    const int screen = FormScreenPixelsPerInch();
    if (scaled_ && pixelsPerInch_ > 0 && screen != pixelsPerInch_) {
        ChangeScale(screen, pixelsPerInch_);
        pixelsPerInch_ = screen;
    }
    if (Visible()) CMVisibleChanged();
}

TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {
    if (Application) Application->FormCreated(this, [this] { Show(); });
}

TForm::~TForm() {
    if (Application) Application->FormDestroyed(this);
}

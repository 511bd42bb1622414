#include "platform/screen.h"

#include "platform/properties.h"
#include "platform/services.h"

#include <QGuiApplication>
#include <QScreen>

RAVELDA_DEFINE_CLASS(TScreen) {}

namespace {
[[maybe_unused]] const bool cursorIdents = [] {
    RegisterIntegerIdents(
        QStringLiteral("TCursor"),
        {{crDefault, QStringLiteral("crDefault")},     {crNone, QStringLiteral("crNone")},
         {crArrow, QStringLiteral("crArrow")},         {crCross, QStringLiteral("crCross")},
         {crIBeam, QStringLiteral("crIBeam")},         {crSizeNESW, QStringLiteral("crSizeNESW")},
         {crSizeNS, QStringLiteral("crSizeNS")},       {crSizeNWSE, QStringLiteral("crSizeNWSE")},
         {crSizeWE, QStringLiteral("crSizeWE")},       {crUpArrow, QStringLiteral("crUpArrow")},
         {crHourGlass, QStringLiteral("crHourGlass")}, {crDrag, QStringLiteral("crDrag")},
         {crNoDrop, QStringLiteral("crNoDrop")},       {crHSplit, QStringLiteral("crHSplit")},
         {crVSplit, QStringLiteral("crVSplit")},       {crMultiDrag, QStringLiteral("crMultiDrag")},
         {crSQLWait, QStringLiteral("crSQLWait")},     {crNo, QStringLiteral("crNo")},
         {crAppStart, QStringLiteral("crAppStart")},   {crHelp, QStringLiteral("crHelp")},
         {crHandPoint, QStringLiteral("crHandPoint")}, {crSizeAll, QStringLiteral("crSizeAll")}});
    return true;
}();
} // namespace

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

void TScreen::SetActiveControl(TComponent* Control) {
    if (Control == activeControl_) return;
    if (activeControl_) activeControl_->RemoveFreeNotification(this);
    activeControl_ = Control;
    if (Control) Control->FreeNotification(this);
}

void TScreen::SetCursor(TCursor Value) {
    if (Value == cursor_) return;
    cursor_ = Value;
    CursorService().SetScreenCursor(Value);
}

namespace {
QScreen* Primary() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::primaryScreen()
               : nullptr;
}
} // namespace

int TScreen::Width() const {
    QScreen* s = Primary();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const {
    QScreen* s = Primary();
    return s ? s->geometry().height() : 768;
}

int TScreen::PixelsPerInch() const {
    QScreen* s = Primary();
    return s ? qRound(s->logicalDotsPerInch()) : 96;
}

void TScreen::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == activeControl_) activeControl_ = nullptr;
}

TScreen* Screen() {
    // Lives until the program ends; components tell it when they go.
    static TScreen* screen = new TScreen(nullptr);
    return screen;
}

Qt::CursorShape CursorShapeOf(TCursor c) {
    switch (c) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

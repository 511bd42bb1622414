// The screen: the active control and the screen cursor.
#pragma once

#include "platform/component.h"

#include <QString>
#include <Qt>

using TCursor = int;
enum : TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSize = -22,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22
};

// The Qt shape that stands for a cursor, for the screen and for controls alike.
Qt::CursorShape CursorShapeOf(TCursor c);

class TScreen : public TComponent {
    RAVELDA_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner = nullptr);
    ~TScreen() override;

    // The focused control; the controls layer keeps it current. Cleared when it goes.
    TComponent* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TComponent* Control);

    // The screen cursor, through the cursor service (crDefault: each control's own).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);

    int Width() const;
    int Height() const;
    int PixelsPerInch() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* activeControl_ = nullptr;
    TCursor cursor_ = crDefault;
};

// The screen object; created on first use, lives until the program ends.
TScreen* Screen();

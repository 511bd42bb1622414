// TCustomForm / TForm: a top-level window. Width and Height are the outer size with the classic
// frame and caption; the window Qt shows is the client area. The first form created becomes the
// application's main form, and closing it ends the program. Forms made from a stored description
// read it in their constructor (InitFromResource) and are scaled when the screen's density
// differs from the one they were laid out at.
#pragma once

#include "platform/canvas.h"
#include "platform/wincontrol.h"

#include <memory>

#include <QString>

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// The screen density forms scale to: the screen's, unless a test sets one (0 puts the screen's
// back).
int FormScreenPixelsPerInch();
void SetFormScreenPixelsPerInch(int Value);

// The classic non-client metrics: frame widths and caption height of a border style.
struct TFormFrame {
    int Side = 0;    // left and right, and bottom
    int Caption = 0; // the caption bar, above the top frame
    int Horizontal() const { return 2 * Side; }
    int Vertical() const { return 2 * Side + Caption; }
};
TFormFrame FormFrame(TFormBorderStyle Style);

class TCustomForm : public TWinControl {
    RAVELDA_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Reads the stored description Name into this form, then runs OnCreate. Call it from the
    // constructor of the form's own class.
    void InitFromResource(const QString& Name);
    // Reads a description given as text, then runs OnCreate.
    void InitFromText(const QString& Text, const QString& Source = QString());

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;

    void Show();
    void Hide();
    // Asks OnCloseQuery, then OnClose; the main form ends the program, others hide (or are
    // freed, minimised, or stay, as OnClose decides).
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the events being handled are done.
    void Release();

    TPosition Position() const { return position_; }
    void SetPosition(TPosition Value) { position_ = Value; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool Value) { scaled_ = Value; }
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value);
    // The text height of the font the layout was made with ("0" when unknown: the font's now).
    int TextHeight() const;
    void SetTextHeight(int Value) { textHeight_ = Value; }
    bool OldCreateOrder() const { return oldCreateOrder_; }
    void SetOldCreateOrder(bool Value) { oldCreateOrder_ = Value; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons Value);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState Value);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool Value) { keyPreview_ = Value; }

    // Valid while OnPaint runs.
    TCanvas* Canvas() const { return canvas_.get(); }

    // The control that has (or gets, when the form is shown) the focus.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* Value);
    // Told by the controls when the focus moves to one of them.
    void FocusControlChanged(TWinControl* Control);

    bool CanFocus() const override;
    void SetVisible(bool Value) override;
    void ChangeScale(int M, int D) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& Action);
    void PlaceWindow() override;
    void PaintWindow(QPainter& painter, const TRect& updateRect) override;
    void WindowResized(int clientWidth, int clientHeight) override;
    void WindowMoved(int x, int y) override;
    bool WindowCloseRequested() override;
    void CMTextChanged() override;
    void CMVisibleChanged() override;

private:
    void ApplyWindowFlags();
    void FirstShow();

    TPosition position_ = poDesigned;
    bool scaled_ = true;
    int pixelsPerInch_;
    int textHeight_ = 0;
    bool oldCreateOrder_ = false;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TWinControl* activeControl_ = nullptr;
    bool shownOnce_ = false;
    bool closing_ = false;
    bool placingForm_ = false;
    std::unique_ptr<TCanvas> canvas_;
};

class TForm : public TCustomForm {
    RAVELDA_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;
};

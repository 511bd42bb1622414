// TWinControl: a control with its own window (a QWidget that hands paint, mouse, key, focus and
// resize events to the control's virtual methods). It holds child controls, paints its
// windowless children into its own window and routes their mouse input, and owns focus and the
// Tab order among the controls of its form.
#pragma once

#include "platform/control.h"

#include <QRect>
#include <QWidget>
#include <vector>

class QPainter;
class TWinControl;

using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, QChar& Key)>;

// Keys a control handles itself instead of the form's navigation (the classic dialog codes).
constexpr unsigned DLGC_WANTARROWS = 0x0001;
constexpr unsigned DLGC_WANTTAB = 0x0002;
constexpr unsigned DLGC_WANTALLKEYS = 0x0004;
constexpr unsigned DLGC_WANTCHARS = 0x0080;

// The window of a TWinControl.
class TWinWidget : public QWidget {
public:
    TWinWidget(TWinControl* control, QWidget* parent = nullptr);
    ~TWinWidget() override;
    TWinControl* Control() const { return control_; }
    void Detach() { control_ = nullptr; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    TWinControl* control_;
};

class TWinControl : public TControl {
    RAVELDA_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // The control's window; always there.
    QWidget* Handle() const { return widget_; }
    bool HandleAllocated() const { return widget_ != nullptr; }

    // ---- Children.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int Index) const;
    bool ContainsControl(const TControl* Control) const;
    // The visible child at a client point (the topmost); windowed children only when asked.
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    void InsertControl(TControl* AControl);
    // Asked before a control becomes a child (SetParent); raises to refuse it.
    virtual void ValidateInsert(TControl* AControl) { (void)AControl; }
    void RemoveControl(TControl* AControl);
    // Lays out the aligned children (Align other than alNone).
    void Realign();
    // Tells the children (classic broadcast) through a member function.
    void NotifyControls(void (TControl::*notice)());

    // ---- Border: insets of the non-client frame (a sunken edge for bsSingle borders).
    virtual TRect BorderInsets() const { return TRect(); }
    // Re-places the child windows after the insets changed.
    void BorderChanged();
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;

    // ---- Focus.
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool Value) { tabStop_ = Value; }
    // The windowed controls below this one in Tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    // The next control after CurControl (nullptr: the start) that can take the focus.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    void SelectFirst();
    // Keys the control keeps from the form's navigation (DLGC_ flags).
    virtual unsigned WantedKeys() const { return 0; }

    // ---- Painting.
    void Invalidate() override;
    void InvalidateRect(const TRect& r);
    void Update() override;
    // Paints the window: border, then PaintWindow, then the windowless children.
    void PaintHandler(QPainter& painter, const QRect& updateRect);

    // ---- Key input, with the key passed by reference: a handler that sets it to 0 keeps it
    // from going on.
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    // The whole key path of one key press as the window gets it: navigation keys, KeyDown,
    // then KeyPress for the typed character. Returns true when the key was used.
    bool HandleKeyPress(Word Key, TShiftState Shift, const QString& Text);
    void HandleKeyRelease(Word Key, TShiftState Shift);

    void ChangeScale(int M, int D) override;
    void Loaded() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetCursor(TCursor Value) override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    // Fills the client area with Color unless the control is csOpaque; subclasses paint here.
    virtual void PaintWindow(QPainter& painter, const TRect& updateRect);
    // Draws the non-client border in window coordinates.
    virtual void PaintBorder(QPainter& painter);
    void PaintControls(QPainter& painter, const TRect& updateRect);
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void WMSetFocus() {}
    virtual void WMKillFocus() {}
    // The window was resized by the user or the window system (forms).
    virtual void WindowResized(int clientWidth, int clientHeight);
    virtual void WindowMoved(int x, int y);
    // The window system asks to close the window; true lets it close.
    virtual bool WindowCloseRequested() { return true; }

    void UpdateBoundsRect() override;
    void ParentChanged() override;
    void CMEnabledChanged() override;
    void CMVisibleChanged() override;
    void CMFontChanged() override;
    void CMColorChanged() override;
    void CMShowHintChanged();
    void Resize() override;

    // Moves the window to the bounds; forms override (the frame is outside the window).
    virtual void PlaceWindow();
    void AnchorChildren(int oldWidth, int oldHeight);

private:
    friend class TWinWidget;
    friend class TControl;
    void MouseEvent(QMouseEvent* e, int kind);
    void UpdateHover(TControl* now);
    void ShowHintAt(const QPoint& pos, const QPoint& globalPos);

    TWinWidget* widget_ = nullptr;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    int pendingTabOrder_ = -1;
    TControl* captureControl_ = nullptr;
    TControl* hoverControl_ = nullptr;
    int aligning_ = 0;
    bool placing_ = false;
};

// TControl: the base of everything on a window: bounds in the parent's client area, visibility,
// enabled state, caption, colour and font (inherited from the parent until set), hints, cursor,
// alignment, mouse events and the change notifications (virtual methods named after the classic
// messages). Windowed controls are TWinControl; windowless ones TGraphicControl.
#pragma once

#include "platform/color.h"
#include "platform/component.h"
#include "platform/controltypes.h"
#include "platform/events.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "platform/sets.h"

#include <QString>
#include <functional>
#include <memory>

class QPainter;
class TWinControl;
class TCustomForm;


enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateFlag>;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

class TControl : public TComponent {
    RAVELDA_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- Parent. Setting it moves the control into the parent's client area (and its window
    // into the parent's window).
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    // Asked before the control moves into AParent; raises to refuse it. By default the parent
    // decides (TWinControl::ValidateInsert).
    virtual void ValidateContainer(TWinControl* AParent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void SetName(const QString& NewName) override;

    // ---- Bounds, relative to the parent's client area.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
    void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
    void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
    void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // The area inside the control's border, at (0, 0).
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
    void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
    virtual void SetClientSize(int AWidth, int AHeight);
    // Where the client area's (0, 0) is on the screen, and conversions.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // The client-area point of the parent's window where this control's (0, 0) lies, for
    // windowless controls painted and hit-tested there.
    TPoint OriginInParentWindow() const;

    // ---- State.
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent (and shown on screen for windowed controls).
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool Value);
    // Enabled here and in every parent.
    bool IsEnabledInParents() const;

    const QString& Caption() const { return text_; }
    void SetCaption(const QString& Value) { SetText(Value); }
    const QString& Text() const { return text_; }
    virtual void SetText(const QString& Value);

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool Value);
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* Value) { font_->Assign(Value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool Value);

    const QString& Hint() const { return hint_; }
    void SetHint(const QString& Value) { hint_ = Value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool Value);
    // ShowHint as it applies: through the parents while ParentShowHint.
    bool EffectiveShowHint() const;

    TCursor Cursor() const { return cursor_; }
    virtual void SetCursor(TCursor Value);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign Value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors Value) { anchors_ = Value; }

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle Value) { controlStyle_ = Value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState Value) { controlState_ = Value; }

    // ---- Painting.
    virtual void Invalidate();
    // Paints what is invalid now.
    virtual void Update();
    void Repaint() {
        Invalidate();
        Update();
    }
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // ---- Mouse input, in client coordinates. The parent's window delivers these; the handlers
    // keep the classic order (press: capture, OnMouseDown; release: Click when inside, then
    // OnMouseUp).
    void DispatchMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y, bool Double);
    void DispatchMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void DispatchMouseMove(TShiftState Shift, int X, int Y);
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);
    // Whether the pointer is inside the control (between enter and leave notices).
    bool MouseInControl() const { return mouseInside_; }
    void DispatchMouseEnter();
    void DispatchMouseLeave();

    virtual void Click();
    virtual void DblClick();

    // Scales bounds (and an own font) by M / D, as forms do for another screen density.
    virtual void ChangeScale(int M, int D);

    void Loaded() override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;

protected:
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void Resize();

    // Notifications.
    virtual void CMMouseEnter();
    virtual void CMMouseLeave();
    virtual void CMEnabledChanged();
    virtual void CMVisibleChanged();
    virtual void CMFontChanged();
    virtual void CMTextChanged();
    virtual void CMColorChanged();
    virtual void CMParentFontChanged();
    virtual void CMParentColorChanged();
    virtual void CMParentShowHintChanged();
    virtual void CMCursorChanged() {}

    // Moves the control's window (if any) to the current bounds.
    virtual void UpdateBoundsRect() {}
    // Told when the control moved into or out of a parent.
    virtual void ParentChanged() {}
    // Font assignment from the parent, keeping ParentFont.
    void TakeParentFont();
    // Sets the flag without any of a change's effects (forms start hidden).
    void InitVisible(bool Value) { visible_ = Value; }
    // Windowless controls paint here, into the parent's window (painter at their origin).
    virtual void PaintInParent(QPainter& painter) { (void)painter; }

    // Friends of the window layer.
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;

private:
    void FontChanged();

    bool visible_ = true;
    bool enabled_ = true;
    QString text_;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool fromParentFont_ = false;
    QString hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;
    bool mouseInside_ = false;
};

// The form a control is on (nullptr when none).
TCustomForm* GetParentForm(const TControl* Control);
// The short part of a hint (before "|").
QString GetShortHint(const QString& Hint);

// TCustomPanel: a rectangle with classic bevels (outer bevel, a border of its colour, inner
// bevel) and a centred caption. TPanel publishes it.
#pragma once

#include "platform/customcontrol.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
using TBevelWidth = int;

class TCustomPanel : public TCustomControl {
    RAVELDA_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);
    ~TCustomPanel() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel Value);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel Value);
    TBevelWidth BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(TBevelWidth Value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool Value) { fullRepaint_ = Value; }

    // A bsSingle border is a sunken edge outside the client area.
    TRect BorderInsets() const override;

protected:
    void Paint() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;

private:
    void Changed();
    TAlignment alignment_ = taCenter;
    TPanelBevel bevelInner_ = bvNone;
    TPanelBevel bevelOuter_ = bvRaised;
    TBevelWidth bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    bool fullRepaint_ = true;
};

class TPanel : public TCustomPanel {
    RAVELDA_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* AOwner);
    ~TPanel() override;
};

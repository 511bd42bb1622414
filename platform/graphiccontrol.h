// TGraphicControl: a windowless control. Its parent paints it into the parent's window (into its
// bounds) and routes the mouse to it; it never takes the focus. Mouse enter and leave come as
// CMMouseEnter / CMMouseLeave.
#pragma once

#include "platform/canvas.h"
#include "platform/control.h"

#include <memory>

class TGraphicControl : public TControl {
    RAVELDA_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    // Valid while Paint runs; drawing outside a paint pass raises.
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    // Draws the control in client coordinates. The canvas starts with the control's font and a
    // brush of its colour.
    virtual void Paint() {}
    void PaintInParent(QPainter& painter) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};

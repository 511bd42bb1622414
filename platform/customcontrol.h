// TCustomControl: a windowed control that paints itself through a canvas (virtual Paint).
#pragma once

#include "platform/canvas.h"
#include "platform/wincontrol.h"

#include <memory>

class TCustomControl : public TWinControl {
    RAVELDA_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    // Valid while Paint runs.
    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    // Draws the client area. The canvas starts with the control's font and a brush of its
    // colour; the background is already filled with the colour unless the control is csOpaque.
    virtual void Paint() {}
    void PaintWindow(QPainter& painter, const TRect& updateRect) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};

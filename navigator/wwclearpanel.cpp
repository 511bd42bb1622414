#include "navigator/wwclearpanel.h"

#include "platform/drawing.h"
#include "platform/properties.h"
#include "platform/wincontrol.h"

#include <QWidget>

RAVELDA_DEFINE_CLASS(TwwCustomTransparentPanel) {}

TwwCustomTransparentPanel::TwwCustomTransparentPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
    // The panel's name is never its caption.
    SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
    SetBevelOuter(bvRaised);
    ApplyWindowTransparency();
}

TwwCustomTransparentPanel::~TwwCustomTransparentPanel() = default;

bool TwwCustomTransparentPanel::IsTransparent() const {
    return transparent_ && !IsDesigning();
}

void TwwCustomTransparentPanel::SetTransparent(bool Value) {
    transparent_ = Value;
    ApplyWindowTransparency();
    if (!IsLoading()) Invalidate();
}

void TwwCustomTransparentPanel::ApplyWindowTransparency() {
    // An opaque window lets Qt skip what lies beneath; a transparent one must not, so that the
    // parent's pixels are there wherever the panel does not draw.
    Handle()->setAttribute(Qt::WA_OpaquePaintEvent, !IsTransparent());
    Handle()->setAttribute(Qt::WA_NoSystemBackground, true);
}

void TwwCustomTransparentPanel::Invalidate() {
    if (!IsTransparent()) {
        TCustomPanel::Invalidate();
        return;
    }
    if (Parent()) Parent()->InvalidateRect(BoundsRect());
    TCustomPanel::Invalidate();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

void TwwCustomTransparentPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const TRect before = BoundsRect();
    TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (IsTransparent() && BoundsRect() != before) {
        if (Parent()) Parent()->InvalidateRect(before);
        Invalidate();
    }
}

void TwwCustomTransparentPanel::Paint() {
    if (!IsTransparent()) {
        TCustomPanel::Paint();
        return;
    }
    TCanvas& canvas = *Canvas();
    TRect r = ClientRect();
    auto bevel = [&](TPanelBevel b) {
        if (b == bvRaised)
            Frame3D(canvas, r, clBtnHighlight, clBtnShadow, BevelWidth());
        else if (b == bvLowered)
            Frame3D(canvas, r, clBtnShadow, clBtnHighlight, BevelWidth());
        else if (b == bvSpace)
            Frame3D(canvas, r, Color(), Color(), BevelWidth());
    };
    bevel(BevelOuter());
    if (BorderWidth() > 0) Frame3D(canvas, r, Color(), Color(), BorderWidth());
    bevel(BevelInner());
}

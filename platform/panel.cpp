#include "platform/panel.h"

#include "platform/drawing.h"
#include "platform/properties.h"

namespace {
const bool kEnumsRegistered = [] {
    RegisterEnum<TBevelCut>(QStringLiteral("TBevelCut"),
                            {QStringLiteral("bvNone"), QStringLiteral("bvLowered"),
                             QStringLiteral("bvRaised"), QStringLiteral("bvSpace")});
    return true;
}();

void Bevel(TCanvas& canvas, TRect& r, TPanelBevel bevel, int width, TColor face) {
    switch (bevel) {
    case bvRaised:
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow, width);
        break;
    case bvLowered:
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, width);
        break;
    case bvSpace:
        Frame3D(canvas, r, face, face, width);
        break;
    case bvNone:
        break;
    }
}
} // namespace

RAVELDA_DEFINE_CLASS(TCustomPanel) {
    (void)kEnumsRegistered;
    c.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment)
        .Default(taCenter);
    c.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner)
        .Default(bvNone);
    c.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter)
        .Default(bvRaised);
    c.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
    c.Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Default(0);
    c.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle)
        .Default(bsNone);
    c.Property("Color", &TControl::Color, &TControl::SetColor)
        .Default(clBtnFace)
        .Idents(QStringLiteral("TColor"))
        .Stored(std::function<bool(const TCustomPanel&)>(
            [](const TCustomPanel& t) { return !t.ParentColor(); }));
    c.Property("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint)
        .Default(true);
}

RAVELDA_DEFINE_CLASS(TPanel) {}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    // The panel paints every pixel itself.
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

TCustomPanel::~TCustomPanel() = default;

void TCustomPanel::Changed() {
    Invalidate();
    Realign();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
    if (Value == bevelInner_) return;
    bevelInner_ = Value;
    Changed();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
    if (Value == bevelOuter_) return;
    bevelOuter_ = Value;
    Changed();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
    Value = std::max(1, Value);
    if (Value == bevelWidth_) return;
    bevelWidth_ = Value;
    Changed();
}

void TCustomPanel::SetBorderWidth(int Value) {
    Value = std::max(0, Value);
    if (Value == borderWidth_) return;
    borderWidth_ = Value;
    Changed();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (Value != bsNone && Value != bsSingle) Value = bsSingle;
    if (Value == borderStyle_) return;
    borderStyle_ = Value;
    BorderChanged();
    Changed();
}

TRect TCustomPanel::BorderInsets() const {
    return borderStyle_ == bsSingle ? TRect(2, 2, 2, 2) : TRect();
}

void TCustomPanel::AlignControls(TControl* AControl, TRect& Rect) {
    // Aligned children stay inside the bevels and the border.
    int inset = borderWidth_;
    if (bevelOuter_ != bvNone) inset += bevelWidth_;
    if (bevelInner_ != bvNone) inset += bevelWidth_;
    InflateRect(Rect, -inset, -inset);
    TCustomControl::AlignControls(AControl, Rect);
}

void TCustomPanel::Paint() {
    TCanvas& canvas = *Canvas();
    TRect r = ClientRect();
    Bevel(canvas, r, bevelOuter_, bevelWidth_, Color());
    Frame3D(canvas, r, Color(), Color(), borderWidth_);
    Bevel(canvas, r, bevelInner_, bevelWidth_, Color());
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(r);
    if (Caption().isEmpty()) return;
    canvas.Brush()->SetStyle(bsClear);
    unsigned format = DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER;
    if (alignment_ == taCenter)
        format |= DT_CENTER;
    else if (alignment_ == taRightJustify)
        format |= DT_RIGHT;
    DrawText(canvas, Caption(), r, format);
}

TPanel::TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
TPanel::~TPanel() = default;

#include "platform/graphiccontrol.h"

#include "platform/properties.h"

RAVELDA_DEFINE_CLASS(TGraphicControl) {}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintInParent(QPainter& painter) {
    const TCanvasPaintScope scope(*canvas_, &painter);
    canvas_->SetFont(Font());
    canvas_->Brush()->SetColor(Color());
    canvas_->Brush()->SetStyle(bsSolid);
    Paint();
}

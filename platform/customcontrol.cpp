#include "platform/customcontrol.h"

#include "platform/properties.h"

RAVELDA_DEFINE_CLASS(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(QPainter& painter, const TRect& updateRect) {
    TWinControl::PaintWindow(painter, updateRect);
    const TCanvasPaintScope scope(*canvas_, &painter);
    canvas_->SetFont(Font());
    canvas_->Brush()->SetColor(Color());
    canvas_->Brush()->SetStyle(bsSolid);
    Paint();
}

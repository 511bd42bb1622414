#include "platform/canvas.h"

#include "platform/bitmap.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QFontMetrics>
#include <cstdlib>

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TPenStyle>(QStringLiteral("TPenStyle"),
                            {QStringLiteral("psSolid"), QStringLiteral("psDash"),
                             QStringLiteral("psDot"), QStringLiteral("psDashDot"),
                             QStringLiteral("psDashDotDot"), QStringLiteral("psClear"),
                             QStringLiteral("psInsideFrame")});
    RegisterEnum<TPenMode>(
        QStringLiteral("TPenMode"),
        {QStringLiteral("pmBlack"), QStringLiteral("pmWhite"), QStringLiteral("pmNop"),
         QStringLiteral("pmNot"), QStringLiteral("pmCopy"), QStringLiteral("pmNotCopy"),
         QStringLiteral("pmMergePenNot"), QStringLiteral("pmMaskPenNot"),
         QStringLiteral("pmMergeNotPen"), QStringLiteral("pmMaskNotPen"), QStringLiteral("pmMerge"),
         QStringLiteral("pmNotMerge"), QStringLiteral("pmMask"), QStringLiteral("pmNotMask"),
         QStringLiteral("pmXor"), QStringLiteral("pmNotXor")});
    RegisterEnum<TBrushStyle>(QStringLiteral("TBrushStyle"),
                              {QStringLiteral("bsSolid"), QStringLiteral("bsClear"),
                               QStringLiteral("bsHorizontal"), QStringLiteral("bsVertical"),
                               QStringLiteral("bsFDiagonal"), QStringLiteral("bsBDiagonal"),
                               QStringLiteral("bsCross"), QStringLiteral("bsDiagCross")});
    return true;
}();

QRgb ToQRgb(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

} // namespace

// ---- TBrush

RAVELDA_DEFINE_CLASS(TBrush) {
    (void)kEnumsRegistered;
    c.Property("Color", &TBrush::Color, &TBrush::SetColor)
        .Default(clWhite)
        .Idents(QStringLiteral("TColor"));
    c.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(const TPersistent* Source) {
    if (auto* b = dynamic_cast<const TBrush*>(Source)) {
        if (b == this) return;
        color_ = b->color_;
        style_ = b->style_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    // Choosing a colour makes a clear brush solid again, as the classic brush does.
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

QBrush TBrush::Handle() const {
    const QColor c = ToQColor(color_);
    switch (style_) {
    case bsSolid:
        return QBrush(c);
    case bsClear:
        return QBrush(Qt::NoBrush);
    case bsHorizontal:
        return QBrush(c, Qt::HorPattern);
    case bsVertical:
        return QBrush(c, Qt::VerPattern);
    case bsFDiagonal:
        return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal:
        return QBrush(c, Qt::BDiagPattern);
    case bsCross:
        return QBrush(c, Qt::CrossPattern);
    case bsDiagCross:
        return QBrush(c, Qt::DiagCrossPattern);
    }
    return QBrush(c);
}

// ---- TPen

RAVELDA_DEFINE_CLASS(TPen) {
    c.Property("Color", &TPen::Color, &TPen::SetColor)
        .Default(clBlack)
        .Idents(QStringLiteral("TColor"));
    c.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    c.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    c.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

TPen::TPen() = default;
TPen::~TPen() = default;

void TPen::Assign(const TPersistent* Source) {
    if (auto* p = dynamic_cast<const TPen*>(Source)) {
        if (p == this) return;
        color_ = p->color_;
        width_ = p->width_;
        style_ = p->style_;
        mode_ = p->mode_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value < 0) Value = 0;
    if (Value == width_) return;
    width_ = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == mode_) return;
    mode_ = Value;
    Changed();
}

QPen TPen::Handle() const {
    QPen pen(ToQColor(color_));
    pen.setWidth(width_ <= 1 ? 0 : width_);
    pen.setCapStyle(width_ <= 1 ? Qt::SquareCap : Qt::RoundCap);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (style_) {
    case psSolid:
    case psInsideFrame:
        pen.setStyle(Qt::SolidLine);
        break;
    case psDash:
        pen.setStyle(Qt::DashLine);
        break;
    case psDot:
        pen.setStyle(Qt::DotLine);
        break;
    case psDashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case psDashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    case psClear:
        pen.setStyle(Qt::NoPen);
        break;
    }
    return pen;
}

QPainter::CompositionMode PenModeComposition(TPenMode mode) {
    switch (mode) {
    case pmBlack:
        return QPainter::RasterOp_ClearDestination;
    case pmWhite:
        return QPainter::RasterOp_SetDestination;
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
        return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
        return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    case pmNop:
    case pmCopy:
        break;
    }
    return QPainter::CompositionMode_SourceOver;
}

unsigned int ApplyRop3(unsigned int rop, unsigned int pattern, unsigned int source,
                       unsigned int dest) {
    // Bit (P << 2 | S << 1 | D) of the operation's index byte is the result for those inputs.
    const unsigned int index = (rop >> 16) & 0xFF;
    unsigned int result = 0;
    for (unsigned int i = 0; i < 8; ++i) {
        if (!(index & (1u << i))) continue;
        result |= ((i & 4) ? pattern : ~pattern) & ((i & 2) ? source : ~source) &
                  ((i & 1) ? dest : ~dest);
    }
    return result;
}

// ---- TCanvas

RAVELDA_DEFINE_CLASS(TCanvas) {}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), brush_(std::make_unique<TBrush>()),
      pen_(std::make_unique<TPen>()) {}

TCanvas::~TCanvas() {
    own_.reset();
    if (external_) external_->restore();
}

void TCanvas::SetImage(QImage* image) {
    Flush();
    image_ = image;
}

void TCanvas::BeginPaint(QPainter* painter) {
    EndPaint();
    external_ = painter;
    if (external_) external_->save();
}

void TCanvas::EndPaint() {
    if (!external_) return;
    external_->restore();
    external_ = nullptr;
}

void TCanvas::Flush() {
    own_.reset();
}

QPainter& TCanvas::Active() {
    if (external_) return *external_;
    if (image_ && !image_->isNull()) {
        if (!own_) {
            own_ = std::make_unique<QPainter>(image_);
            ApplyClip(*own_);
        }
        return *own_;
    }
    throw EInvalidOperation(QStringLiteral("Canvas does not allow drawing"));
}

QPainter& TCanvas::Painter() {
    return Active();
}

void TCanvas::ApplyClip(QPainter& p) {
    if (hasClip_)
        p.setClipRect(clip_.toQRect());
    else if (&p == own_.get())
        p.setClipping(false);
}

TRect TCanvas::ClipRect() const {
    TRect full;
    if (external_) {
        if (external_->hasClipping())
            full = TRect::fromQRect(external_->clipBoundingRect().toAlignedRect());
        else if (external_->device())
            full = TRect::fromQRect(external_->transform().inverted().mapRect(
                QRect(0, 0, external_->device()->width(), external_->device()->height())));
    } else if (image_) {
        full = Rect(0, 0, image_->width(), image_->height());
    }
    if (!hasClip_) return full;
    if (!HandleAllocated()) return clip_;
    TRect r;
    IntersectRect(r, full, clip_);
    return r;
}

void TCanvas::SetClipRect(const TRect& r) {
    if (external_) {
        // Within the clip the painter came with: the lent painter's saved state restores it.
        external_->setClipRect(r.toQRect(), Qt::IntersectClip);
    }
    hasClip_ = true;
    clip_ = r;
    if (own_) ApplyClip(*own_);
}

void TCanvas::ResetClipRect() {
    hasClip_ = false;
    if (own_) own_->setClipping(false);
    if (external_) {
        external_->restore();
        external_->save();
    }
}

QPainter& TCanvas::PrepareText() {
    QPainter& p = Active();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setFont(font_->Handle());
    p.setPen(ToQColor(font_->Color()));
    p.setBrush(Qt::NoBrush);
    return p;
}

QPainter& TCanvas::PrepareFill(TColor) {
    QPainter& p = Active();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(Qt::NoPen);
    return p;
}

QPainter& TCanvas::PreparePen() {
    QPainter& p = Active();
    p.setCompositionMode(PenModeComposition(pen_->Mode()));
    p.setPen(pen_->Handle());
    p.setBrush(Qt::NoBrush);
    return p;
}

void TCanvas::Line(int x1, int y1, int x2, int y2) {
    if (pen_->Style() == psClear || pen_->Mode() == pmNop) return;
    QPainter& p = PreparePen();
    const int dx = x2 - x1;
    const int dy = y2 - y1;
    if (dx == 0 && dy == 0) return;
    // The end point is not part of the line: step back one pixel along the longer axis.
    int ex = x2;
    int ey = y2;
    if (std::abs(dx) >= std::abs(dy)) {
        ex -= dx > 0 ? 1 : -1;
        ey = y1 + static_cast<int>(std::lround(double(dy) * (ex - x1) / dx));
    } else {
        ey -= dy > 0 ? 1 : -1;
        ex = x1 + static_cast<int>(std::lround(double(dx) * (ey - y1) / dy));
    }
    p.drawLine(QPoint(x1, y1), QPoint(ex, ey));
}

void TCanvas::LineTo(int X, int Y) {
    Line(penPos_.X, penPos_.Y, X, Y);
    penPos_ = {X, Y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty() || pen_->Style() == psClear || pen_->Mode() == pmNop) return;
    QPainter& p = PreparePen();
    QPolygon poly;
    for (const TPoint& pt : points)
        poly << pt.toQPoint();
    p.drawPolyline(poly);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    QPainter& p = PreparePen();
    if (pen_->Style() == psClear || pen_->Mode() == pmNop) p.setPen(Qt::NoPen);
    p.setBrush(brush_->Handle());
    QPolygon poly;
    for (const TPoint& pt : points)
        poly << pt.toQPoint();
    p.drawPolygon(poly);
}

void TCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty() || brush_->Style() == bsClear) return;
    QPainter& p = PrepareFill(brush_->Color());
    p.fillRect(r.toQRect(), brush_->Handle());
}

void TCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty() || brush_->Style() == bsClear) return;
    QPainter& p = PrepareFill(brush_->Color());
    const QBrush b = brush_->Handle();
    p.fillRect(QRect(r.Left, r.Top, r.Width(), 1), b);
    p.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), b);
    p.fillRect(QRect(r.Left, r.Top, 1, r.Height()), b);
    p.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), b);
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    const bool noPen = pen_->Style() == psClear || pen_->Mode() == pmNop;
    const int w = noPen ? 0 : std::max(1, pen_->Width());
    // Without a pen the filled area loses its right and bottom pixel, as classically.
    const TRect inside =
        noPen ? Rect(X1, Y1, X2 - 1, Y2 - 1) : Rect(X1 + w, Y1 + w, X2 - w, Y2 - w);
    if (!inside.IsEmpty() && brush_->Style() != bsClear) {
        QPainter& p = PrepareFill(brush_->Color());
        p.fillRect(inside.toQRect(), brush_->Handle());
    }
    if (noPen) return;
    QPainter& p = PreparePen();
    if (pen_->Style() == psSolid || pen_->Style() == psInsideFrame) {
        // Solid outlines as bands inside the rectangle, exact at any width and pen mode.
        const QBrush b(ToQColor(pen_->Color()));
        p.setPen(Qt::NoPen);
        p.setBrush(b);
        const int hw = std::min(w, (Y2 - Y1 + 1) / 2);
        const int vw = std::min(w, (X2 - X1 + 1) / 2);
        QRegion band(QRect(X1, Y1, X2 - X1, Y2 - Y1));
        band -= QRegion(QRect(X1 + vw, Y1 + hw, X2 - X1 - 2 * vw, Y2 - Y1 - 2 * hw));
        for (const QRect& piece : band)
            p.drawRect(piece);
        return;
    }
    p.drawRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    QPainter& p = PreparePen();
    if (pen_->Style() == psClear || pen_->Mode() == pmNop) p.setPen(Qt::NoPen);
    p.setBrush(brush_->Handle());
    p.drawEllipse(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}

void TCanvas::TextOut(int X, int Y, const QString& Text) {
    const TSize ext = TextExtent(Text);
    if (!TransparentText()) {
        QPainter& p = PrepareFill(brush_->Color());
        p.fillRect(QRect(X, Y, ext.cx, ext.cy), ToQColor(brush_->Color()));
    }
    QPainter& p = PrepareText();
    p.drawText(QPoint(X, Y + QFontMetrics(font_->Handle()).ascent()), Text);
    penPos_ = {X + ext.cx, Y};
}

void TCanvas::TextRect(const TRect& r, int X, int Y, const QString& Text) {
    QPainter& p = Active();
    p.save();
    p.setClipRect(r.toQRect(), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    if (!TransparentText()) p.fillRect(r.toQRect(), ToQColor(brush_->Color()));
    PrepareText();
    p.drawText(QPoint(X, Y + QFontMetrics(font_->Handle()).ascent()), Text);
    p.restore();
}

int TCanvas::TextWidth(const QString& Text) const {
    return QFontMetrics(font_->Handle()).horizontalAdvance(Text);
}

int TCanvas::TextHeight(const QString&) const {
    return QFontMetrics(font_->Handle()).height();
}

TSize TCanvas::TextExtent(const QString& Text) const {
    const QFontMetrics m(font_->Handle());
    return {m.horizontalAdvance(Text), m.height()};
}

void TCanvas::Draw(int X, int Y, const TBitmap& Graphic) {
    if (Graphic.Empty()) return;
    const TRect src = Rect(0, 0, Graphic.Width(), Graphic.Height());
    if (Graphic.Transparent()) {
        QPainter& p = PrepareFill(clNone);
        p.drawImage(QPoint(X, Y), Graphic.MaskedImage());
        return;
    }
    CopyImage(Bounds(X, Y, src.Width(), src.Height()), Graphic.Image(), src, copyMode_);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& Graphic) {
    if (Graphic.Empty() || r.IsEmpty()) return;
    const TRect src = Rect(0, 0, Graphic.Width(), Graphic.Height());
    if (Graphic.Transparent()) {
        QPainter& p = PrepareFill(clNone);
        p.drawImage(r.toQRect(), Graphic.MaskedImage());
        return;
    }
    CopyImage(r, Graphic.Image(), src, copyMode_);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas& Source, const TRect& SrcRect) {
    if (!Source.image_) throw EInvalidOperation(QStringLiteral("Canvas does not allow reading"));
    Source.Flush();
    if (&Source == this) {
        const QImage copy = image_->copy();
        CopyImage(Dest, copy, SrcRect, copyMode_);
        return;
    }
    CopyImage(Dest, *Source.image_, SrcRect, copyMode_);
}

void TCanvas::CopyImage(const TRect& Dest, const QImage& Source, const TRect& SrcRect,
                        TCopyMode Mode) {
    if (Dest.IsEmpty() || SrcRect.IsEmpty()) return;
    QImage src = Source.copy(SrcRect.toQRect()).convertToFormat(QImage::Format_RGB32);
    if (src.width() != Dest.Width() || src.height() != Dest.Height())
        src =
            src.scaled(Dest.Width(), Dest.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QRgb pattern = ToQRgb(brush_->Color()) & 0xFFFFFF;

    if (Mode == cmSrcCopy) {
        QPainter& p = PrepareFill(clNone);
        p.drawImage(QPoint(Dest.Left, Dest.Top), src);
        return;
    }
    if (image_ && !external_) {
        // Any raster operation, pixel by pixel, inside the clip and the image.
        Flush();
        TRect area = Rect(0, 0, image_->width(), image_->height());
        if (hasClip_) IntersectRect(area, area, clip_);
        TRect target;
        if (!IntersectRect(target, area, Dest)) return;
        for (int y = target.Top; y < target.Bottom; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_->scanLine(y));
            const auto* sline = reinterpret_cast<const QRgb*>(src.constScanLine(y - Dest.Top));
            for (int x = target.Left; x < target.Right; ++x) {
                const QRgb s = sline[x - Dest.Left] & 0xFFFFFF;
                const QRgb d = line[x] & 0xFFFFFF;
                line[x] = 0xFF000000u | (ApplyRop3(Mode, pattern, s, d) & 0xFFFFFF);
            }
        }
        return;
    }
    // A lent painter cannot be read back: the named operations map onto Qt's raster operations.
    QPainter& p = PrepareFill(clNone);
    const QRect dq = Dest.toQRect();
    auto derived = [&](auto fn) {
        QImage out(src.size(), QImage::Format_RGB32);
        for (int y = 0; y < src.height(); ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < src.width(); ++x)
                o[x] = 0xFF000000u | (fn(s[x] & 0xFFFFFF) & 0xFFFFFF);
        }
        return out;
    };
    switch (Mode) {
    case cmSrcAnd:
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p.drawImage(dq.topLeft(), src);
        break;
    case cmSrcPaint:
        p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        p.drawImage(dq.topLeft(), src);
        break;
    case cmSrcInvert:
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.drawImage(dq.topLeft(), src);
        break;
    case cmSrcErase:
        p.setCompositionMode(QPainter::RasterOp_SourceAndNotDestination);
        p.drawImage(dq.topLeft(), src);
        break;
    case cmNotSrcCopy:
        p.drawImage(dq.topLeft(), derived([](QRgb s) { return ~s; }));
        break;
    case cmNotSrcErase:
        p.setCompositionMode(QPainter::RasterOp_NotSourceAndNotDestination);
        p.drawImage(dq.topLeft(), src);
        break;
    case cmMergeCopy:
        p.drawImage(dq.topLeft(), derived([pattern](QRgb s) { return s & pattern; }));
        break;
    case cmMergePaint:
        p.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
        p.drawImage(dq.topLeft(), src);
        break;
    case cmPatCopy:
        p.fillRect(dq, QColor::fromRgb(pattern));
        break;
    case cmPatInvert:
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(dq, QColor::fromRgb(pattern));
        break;
    case cmPatPaint:
        p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        p.drawImage(dq.topLeft(), derived([pattern](QRgb s) { return pattern | ~s; }));
        break;
    case cmDstInvert:
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(dq, Qt::black);
        break;
    case cmBlackness:
        p.fillRect(dq, Qt::black);
        break;
    case cmWhiteness:
        p.fillRect(dq, Qt::white);
        break;
    default:
        p.drawImage(dq.topLeft(), src);
        break;
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TColor TCanvas::Pixel(int X, int Y) {
    if (!image_ || external_) return -1;
    Flush();
    if (X < 0 || Y < 0 || X >= image_->width() || Y >= image_->height()) return -1;
    return FromQRgb(image_->pixel(X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
    if (image_ && !external_) {
        Flush();
        if (X >= 0 && Y >= 0 && X < image_->width() && Y < image_->height() &&
            (!hasClip_ || clip_.Contains({X, Y})))
            image_->setPixel(X, Y, ToQRgb(Color));
        return;
    }
    QPainter& p = PrepareFill(Color);
    p.fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
}

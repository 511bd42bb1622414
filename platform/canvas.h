// The canvas: drawing with the classic tools (font, brush, pen, copy mode) on a QPainter.
// A canvas draws either into an image it is given (bitmaps: the painter opens on demand and
// closes before anything reads or resizes the image) or through a painter lent to it for one
// paint pass (controls).
#pragma once

#include "platform/color.h"
#include "platform/events.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/object.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>
#include <vector>

class TBitmap;

class TBrush : public TPersistent {
    RAVELDA_CLASS(TBrush, TPersistent)
public:
    TBrush();
    ~TBrush() override;
    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle Value);
    QBrush Handle() const;

    TNotifyEvent OnChange;

private:
    void Changed() { Fire(OnChange, this); }
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

class TPen : public TPersistent {
    RAVELDA_CLASS(TPen, TPersistent)
public:
    TPen();
    ~TPen() override;
    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode Value);
    QPen Handle() const;

    TNotifyEvent OnChange;

private:
    void Changed() { Fire(OnChange, this); }
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TCanvas : public TPersistent {
    RAVELDA_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* Value) { font_->Assign(Value); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(const TBrush* Value) { brush_->Assign(Value); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(const TPen* Value) { pen_->Assign(Value); }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode Value) { copyMode_ = Value; }
    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint Value) { penPos_ = Value; }

    // ---- What the canvas draws on.
    // An image owned by someone else (a bitmap); nullptr detaches.
    void SetImage(QImage* image);
    QImage* Image() const { return image_; }
    // A painter lent for one paint pass; the canvas leaves the painter's state as it found it.
    void BeginPaint(QPainter* painter);
    void EndPaint();
    bool HandleAllocated() const { return image_ != nullptr || external_ != nullptr; }
    // Closes a painter the canvas opened on its image (before the image is read or resized).
    void Flush();
    // The painter with no tool state applied, for code that paints with Qt directly. Raises
    // EInvalidOperation "Canvas does not allow drawing" when the canvas has no target.
    QPainter& Painter();

    // ---- Clipping, in canvas coordinates. Without a clip rectangle the whole target counts.
    TRect ClipRect() const;
    void SetClipRect(const TRect& r);
    void ResetClipRect();
    bool HasClipRect() const { return hasClip_; }

    // ---- Drawing. Rectangles exclude their right and bottom edges.
    void MoveTo(int X, int Y) { penPos_ = {X, Y}; }
    // From the pen position to (X, Y), without the end point; the end becomes the pen position.
    void LineTo(int X, int Y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    // Outline in the pen, inside filled with the brush (unless the brush is clear).
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }

    // Text with its top-left corner at (X, Y), on the brush colour unless the brush is clear.
    void TextOut(int X, int Y, const QString& Text);
    // The same, clipped to r.
    void TextRect(const TRect& r, int X, int Y, const QString& Text);
    int TextWidth(const QString& Text) const;
    int TextHeight(const QString& Text) const;
    TSize TextExtent(const QString& Text) const;

    // Bitmaps: Draw honours the bitmap's transparency; StretchDraw scales into r.
    void Draw(int X, int Y, const TBitmap& Graphic);
    void StretchDraw(const TRect& r, const TBitmap& Graphic);
    // Copies Source's SrcRect into Dest (scaled when the sizes differ) with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas& Source, const TRect& SrcRect);
    // Copies an image with a raster operation; used by CopyRect and the bitmaps.
    void CopyImage(const TRect& Dest, const QImage& Source, const TRect& SrcRect, TCopyMode Mode);

    // Pixels of an image canvas; reading a painter canvas gives -1 (as outside the clip).
    TColor Pixel(int X, int Y);
    void SetPixel(int X, int Y, TColor Color);

    // ---- For the drawing helpers: the painter with the canvas's font, text colour and
    // clipping applied.
    QPainter& PrepareText();
    QPainter& PrepareFill(TColor color);
    QPainter& PreparePen();
    bool TransparentText() const { return brush_->Style() == bsClear; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

private:
    QPainter& Active();
    void ApplyClip(QPainter& p);
    void Line(int x1, int y1, int x2, int y2);

    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TPen> pen_;
    TCopyMode copyMode_ = cmSrcCopy;
    TPoint penPos_;
    QImage* image_ = nullptr;
    std::unique_ptr<QPainter> own_;
    QPainter* external_ = nullptr;
    bool hasClip_ = false;
    TRect clip_;
};

// Lends a painter to a canvas for one paint pass and takes it back when the pass ends, also when
// painting raises (the painter belongs to the caller and outlives the pass).
class TCanvasPaintScope {
public:
    TCanvasPaintScope(TCanvas& canvas, QPainter* painter) : canvas_(canvas) {
        canvas_.BeginPaint(painter);
    }
    ~TCanvasPaintScope() { canvas_.EndPaint(); }
    TCanvasPaintScope(const TCanvasPaintScope&) = delete;
    TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

private:
    TCanvas& canvas_;
};

// The canvas's painter composition for a pen mode (pmCopy: ordinary drawing).
QPainter::CompositionMode PenModeComposition(TPenMode mode);
// One raster operation on RGB values (pattern, source, destination), as CopyRect applies it.
unsigned int ApplyRop3(unsigned int rop, unsigned int pattern, unsigned int source,
                       unsigned int dest);

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "tests/platform/visual_support.h"

#include <gtest/gtest.h>

using ravelda::test::At;

namespace {

class CanvasTest : public ::testing::Test {
protected:
    CanvasTest() : bmp(20, 20) { Clear(clWhite); }
    void Clear(TColor c) {
        canvas().Brush()->SetColor(c);
        canvas().Brush()->SetStyle(bsSolid);
        canvas().FillRect(Rect(0, 0, 20, 20));
    }
    TCanvas& canvas() { return *bmp.Canvas(); }
    TBitmap bmp;
};

} // namespace

TEST_F(CanvasTest, FillRectExcludesRightAndBottom) {
    canvas().Brush()->SetColor(clRed);
    canvas().FillRect(Rect(2, 3, 5, 7));
    EXPECT_EQ(At(bmp, 2, 3), clRed);
    EXPECT_EQ(At(bmp, 4, 6), clRed);
    EXPECT_EQ(At(bmp, 5, 6), clWhite);
    EXPECT_EQ(At(bmp, 4, 7), clWhite);
    EXPECT_EQ(At(bmp, 1, 3), clWhite);
    // A clear brush fills nothing.
    canvas().Brush()->SetStyle(bsClear);
    canvas().FillRect(Rect(10, 10, 12, 12));
    EXPECT_EQ(At(bmp, 10, 10), clWhite);
}

TEST_F(CanvasTest, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    canvas().Pen()->SetColor(clBlue);
    canvas().Brush()->SetColor(clYellow);
    canvas().Rectangle(2, 2, 8, 6);
    for (auto [x, y] : {std::pair{2, 2}, {7, 2}, {2, 5}, {7, 5}, {4, 2}, {4, 5}})
        EXPECT_EQ(At(bmp, x, y), clBlue) << x << "," << y;
    EXPECT_EQ(At(bmp, 3, 3), clYellow);
    EXPECT_EQ(At(bmp, 6, 4), clYellow);
    EXPECT_EQ(At(bmp, 8, 2), clWhite);
    EXPECT_EQ(At(bmp, 2, 6), clWhite);
    // A wide pen draws inside the rectangle.
    canvas().Pen()->SetWidth(2);
    canvas().Rectangle(10, 10, 16, 16);
    EXPECT_EQ(At(bmp, 11, 11), clBlue);
    EXPECT_EQ(At(bmp, 14, 14), clBlue);
    EXPECT_EQ(At(bmp, 12, 12), clYellow);
    EXPECT_EQ(At(bmp, 16, 16), clWhite);
}

TEST_F(CanvasTest, LineToLeavesOutTheEndPoint) {
    canvas().Pen()->SetColor(clBlack);
    canvas().MoveTo(1, 1);
    canvas().LineTo(6, 1);
    EXPECT_EQ(At(bmp, 1, 1), clBlack);
    EXPECT_EQ(At(bmp, 5, 1), clBlack);
    EXPECT_EQ(At(bmp, 6, 1), clWhite);
    EXPECT_EQ(canvas().PenPos(), Point(6, 1));
    canvas().LineTo(6, 5);
    EXPECT_EQ(At(bmp, 6, 1), clBlack);
    EXPECT_EQ(At(bmp, 6, 4), clBlack);
    EXPECT_EQ(At(bmp, 6, 5), clWhite);
    // Backwards too.
    canvas().MoveTo(10, 10);
    canvas().LineTo(7, 10);
    EXPECT_EQ(At(bmp, 10, 10), clBlack);
    EXPECT_EQ(At(bmp, 8, 10), clBlack);
    EXPECT_EQ(At(bmp, 7, 10), clWhite);
}

TEST_F(CanvasTest, PenModeXorInverts) {
    canvas().Pen()->SetColor(clWhite);
    canvas().Pen()->SetMode(pmXor);
    Clear(clBtnFace);
    canvas().MoveTo(0, 0);
    canvas().LineTo(3, 0);
    EXPECT_EQ(At(bmp, 0, 0), RGB(63, 63, 63));
    canvas().MoveTo(0, 0);
    canvas().LineTo(3, 0);
    EXPECT_EQ(At(bmp, 0, 0), RGB(192, 192, 192));
}

TEST_F(CanvasTest, TextOutIsOpaqueUnlessTheBrushIsClear) {
    canvas().Brush()->SetColor(clYellow);
    canvas().Font()->SetColor(clBlack);
    canvas().TextOut(0, 0, QStringLiteral("."));
    // The cell of the text takes the brush colour.
    EXPECT_EQ(At(bmp, 0, 0), clYellow);
    const int w = canvas().TextWidth(QStringLiteral("."));
    EXPECT_EQ(At(bmp, w, 0), clWhite);
    EXPECT_EQ(canvas().PenPos(), Point(w, 0));
    canvas().Brush()->SetStyle(bsClear);
    canvas().TextOut(10, 0, QStringLiteral("W"));
    EXPECT_EQ(At(bmp, 10, 0), clWhite);
    int dark = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 10; x < 20; ++x)
            dark += At(bmp, x, y) == clBlack;
    EXPECT_GT(dark, 5);
}

TEST_F(CanvasTest, ClipRectLimitsDrawing) {
    canvas().SetClipRect(Rect(5, 5, 10, 10));
    canvas().Brush()->SetColor(clRed);
    canvas().FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(At(bmp, 4, 4), clWhite);
    EXPECT_EQ(At(bmp, 5, 5), clRed);
    EXPECT_EQ(At(bmp, 10, 10), clWhite);
    EXPECT_EQ(canvas().ClipRect(), Rect(5, 5, 10, 10));
    canvas().ResetClipRect();
    canvas().FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(At(bmp, 0, 0), clRed);
    EXPECT_EQ(canvas().ClipRect(), Rect(0, 0, 20, 20));
}

TEST_F(CanvasTest, PixelsReadAndWrite) {
    canvas().SetPixel(3, 4, clGreen);
    EXPECT_EQ(canvas().Pixel(3, 4), clGreen);
    EXPECT_EQ(canvas().Pixel(-1, 0), -1);
    EXPECT_EQ(canvas().Pixel(20, 0), -1);
    canvas().SetPixel(30, 30, clGreen); // outside: ignored
}

TEST(Canvas, WithoutTargetDrawingFailsClearly) {
    TCanvas canvas;
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    // Measuring needs no target.
    EXPECT_GT(canvas.TextWidth(QStringLiteral("abc")), 0);
}

namespace {

struct CopyCase {
    const char* name;
    TCopyMode mode;
    unsigned (*expect)(unsigned p, unsigned s, unsigned d);
};

const CopyCase kCopyCases[] = {
    {"cmSrcCopy", cmSrcCopy, [](unsigned, unsigned s, unsigned) { return s; }},
    {"cmSrcAnd", cmSrcAnd, [](unsigned, unsigned s, unsigned d) { return s & d; }},
    {"cmSrcPaint", cmSrcPaint, [](unsigned, unsigned s, unsigned d) { return s | d; }},
    {"cmSrcInvert", cmSrcInvert, [](unsigned, unsigned s, unsigned d) { return s ^ d; }},
    {"cmSrcErase", cmSrcErase, [](unsigned, unsigned s, unsigned d) { return s & ~d; }},
    {"cmNotSrcCopy", cmNotSrcCopy, [](unsigned, unsigned s, unsigned) { return ~s; }},
    {"cmNotSrcErase", cmNotSrcErase, [](unsigned, unsigned s, unsigned d) { return ~(s | d); }},
    {"cmMergeCopy", cmMergeCopy, [](unsigned p, unsigned s, unsigned) { return p & s; }},
    {"cmMergePaint", cmMergePaint, [](unsigned, unsigned s, unsigned d) { return ~s | d; }},
    {"cmPatCopy", cmPatCopy, [](unsigned p, unsigned, unsigned) { return p; }},
    {"cmPatInvert", cmPatInvert, [](unsigned p, unsigned, unsigned d) { return p ^ d; }},
    {"cmPatPaint", cmPatPaint, [](unsigned p, unsigned s, unsigned d) { return p | ~s | d; }},
    {"cmDstInvert", cmDstInvert, [](unsigned, unsigned, unsigned d) { return ~d; }},
    {"cmBlackness", cmBlackness, [](unsigned, unsigned, unsigned) { return 0u; }},
    {"cmWhiteness", cmWhiteness, [](unsigned, unsigned, unsigned) { return 0xFFFFFFu; }},
};

// Copies a 2 x 2 source onto a destination of one colour with each mode: once through the
// image path (pixel arithmetic) and once through a lent painter (Qt's raster operations).
void CheckCopyModes(bool lentPainter) {
    const TColor src = RGB(0x12, 0xF0, 0x5A);
    const TColor dst = RGB(0xC3, 0x3C, 0x99);
    const TColor pat = RGB(0x0F, 0xAA, 0x71);
    TBitmap source(2, 2);
    source.Canvas()->Brush()->SetColor(src);
    source.Canvas()->FillRect(Rect(0, 0, 2, 2));
    for (const CopyCase& c : kCopyCases) {
        TBitmap target(4, 4);
        target.Canvas()->Brush()->SetColor(dst);
        target.Canvas()->FillRect(Rect(0, 0, 4, 4));
        QImage image = target.Image().copy();
        TCanvas lent;
        QPainter painter;
        TCanvas* canvas = target.Canvas();
        if (lentPainter) {
            painter.begin(&image);
            lent.BeginPaint(&painter);
            canvas = &lent;
        }
        canvas->Brush()->SetColor(pat);
        canvas->SetCopyMode(c.mode);
        canvas->CopyRect(Rect(1, 1, 3, 3), *source.Canvas(), Rect(0, 0, 2, 2));
        if (lentPainter) {
            lent.EndPaint();
            painter.end();
            target.SetImage(image);
        }
        const unsigned expected = c.expect(static_cast<unsigned>(ColorToRGB(pat)),
                                           static_cast<unsigned>(src), static_cast<unsigned>(dst)) &
                                  0xFFFFFF;
        EXPECT_EQ(At(target, 1, 1), static_cast<TColor>(expected))
            << c.name << (lentPainter ? " (painter)" : " (image)");
        EXPECT_EQ(At(target, 2, 2), static_cast<TColor>(expected)) << c.name;
        EXPECT_EQ(At(target, 0, 0), dst) << c.name << " wrote outside its rectangle";
        EXPECT_EQ(At(target, 3, 3), dst) << c.name << " wrote outside its rectangle";
    }
}

} // namespace

TEST(CanvasCopy, EveryCopyModeOnABitmap) {
    CheckCopyModes(false);
}

TEST(CanvasCopy, EveryCopyModeThroughALentPainter) {
    CheckCopyModes(true);
}

TEST(CanvasCopy, StretchesAndCopiesWithinOneCanvas) {
    TBitmap bmp(8, 8);
    TCanvas& c = *bmp.Canvas();
    c.Brush()->SetColor(clWhite);
    c.FillRect(Rect(0, 0, 8, 8));
    c.SetPixel(0, 0, clRed);
    c.CopyRect(Rect(4, 4, 8, 8), c, Rect(0, 0, 2, 2));
    EXPECT_EQ(At(bmp, 4, 4), clRed);
    EXPECT_EQ(At(bmp, 5, 5), clRed);
    EXPECT_EQ(At(bmp, 6, 6), clWhite);
    TCanvas empty;
    EXPECT_THROW(c.CopyRect(Rect(0, 0, 1, 1), empty, Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(CanvasDraw, TransparentBitmapsLeaveOutTheirKeyColour) {
    TBitmap glyph(3, 3);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 3, 3));
    glyph.Canvas()->SetPixel(1, 1, clBlue);
    TBitmap target(5, 5);
    target.Canvas()->Brush()->SetColor(clGreen);
    target.Canvas()->FillRect(Rect(0, 0, 5, 5));
    target.Canvas()->Draw(1, 1, glyph);
    EXPECT_EQ(At(target, 1, 1), clFuchsia);
    glyph.SetTransparent(true);
    EXPECT_EQ(glyph.TransparentColor(), clFuchsia); // the bottom-left pixel
    target.Canvas()->FillRect(Rect(0, 0, 5, 5));
    target.Canvas()->Draw(1, 1, glyph);
    EXPECT_EQ(At(target, 1, 1), clGreen);
    EXPECT_EQ(At(target, 2, 2), clBlue);
    target.Canvas()->StretchDraw(Rect(0, 0, 5, 5), glyph);
    EXPECT_EQ(At(target, 2, 2), clBlue);
    EXPECT_EQ(At(target, 0, 0), clGreen);
}

TEST(Rop3, MatchesTheNamedOperations) {
    for (const CopyCase& c : kCopyCases)
        for (unsigned p : {0u, 0xFFFFFFu, 0x00F0F0u})
            for (unsigned s : {0u, 0xFFFFFFu, 0x0F0F0Fu})
                for (unsigned d : {0u, 0xFFFFFFu, 0x3C3C3Cu})
                    ASSERT_EQ(ApplyRop3(c.mode, p, s, d) & 0xFFFFFF, c.expect(p, s, d) & 0xFFFFFF)
                        << c.name;
}

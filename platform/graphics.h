// Geometry and the enumerations shared by the canvas, its tools and the drawing helpers.
// Rectangles follow the classic convention: Right and Bottom are exclusive.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>

struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
    QPoint toQPoint() const { return {X, Y}; }
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
    // An empty rectangle becomes an empty QRect at its corner.
    QRect toQRect() const { return QRect(Left, Top, std::max(0, Width()), std::max(0, Height())); }
    static TRect fromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
};

constexpr TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}
constexpr TPoint Point(int x, int y) {
    return {x, y};
}
constexpr void InflateRect(TRect& r, int dx, int dy) {
    r.Left -= dx;
    r.Top -= dy;
    r.Right += dx;
    r.Bottom += dy;
}
constexpr void OffsetRect(TRect& r, int dx, int dy) {
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}
// The common part of a and b; false (and an empty result) when they do not overlap.
constexpr bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
    out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
           std::min(a.Bottom, b.Bottom)};
    if (out.IsEmpty()) {
        out = {};
        return false;
    }
    return true;
}
constexpr bool PtInRect(const TRect& r, TPoint p) {
    return r.Contains(p);
}

// Rounded a * b / c with halves away from zero, as font and form scaling expect.
constexpr int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long p = static_cast<long long>(a) * b;
    long long d = c;
    if (d < 0) {
        p = -p;
        d = -d;
    }
    const long long q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
    return static_cast<int>(q);
}

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

using TFontCharset = unsigned char;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset MAC_CHARSET = 77;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;
constexpr TFontCharset HANGEUL_CHARSET = 129;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
constexpr TFontCharset GREEK_CHARSET = 161;
constexpr TFontCharset TURKISH_CHARSET = 162;
constexpr TFontCharset HEBREW_CHARSET = 177;
constexpr TFontCharset ARABIC_CHARSET = 178;
constexpr TFontCharset BALTIC_CHARSET = 186;
constexpr TFontCharset RUSSIAN_CHARSET = 204;
constexpr TFontCharset THAI_CHARSET = 222;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
constexpr TFontCharset OEM_CHARSET = 255;

// Raster operations of CopyRect (ternary operation codes: pattern = brush, source, destination).
using TCopyMode = unsigned int;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

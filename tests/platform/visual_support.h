// Helpers of the graphics tests: hand-made BMP files and pixel read-outs.
#pragma once

#include "platform/bitmap.h"
#include "platform/color.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>
#include <QtEndian>
#include <cstdint>
#include <vector>

namespace ravelda::test {

inline void PutLE(QByteArray& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A BMP file with the given bit depth (1, 4, 8 or 24). `pixels` holds palette indices (or
// TColor values for 24 bits) row by row from the top; rows are stored bottom-up as BMP wants.
inline QByteArray MakeBmp(int width, int height, int bits, const std::vector<TColor>& palette,
                          const std::vector<std::uint32_t>& pixels) {
    const int rowBits = width * bits;
    const int rowBytes = ((rowBits + 31) / 32) * 4;
    const int paletteBytes = bits <= 8 ? static_cast<int>(palette.size()) * 4 : 0;
    const int offset = 14 + 40 + paletteBytes;
    QByteArray b;
    b.append("BM");
    PutLE(b, static_cast<std::uint32_t>(offset + rowBytes * height), 4);
    PutLE(b, 0, 4);
    PutLE(b, static_cast<std::uint32_t>(offset), 4);
    PutLE(b, 40, 4);
    PutLE(b, static_cast<std::uint32_t>(width), 4);
    PutLE(b, static_cast<std::uint32_t>(height), 4);
    PutLE(b, 1, 2);
    PutLE(b, static_cast<std::uint32_t>(bits), 2);
    PutLE(b, 0, 4); // BI_RGB
    PutLE(b, static_cast<std::uint32_t>(rowBytes * height), 4);
    PutLE(b, 3780, 4);
    PutLE(b, 3780, 4);
    PutLE(b, bits <= 8 ? static_cast<std::uint32_t>(palette.size()) : 0, 4);
    PutLE(b, 0, 4);
    for (TColor c : palette) {
        if (bits > 8) break;
        b.append(static_cast<char>(GetBValue(c)));
        b.append(static_cast<char>(GetGValue(c)));
        b.append(static_cast<char>(GetRValue(c)));
        b.append('\0');
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixels[static_cast<std::size_t>(y * width + x)];
            if (bits == 24) {
                row[x * 3] = static_cast<char>(GetBValue(static_cast<TColor>(v)));
                row[x * 3 + 1] = static_cast<char>(GetGValue(static_cast<TColor>(v)));
                row[x * 3 + 2] = static_cast<char>(GetRValue(static_cast<TColor>(v)));
            } else {
                const int bit = x * bits;
                const int shift = 8 - bits - (bit % 8);
                row[bit / 8] = static_cast<char>(static_cast<unsigned char>(row[bit / 8]) |
                                                 ((v & ((1u << bits) - 1)) << shift));
            }
        }
        b.append(row);
    }
    return b;
}

// The colour of a pixel of a bitmap, resolved (TColor, red lowest).
inline TColor At(const TBitmap& bmp, int x, int y) {
    return ImagePixel(bmp.Image(), x, y);
}
inline TColor At(const QImage& img, int x, int y) {
    return ImagePixel(img, x, y);
}
inline TColor Sys(TColor c) {
    return ColorToRGB(c);
}

// A widget as it paints now.
inline QImage Grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Number of pixels in r whose colour is c.
inline int CountColor(const QImage& img, const QRect& r, TColor c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (ImagePixel(img, x, y) == ColorToRGB(c)) ++n;
    return n;
}

} // namespace ravelda::test

// TBitmap: a picture in memory (BMP files of 1, 4, 8, 16, 24 and 32 bits per pixel), with a
// canvas for drawing into it; also the memory bitmap of double-buffered painting.
#pragma once

#include "platform/canvas.h"
#include "platform/color.h"
#include "platform/events.h"
#include "platform/exceptions.h"
#include "platform/object.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>
#include <optional>

RAVELDA_EXCEPTION(EInvalidGraphic, Exception);

enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TPersistent {
    RAVELDA_CLASS(TBitmap, TPersistent)
public:
    TBitmap();
    TBitmap(int AWidth, int AHeight);
    ~TBitmap() override;

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    void SetWidth(int Value) { SetSize(Value, Height()); }
    void SetHeight(int Value) { SetSize(Width(), Value); }
    // Keeps the picture in the top-left corner; new area is white.
    void SetSize(int AWidth, int AHeight);
    bool Empty() const { return image_.isNull() || image_.width() == 0 || image_.height() == 0; }

    TCanvas* Canvas() const { return canvas_.get(); }
    // The picture (RGB32), with drawing through the canvas finished.
    const QImage& Image() const;
    void SetImage(const QImage& image);

    // Transparency for Canvas::Draw: pixels of TransparentColor are left out. With tmAuto the
    // colour is the bottom-left pixel's.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode Value);
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Value);
    // The picture with the transparent colour cleared to fully transparent (ARGB32).
    const QImage& MaskedImage() const;

    // Raise EInvalidGraphic "Bitmap image is not valid" for anything but a readable BMP, and
    // EInOutError for a file that cannot be read or written.
    void LoadFromFile(const QString& FileName);
    void LoadFromData(const QByteArray& Data);
    void SaveToFile(const QString& FileName) const;
    QByteArray SaveToData() const;
    // A bitmap embedded in the program, by resource name (resources.h).
    void LoadFromResourceName(const QString& Name);

    // The stored form in window descriptions: the BMP file's length (32-bit little-endian),
    // then the file.
    QByteArray Data() const;
    void SetData(const QByteArray& Value);

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    void Changed();
    void Adopt(QImage image);

    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
    bool transparent_ = false;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    mutable std::optional<QImage> masked_;
};

// The pixel (X, Y) of an image as a TColor; -1 outside.
TColor ImagePixel(const QImage& image, int X, int Y);

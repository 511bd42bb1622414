// TImageList: equally sized images with masks, drawn by index.
#pragma once

#include "platform/color.h"
#include "platform/component.h"
#include "platform/events.h"

#include <QImage>
#include <vector>

class TBitmap;
class TCanvas;

class TImageList : public TComponent {
    RAVELDA_CLASS(TImageList, TComponent)
public:
    explicit TImageList(TComponent* AOwner = nullptr);
    TImageList(int AWidth, int AHeight, TComponent* AOwner = nullptr);
    ~TImageList() override;

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing a dimension clears the list.
    void SetWidth(int Value);
    void SetHeight(int Value);
    int Count() const { return static_cast<int>(images_.size()); }

    // Adds the image, cut into Width-wide pieces from the left; Mask (white = transparent) is
    // optional. Returns the index of the first image added.
    int Add(const TBitmap& Image, const TBitmap* Mask = nullptr);
    // Adds with MaskColor as the transparent colour; clDefault takes the bitmap's bottom-left
    // pixel.
    int AddMasked(const TBitmap& Image, TColor MaskColor = clDefault);
    // Raise EInvalidOperation "Invalid ImageList Index" for an index out of range.
    void Delete(int Index);
    void Replace(int Index, const TBitmap& Image, TColor MaskColor = clDefault);
    void Clear();

    // Draws image Index with its top-left corner at (X, Y); an index out of range draws nothing.
    // Disabled images are drawn embossed: every visible pixel that is not white becomes the
    // button shadow with the button highlight one pixel right and down.
    void Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled = true) const;
    // The image on BkColor (white when clNone), as a bitmap of Width x Height.
    void GetBitmap(int Index, TBitmap& Image) const;
    // The image with its mask applied as alpha (ARGB32); raises for a bad index.
    const QImage& GetImage(int Index) const;

    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor Value) { bkColor_ = Value; }

    TNotifyEvent OnChange;

private:
    void CheckIndex(int Index) const;
    std::vector<QImage> Cut(const QImage& source, const QImage* mask, TColor key) const;
    void Changed() { Fire(OnChange, this); }

    int width_ = 16;
    int height_ = 16;
    TColor bkColor_ = clNone;
    std::vector<QImage> images_;
};

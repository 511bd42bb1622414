#include "platform/imagelist.h"

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/properties.h"

RAVELDA_DEFINE_CLASS(TImageList) {
    c.Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor)
        .Default(clNone)
        .Idents(QStringLiteral("TColor"));
    c.Property("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
    c.Property("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::TImageList(int AWidth, int AHeight, TComponent* AOwner) : TComponent(AOwner) {
    SetWidth(AWidth);
    SetHeight(AHeight);
}

TImageList::~TImageList() = default;

void TImageList::Assign(const TPersistent* Source) {
    if (auto* l = dynamic_cast<const TImageList*>(Source)) {
        if (l == this) return;
        width_ = l->width_;
        height_ = l->height_;
        bkColor_ = l->bkColor_;
        images_ = l->images_;
        Changed();
        return;
    }
    TComponent::Assign(Source);
}

void TImageList::SetWidth(int Value) {
    Value = std::max(1, Value);
    if (Value == width_) return;
    width_ = Value;
    Clear();
}

void TImageList::SetHeight(int Value) {
    Value = std::max(1, Value);
    if (Value == height_) return;
    height_ = Value;
    Clear();
}

void TImageList::Clear() {
    images_.clear();
    Changed();
}

void TImageList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
}

std::vector<QImage> TImageList::Cut(const QImage& source, const QImage* mask, TColor key) const {
    std::vector<QImage> out;
    const int pieces = std::max(1, source.width() / width_);
    const QRgb keyRgb = ToQColor(key).rgb() & 0xFFFFFF;
    for (int i = 0; i < pieces; ++i) {
        QImage piece(width_, height_, QImage::Format_ARGB32);
        piece.fill(Qt::transparent);
        for (int y = 0; y < height_ && y < source.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
            for (int x = 0; x < width_; ++x) {
                const int sx = i * width_ + x;
                if (sx >= source.width()) break;
                const QRgb s = source.pixel(sx, y) & 0xFFFFFF;
                bool hidden = false;
                if (mask)
                    hidden = sx < mask->width() && y < mask->height() &&
                             (mask->pixel(sx, y) & 0xFFFFFF) == 0xFFFFFF;
                else if (key != clNone)
                    hidden = s == keyRgb;
                line[x] = hidden ? 0 : (0xFF000000u | s);
            }
        }
        out.push_back(std::move(piece));
    }
    return out;
}

int TImageList::Add(const TBitmap& Image, const TBitmap* Mask) {
    if (Image.Empty()) return -1;
    const int first = Count();
    auto pieces = Cut(Image.Image(), Mask && !Mask->Empty() ? &Mask->Image() : nullptr, clNone);
    images_.insert(images_.end(), pieces.begin(), pieces.end());
    Changed();
    return first;
}

int TImageList::AddMasked(const TBitmap& Image, TColor MaskColor) {
    if (Image.Empty()) return -1;
    const TColor key = MaskColor == clDefault ? ImagePixel(Image.Image(), 0, Image.Height() - 1)
                                              : ColorToRGB(MaskColor);
    const int first = Count();
    auto pieces = Cut(Image.Image(), nullptr, key);
    images_.insert(images_.end(), pieces.begin(), pieces.end());
    Changed();
    return first;
}

void TImageList::Replace(int Index, const TBitmap& Image, TColor MaskColor) {
    CheckIndex(Index);
    const TColor key = MaskColor == clDefault ? ImagePixel(Image.Image(), 0, Image.Height() - 1)
                                              : ColorToRGB(MaskColor);
    auto pieces = Cut(Image.Image(), nullptr, key);
    images_[static_cast<std::size_t>(Index)] = pieces.front();
    Changed();
}

void TImageList::Delete(int Index) {
    CheckIndex(Index);
    images_.erase(images_.begin() + Index);
    Changed();
}

const QImage& TImageList::GetImage(int Index) const {
    CheckIndex(Index);
    return images_[static_cast<std::size_t>(Index)];
}

void TImageList::Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled) const {
    if (Index < 0 || Index >= Count()) return;
    const QImage& image = images_[static_cast<std::size_t>(Index)];
    QPainter& p = Canvas.PrepareFill(clNone);
    if (Enabled) {
        p.drawImage(QPoint(X, Y), image);
        return;
    }
    QImage shadow(image.size(), QImage::Format_ARGB32);
    QImage light(image.size(), QImage::Format_ARGB32);
    shadow.fill(Qt::transparent);
    light.fill(Qt::transparent);
    const QRgb shadowRgb = ToQColor(clBtnShadow).rgb();
    const QRgb lightRgb = ToQColor(clBtnHighlight).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb s = image.pixel(x, y);
            if (qAlpha(s) == 0 || (s & 0xFFFFFF) == 0xFFFFFF) continue;
            shadow.setPixel(x, y, shadowRgb);
            light.setPixel(x, y, lightRgb);
        }
    p.drawImage(QPoint(X + 1, Y + 1), light);
    p.drawImage(QPoint(X, Y), shadow);
}

void TImageList::GetBitmap(int Index, TBitmap& Image) const {
    CheckIndex(Index);
    QImage out(width_, height_, QImage::Format_RGB32);
    out.fill(bkColor_ == clNone ? QColor(Qt::white) : ToQColor(bkColor_));
    {
        QPainter p(&out);
        p.drawImage(QPoint(0, 0), images_[static_cast<std::size_t>(Index)]);
    }
    Image.SetImage(out);
}

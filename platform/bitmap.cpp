#include "platform/bitmap.h"

#include "platform/properties.h"
#include "platform/resources.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TTransparentMode>(QStringLiteral("TTransparentMode"),
                                   {QStringLiteral("tmAuto"), QStringLiteral("tmFixed")});
    return true;
}();

QImage DecodeBmp(const QByteArray& data) {
    if (data.size() < 26 || data[0] != 'B' || data[1] != 'M')
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    QImage image;
    if (!image.loadFromData(data, "BMP") || image.isNull())
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

RAVELDA_DEFINE_CLASS(TBitmap) {
    (void)kEnumsRegistered;
    c.Property("Data", &TBitmap::Data, &TBitmap::SetData)
        .Stored(std::function<bool(const TBitmap&)>([](const TBitmap& b) { return !b.Empty(); }));
}

TColor ImagePixel(const QImage& image, int X, int Y) {
    if (X < 0 || Y < 0 || X >= image.width() || Y >= image.height()) return -1;
    return FromQRgb(image.pixel(X, Y));
}

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>()) {
    canvas_->SetImage(&image_);
}

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() {
    SetSize(AWidth, AHeight);
}

TBitmap::~TBitmap() {
    canvas_->SetImage(nullptr);
}

void TBitmap::Changed() {
    masked_.reset();
    Fire(OnChange, this);
}

void TBitmap::Adopt(QImage image) {
    canvas_->Flush();
    image_ = std::move(image);
    Changed();
}

void TBitmap::Assign(const TPersistent* Source) {
    if (Source == nullptr) {
        Adopt(QImage());
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
        if (b == this) return;
        transparent_ = b->transparent_;
        transparentMode_ = b->transparentMode_;
        transparentColor_ = b->transparentColor_;
        Adopt(b->Image().copy());
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::AssignTo(TPersistent* Dest) const {
    TPersistent::AssignTo(Dest);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (AWidth == Width() && AHeight == Height() && !image_.isNull()) return;
    canvas_->Flush();
    QImage next(AWidth, AHeight, QImage::Format_RGB32);
    next.fill(Qt::white);
    if (!image_.isNull() && AWidth > 0 && AHeight > 0) {
        QPainter p(&next);
        p.drawImage(QPoint(0, 0), image_);
    }
    Adopt(std::move(next));
}

const QImage& TBitmap::Image() const {
    canvas_->Flush();
    return image_;
}

void TBitmap::SetImage(const QImage& image) {
    Adopt(image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32));
}

void TBitmap::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == transparentMode_) return;
    transparentMode_ = Value;
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    return ImagePixel(Image(), 0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
    transparentColor_ = Value;
    transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
    Changed();
}

const QImage& TBitmap::MaskedImage() const {
    if (masked_) return *masked_;
    QImage out = Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(TransparentColor()).rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
    }
    masked_ = std::move(out);
    return *masked_;
}

void TBitmap::LoadFromData(const QByteArray& Data) {
    Adopt(DecodeBmp(Data));
}

void TBitmap::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, file.errorString()));
    LoadFromData(file.readAll());
}

QByteArray TBitmap::SaveToData() const {
    QByteArray bytes;
    if (Empty()) return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Image().convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return bytes;
}

void TBitmap::SaveToFile(const QString& FileName) const {
    QFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(SaveToData()) < 0)
        throw EInOutError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, file.errorString()));
}

void TBitmap::LoadFromResourceName(const QString& Name) {
    LoadFromData(FindBitmapResource(Name));
}

QByteArray TBitmap::Data() const {
    const QByteArray file = SaveToData();
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(static_cast<quint32>(file.size()), out.data());
    return out + file;
}

void TBitmap::SetData(const QByteArray& Value) {
    if (Value.isEmpty()) {
        Adopt(QImage());
        return;
    }
    if (Value.size() < 4) throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    const quint32 size = qFromLittleEndian<quint32>(Value.constData());
    if (size == 0) {
        Adopt(QImage());
        return;
    }
    if (size > static_cast<quint32>(Value.size() - 4))
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    LoadFromData(Value.mid(4, static_cast<qsizetype>(size)));
}

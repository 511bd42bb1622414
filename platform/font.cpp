#include "platform/font.h"

#include "platform/fonts.h"
#include "platform/properties.h"

#include <QFontMetrics>
#include <cmath>

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TFontStyle>(QStringLiteral("TFontStyle"),
                             {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                              QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")});
    RegisterEnum<TFontPitch>(
        QStringLiteral("TFontPitch"),
        {QStringLiteral("fpDefault"), QStringLiteral("fpVariable"), QStringLiteral("fpFixed")});
    RegisterIntegerIdents(QStringLiteral("TFontCharset"),
                          {{ANSI_CHARSET, QStringLiteral("ANSI_CHARSET")},
                           {DEFAULT_CHARSET, QStringLiteral("DEFAULT_CHARSET")},
                           {SYMBOL_CHARSET, QStringLiteral("SYMBOL_CHARSET")},
                           {MAC_CHARSET, QStringLiteral("MAC_CHARSET")},
                           {SHIFTJIS_CHARSET, QStringLiteral("SHIFTJIS_CHARSET")},
                           {HANGEUL_CHARSET, QStringLiteral("HANGEUL_CHARSET")},
                           {GB2312_CHARSET, QStringLiteral("GB2312_CHARSET")},
                           {CHINESEBIG5_CHARSET, QStringLiteral("CHINESEBIG5_CHARSET")},
                           {GREEK_CHARSET, QStringLiteral("GREEK_CHARSET")},
                           {TURKISH_CHARSET, QStringLiteral("TURKISH_CHARSET")},
                           {HEBREW_CHARSET, QStringLiteral("HEBREW_CHARSET")},
                           {ARABIC_CHARSET, QStringLiteral("ARABIC_CHARSET")},
                           {BALTIC_CHARSET, QStringLiteral("BALTIC_CHARSET")},
                           {RUSSIAN_CHARSET, QStringLiteral("RUSSIAN_CHARSET")},
                           {THAI_CHARSET, QStringLiteral("THAI_CHARSET")},
                           {EASTEUROPE_CHARSET, QStringLiteral("EASTEUROPE_CHARSET")},
                           {OEM_CHARSET, QStringLiteral("OEM_CHARSET")}});
    std::vector<std::pair<qint64, QString>> colors;
    int count = 0;
    const TColorIdent* idents = ColorIdents(count);
    for (int i = 0; i < count; ++i)
        colors.emplace_back(idents[i].value, QString::fromLatin1(idents[i].name));
    RegisterIntegerIdents(QStringLiteral("TColor"), colors);
    return true;
}();

} // namespace

RAVELDA_DEFINE_CLASS(TFont) {
    (void)kEnumsRegistered;
    c.Property("Charset", &TFont::Charset, &TFont::SetCharset)
        .Default(DEFAULT_CHARSET)
        .Idents(QStringLiteral("TFontCharset"));
    c.Property("Color", &TFont::Color, &TFont::SetColor)
        .Default(clWindowText)
        .Idents(QStringLiteral("TColor"));
    c.Property("Height", &TFont::Height, &TFont::SetHeight).NoDefault();
    c.Property("Name", &TFont::Name, &TFont::SetName).NoDefault();
    c.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    // Height carries the size; Size stays readable and writable by name but is never stored.
    c.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    c.Property("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
}

TFont::TFont()
    : name_(QStringLiteral("MS Sans Serif")), height_(-11), color_(clWindowText),
      charset_(DEFAULT_CHARSET), pitch_(fpDefault) {}

TFont::~TFont() = default;

void TFont::Changed() {
    handle_.reset();
    Fire(OnChange, this);
}

void TFont::Assign(const TPersistent* Source) {
    if (auto* f = dynamic_cast<const TFont*>(Source)) {
        if (f == this) return;
        name_ = f->name_;
        height_ = f->height_;
        style_ = f->style_;
        color_ = f->color_;
        charset_ = f->charset_;
        pitch_ = f->pitch_;
        // Assigning between densities keeps the point size, as the classic fonts do.
        if (f->pixelsPerInch_ != pixelsPerInch_)
            height_ = MulDiv(f->height_, pixelsPerInch_, f->pixelsPerInch_);
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::AssignTo(TPersistent* Dest) const {
    TPersistent::AssignTo(Dest);
}

void TFont::SetName(const QString& Value) {
    if (Value.isEmpty() || Value == name_) return;
    name_ = Value;
    Changed();
}

void TFont::SetHeight(int Value) {
    if (Value == height_) return;
    height_ = Value;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, pixelsPerInch_, 72));
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    Changed();
}

void TFont::SetCharset(TFontCharset Value) {
    if (Value == charset_) return;
    charset_ = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value == pitch_) return;
    pitch_ = Value;
    Changed();
}

bool TFont::SameAs(const TFont& o) const {
    return name_.compare(o.name_, Qt::CaseInsensitive) == 0 && height_ == o.height_ &&
           style_ == o.style_ && color_ == o.color_ && charset_ == o.charset_ && pitch_ == o.pitch_;
}

const QFont& TFont::Handle() const {
    if (handle_) return *handle_;
    EnsureFontFamily(name_);
    QFont f(name_);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    f.setBold(style_.Contains(fsBold));
    f.setItalic(style_.Contains(fsItalic));
    f.setUnderline(style_.Contains(fsUnderline));
    f.setStrikeOut(style_.Contains(fsStrikeOut));
    if (pitch_ == fpFixed) f.setFixedPitch(true);
    if (height_ < 0) {
        f.setPixelSize(-height_);
    } else {
        // A cell height: find the character size whose ascent plus descent comes to it.
        const int cell = height_ == 0 ? 13 : height_;
        int px = cell;
        for (int i = 0; i < 3; ++i) {
            f.setPixelSize(std::max(1, px));
            const int h = QFontMetrics(f).height();
            if (h == cell || h <= 0) break;
            px = std::max(1, static_cast<int>(std::lround(double(px) * cell / h)));
        }
        f.setPixelSize(std::max(1, px));
    }
    handle_ = f;
    return *handle_;
}

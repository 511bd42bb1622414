// TFont: a text face in the classic terms. Height is in pixels: negative for the character
// height without internal leading (the usual "Size in points" form), positive for the cell height.
#pragma once

#include "platform/color.h"
#include "platform/events.h"
#include "platform/graphics.h"
#include "platform/object.h"
#include "platform/sets.h"

#include <QFont>
#include <QString>
#include <optional>

using TFontStyles = TSet<TFontStyle>;

class TFont : public TPersistent {
    RAVELDA_CLASS(TFont, TPersistent)
public:
    TFont();
    ~TFont() override;

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

    const QString& Name() const { return name_; }
    void SetName(const QString& Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    // Points at PixelsPerInch: Size = -Height * 72 / PixelsPerInch, rounded.
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset Value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch Value);
    // The density Size converts with (the screen's, 96 here).
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value) { pixelsPerInch_ = Value > 0 ? Value : 96; }

    // Same face, size, style, colour and character set.
    bool SameAs(const TFont& other) const;

    // The face as Qt draws it: pixel-sized, without anti-aliasing (the classic crisp look).
    const QFont& Handle() const;

    // Called after every change (one call per Assign).
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    void AssignTo(TPersistent* Dest) const override;

private:
    QString name_;
    int height_;
    TFontStyles style_;
    TColor color_;
    TFontCharset charset_;
    TFontPitch pitch_;
    int pixelsPerInch_ = 96;
    mutable std::optional<QFont> handle_;
};

// The screen density fonts are sized for.
constexpr int DefaultPixelsPerInch = 96;

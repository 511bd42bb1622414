#include "platform/color.h"

#include "platform/exceptions.h"

#include <array>

namespace {

// The "Windows Standard" classic scheme: grey faces, navy selection, white windows.
constexpr std::array<TColor, COLOR_ENDCOLORS> kClassicPalette = {
    RGB(192, 192, 192), // scroll bar
    RGB(0, 128, 128),   // desktop
    RGB(0, 0, 128),     // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(192, 192, 192), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(192, 192, 192), // active border
    RGB(192, 192, 192), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(0, 0, 128),     // highlight
    RGB(255, 255, 255), // highlight text
    RGB(192, 192, 192), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(192, 192, 192), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(0, 0, 0),       // 3D dark shadow
    RGB(192, 192, 192), // 3D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(192, 192, 192), // (unused index 25)
    RGB(0, 0, 128),     // hot-tracked item
    RGB(16, 132, 208),  // active caption gradient
    RGB(181, 181, 181), // inactive caption gradient
    RGB(0, 0, 128),     // menu highlight
    RGB(192, 192, 192), // menu bar
};

constexpr TColorIdent kIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
    // Read-only aliases: accepted when reading, never written (the first name above wins).
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
};

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= COLOR_ENDCOLORS) return 0;
    return kClassicPalette[static_cast<std::size_t>(index)];
}

TColor ColorToRGB(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
    return color & 0xFFFFFF;
}

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

TColor FromQRgb(unsigned int rgb) {
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

const TColorIdent* ColorIdents(int& count) {
    count = static_cast<int>(std::size(kIdents));
    return kIdents;
}

std::optional<QString> ColorToIdent(TColor color) {
    for (const auto& entry : kIdents)
        if (entry.value == color) return QString::fromLatin1(entry.name);
    return std::nullopt;
}

std::optional<TColor> IdentToColor(const QString& ident) {
    for (const auto& entry : kIdents)
        if (ident.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) return entry.value;
    return std::nullopt;
}

QString ColorToString(TColor color) {
    if (auto ident = ColorToIdent(color)) return *ident;
    return QStringLiteral("$%1")
        .arg(static_cast<std::uint32_t>(color), 8, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<TColor> TryStringToColor(const QString& text) {
    const QString t = text.trimmed();
    if (auto c = IdentToColor(t)) return c;
    bool ok = false;
    qlonglong value = 0;
    if (t.startsWith(QLatin1Char('$')))
        value = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = t.mid(2).toLongLong(&ok, 16);
    else
        value = t.toLongLong(&ok, 10);
    // Stored values are either signed 32-bit numbers or unsigned hex of up to eight digits.
    if (!ok || value < -2147483648LL || value > 0xFFFFFFFFLL) return std::nullopt;
    return static_cast<TColor>(static_cast<std::uint32_t>(value & 0xFFFFFFFFLL));
}

TColor StringToColor(const QString& text) {
    if (auto c = TryStringToColor(text)) return *c;
    throw EConvertError(QStringLiteral("'%1' is not a valid colour").arg(text));
}

// Colours as the stored window descriptions and the components know them: 32-bit values with
// red in the lowest byte, system colours as $80000000 plus an index into a fixed classic palette.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

using TColor = std::int32_t;

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index));
}

// System colour indices (the classic COLOR_* numbering).
enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
    COLOR_ENDCOLORS = 31,
};

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

// Marks a colour property as not in use.
constexpr TColor clNone = 0x1FFFFFFF;
// Asks for the default colour of whatever uses it (an image list: the bottom-left pixel).
constexpr TColor clDefault = 0x20000000;

constexpr TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) {
    return c & 0xFF;
}
constexpr int GetGValue(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int GetBValue(TColor c) {
    return (c >> 16) & 0xFF;
}
constexpr bool IsSystemColor(TColor c) {
    return (static_cast<std::uint32_t>(c) & 0xFF000000u) == 0x80000000u;
}

// The RGB value of a system colour in the fixed classic palette (0 for an unknown index).
TColor GetSysColor(int index);
// Resolves system colours through the palette; plain RGB values pass through with the high
// byte cleared. clNone and clDefault resolve to themselves' low three bytes, as in the classic
// toolkit; callers that must honour them test for them first.
TColor ColorToRGB(TColor color);
// The colour as Qt paints it (opaque).
QColor ToQColor(TColor color);
// An opaque Qt colour as a TColor.
TColor FromQColor(const QColor& color);
TColor FromQRgb(unsigned int rgb);

// Colour identifiers ("clBtnFace") as stored in window descriptions.
std::optional<QString> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(const QString& ident);
// "clRed" or "$00123456"; StringToColor also accepts decimal and $hex numbers and raises
// EConvertError on anything else.
QString ColorToString(TColor color);
TColor StringToColor(const QString& text);
std::optional<TColor> TryStringToColor(const QString& text);

// Every colour identifier in table order, for a property editor or the description writer.
struct TColorIdent {
    TColor value;
    const char* name;
};
const TColorIdent* ColorIdents(int& count);

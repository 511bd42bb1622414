#include "platform/color.h"
#include "platform/exceptions.h"

#include <gtest/gtest.h>

TEST(Color, SystemColoursResolveThroughTheClassicPalette) {
    struct Case {
        TColor color;
        TColor rgb;
    } cases[] = {
        {clBtnFace, RGB(192, 192, 192)},       {clBtnShadow, RGB(128, 128, 128)},
        {clBtnHighlight, RGB(255, 255, 255)},  {clWindow, RGB(255, 255, 255)},
        {clWindowText, RGB(0, 0, 0)},          {clHighlight, RGB(0, 0, 128)},
        {clHighlightText, RGB(255, 255, 255)}, {clGrayText, RGB(128, 128, 128)},
        {cl3DDkShadow, RGB(0, 0, 0)},          {clInfoBk, RGB(255, 255, 225)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToRGB(c.color), c.rgb) << ColorToString(c.color).toStdString();
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
    EXPECT_EQ(static_cast<std::uint32_t>(clHighlight), 0x8000000Du);
    EXPECT_EQ(static_cast<std::uint32_t>(clNone), 0x1FFFFFFFu);
    // An index beyond the palette resolves to black instead of reading past it.
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);
}

TEST(Color, RedIsTheLowestByte) {
    const QColor q = ToQColor(clRed);
    EXPECT_EQ(q, QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0x00C0DCC0), QColor(0xC0, 0xDC, 0xC0));
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), 0x030201);
    EXPECT_EQ(ToQColor(clHighlight), QColor(0, 0, 128));
}

TEST(Color, IdentifiersRoundTrip) {
    int count = 0;
    const TColorIdent* idents = ColorIdents(count);
    ASSERT_GT(count, 40);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromLatin1(idents[i].name);
        ASSERT_EQ(IdentToColor(name), idents[i].value) << idents[i].name;
        // Aliases (clLtGray) write back as the first name of their value (clSilver).
        EXPECT_EQ(IdentToColor(*ColorToIdent(idents[i].value)), idents[i].value);
    }
    EXPECT_EQ(ColorToIdent(clLtGray), QStringLiteral("clSilver"));
    EXPECT_EQ(IdentToColor(QStringLiteral("CLBTNFACE")), clBtnFace);
    EXPECT_FALSE(IdentToColor(QStringLiteral("clNoSuchColour")).has_value());
    EXPECT_FALSE(ColorToIdent(0x123456).has_value());
}

TEST(Color, StringsAcceptIdentifiersAndNumbers) {
    struct Case {
        const char* text;
        TColor value;
    } cases[] = {
        {"clBtnFace", clBtnFace}, {"12632256", 0xC0C0C0},
        {"$00FF0000", clBlue},    {"-2147483633", clBtnFace},
        {"$8000000F", clBtnFace}, {" clRed ", clRed},
        {"0", clBlack},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringToColor(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_EQ(ColorToString(0x123456), QStringLiteral("$00123456"));
    EXPECT_EQ(ColorToString(clWindow), QStringLiteral("clWindow"));
    for (const char* bad : {"", "clBogus", "$", "12x", "$1FFFFFFFF", "99999999999"})
        EXPECT_THROW(StringToColor(QString::fromLatin1(bad)), EConvertError) << bad;
}

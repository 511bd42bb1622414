#include "platform/canvas.h"
#include "platform/font.h"
#include "platform/fonts.h"
#include "platform/properties.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

bool HaveWineFonts() {
    return QFile::exists(ClassicFontFolder() + QStringLiteral("/ms_sans_serif.ttf")) &&
           QFile::exists(ClassicFontFolder() + QStringLiteral("/tahoma.ttf"));
}

} // namespace

TEST(Fonts, ClassicFacesAreRegistered) {
    if (!HaveWineFonts()) GTEST_SKIP() << "fonts-wine is not installed";
    const QStringList families = RegisterClassicFonts();
    EXPECT_TRUE(families.contains(QStringLiteral("MS Sans Serif")));
    EXPECT_TRUE(families.contains(QStringLiteral("Tahoma")));
    EXPECT_TRUE(EnsureFontFamily(QStringLiteral("MS Sans Serif")));
    // Later calls do not register again.
    EXPECT_EQ(RegisterClassicFonts(), families);
}

TEST(Fonts, MsSansSerifEightPointHasTheClassicMetrics) {
    if (!HaveWineFonts()) GTEST_SKIP() << "fonts-wine is not installed";
    TCanvas canvas;
    canvas.Font()->SetName(QStringLiteral("MS Sans Serif"));
    canvas.Font()->SetSize(8);
    EXPECT_EQ(canvas.Font()->Height(), -11);
    EXPECT_EQ(QFontInfo(canvas.Font()->Handle()).family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(canvas.TextHeight(QStringLiteral("Ag")), 13);
    EXPECT_EQ(canvas.TextWidth(QStringLiteral("0")), 6);
    EXPECT_EQ(canvas.TextWidth(QStringLiteral("0000000000")), 60);
}

TEST(Fonts, TahomaBoldIsItsOwnFace) {
    if (!HaveWineFonts()) GTEST_SKIP() << "fonts-wine is not installed";
    TFont f;
    f.SetName(QStringLiteral("Tahoma"));
    f.SetHeight(-16);
    f.SetStyle({fsBold});
    const QFontInfo info(f.Handle());
    EXPECT_EQ(info.family(), QStringLiteral("Tahoma"));
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(info.pixelSize(), 16);
    EXPECT_EQ(f.Size(), 12);
    // The bold face is the font's own bold file, wider than the regular one.
    TFont regular;
    regular.Assign(f);
    regular.SetStyle({});
    EXPECT_GT(QFontMetrics(f.Handle()).horizontalAdvance(QStringLiteral("RAVELDA")),
              QFontMetrics(regular.Handle()).horizontalAdvance(QStringLiteral("RAVELDA")));
}

TEST(Fonts, SizeAndHeightConvertAtTheFontDensity) {
    struct Case {
        int size;
        int height;
    } cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {14, -19}, {18, -24}, {24, -32}};
    for (const auto& c : cases) {
        TFont f;
        f.SetSize(c.size);
        EXPECT_EQ(f.Height(), c.height) << c.size;
        f.SetHeight(c.height);
        EXPECT_EQ(f.Size(), c.size) << c.height;
    }
    TFont big;
    big.SetPixelsPerInch(120);
    big.SetSize(8);
    EXPECT_EQ(big.Height(), -13);
}

TEST(Fonts, PositiveHeightIsTheCellHeight) {
    if (!HaveWineFonts()) GTEST_SKIP() << "fonts-wine is not installed";
    TFont f;
    f.SetName(QStringLiteral("Tahoma"));
    f.SetHeight(19);
    EXPECT_EQ(QFontMetrics(f.Handle()).height(), 19);
}

TEST(Fonts, DefaultsAndChangeNotices) {
    TFont f;
    EXPECT_EQ(f.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Color(), clWindowText);
    EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
    EXPECT_TRUE(f.Style().Empty());
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetHeight(-11);
    f.SetColor(clWindowText);
    EXPECT_EQ(changes, 0);
    f.SetColor(clRed);
    EXPECT_EQ(changes, 1);
    TFont other;
    other.SetName(QStringLiteral("Tahoma"));
    other.SetHeight(-16);
    other.SetStyle({fsBold, fsItalic});
    f.Assign(other);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(f.SameAs(other));
    EXPECT_TRUE(f.Handle().italic());
}

TEST(Fonts, PublishedPropertiesByName) {
    TFont f;
    SetPropValue(&f, QStringLiteral("Name"), QStringLiteral("Tahoma"));
    SetPropValue(&f, QStringLiteral("Height"), -16);
    SetPropValue(&f, QStringLiteral("Style"), QStringLiteral("[fsBold]"));
    SetPropValue(&f, QStringLiteral("Color"), QStringLiteral("clWindowText"));
    SetPropValue(&f, QStringLiteral("Charset"), QStringLiteral("DEFAULT_CHARSET"));
    EXPECT_EQ(f.Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(f.Height(), -16);
    EXPECT_TRUE(f.Style().Contains(fsBold));
    EXPECT_EQ(f.Color(), clWindowText);
    EXPECT_EQ(GetSetProp(&f, QStringLiteral("Style")), QStringLiteral("[fsBold]"));
    EXPECT_EQ(GetPropValue(&f, QStringLiteral("Size")).toInt(), 12);
    EXPECT_FALSE(GetPropInfo(&f, QStringLiteral("Size"))->IsStored(&f));
}

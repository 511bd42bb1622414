#include "navigator/wwnavglyphs.h"

#include "navigator/wwspeedbutton.h"
#include "platform/bitmap.h"
#include "platform/form.h"
#include "platform/imagelist.h"
#include "platform/panel.h"
#include "platform/resources.h"
#include "tests/platform/visual_support.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace ravelda::test;

namespace {

std::uint32_t U32(const QByteArray& b, int at) {
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}
std::uint16_t U16(const QByteArray& b, int at) {
    return qFromLittleEndian<std::uint16_t>(b.constData() + at);
}

TEST(NavGlyphs, StemsAndResourceNames) {
    const struct {
        int style;
        const char* stem;
        const char* enabled;
        const char* disabled;
    } cases[] = {
        {0, "First", "WW_DBN_FIRST_ENABLED", "WW_DBN_FIRST_DISABLED"},
        {10, "PriorPage", "WW_DBN_PRIORPAGE_ENABLED", "WW_DBN_PRIORPAGE_DISABLED"},
        {13, "RestoreBookmark", "WW_DBN_RESTOREBOOKMARK_ENABLED",
         "WW_DBN_RESTOREBOOKMARK_DISABLED"},
        {17, "SearchDialog", "WW_DBN_SEARCHDIALOG_ENABLED", "WW_DBN_SEARCHDIALOG_DISABLED"},
        {18, "", "", ""}, // the custom style has no glyph
        {-1, "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(wwNavGlyphStem(c.style), QLatin1String(c.stem));
        EXPECT_EQ(wwNavGlyphResourceName(c.style, true), QLatin1String(c.enabled));
        EXPECT_EQ(wwNavGlyphResourceName(c.style, false), QLatin1String(c.disabled));
    }
}

// Each glyph is a plain 16-colour BMP: 18 x 18, 4 bits per pixel, a 320-byte DIB.
TEST(NavGlyphs, ResourcesAreSixteenColourBitmaps) {
    for (int style = 0; style < wwNavGlyphStyleCount; ++style) {
        for (const bool enabled : {true, false}) {
            const QString name = wwNavGlyphResourceName(style, enabled);
            SCOPED_TRACE(name.toStdString());
            const QByteArray file = FindBitmapResource(name);
            ASSERT_EQ(file.size(), 14 + 320);
            EXPECT_EQ(file.left(2), "BM");
            EXPECT_EQ(U32(file, 2), 334u);
            EXPECT_EQ(U32(file, 10), 14u + 40u + 64u);
            EXPECT_EQ(U32(file, 14), 40u);
            EXPECT_EQ(U32(file, 18), 18u);
            EXPECT_EQ(U32(file, 22), 18u);
            EXPECT_EQ(U16(file, 26), 1u);
            EXPECT_EQ(U16(file, 28), 4u);
            EXPECT_EQ(U32(file, 30), 0u); // uncompressed
            const std::unique_ptr<TBitmap> bmp = LoadBitmapResource(name);
            EXPECT_EQ(bmp->Width(), 18);
            EXPECT_EQ(bmp->Height(), 18);
        }
    }
}

TEST(NavGlyphs, DefaultListHoldsEnabledThenDisabledPerStyle) {
    TImageList* list = wwNavDefaultGlyphs();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list, wwNavDefaultGlyphs()) << "one shared list";
    EXPECT_EQ(list->Width(), 18);
    EXPECT_EQ(list->Height(), 18);
    ASSERT_EQ(list->Count(), 36);
    for (int style = 0; style < wwNavGlyphStyleCount; ++style) {
        for (const bool enabled : {true, false}) {
            const int index = 2 * style + (enabled ? 0 : 1);
            SCOPED_TRACE(index);
            const std::unique_ptr<TBitmap> bmp =
                LoadBitmapResource(wwNavGlyphResourceName(style, enabled));
            const QImage& image = list->GetImage(index);
            const TColor key = At(*bmp, 0, 17);
            int transparent = 0;
            for (int y = 0; y < 18; ++y) {
                for (int x = 0; x < 18; ++x) {
                    const TColor colour = At(*bmp, x, y);
                    const QRgb got = image.pixel(x, y);
                    if (colour == key) {
                        EXPECT_EQ(qAlpha(got), 0) << x << "," << y;
                        ++transparent;
                    } else {
                        ASSERT_EQ(qAlpha(got), 255) << x << "," << y;
                        EXPECT_EQ(At(image, x, y), colour) << x << "," << y;
                    }
                }
            }
            EXPECT_GT(transparent, 0);
            EXPECT_LT(transparent, 18 * 18) << "a glyph draws something";
        }
    }
}

TEST(NavGlyphs, DisabledGlyphsAreGreyEmbossedAndDifferFromEnabled) {
    TImageList* list = wwNavDefaultGlyphs();
    ASSERT_NE(list, nullptr);
    const TColor key = At(*LoadBitmapResource(wwNavGlyphResourceName(0, true)), 0, 17);
    for (int style = 0; style < wwNavGlyphStyleCount; ++style) {
        SCOPED_TRACE(wwNavGlyphStem(style).toStdString());
        const std::unique_ptr<TBitmap> on = LoadBitmapResource(wwNavGlyphResourceName(style, true));
        const std::unique_ptr<TBitmap> off =
            LoadBitmapResource(wwNavGlyphResourceName(style, false));
        EXPECT_EQ(At(*on, 0, 17), key) << "one transparent colour for every glyph";
        EXPECT_EQ(At(*off, 0, 17), key);
        EXPECT_NE(list->GetImage(2 * style), list->GetImage(2 * style + 1));
        // Grey on a white copy one pixel right and down: nothing else, and every grey pixel's
        // lower-right neighbour is grey or white.
        int grey = 0, white = 0;
        for (int y = 0; y < 18; ++y) {
            for (int x = 0; x < 18; ++x) {
                const TColor c = At(*off, x, y);
                if (c == key) continue;
                ASSERT_TRUE(c == clGray || c == clWhite) << x << "," << y;
                if (c == clWhite) {
                    ++white;
                    continue;
                }
                ++grey;
                if (x < 17 && y < 17) {
                    const TColor below = At(*off, x + 1, y + 1);
                    EXPECT_TRUE(below == clGray || below == clWhite) << x << "," << y;
                }
            }
        }
        EXPECT_GT(grey, 0);
        EXPECT_GT(white, 0);
    }
}

// A flat 25 x 25 button on the default list, as the main window's navigator shows it: the style's
// glyph at (4, 4) over the parent's face, its disabled glyph one index on.
TEST(NavGlyphs, FlatButtonShowsTheGlyphPairOverTheFace) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 60);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 100, 60);
    panel->SetBevelOuter(bvNone);
    panel->SetCaption(QString());
    auto* button = new TwwSpeedButton(&form);
    button->SetParent(panel);
    button->SetBounds(25, 0, 25, 25);
    button->SetFlat(true);
    button->SetImageList(wwNavDefaultGlyphs());
    button->SetNumGlyphs(2);
    const int style = 11; // NextPage
    button->SetImageIndex(2 * style);
    form.Show();
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        button->SetEnabled(enabled);
        const std::unique_ptr<TBitmap> glyph =
            LoadBitmapResource(wwNavGlyphResourceName(style, enabled));
        const TColor key = At(*glyph, 0, 17);
        const QImage img = Grab(panel->Handle()).copy(25, 0, 25, 25);
        for (int y = 0; y < 18; ++y) {
            for (int x = 0; x < 18; ++x) {
                const TColor want =
                    At(*glyph, x, y) == key ? ColorToRGB(clBtnFace) : At(*glyph, x, y);
                ASSERT_EQ(At(img, 4 + x, 4 + y), want) << x << "," << y;
            }
        }
        EXPECT_EQ(At(img, 0, 0), ColorToRGB(clBtnFace)) << "no frame while the pointer is away";
    }
}

TEST(NavGlyphs, FinalisationFreesTheListAndButtonsForgetIt) {
    InitWwDBNavigatorUnit();
    TImageList* list = wwNavDefaultGlyphs();
    ASSERT_NE(list, nullptr);
    InitWwDBNavigatorUnit(); // a second initialisation keeps the list
    EXPECT_EQ(wwNavDefaultGlyphs(), list);
    TwwSpeedButton button(nullptr);
    button.SetImageList(list);
    FinalizeWwDBNavigatorUnit();
    EXPECT_EQ(wwNavDefaultGlyphs(), nullptr) << "not rebuilt after finalisation";
    EXPECT_EQ(button.ImageList(), nullptr);
    {
        TUnitScope unit{&WwDBNavigatorUnit()};
        ASSERT_NE(wwNavDefaultGlyphs(), nullptr);
        EXPECT_EQ(wwNavDefaultGlyphs()->Count(), 36);
    }
    EXPECT_EQ(wwNavDefaultGlyphs(), nullptr);
    InitWwDBNavigatorUnit(); // leave it built for the other tests
}

} // namespace

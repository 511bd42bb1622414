#include "navigator/wwspeedbutton.h"

#include "platform/bitmap.h"
#include "platform/dfmreader.h"
#include "platform/dfmwriter.h"
#include "platform/form.h"
#include "platform/imagelist.h"
#include "platform/panel.h"
#include "platform/properties.h"
#include "tests/platform/control_support.h"
#include "tests/platform/visual_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <utility>

using namespace ravelda::test;

namespace {

// The parent's colour: whatever the button does not draw shows it.
constexpr TColor kBack = 0x00563412;
// One solid colour per image, so that a shot tells which image was drawn and where.
const std::vector<TColor> kImageColors = {clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
// The button's place on the panel.
constexpr int kLeft = 10;
constexpr int kTop = 10;

using Pixels = std::set<std::pair<int, int>>;

Pixels PixelsOf(const QImage& img, TColor c) {
    Pixels out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (At(img, x, y) == ColorToRGB(c)) out.insert({x, y});
    return out;
}

// Top-left corner of the pixels of colour c; (-1, -1) when there are none.
TPoint Corner(const QImage& img, TColor c) {
    const Pixels px = PixelsOf(img, c);
    if (px.empty()) return {-1, -1};
    int x = img.width(), y = img.height();
    for (const auto& [px_, py] : px) {
        x = std::min(x, px_);
        y = std::min(y, py);
    }
    return {x, y};
}

class SpeedButtonTest : public ::testing::Test {
protected:
    SpeedButtonTest() : images(18, 18) {
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 240, 160);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 240, 160);
        panel->SetBevelOuter(bvNone);
        panel->SetCaption(QString());
        panel->SetColor(kBack);
        button = new TwwSpeedButton(form);
        button->SetParent(panel);
        button->SetBounds(kLeft, kTop, 25, 25);
        button->OnClick = [this](TObject*) { ++clicks; };
        for (TColor c : kImageColors) {
            TBitmap bmp(18, 18);
            bmp.Canvas()->Brush()->SetColor(c);
            bmp.Canvas()->FillRect(Rect(0, 0, 18, 18));
            images.Add(bmp);
        }
        ShowAndActivate(form);
    }
    ~SpeedButtonTest() override { delete form; }

    // The button as it paints now, in its own coordinates.
    QImage shot() const { return Grab(panel->Handle()).copy(button->BoundsRect().toQRect()); }
    QPoint inside() const { return {kLeft + 12, kTop + 12}; }
    void hover() { MoveTo(panel->Handle(), inside()); }
    void press() { SendMouse(panel->Handle(), QEvent::MouseButtonPress, inside()); }
    void release(QPoint at) {
        SendMouse(panel->Handle(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void dragOut() { MoveTo(panel->Handle(), {200, 130}, Qt::LeftButton); }
    void dragIn() { MoveTo(panel->Handle(), inside(), Qt::LeftButton); }
    void leave() { MoveTo(panel->Handle(), {200, 130}); }

    TImageList images;
    TForm* form;
    TPanel* panel;
    TwwSpeedButton* button;
    int clicks = 0;
};

// ---- A new button and its stored description

TEST_F(SpeedButtonTest, NewButtonValues) {
    TwwSpeedButton fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 25);
    EXPECT_EQ(fresh.Height(), 25);
    EXPECT_EQ(fresh.ImageIndex(), -1);
    EXPECT_EQ(fresh.NumGlyphs(), 1);
    EXPECT_EQ(fresh.Margin(), -1);
    EXPECT_EQ(fresh.Spacing(), 4);
    EXPECT_FALSE(fresh.ShowText());
    EXPECT_FALSE(fresh.Transparent());
    EXPECT_EQ(fresh.DisabledTextColors()->ShadeColor(), clGray);
    EXPECT_EQ(fresh.DisabledTextColors()->HighlightColor(), clBtnHighlight);
    EXPECT_EQ(fresh.ImageList(), nullptr);
    EXPECT_FALSE(fresh.Flat());
    EXPECT_FALSE(fresh.Hot());
    EXPECT_FALSE(fresh.Pressed());
    EXPECT_TRUE(fresh.Enabled());
    EXPECT_TRUE(fresh.ParentFont());
    EXPECT_TRUE(fresh.ParentShowHint());
    EXPECT_FALSE(fresh.ControlStyle().Contains(csDoubleClicks));
    EXPECT_TRUE(fresh.ControlStyle().Contains(csOpaque));
    const TClassInfo* info = FindClass(QStringLiteral("TwwSpeedButton"));
    ASSERT_NE(info, nullptr);
    std::unique_ptr<TComponent> made(info->CreateComponent(nullptr));
    EXPECT_NE(dynamic_cast<TwwSpeedButton*>(made.get()), nullptr);
}

TEST_F(SpeedButtonTest, WrittenDescriptionKeepsTheAlwaysStoredValues) {
    TPanel root(nullptr);
    root.SetName(QStringLiteral("Panel1"));
    auto* b = new TwwSpeedButton(&root);
    b->SetParent(&root);
    b->SetName(QStringLiteral("Button1"));
    const QString text = WriteComponentText(&root);
    for (const char* line : {"ImageIndex = -1", "NumGlyphs = 1", "Spacing = 4",
                             "Transparent = False", "DisabledTextColors.ShadeColor = clGray",
                             "DisabledTextColors.HighlightColor = clBtnHighlight"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    for (const char* absent : {"Margin", "ShowText"})
        EXPECT_FALSE(text.contains(QLatin1String(absent))) << absent;
}

TEST_F(SpeedButtonTest, ReadsTheMainWindowsButtonValues) {
    const QString text = QStringLiteral("object P: TPanel\n"
                                        "  object B: TwwSpeedButton\n"
                                        "    Left = 25\n"
                                        "    Top = 0\n"
                                        "    Width = 25\n"
                                        "    Height = 25\n"
                                        "    Caption = 'B'\n"
                                        "    ImageIndex = -1\n"
                                        "    NumGlyphs = 2\n"
                                        "    Spacing = 4\n"
                                        "    Transparent = False\n"
                                        "    Enabled = False\n"
                                        "    DisabledTextColors.ShadeColor = clGray\n"
                                        "    DisabledTextColors.HighlightColor = clBtnHighlight\n"
                                        "  end\n"
                                        "end\n");
    std::unique_ptr<TComponent> root(CreateComponentFromText(nullptr, text));
    auto* b = dynamic_cast<TwwSpeedButton*>(root->FindComponent(QStringLiteral("B")));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Left(), 25);
    EXPECT_EQ(b->NumGlyphs(), 2);
    EXPECT_FALSE(b->Transparent());
    EXPECT_TRUE(b->ControlStyle().Contains(csOpaque)); // a stored false changes nothing
    EXPECT_FALSE(b->Enabled());
    EXPECT_EQ(b->Caption(), "B");
}

TEST_F(SpeedButtonTest, TransparentTogglesTheOpaqueStyleOnChangesOnly) {
    button->SetTransparent(false); // unchanged
    EXPECT_TRUE(button->ControlStyle().Contains(csOpaque));
    button->SetTransparent(true);
    EXPECT_TRUE(button->Transparent());
    EXPECT_FALSE(button->ControlStyle().Contains(csOpaque));
    button->SetTransparent(false);
    EXPECT_TRUE(button->ControlStyle().Contains(csOpaque));
    // Either way the button leaves its background to the parent.
    button->SetFlat(true);
    for (bool transparent : {true, false}) {
        button->SetTransparent(transparent);
        EXPECT_EQ(At(shot(), 1, 1), ColorToRGB(kBack)) << transparent;
    }
}

// ---- Which image, where

struct GlyphCase {
    const char* name;
    int numGlyphs;
    bool enabled;
    bool hot;
    bool pressed;
    int drawn; // with ImageIndex 1
    TPoint at;
};

void PrintTo(const GlyphCase& c, std::ostream* os) {
    *os << c.name;
}

class SpeedButtonGlyphTest : public SpeedButtonTest,
                             public ::testing::WithParamInterface<GlyphCase> {};

TEST_P(SpeedButtonGlyphTest, ImageByStateAndPlace) {
    const GlyphCase& c = GetParam();
    button->SetFlat(true);
    button->SetImageList(&images);
    button->SetImageIndex(1);
    button->SetNumGlyphs(c.numGlyphs);
    button->SetEnabled(c.enabled);
    if (c.hot) hover();
    if (c.pressed) press();
    EXPECT_EQ(button->Pressed(), c.pressed);
    const QImage img = shot();
    const TColor colour = kImageColors[static_cast<std::size_t>(c.drawn)];
    const TPoint corner = Corner(img, colour);
    EXPECT_EQ(corner.X, c.at.X);
    EXPECT_EQ(corner.Y, c.at.Y);
    EXPECT_EQ(CountColor(img, QRect(c.at.X, c.at.Y, 18, 18), colour), 18 * 18);
    for (std::size_t i = 0; i < kImageColors.size(); ++i) {
        if (static_cast<int>(i) != c.drawn) {
            EXPECT_EQ(CountColor(img, img.rect(), kImageColors[i]), 0) << "image " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, SpeedButtonGlyphTest,
    ::testing::Values(GlyphCase{"OneIdle", 1, true, false, false, 1, {4, 4}},
                      GlyphCase{"OneDisabled", 1, false, false, false, 1, {4, 4}},
                      GlyphCase{"TwoDisabled", 2, false, false, false, 2, {4, 4}},
                      GlyphCase{"TwoDisabledHot", 2, false, true, false, 2, {4, 4}},
                      GlyphCase{"TwoHot", 2, true, true, false, 1, {4, 4}},
                      GlyphCase{"TwoPressed", 2, true, true, true, 1, {5, 5}},
                      GlyphCase{"ThreeHot", 3, true, true, false, 1, {4, 4}},
                      GlyphCase{"ThreePressed", 3, true, true, true, 3, {5, 5}},
                      GlyphCase{"FourIdle", 4, true, false, false, 1, {4, 4}},
                      GlyphCase{"FourHot", 4, true, true, false, 4, {4, 4}},
                      GlyphCase{"FourPressed", 4, true, true, true, 3, {5, 5}},
                      GlyphCase{"FourDisabledHot", 4, false, true, false, 2, {4, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlaceCase {
    const char* name;
    int width;
    int height;
    int margin;
    TPoint at;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

class SpeedButtonPlaceTest : public SpeedButtonTest,
                             public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(SpeedButtonPlaceTest, GlyphRectangle) {
    const PlaceCase& c = GetParam();
    button->SetFlat(true);
    button->SetImageList(&images);
    button->SetImageIndex(0);
    button->SetBounds(kLeft, kTop, c.width, c.height);
    button->SetMargin(c.margin);
    const TPoint corner = Corner(shot(), kImageColors[0]);
    EXPECT_EQ(corner.X, c.at.X);
    EXPECT_EQ(corner.Y, c.at.Y);
}

INSTANTIATE_TEST_SUITE_P(Bounds, SpeedButtonPlaceTest,
                         // An odd remainder (25 - 18) puts the glyph one pixel right of the
                         // truncated centre; the glyph always sits one pixel low.
                         ::testing::Values(PlaceCase{"OddRemainder", 25, 25, -1, {4, 4}},
                                           PlaceCase{"EvenRemainder", 24, 24, -1, {3, 4}},
                                           PlaceCase{"WideOdd", 27, 25, -1, {5, 4}},
                                           PlaceCase{"MarginZero", 25, 25, 0, {1, 1}},
                                           PlaceCase{"MarginEven", 24, 24, 3, {3, 4}},
                                           PlaceCase{"MarginOdd", 25, 25, 3, {4, 4}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpeedButtonTest, NoGlyphWithoutImageOrList) {
    button->SetFlat(true);
    button->SetImageIndex(0); // no list
    for (TColor c : kImageColors)
        EXPECT_EQ(CountColor(shot(), shot().rect(), c), 0);
    button->SetImageList(&images);
    button->SetImageIndex(-1);
    for (TColor c : kImageColors)
        EXPECT_EQ(CountColor(shot(), shot().rect(), c), 0);
    button->SetImageIndex(9); // past the list's end: nothing either
    for (TColor c : kImageColors)
        EXPECT_EQ(CountColor(shot(), shot().rect(), c), 0);
}

TEST_F(SpeedButtonTest, ImageListGoingAwayIsForgotten) {
    auto* own = new TImageList(18, 18);
    own->Assign(&images);
    button->SetImageList(own);
    button->SetImageIndex(2);
    EXPECT_EQ(Corner(shot(), kImageColors[2]).X, 4);
    delete own;
    EXPECT_EQ(button->ImageList(), nullptr);
    EXPECT_EQ(CountColor(shot(), shot().rect(), kImageColors[2]), 0);
}

// ---- Frames

enum class Pointer { Away, Hot, Pressed, PressedThenOut, PressedOutAndBack };

struct FrameCase {
    const char* name;
    bool flat;
    bool enabled;
    bool designing;
    Pointer pointer;
    TColor topLeft;
    TColor bottomRight;
    TPoint glyph;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << c.name;
}

class SpeedButtonFrameTest : public SpeedButtonTest,
                             public ::testing::WithParamInterface<FrameCase> {};

TEST_P(SpeedButtonFrameTest, EdgeAndGlyph) {
    const FrameCase& c = GetParam();
    button->SetFlat(c.flat);
    button->SetImageList(&images);
    button->SetImageIndex(0);
    button->SetEnabled(c.enabled);
    if (c.designing) button->SetDesigning(true);
    if (c.pointer != Pointer::Away) hover();
    if (c.pointer >= Pointer::Pressed) press();
    if (c.pointer >= Pointer::PressedThenOut) dragOut();
    if (c.pointer == Pointer::PressedOutAndBack) dragIn();
    const QImage img = shot();
    EXPECT_EQ(At(img, 0, 0), ColorToRGB(c.topLeft));
    EXPECT_EQ(At(img, 0, 12), ColorToRGB(c.topLeft));
    EXPECT_EQ(At(img, 12, 0), ColorToRGB(c.topLeft));
    EXPECT_EQ(At(img, 24, 24), ColorToRGB(c.bottomRight));
    EXPECT_EQ(At(img, 24, 12), ColorToRGB(c.bottomRight));
    EXPECT_EQ(At(img, 12, 24), ColorToRGB(c.bottomRight));
    // A flat button never fills its face; a push frame does.
    EXPECT_EQ(At(img, 2, 2), ColorToRGB(c.flat ? kBack : clBtnFace));
    const TPoint corner = Corner(img, kImageColors[0]);
    EXPECT_EQ(corner.X, c.glyph.X);
    EXPECT_EQ(corner.Y, c.glyph.Y);
}

INSTANTIATE_TEST_SUITE_P(
    Looks, SpeedButtonFrameTest,
    ::testing::Values(
        FrameCase{"FlatAway", true, true, false, Pointer::Away, kBack, kBack, {4, 4}},
        FrameCase{"FlatHot", true, true, false, Pointer::Hot, clBtnHighlight, clBtnShadow, {4, 4}},
        FrameCase{"FlatPressed",
                  true,
                  true,
                  false,
                  Pointer::Pressed,
                  clBtnShadow,
                  clBtnHighlight,
                  {5, 5}},
        FrameCase{
            "FlatPressedThenOut", true, true, false, Pointer::PressedThenOut, kBack, kBack, {4, 4}},
        FrameCase{"FlatPressedOutAndBack",
                  true,
                  true,
                  false,
                  Pointer::PressedOutAndBack,
                  clBtnShadow,
                  clBtnHighlight,
                  {5, 5}},
        FrameCase{"FlatDisabledHot", true, false, false, Pointer::Hot, kBack, kBack, {4, 4}},
        FrameCase{
            "FlatDesigning", true, true, true, Pointer::Away, clBtnHighlight, clBtnShadow, {4, 4}},
        FrameCase{"FlatDesigningDisabled",
                  true,
                  false,
                  true,
                  Pointer::Away,
                  clBtnHighlight,
                  clBtnShadow,
                  {4, 4}},
        FrameCase{
            "PushAway", false, true, false, Pointer::Away, clBtnHighlight, cl3DDkShadow, {4, 4}},
        FrameCase{
            "PushHot", false, true, false, Pointer::Hot, clBtnHighlight, cl3DDkShadow, {4, 4}},
        FrameCase{"PushPressed",
                  false,
                  true,
                  false,
                  Pointer::Pressed,
                  cl3DDkShadow,
                  clBtnHighlight,
                  {6, 6}},
        FrameCase{"PushPressedThenOut",
                  false,
                  true,
                  false,
                  Pointer::PressedThenOut,
                  clBtnHighlight,
                  cl3DDkShadow,
                  {4, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Captions

class SpeedButtonCaptionTest : public SpeedButtonTest {
protected:
    SpeedButtonCaptionTest() {
        button->SetFlat(true);
        button->SetBounds(kLeft, kTop, 90, 60);
        button->SetCaption(QStringLiteral("Ok"));
        button->SetParentFont(false);
        button->Font()->SetColor(clNavy);
        button->DisabledTextColors()->SetShadeColor(clMaroon);
        button->DisabledTextColors()->SetHighlightColor(clTeal);
    }
    int textHeight() const {
        TBitmap bmp(1, 1);
        bmp.Canvas()->SetFont(button->Font());
        return bmp.Canvas()->TextHeight(button->Caption());
    }
    static TPoint Offset(const Pixels& a, const Pixels& b) {
        if (a.empty() || b.empty()) return {-999, -999};
        return {b.begin()->first - a.begin()->first, b.begin()->second - a.begin()->second};
    }
};

TEST_F(SpeedButtonCaptionTest, DrawnOnlyWhenShownAndNotEmpty) {
    EXPECT_TRUE(PixelsOf(shot(), clNavy).empty()); // ShowText false
    button->SetShowText(true);
    EXPECT_FALSE(PixelsOf(shot(), clNavy).empty());
    button->SetCaption(QString());
    EXPECT_TRUE(PixelsOf(shot(), clNavy).empty());
}

TEST_F(SpeedButtonCaptionTest, DisabledCaptionIsEmbossed) {
    button->SetShowText(true);
    const Pixels text = PixelsOf(shot(), clNavy);
    ASSERT_FALSE(text.empty());
    button->SetEnabled(false);
    const QImage img = shot();
    EXPECT_TRUE(PixelsOf(img, clNavy).empty());
    // The shade lies where the enabled text lies; the highlight one pixel right and down shows
    // where the shade does not cover it.
    EXPECT_EQ(PixelsOf(img, clMaroon), text);
    Pixels highlight;
    for (const auto& [x, y] : text)
        if (!text.count({x + 1, y + 1})) highlight.insert({x + 1, y + 1});
    EXPECT_EQ(PixelsOf(img, clTeal), highlight);
}

TEST_F(SpeedButtonCaptionTest, GlyphMovesUpAndCaptionDownByHalfTheTextAndSpacing) {
    button->SetShowText(true);
    button->SetImageList(&images);
    for (int spacing : {4, 7}) {
        SCOPED_TRACE(spacing);
        button->SetSpacing(spacing);
        const int shift = textHeight() / 2 + spacing / 2;
        button->SetImageIndex(-1);
        const Pixels alone = PixelsOf(shot(), clNavy);
        button->SetImageList(nullptr);
        button->SetImageIndex(0);
        EXPECT_EQ(PixelsOf(shot(), clNavy), alone) << "no list: the caption stays centred";
        button->SetImageList(&images);
        const QImage img = shot();
        const TPoint moved = Offset(alone, PixelsOf(img, clNavy));
        EXPECT_EQ(moved.X, 0);
        EXPECT_EQ(moved.Y, shift);
        // Centred in 90 x 60: (36, 21) one pixel low, then up by the shift.
        const TPoint glyph = Corner(img, kImageColors[0]);
        EXPECT_EQ(glyph.X, 36);
        EXPECT_EQ(glyph.Y, 22 - shift);
    }
}

TEST_F(SpeedButtonCaptionTest, MarginPlacesCaptionFromTheCorner) {
    button->SetShowText(true);
    button->SetMargin(5);
    const Pixels at5 = PixelsOf(shot(), clNavy);
    button->SetMargin(8);
    const TPoint moved = Offset(at5, PixelsOf(shot(), clNavy));
    EXPECT_EQ(moved.X, 3);
    EXPECT_EQ(moved.Y, 3);
}

// ---- Mouse

TEST_F(SpeedButtonTest, ClicksOnLeftReleaseInside) {
    std::vector<std::string> events;
    button->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int X, int Y) {
        events.push_back("down " + std::to_string(b) + " " + std::to_string(X) + "," +
                         std::to_string(Y));
    };
    button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
        events.push_back("up");
    };
    button->OnMouseMove = [&](TObject*, TShiftState, int, int) { events.push_back("move"); };
    hover();
    press();
    EXPECT_TRUE(button->Pressed());
    release(inside());
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"move", "down 0 12,12", "up"}));
    // Released outside: no click.
    press();
    dragOut();
    EXPECT_FALSE(button->Pressed());
    release({200, 130});
    EXPECT_EQ(clicks, 1);
    // The right button neither presses nor clicks.
    hover();
    SendMouse(panel->Handle(), QEvent::MouseButtonPress, inside(), Qt::RightButton,
              Qt::RightButton);
    EXPECT_FALSE(button->Pressed());
    SendMouse(panel->Handle(), QEvent::MouseButtonRelease, inside(), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtonTest, DoubleClickArrivesAsTwoClicks) {
    int doubles = 0;
    button->OnDblClick = [&](TObject*) { ++doubles; };
    hover();
    press();
    release(inside());
    SendMouse(panel->Handle(), QEvent::MouseButtonDblClick, inside());
    EXPECT_TRUE(button->Pressed());
    release(inside());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubles, 0);
}

TEST_F(SpeedButtonTest, HotFollowsThePointerEnabledOrNot) {
    button->SetEnabled(false);
    hover();
    EXPECT_TRUE(button->Hot());
    leave();
    EXPECT_FALSE(button->Hot());
    button->SetEnabled(true);
    hover();
    EXPECT_TRUE(button->Hot());
}

// ---- Repaints

class TCountingButton : public TwwSpeedButton {
public:
    using TwwSpeedButton::TwwSpeedButton;
    void Invalidate() override {
        ++invalidations;
        TwwSpeedButton::Invalidate();
    }
    int invalidations = 0;
};

struct RepaintCase {
    const char* name;
    std::function<void(TCountingButton&, TImageList&)> change;
    bool repaints;
};

TEST_F(SpeedButtonTest, EveryChangeRepaintsAndSameValuesDoNot) {
    const std::vector<RepaintCase> cases = {
        {"ImageIndex", [](auto& x, auto&) { x.SetImageIndex(3); }, true},
        {"ImageIndexSame", [](auto& x, auto&) { x.SetImageIndex(-1); }, false},
        {"ImageList", [](auto& x, auto& l) { x.SetImageList(&l); }, true},
        {"ImageListNone", [](auto& x, auto&) { x.SetImageList(nullptr); }, false},
        {"NumGlyphs", [](auto& x, auto&) { x.SetNumGlyphs(2); }, true},
        {"NumGlyphsSame", [](auto& x, auto&) { x.SetNumGlyphs(1); }, false},
        {"Margin", [](auto& x, auto&) { x.SetMargin(2); }, true},
        {"MarginSame", [](auto& x, auto&) { x.SetMargin(-1); }, false},
        {"Spacing", [](auto& x, auto&) { x.SetSpacing(6); }, true},
        {"SpacingSame", [](auto& x, auto&) { x.SetSpacing(4); }, false},
        {"ShowText", [](auto& x, auto&) { x.SetShowText(true); }, true},
        {"ShowTextSame", [](auto& x, auto&) { x.SetShowText(false); }, false},
        {"Flat", [](auto& x, auto&) { x.SetFlat(true); }, true},
        {"FlatSame", [](auto& x, auto&) { x.SetFlat(false); }, false},
        {"Transparent", [](auto& x, auto&) { x.SetTransparent(true); }, true},
        {"TransparentSame", [](auto& x, auto&) { x.SetTransparent(false); }, false},
        {"Enabled", [](auto& x, auto&) { x.SetEnabled(false); }, true},
        {"Caption", [](auto& x, auto&) { x.SetCaption(QStringLiteral("x")); }, true},
        {"ShadeColor", [](auto& x, auto&) { x.DisabledTextColors()->SetShadeColor(clRed); }, true},
        {"HighlightColorSame",
         [](auto& x, auto&) { x.DisabledTextColors()->SetHighlightColor(clBtnHighlight); }, false},
        {"Enter",
         [this](auto&, auto&) {
             MoveTo(panel->Handle(), {112, 22});
         },
         true},
        {"Leave",
         [this](auto& x, auto&) {
             MoveTo(panel->Handle(), {112, 22});
             x.invalidations = 0;
             MoveTo(panel->Handle(), {200, 130});
         },
         true},
        {"Press",
         [this](auto& x, auto&) {
             MoveTo(panel->Handle(), {112, 22});
             x.invalidations = 0;
             SendMouse(panel->Handle(), QEvent::MouseButtonPress, {112, 22});
             SendMouse(panel->Handle(), QEvent::MouseButtonRelease, {112, 22}, Qt::LeftButton,
                       Qt::NoButton);
         },
         true},
    };
    for (const RepaintCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto fresh = std::make_unique<TCountingButton>(nullptr);
        fresh->SetParent(panel);
        fresh->SetBounds(100, 10, 25, 25);
        fresh->invalidations = 0;
        c.change(*fresh, images);
        EXPECT_EQ(fresh->invalidations > 0, c.repaints) << fresh->invalidations;
        fresh->SetParent(nullptr);
        leave();
    }
}

// ---- Actions

class TTestActionList : public TComponent {
    RAVELDA_CLASS(TTestActionList, TComponent)
public:
    using TComponent::TComponent;
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* Value) { images_ = Value; }

private:
    TImageList* images_ = nullptr;
};

class TTestAction : public TComponent {
    RAVELDA_CLASS(TTestAction, TComponent)
public:
    using TComponent::TComponent;
    TTestActionList* ActionList() const { return list_; }
    void SetActionList(TTestActionList* Value) { list_ = Value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value) { imageIndex_ = Value; }

private:
    TTestActionList* list_ = nullptr;
    int imageIndex_ = -1;
};

RAVELDA_DEFINE_CLASS(TTestActionList) {
    c.Property("Images", &TTestActionList::Images, &TTestActionList::SetImages);
}
RAVELDA_DEFINE_CLASS(TTestAction) {
    c.Property("ActionList", &TTestAction::ActionList, &TTestAction::SetActionList);
    c.Property("ImageIndex", &TTestAction::ImageIndex, &TTestAction::SetImageIndex).Default(-1);
}

TEST_F(SpeedButtonTest, ActionGivesItsImageIndexWhenItFitsTheList) {
    TImageList other(18, 18);
    struct Case {
        const char* name;
        bool sameList;
        bool buttonHasList;
        int actionIndex;
        int expected;
    };
    const Case cases[] = {
        {"InRange", true, true, 2, 2},    {"Last", true, true, 5, 5},
        {"PastTheEnd", true, true, 6, 1}, {"Negative", true, true, -1, 1},
        {"OtherList", false, true, 2, 1}, {"ButtonWithoutList", true, false, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTestActionList list(nullptr);
        list.SetImages(c.sameList ? &images : &other);
        TTestAction action(nullptr);
        action.SetActionList(&list);
        action.SetImageIndex(c.actionIndex);
        TwwSpeedButton b(nullptr);
        if (c.buttonHasList) b.SetImageList(&images);
        b.SetImageIndex(1);
        b.SetAction(&action);
        EXPECT_EQ(b.ImageIndex(), c.expected);
        EXPECT_EQ(b.Action(), &action);
        b.SetAction(nullptr);
    }
    // An action that goes away is forgotten.
    TwwSpeedButton b(nullptr);
    auto* action = new TTestAction(nullptr);
    b.SetAction(action);
    delete action;
    EXPECT_EQ(b.Action(), nullptr);
}

} // namespace

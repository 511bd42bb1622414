// The transparent panel: opaque it paints its face, transparent it draws only its bevels and lets
// the parent's pixels show through; designing counts as opaque.
#include "navigator/wwclearpanel.h"
#include "navigator/wwdbnavigator.h"

#include "platform/color.h"
#include "platform/panel.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>
#include <ostream>

namespace {

struct PanelCase {
    const char* name;
    bool transparent;
    bool designing;
    TPanelBevel bevel;
    TColor inside;  // at (10, 10) of the panel
    TColor topLeft; // at (0, 0) of the panel
};

void PrintTo(const PanelCase& c, std::ostream* os) {
    *os << c.name;
}

const PanelCase kPanelCases[] = {
    {"Opaque", false, false, bvNone, clBtnFace, clBtnFace},
    {"OpaqueRaised", false, false, bvRaised, clBtnFace, clBtnHighlight},
    {"TransparentShowsTheParent", true, false, bvNone, clRed, clRed},
    {"TransparentKeepsItsBevel", true, false, bvRaised, clRed, clBtnHighlight},
    {"TransparentLoweredBevel", true, false, bvLowered, clRed, clBtnShadow},
    {"DesignedIsOpaque", true, true, bvNone, clBtnFace, clBtnFace},
};

class PanelTest : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelTest, Pixels) {
    const PanelCase& c = GetParam();
    TPanel parent(nullptr);
    parent.SetBevelOuter(bvNone);
    parent.SetColor(clRed);
    parent.SetBounds(0, 0, 100, 60);
    auto* panel = new TwwCustomTransparentPanel(nullptr);
    EXPECT_FALSE(panel->Transparent());
    EXPECT_EQ(panel->BevelOuter(), bvRaised);
    panel->SetParent(&parent);
    panel->SetBounds(20, 10, 50, 30);
    panel->SetBevelOuter(c.bevel);
    panel->SetTransparent(c.transparent);
    if (c.designing) panel->SetDesigning(true);
    EXPECT_EQ(panel->IsTransparent(), c.transparent && !c.designing);
    const QImage image = parent.Handle()->grab().toImage();
    EXPECT_EQ(image.pixelColor(30, 20), ToQColor(c.inside));
    EXPECT_EQ(image.pixelColor(20, 10), ToQColor(c.topLeft));
    EXPECT_TRUE(panel->Caption().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelTest, ::testing::ValuesIn(kPanelCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// A navigator over a red parent: its buttons' backgrounds are the navigator's face, or the
// parent's red when the navigator is transparent.
TEST(TransparentNavigator, ButtonsShowWhatLiesBeneath) {
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        TPanel parent(nullptr);
        parent.SetBevelOuter(bvNone);
        parent.SetColor(clRed);
        parent.SetBounds(0, 0, 400, 60);
        auto* nav = new TwwDBNavigator(nullptr);
        nav->SetParent(&parent);
        nav->SetBounds(10, 10, 1, 25);
        nav->SetTransparent(transparent);
        parent.Handle()->grab();
        ASSERT_EQ(nav->Buttons()->Count(), 14);
        TwwNavButton* b = nav->Buttons()->Buttons(3);
        b->SetEnabled(false);
        const QImage image = parent.Handle()->grab().toImage();
        const TColor expected = transparent ? clRed : clBtnFace;
        EXPECT_EQ(image.pixelColor(10 + b->Left() + 1, 10 + 1), ToQColor(expected));
        EXPECT_EQ(image.pixelColor(10 + 349, 10 + 24), ToQColor(expected));
    }
}

} // namespace

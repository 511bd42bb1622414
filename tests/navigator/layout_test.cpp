// Placing and sizing the buttons: the default set at the first paint, arrange in rows and
// columns, the three auto-size styles, hidden buttons, bevels, growing to fit and reordering.
#include "navigator_support.h"
#include <ostream>

#include <QWidget>
#include <vector>

using namespace ravelda::test;

namespace {

struct Box {
    int x, y, w, h;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& b, std::ostream* os) {
    *os << "(" << b.x << "," << b.y << " " << b.w << "x" << b.h << ")";
}

std::vector<Box> Boxes(const TwwDBNavigator& nav, bool visibleOnly = true) {
    std::vector<Box> out;
    for (int i = 0; i < nav.Buttons()->Count(); ++i) {
        const TwwNavButton* b = nav.Buttons()->Buttons(i);
        if (visibleOnly && !b->Visible()) continue;
        out.push_back({b->Left(), b->Top(), b->Width(), b->Height()});
    }
    return out;
}

// n boxes of w x h in one row from x0, y0.
std::vector<Box> Row(int n, int x0, int y0, int w, int h) {
    std::vector<Box> out;
    for (int i = 0; i < n; ++i)
        out.push_back({x0 + i * w, y0, w, h});
    return out;
}

class NavigatorLayout : public ::testing::Test {
protected:
    TwwDBNavigator* MakeNav() {
        nav = new TwwDBNavigator(root.get());
        nav->SetName(QStringLiteral("Nav"));
        return nav;
    }
    std::unique_ptr<TComponent> root = std::make_unique<TComponent>(nullptr);
    TwwDBNavigator* nav = nullptr;
};

TEST_F(NavigatorLayout, NewNavigatorGetsTheDefaultSetAtItsFirstPaint) {
    MakeNav();
    EXPECT_EQ(nav->Buttons()->Count(), 0);
    EXPECT_EQ(nav->Width(), 1);
    EXPECT_EQ(nav->BevelOuter(), bvNone);
    EXPECT_TRUE(nav->Caption().isEmpty());
    nav->Handle()->grab();
    ASSERT_EQ(nav->Buttons()->Count(), 14);
    const TwwNavButtonStyle order[] = {nbsFirst,        nbsPriorPage,      nbsPrior,  nbsNext,
                                       nbsNextPage,     nbsLast,           nbsInsert, nbsDelete,
                                       nbsEdit,         nbsPost,           nbsCancel, nbsRefresh,
                                       nbsSaveBookmark, nbsRestoreBookmark};
    for (int i = 0; i < 14; ++i) {
        TwwNavButton* b = nav->Buttons()->Buttons(i);
        EXPECT_EQ(b->Style(), order[i]) << i;
        EXPECT_EQ(b->Index(), i);
        EXPECT_TRUE(b->Name().isEmpty()) << "run-time buttons stay unnamed";
    }
    EXPECT_EQ(Boxes(*nav), Row(14, 0, 0, 25, 25));
    EXPECT_EQ(nav->Width(), 350);
    EXPECT_EQ(nav->Height(), 25);
    // Only the first paint adds the set.
    nav->Buttons()->RemoveAll();
    nav->Handle()->grab();
    EXPECT_EQ(nav->Buttons()->Count(), 0);
}

struct LayoutCase {
    const char* name;
    TwwNavAutoSizeStyle autosize;
    TwwNavLayout layout;
    int width, height;
    int lineBreakAt; // -1: none
    int hiddenAt;    // -1: none
    TPanelBevel bevelOuter;
    std::vector<Box> expected;
    int expectedWidth, expectedHeight;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<Box> Concat(std::vector<Box> a, const std::vector<Box>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Box> OneBelowAnother() {
    std::vector<Box> out;
    for (int i = 0; i < 14; ++i)
        out.push_back({0, 25 * (i + 1), 25, 25});
    return out;
}

std::vector<Box> Column(int n, int w, int h) {
    std::vector<Box> out;
    for (int i = 0; i < n; ++i)
        out.push_back({0, i * h, w, h});
    return out;
}

std::vector<Box> SharedRow() {
    std::vector<Box> out{{0, 0, 26, 25}};
    for (int i = 1; i < 14; ++i)
        out.push_back({26 + (i - 1) * 25, 0, 25, 25});
    return out;
}

std::vector<Box> TwoSharedRows() {
    std::vector<Box> out;
    for (int row = 0; row < 2; ++row) {
        const int y = row == 0 ? 0 : 26;
        const int h = row == 0 ? 26 : 25;
        out.push_back({0, y, 51, h});
        for (int i = 1; i < 7; ++i)
            out.push_back({51 + (i - 1) * 50, y, 50, h});
    }
    return out;
}

// LineBreak on the last button: it keeps the size of the row before it, alone in the second row.
std::vector<Box> LastButtonBreaks() {
    std::vector<Box> out;
    for (int i = 0; i < 12; ++i)
        out.push_back({27 * i, 0, 27, 25});
    out.push_back({324, 0, 26, 25});
    out.push_back({0, 25, 26, 25});
    return out;
}

const LayoutCase kLayoutCases[] = {
    {"OneRowSizesTheNavigator", asSizeNavigator, nlHorizontal, 350, 25, -1, -1, bvNone,
     Row(14, 0, 0, 25, 25), 350, 25},
    {"NarrowNavigatorLeavesTheFirstRowEmpty", asNone, nlHorizontal, 24, 25, -1, -1, bvNone,
     OneBelowAnother(), 24, 25},
    {"FirstButtonWithLineBreakLeavesTheFirstRowEmpty", asNone, nlHorizontal, 350, 25, 0, -1, bvNone,
     Row(14, 0, 25, 25, 25), 350, 25},
    {"LineBreakStartsTheSecondRow", asSizeNavigator, nlHorizontal, 350, 25, 7, -1, bvNone,
     Concat(Row(7, 0, 0, 25, 25), Row(7, 0, 25, 25, 25)), 175, 50},
    {"VerticalColumn", asSizeNavigator, nlVertical, 25, 350, -1, -1, bvNone, Column(14, 25, 25), 25,
     350},
    {"ButtonsShareTheWidth", asSizeNavButtons, nlHorizontal, 351, 25, -1, -1, bvNone, SharedRow(),
     351, 25},
    {"ButtonsShareTwoRows", asSizeNavButtons, nlHorizontal, 351, 51, 7, -1, bvNone, TwoSharedRows(),
     351, 51},
    {"LastButtonWithLineBreakKeepsTheSizeOfTheRowBefore", asSizeNavButtons, nlHorizontal, 350, 50,
     13, -1, bvNone, LastButtonBreaks(), 350, 50},
    {"HiddenButtonLeavesTheRow", asSizeNavigator, nlHorizontal, 350, 25, -1, 3, bvNone,
     Row(13, 0, 0, 25, 25), 325, 25},
    {"BevelInsetOnTheNearSideOnly", asSizeNavigator, nlHorizontal, 352, 27, -1, -1, bvRaised,
     Row(14, 1, 1, 25, 25), 352, 27},
};

class LayoutTest : public NavigatorLayout, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTest, Arrange) {
    const LayoutCase& c = GetParam();
    MakeNav();
    nav->SetAutosizeStyle(asNone);
    nav->SetBounds(0, 0, 1000, 1000);
    nav->Buttons()->CreateDefaultSet();
    nav->SetBevelOuter(c.bevelOuter);
    nav->SetLayout(c.layout);
    nav->SetBounds(0, 0, c.width, c.height);
    if (c.lineBreakAt >= 0) nav->Buttons()->Buttons(c.lineBreakAt)->SetLineBreak(true);
    if (c.hiddenAt >= 0) nav->Buttons()->Buttons(c.hiddenAt)->SetVisible(false);
    nav->SetAutosizeStyle(c.autosize);
    nav->Buttons()->Relayout();
    EXPECT_EQ(Boxes(*nav), c.expected);
    EXPECT_EQ(nav->Width(), c.expectedWidth);
    EXPECT_EQ(nav->Height(), c.expectedHeight);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutTest, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NavigatorLayout, RowStepIsTheHeightOfTheButtonPlacedLast) {
    MakeNav();
    nav->SetAutosizeStyle(asNone);
    nav->SetBounds(0, 0, 50, 100);
    TwwNavButton* tall = nav->Buttons()->AddButton(nbsFirst);
    TwwNavButton* low = nav->Buttons()->AddButton(nbsNext);
    TwwNavButton* third = nav->Buttons()->AddButton(nbsLast);
    tall->SetHeight(40);
    low->SetHeight(10);
    nav->Buttons()->Arrange();
    EXPECT_EQ((Box{tall->Left(), tall->Top(), 25, 40}), (Box{0, 0, 25, 40}));
    EXPECT_EQ((Box{low->Left(), low->Top(), 25, 10}), (Box{25, 0, 25, 10}));
    EXPECT_EQ(third->Left(), 0);
    EXPECT_EQ(third->Top(), 10);
}

TEST_F(NavigatorLayout, HiddenButtonsKeepTheirPlacesAtDesignTime) {
    MakeNav();
    nav->Handle()->grab();
    nav->SetDesigning(true);
    nav->Buttons()->Buttons(3)->SetVisible(false);
    nav->Buttons()->Relayout();
    EXPECT_EQ(nav->Buttons()->VisibleCount(), 14);
    EXPECT_EQ(Boxes(*nav, false), Row(14, 0, 0, 25, 25));
    EXPECT_EQ(nav->Width(), 350);
    nav->SetDesigning(false);
    EXPECT_EQ(nav->Buttons()->VisibleCount(), 13);
}

TEST_F(NavigatorLayout, AddingAButtonThatDoesNotFitGrowsTheNavigator) {
    MakeNav();
    nav->Handle()->grab();
    TwwNavButton* b = nav->Buttons()->AddButton(nbsLocateDialog);
    EXPECT_EQ(nav->Buttons()->Count(), 15);
    EXPECT_EQ(b->Left(), 0);
    EXPECT_EQ(b->Top(), 25);
    EXPECT_EQ(nav->Height(), 50);
    EXPECT_EQ(nav->Width(), 350);
}

TEST_F(NavigatorLayout, IndexWriteMovesTheButtonAndRelaysOut) {
    MakeNav();
    nav->Handle()->grab();
    TwwNavButton* last = ButtonOf(*nav, nbsLast);
    ASSERT_EQ(last->Index(), 5);
    last->SetIndex(0);
    EXPECT_EQ(nav->Buttons()->Buttons(0), last);
    EXPECT_EQ(last->Left(), 0);
    EXPECT_EQ(ButtonOf(*nav, nbsFirst)->Index(), 1);
    EXPECT_EQ(ButtonOf(*nav, nbsFirst)->Left(), 25);
    last->SetIndex(99);
    EXPECT_EQ(last->Index(), 13);
    EXPECT_EQ(last->Left(), 325);
}

TEST_F(NavigatorLayout, LayoutAndAutosizeWritesRelayout) {
    MakeNav();
    nav->Handle()->grab();
    // Columns one button high: the row stays.
    nav->SetLayout(nlVertical);
    EXPECT_EQ(Boxes(*nav), Row(14, 0, 0, 25, 25));
    EXPECT_EQ(nav->Width(), 350);
    // A resize relays out: one column.
    nav->SetBounds(0, 0, 25, 350);
    EXPECT_EQ(Boxes(*nav), Column(14, 25, 25));
    EXPECT_EQ(nav->Width(), 25);
    EXPECT_EQ(nav->Height(), 350);
    nav->SetAutosizeStyle(asSizeNavButtons);
    nav->SetBounds(0, 0, 30, 140);
    EXPECT_EQ(Boxes(*nav), Column(14, 30, 10));
}

TEST_F(NavigatorLayout, ExtremeButtons) {
    MakeNav();
    EXPECT_EQ(nav->Buttons()->RightMostVisibleButton(), nullptr);
    nav->Handle()->grab();
    EXPECT_EQ(nav->Buttons()->RightMostVisibleButton(), nav->Buttons()->Buttons(13));
    EXPECT_EQ(nav->Buttons()->BottomMostVisibleButton(), nav->Buttons()->Buttons(0));
    EXPECT_EQ(nav->Buttons()->ButtonAt({60, 10}), nav->Buttons()->Buttons(2));
    EXPECT_EQ(nav->Buttons()->ButtonAt({400, 10}), nullptr);
}

TEST_F(NavigatorLayout, EndUpdateDoesNotArrange) {
    MakeNav();
    nav->Handle()->grab();
    nav->Buttons()->BeginUpdate();
    nav->Buttons()->Buttons(0)->SetLeft(200);
    nav->Buttons()->Arrange();
    EXPECT_EQ(nav->Buttons()->Buttons(0)->Left(), 200);
    nav->Buttons()->EndUpdate();
    EXPECT_EQ(nav->Buttons()->Buttons(0)->Left(), 200);
    nav->Buttons()->Arrange();
    EXPECT_EQ(nav->Buttons()->Buttons(0)->Left(), 0);
}

} // namespace

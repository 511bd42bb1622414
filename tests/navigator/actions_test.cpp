// What a click on each button does to the dataset, the delete confirmation, the errors of a
// navigator without a dataset, and the auto-repeat of the moving buttons on the test clock.
#include "navigator_support.h"
#include <ostream>

#include "platform/exceptions.h"
#include "platform/keys.h"
#include "platform/testseams.h"

using namespace ravelda::test;

namespace {

struct MoveCase {
    const char* name;
    TwwNavButtonStyle style;
    int moveBy;
    int expectedId;
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

class MoveTest : public NavigatorTest, public ::testing::WithParamInterface<MoveCase> {};

// From record 5 of 30.
const MoveCase kMoveCases[] = {
    {"First", nbsFirst, 10, 1},
    {"Prior", nbsPrior, 10, 4},
    {"Next", nbsNext, 10, 6},
    {"Last", nbsLast, 10, 30},
    {"PriorPageStopsAtTheBegin", nbsPriorPage, 10, 1},
    {"NextPage", nbsNextPage, 10, 15},
    {"NegativeMoveByPriorPage", nbsPriorPage, -3, 2},
    {"NegativeMoveByNextPage", nbsNextPage, -3, 8},
    {"ZeroMoveByStays", nbsNextPage, 0, 5},
    {"NextPageStopsAtTheEnd", nbsNextPage, 100, 30},
    {"MostNegativeMoveBy", nbsNextPage, std::numeric_limits<int>::min(), 30},
};

TEST_P(MoveTest, ClickMovesTheCursor) {
    const MoveCase& c = GetParam();
    SetUpTable(30);
    nav->SetMoveBy(c.moveBy);
    GoTo(5);
    ASSERT_EQ(IdNow(), 5);
    Button(c.style)->Click();
    EXPECT_EQ(IdNow(), c.expectedId);
}

INSTANTIATE_TEST_SUITE_P(Cases, MoveTest, ::testing::ValuesIn(kMoveCases),
                         [](const auto& info) { return std::string(info.param.name); });

class NavigatorActions : public NavigatorTest {};

TEST_F(NavigatorActions, EditPostCancelInsertRefresh) {
    SetUpTable(5);
    GoTo(2);
    Button(nbsEdit)->Click();
    EXPECT_EQ(table->State(), dsEdit);
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Changed"));
    Button(nbsPost)->Click();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Changed"));

    Button(nbsEdit)->Click();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Dropped"));
    Button(nbsCancel)->Click();
    EXPECT_EQ(table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Changed"));

    Button(nbsInsert)->Click();
    EXPECT_EQ(table->State(), dsInsert);
    Button(nbsCancel)->Click();

    GoTo(4);
    Button(nbsRefresh)->Click();
    EXPECT_EQ(IdNow(), 4);
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(NavigatorActions, DeleteAsksFirstWithTheDefaultOptions) {
    SetUpTable(5);
    GoTo(3);
    TTestMessageBoxes boxes;
    boxes.Answer(mrCancel);
    Button(nbsDelete)->Click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(boxes.Last().Caption, QStringLiteral("Confirm"));
    EXPECT_EQ(boxes.Last().Buttons, (TMsgDlgButtons{mbOK, mbCancel}));
    EXPECT_EQ(table->RecordCount(), 5);
    EXPECT_EQ(IdNow(), 3);

    boxes.Answer(mrOk);
    Button(nbsDelete)->Click();
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(IdNow(), 4);
}

TEST_F(NavigatorActions, DeleteAtOnceWithoutTheConfirmOption) {
    SetUpTable(5);
    nav->SetOptions(TwwNavOptions());
    TTestMessageBoxes boxes;
    Button(nbsDelete)->Click();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(table->RecordCount(), 4);
}

TEST_F(NavigatorActions, ErrorsAfterOnClickWithoutDataSet) {
    SetUpTable(3);
    struct Case {
        const char* name;
        std::function<void()> breakIt;
        QString message;
    };
    const Case cases[] = {
        {"no data source", [&] { nav->SetDataSource(nullptr); },
         QStringLiteral("Error, DataSource not assigned")},
        {"no dataset",
         [&] {
             nav->SetDataSource(source);
             source->SetDataSet(nullptr);
         },
         QStringLiteral("Missing data set: Source1")},
    };
    TwwNavButton* custom = nav->Buttons()->AddButton(nbsCustom);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.breakIt();
        for (TwwNavButton* b : {Button(nbsNext), custom}) {
            int clicks = 0;
            b->OnClick = [&](TObject*) { ++clicks; };
            try {
                b->Click();
                ADD_FAILURE() << "no error";
            } catch (const EInvalidOperation& e) {
                EXPECT_EQ(e.Message(), c.message);
            }
            EXPECT_EQ(clicks, 1);
        }
    }
}

// Auto-repeat on the test clock, from record 1 of 30.
class NavigatorRepeat : public NavigatorTest {
protected:
    void SetUp() override {
        SetUpTable(30);
        next = Button(nbsNext);
        NoteKeyState(VK_LBUTTON, true);
    }
    void TearDown() override { NoteKeyState(VK_LBUTTON, false); }
    void Press(TMouseButton b = mbLeft) {
        next->DispatchMouseEnter();
        next->DispatchMouseDown(b, TShiftState(), 10, 10, false);
    }
    void Release(bool inside, TMouseButton b = mbLeft) {
        NoteKeyState(VK_LBUTTON, false);
        next->DispatchMouseUp(b, TShiftState(), inside ? 10 : 40, 10);
    }
    TTestClock clock;
    TwwNavButton* next = nullptr;
};

TEST_F(NavigatorRepeat, QuickClickMovesOnce) {
    Press();
    clock.Advance(499);
    EXPECT_EQ(IdNow(), 1);
    Release(true);
    EXPECT_EQ(IdNow(), 2);
    clock.Advance(2000);
    EXPECT_EQ(IdNow(), 2);
    EXPECT_EQ(clock.RunningTimers(), 0);
}

TEST_F(NavigatorRepeat, HoldingMovesAfterTheDelayThenEveryInterval) {
    Press();
    clock.Advance(499);
    EXPECT_EQ(IdNow(), 1);
    clock.Advance(1);
    EXPECT_EQ(IdNow(), 2);
    clock.Advance(99);
    EXPECT_EQ(IdNow(), 2);
    clock.Advance(1);
    EXPECT_EQ(IdNow(), 3);
    clock.Advance(400); // 1000 ms: moves at 500, 600, ..., 1000
    EXPECT_EQ(IdNow(), 7);
    Release(true);
    EXPECT_EQ(IdNow(), 8);
    EXPECT_FALSE(next->Repeating());
}

TEST_F(NavigatorRepeat, ReleasingOutsideAddsNoMove) {
    Press();
    clock.Advance(1000);
    EXPECT_EQ(IdNow(), 7);
    Release(false);
    EXPECT_EQ(IdNow(), 7);
}

TEST_F(NavigatorRepeat, RightButtonDoesNotRepeat) {
    Press(mbRight);
    EXPECT_TRUE(next->Repeating());
    clock.Advance(1000);
    EXPECT_EQ(IdNow(), 1);
    EXPECT_FALSE(next->Repeating());
    Release(true, mbRight);
    EXPECT_EQ(IdNow(), 1);
}

TEST_F(NavigatorRepeat, LeavingStopsAndComingBackRestartsWithTheDelay) {
    Press();
    clock.Advance(600);
    EXPECT_EQ(IdNow(), 3);
    next->DispatchMouseLeave();
    clock.Advance(1000);
    EXPECT_EQ(IdNow(), 3);
    next->DispatchMouseEnter();
    clock.Advance(499);
    EXPECT_EQ(IdNow(), 3);
    clock.Advance(1);
    EXPECT_EQ(IdNow(), 4);
    Release(true);
    EXPECT_EQ(IdNow(), 5);
}

TEST_F(NavigatorRepeat, ComingBackWithThePhysicalButtonUpForgetsThePress) {
    Press();
    next->DispatchMouseLeave();
    NoteKeyState(VK_LBUTTON, false);
    next->DispatchMouseEnter();
    EXPECT_FALSE(next->Repeating());
    clock.Advance(1000);
    next->DispatchMouseUp(mbLeft, TShiftState(), 10, 10);
    EXPECT_EQ(IdNow(), 1);
}

TEST_F(NavigatorRepeat, TimingsFromRepeatInterval) {
    nav->RepeatInterval()->SetInitialDelay(200);
    nav->RepeatInterval()->SetInterval(50);
    Press();
    clock.Advance(199);
    EXPECT_EQ(IdNow(), 1);
    clock.Advance(1);
    EXPECT_EQ(IdNow(), 2);
    clock.Advance(100);
    EXPECT_EQ(IdNow(), 4);
    Release(false);
}

TEST_F(NavigatorRepeat, FailingRepeatedClickStopsTheRepeat) {
    int clicks = 0;
    next->OnClick = [&](TObject*) {
        if (++clicks == 2) nav->SetDataSource(nullptr);
    };
    TTestMessageBoxes boxes;
    Press();
    clock.Advance(600);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(next->Repeating());
    clock.Advance(1000);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Error, DataSource not assigned."));
    Release(false);
}

TEST_F(NavigatorRepeat, DestroyingTheNavigatorWhileRepeatingStopsTheTimer) {
    Press();
    clock.Advance(600);
    ASSERT_EQ(clock.RunningTimers(), 1);
    delete nav;
    nav = nullptr;
    EXPECT_EQ(clock.RunningTimers(), 0);
    clock.Advance(1000);
    EXPECT_EQ(IdNow(), 3);
}

TEST_F(NavigatorRepeat, NonMovingButtonsDoNotRepeat) {
    TwwNavButton* edit = Button(nbsEdit);
    edit->DispatchMouseEnter();
    edit->DispatchMouseDown(mbLeft, TShiftState(), 10, 10, false);
    EXPECT_FALSE(edit->Repeating());
    EXPECT_EQ(clock.RunningTimers(), 0);
    edit->DispatchMouseUp(mbLeft, TShiftState(), 10, 10);
    EXPECT_EQ(table->State(), dsEdit);
}

} // namespace

// Timers and the clock, driven by the test clock: nothing sleeps.
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/exceptions.h"
#include "platform/properties.h"
#include "platform/testseams.h"
#include "platform/timer.h"

#include <gtest/gtest.h>

namespace {

class TimerTest : public ::testing::Test {
protected:
    TTestClock clock{QDateTime(QDate(2031, 12, 31), QTime(23, 59, 59))};
    TTestMessageBoxes boxes;
    TComponent owner{nullptr};
};

TEST_F(TimerTest, ClockServiceGivesTheTestTime) {
    EXPECT_EQ(Date(), QDate(2031, 12, 31));
    qint64 t0 = GetTickCount();
    clock.Advance(1500);
    EXPECT_EQ(Date(), QDate(2032, 1, 1)); // the year turns while the program runs
    EXPECT_EQ(GetTickCount() - t0, 1500);
}

TEST_F(TimerTest, FiresEveryIntervalThatFallsDue) {
    auto* timer = new TTimer(&owner);
    std::vector<qint64> fired;
    timer->SetInterval(100);
    timer->SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(sender, timer);
        fired.push_back(GetTickCount());
    });
    clock.Advance(99);
    EXPECT_TRUE(fired.empty());
    clock.Advance(251);
    EXPECT_EQ(fired, (std::vector<qint64>{100, 200, 300}));
    EXPECT_EQ(clock.NextDue(), 50);
}

TEST_F(TimerTest, DisabledUnassignedOrZeroTimersDoNotRun) {
    auto* timer = new TTimer(&owner);
    EXPECT_FALSE(timer->Running()); // no handler yet
    int n = 0;
    timer->SetOnTimer([&](TObject*) { ++n; });
    EXPECT_TRUE(timer->Running());
    timer->SetEnabled(false);
    clock.Advance(5000);
    EXPECT_EQ(n, 0);
    timer->SetEnabled(true);
    timer->SetInterval(0);
    clock.Advance(5000);
    EXPECT_EQ(n, 0);
    EXPECT_THROW(timer->SetInterval(-1), EInvalidOperation);
    timer->SetInterval(1000);
    clock.Advance(1000);
    EXPECT_EQ(n, 1);
}

TEST_F(TimerTest, ChangingTheIntervalRestartsTheCount) {
    auto* timer = new TTimer(&owner);
    std::vector<qint64> fired;
    timer->SetOnTimer([&](TObject*) { fired.push_back(GetTickCount()); });
    timer->SetInterval(500); // the navigator's initial delay
    clock.Advance(300);
    timer->SetInterval(100); // then the repeat interval
    clock.Advance(250);
    EXPECT_EQ(fired, (std::vector<qint64>{400, 500}));
}

TEST_F(TimerTest, HandlersMayStopOrFreeTheirTimer) {
    auto* once = new TTimer(&owner);
    int n = 0;
    once->SetInterval(10);
    once->SetOnTimer([&](TObject*) {
        ++n;
        once->SetEnabled(false);
    });
    auto* selfFreeing = new TTimer(&owner);
    int m = 0;
    selfFreeing->SetInterval(10);
    selfFreeing->SetOnTimer([&](TObject*) {
        ++m;
        delete selfFreeing;
    });
    clock.Advance(100);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(clock.RunningTimers(), 0);
}

TEST_F(TimerTest, TimersDueTogetherFireInStartOrder) {
    std::vector<int> order;
    auto* a = new TTimer(&owner);
    auto* b = new TTimer(&owner);
    a->SetInterval(50);
    b->SetInterval(50);
    a->SetOnTimer([&](TObject*) { order.push_back(1); });
    b->SetOnTimer([&](TObject*) { order.push_back(2); });
    clock.Advance(100);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(TimerTest, AnErrorInOnTimerIsShownAndTheTimerGoesOn) {
    Application->SetTitle("Ravelda");
    auto* timer = new TTimer(&owner);
    int n = 0;
    timer->SetInterval(100);
    timer->SetOnTimer([&](TObject*) {
        if (++n == 1) throw EDatabaseError("Record locked by another user");
    });
    clock.Advance(200);
    EXPECT_EQ(n, 2);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Record locked by another user.");
    EXPECT_EQ(boxes.Last().Caption, "Ravelda");
    Application->SetTitle(QString());
}

TEST_F(TimerTest, PublishedAndStartedOnlyAfterLoading) {
    auto* timer = new TTimer(&owner);
    EXPECT_EQ(GetPropValue(timer, "Interval").toInt(), 1000);
    timer->SetLoadingState(true);
    timer->SetOnTimer([](TObject*) {});
    EXPECT_FALSE(timer->Running());
    timer->Loaded();
    EXPECT_TRUE(timer->Running());
    delete timer;
    EXPECT_EQ(clock.RunningTimers(), 0);
}

} // namespace

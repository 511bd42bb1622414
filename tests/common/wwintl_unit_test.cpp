// The unit's start-up and shut-down as a program goes through them. One test, since the unit's
// state lives for the whole process.
#include "common/wwintl.h"
#include "platform/application.h"

#include <gtest/gtest.h>

namespace {

TEST(WwIntlUnit, StartUpReadsAndShutDown) {
    ASSERT_NE(Application, nullptr); // the test main's application object
    const int ownedBefore = Application->ComponentCount();

    // A component that reads its texts before anyone initialised the unit still finds them.
    TwwIntl* first = wwIntl();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Owner(), Application);
    EXPECT_EQ(Application->ComponentCount(), ownedBefore + 1);
    EXPECT_TRUE(first->IsGlobal());
    EXPECT_EQ(wwIntl(), first);
    EXPECT_EQ(first->Navigator()->Hints()->FirstHint(), "Move to first record");

    // The start-up's own initialisation keeps that instance.
    InitWwIntlUnit();
    EXPECT_EQ(wwIntl(), first);

    // After finalisation nothing comes back by itself.
    FinalizeWwIntlUnit();
    EXPECT_EQ(wwIntl(), nullptr);
    EXPECT_EQ(Application->ComponentCount(), ownedBefore);

    // A scope of its own starts and frees a new instance.
    {
        TUnitScope unit{&WwIntlUnit()};
        ASSERT_NE(wwIntl(), nullptr);
        EXPECT_EQ(wwIntl()->Owner(), Application);
    }
    EXPECT_EQ(wwIntl(), nullptr);
}

} // namespace

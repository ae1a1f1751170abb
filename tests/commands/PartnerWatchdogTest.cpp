#include "commands/PartnerWatchdog.h"

#include <gtest/gtest.h>

namespace fm {
namespace {

constexpr std::int64_t kMinute = 60 * 1000;

TEST(PartnerWatchdog, TwoUnfinishedJobsInARowGiveOneNoticeUntilAJobIsFinished) {
    PartnerWatchdog watchdog;
    EXPECT_FALSE(watchdog.jobEnded(false, 1000, 1));
    EXPECT_FALSE(watchdog.jobEnded(true, 2000, 1));  // a finished job in between starts the count again
    EXPECT_FALSE(watchdog.jobEnded(false, 3000, 2));
    const auto stalled = watchdog.jobEnded(false, 4000, 3);
    ASSERT_TRUE(stalled);
    EXPECT_NE(stalled->find("PARTNER ne preuzima poslove od "), std::string::npos);
    EXPECT_NE(stalled->find("cekaju PARTNER: 3."), std::string::npos);
    EXPECT_TRUE(watchdog.stalled());
    EXPECT_EQ(watchdog.stalledSinceMs(), 3000);  // the first of the two
    EXPECT_FALSE(watchdog.jobEnded(false, 5000, 4));
    EXPECT_FALSE(watchdog.openJobsChecked(3000, 4, 3000 + 10 * kMinute));

    const auto again = watchdog.lateOutcomeFound(6000);
    ASSERT_TRUE(again);
    EXPECT_NE(again->find("PARTNER ponovo preuzima poslove"), std::string::npos);
    EXPECT_FALSE(watchdog.stalled());
    EXPECT_FALSE(watchdog.jobEnded(true, 7000, 0));
}

TEST(PartnerWatchdog, AnOpenJobOlderThanFiveMinutesCountsOnlyWhenThePartnerHasNotWorkedSince) {
    PartnerWatchdog watchdog;
    const std::int64_t decided = 100 * kMinute;
    EXPECT_FALSE(watchdog.openJobsChecked(decided, 1, decided + 5 * kMinute - 1));
    EXPECT_FALSE(watchdog.openJobsChecked(0, 0, decided + 60 * kMinute));
    EXPECT_TRUE(watchdog.openJobsChecked(decided, 1, decided + 5 * kMinute));
    EXPECT_FALSE(watchdog.openJobsChecked(decided, 1, decided + 6 * kMinute));  // once

    EXPECT_TRUE(watchdog.jobEnded(true, decided + 7 * kMinute, 1));
    // The old job stays open, but the PARTNER has finished a later one: no new alarm.
    EXPECT_FALSE(watchdog.openJobsChecked(decided, 1, decided + 20 * kMinute));
}

}  // namespace
}  // namespace fm

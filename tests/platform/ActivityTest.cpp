// The tray icon's hint for every activity, and today's counts across midnight.
#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "platform/Activity.h"

namespace fm {
namespace {

// A local moment of March 2026, ms since the epoch.
std::int64_t march2026(int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 2;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::int64_t(std::mktime(&local)) * 1000;
}

TEST(Activity, TheHintTellsWhatIsDoneThenTodaysCounts) {
    Activity a;
    a.today = {12, 1, 2};
    const std::string counts = "\nDanas: OK 12, No 1, Er 2";
    EXPECT_EQ(activityHint(a), "FMerilon: spreman" + counts);
    a = {Activity::Doing::Writing, 117, "C:\\RACUNI\\r1.inp", 7100, 3999, false, 0, 0, a.today};
    EXPECT_EQ(activityHint(a), "FMerilon: upisuje posao 117 (r1.inp)" + counts);
    EXPECT_EQ(iconLook(a), IconLook::Busy);
    a.doing = Activity::Doing::Waiting;
    EXPECT_EQ(activityHint(a), "FMerilon: ceka PARTNER, posao 117 (r1.inp), 3 od 7 s" + counts);
    a.partnerStalled = true;
    a.stalledSinceMs = march2026(15, 14, 2);
    a.jobsWaiting = 3;
    EXPECT_EQ(activityHint(a),
              "FMerilon: ceka PARTNER, posao 117 (r1.inp), 3 od 7 s\n"
              "PARTNER ne preuzima poslove od 14:02, ceka 3" +
                  counts);
    a.partnerStalled = false;
    a.doing = Activity::Doing::NoDatabase;
    EXPECT_EQ(activityHint(a), "FMerilon: baza podataka nije dostupna" + counts);
    EXPECT_EQ(iconLook(a), IconLook::Warning);
}

TEST(Activity, CountsStartAgainOnANewLocalDay) {
    const auto counts = [](const Activity& a) {
        return std::tuple(a.countedDay, a.today.ok, a.today.no, a.today.er);
    };
    Activity a;
    for (const char* status : {"OK", "OK", "No", "Er", "prekinut"})
        countJob(a, status, march2026(28, 23, 59));
    EXPECT_EQ(counts(a), std::tuple(20260328, 2, 1, 1));
    countJob(a, "Er", march2026(29, 0, 1));
    EXPECT_EQ(counts(a), std::tuple(20260329, 0, 0, 1));
    EXPECT_EQ(localDay(startOfLocalDay(march2026(29, 12, 0)) - 1), 20260328);
}

}  // namespace
}  // namespace fm

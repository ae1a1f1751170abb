// What the tray icon tells: the hint for every activity, its look, and today's counts.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/Activity.h"

namespace fm {
namespace {

// A local moment, ms since the epoch.
std::int64_t localMoment(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::int64_t(std::mktime(&local)) * 1000;
}

TEST(Activity, TheHintTellsWhatIsDoneThenTodaysCounts) {
    Activity a;
    a.today = {12, 1, 2};
    EXPECT_EQ(activityHint(a), "FMerilon: spreman\nDanas: OK 12, No 1, Er 2");
    EXPECT_EQ(iconLook(a), IconLook::Normal);

    a.doing = Activity::Doing::Writing;
    a.number = 117;
    a.fileName = "C:\\RACUNI\\r1.inp";
    EXPECT_EQ(activityHint(a), "FMerilon: upisuje posao 117 (r1.inp)\nDanas: OK 12, No 1, Er 2");
    EXPECT_EQ(iconLook(a), IconLook::Busy);

    a.doing = Activity::Doing::Waiting;
    a.fileName = "/var/racuni/r1.inp";
    a.budgetMs = 7100;
    a.waitedMs = 3999;
    EXPECT_EQ(activityHint(a),
              "FMerilon: ceka PARTNER, posao 117 (r1.inp), 3 od 7 s\nDanas: OK 12, No 1, Er 2");
    EXPECT_EQ(iconLook(a), IconLook::Busy);

    a.partnerStalled = true;
    a.stalledSinceMs = localMoment(2026, 6, 15, 14, 2);
    a.jobsWaiting = 3;
    EXPECT_EQ(activityHint(a),
              "FMerilon: ceka PARTNER, posao 117 (r1.inp), 3 od 7 s\n"
              "PARTNER ne preuzima poslove od 14:02, ceka 3\nDanas: OK 12, No 1, Er 2");
    EXPECT_EQ(iconLook(a), IconLook::Warning);

    a.partnerStalled = false;
    a.doing = Activity::Doing::NoDatabase;
    EXPECT_EQ(activityHint(a), "FMerilon: baza podataka nije dostupna\nDanas: OK 12, No 1, Er 2");
    EXPECT_EQ(iconLook(a), IconLook::Warning);
}

TEST(Activity, CountsStartAgainOnANewLocalDay) {
    Activity a;
    const std::int64_t evening = localMoment(2026, 3, 28, 23, 59);
    for (const char* status : {"OK", "OK", "No", "Er", "prekinut"}) countJob(a, status, evening);
    EXPECT_EQ(a.countedDay, 20260328);
    EXPECT_EQ(a.today.ok, 2);
    EXPECT_EQ(a.today.no, 1);
    EXPECT_EQ(a.today.er, 1);

    countJob(a, "Er", localMoment(2026, 3, 29, 0, 1));
    EXPECT_EQ(a.countedDay, 20260329);
    EXPECT_EQ(a.today.ok, 0);
    EXPECT_EQ(a.today.no, 0);
    EXPECT_EQ(a.today.er, 1);

    // The day begins at its local midnight: a moment before belongs to the day before.
    const std::int64_t noon = localMoment(2026, 3, 29, 12, 0);
    EXPECT_EQ(localDay(startOfLocalDay(noon)), 20260329);
    EXPECT_EQ(localDay(startOfLocalDay(noon) - 1), 20260328);
}

}  // namespace
}  // namespace fm

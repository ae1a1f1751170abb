// The tray icon's hint for every activity, and today's counts across midnight.
#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

#include "platform/Activity.h"

namespace fm {
namespace {

TEST(Activity, TheHintTellsWhatIsDoneThenTodaysCounts) {
    Activity a{Activity::Doing::Ready, 117, "C:\\RACUNI\\r1.inp", 7100, 3999, false, 0, 3, {12, 1, 2}, 0};
    const std::string counts = "\nDanas: OK 12, No 1, Er 2";
    EXPECT_EQ(activityHint(a), "FMerilon: spreman" + counts);
    a.doing = Activity::Doing::Writing;
    EXPECT_EQ(activityHint(a), "FMerilon: upisuje posao 117 (r1.inp)" + counts);
    a.doing = Activity::Doing::Waiting;
    EXPECT_EQ(activityHint(a), "FMerilon: ceka PARTNER, posao 117 (r1.inp), 3 od 7 s" + counts);
    a.partnerStalled = true;
    EXPECT_NE(activityHint(a).find(" s\nPARTNER ne preuzima poslove od "), std::string::npos);
    EXPECT_NE(activityHint(a).find(", ceka 3" + counts), std::string::npos);
    a.partnerStalled = false;
    a.doing = Activity::Doing::NoDatabase;
    EXPECT_EQ(activityHint(a), "FMerilon: baza podataka nije dostupna" + counts);
    a.doing = Activity::Doing::DatabaseRetry;
    EXPECT_EQ(activityHint(a),
              "FMerilon: baza podataka se ne moze otvoriti, novi pokusaj svakih 30 s" + counts);
    EXPECT_EQ(iconLook(a), IconLook::Warning);
}

TEST(Activity, CountsStartAgainOnANewLocalDay) {
    const auto counts = [](const Activity& a) { return std::tuple(a.today.ok, a.today.no, a.today.er); };
    const std::int64_t midnight = startOfLocalDay(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                      std::chrono::system_clock::now().time_since_epoch())
                                                      .count());
    Activity a;
    for (const JobStatus status : {JobStatus::Ok, JobStatus::Ok, JobStatus::No, JobStatus::Er})
        countJob(a, status, midnight - 1);
    countJob(a, std::nullopt, midnight - 1);  // interrupted
    EXPECT_EQ(counts(a), std::tuple(2, 1, 1));
    countJob(a, JobStatus::Er, midnight);
    EXPECT_EQ(counts(a), std::tuple(0, 0, 1));
    EXPECT_EQ(a.countedDay, localDay(midnight));
    EXPECT_NE(localDay(midnight - 1), localDay(midnight));
}

}  // namespace
}  // namespace fm

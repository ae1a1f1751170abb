// What the tray icon is shown as the parts of the program tell what they are doing.

#include <gtest/gtest.h>

#include <vector>

#include "app/ActivityPresenter.h"
#include "commands/JobEntry.h"
#include "tests/support/RecordingUserInterface.h"

namespace fm {
namespace {

struct ShownActivities : test::RecordingUserInterface {
    void showActivity(const Activity& activity) override { shown.push_back(activity); }
    std::vector<Activity> shown;
};

TEST(ActivityPresenter, AJobsEndIsCountedAndShownWithThePartnerStateToldBefore) {
    ShownActivities ui;
    ActivityPresenter presenter(ui);
    presenter.writing(7, "r.inp");
    presenter.waiting(1500, 500);
    presenter.partner(true, 1000, 2);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(iconLook(ui.shown[1]), IconLook::Busy);
    EXPECT_EQ(ui.shown[1].waitedMs, 500);

    presenter.jobEnded(JobStatus::Er, nowEpochMs());
    ASSERT_EQ(ui.shown.size(), 3u);
    const Activity& last = ui.shown.back();
    EXPECT_EQ(last.doing, Activity::Doing::Ready);
    EXPECT_EQ(last.today.er, 1);
    EXPECT_EQ(last.jobsWaiting, 2);
    EXPECT_EQ(iconLook(last), IconLook::Warning);
    EXPECT_EQ(presenter.activity().today.er, 1);
}

}  // namespace
}  // namespace fm

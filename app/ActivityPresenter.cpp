#include "app/ActivityPresenter.h"

#include "platform/UserInterface.h"

namespace fm {

void ActivityPresenter::doing(Activity::Doing doing) {
    activity_.doing = doing;
    show();
}

void ActivityPresenter::writing(int number, const std::string& fileName) {
    activity_.number = number;
    activity_.fileName = fileName;
    doing(Activity::Doing::Writing);
}

void ActivityPresenter::waiting(int budgetMs, int waitedMs) {
    activity_.budgetMs = budgetMs;
    activity_.waitedMs = waitedMs;
    doing(Activity::Doing::Waiting);
}

void ActivityPresenter::jobEnded(std::optional<JobStatus> status, std::int64_t atMs) {
    countJob(activity_, status, atMs);
    doing(Activity::Doing::Ready);
}

void ActivityPresenter::partner(bool stalled, std::int64_t stalledSinceMs, int jobsWaiting) {
    activity_.partnerStalled = stalled;
    activity_.stalledSinceMs = stalledSinceMs;
    activity_.jobsWaiting = jobsWaiting;
}

void ActivityPresenter::counted(const DayCounts& today, int day) {
    activity_.today = today;
    activity_.countedDay = day;
    show();
}

void ActivityPresenter::show() { ui_.showActivity(activity_); }

}  // namespace fm

#include "commands/JobFollowUp.h"

#include "config/Postavke.h"
#include "platform/UserInterface.h"

namespace fm {

JobFollowUp::JobFollowUp(const RecordContext& db, JobJournal* journal)
    : db_(db), journal_(journal), late_(db, journal) {}

void JobFollowUp::jobEnded(const JobEntry& entry) {
    const JobEntry job = late_.jobEnded(entry);
    Activity& activity = db_.state.activity;
    activity.doing = Activity::Doing::Ready;
    countJob(activity, job.status(), job.times.marked ? job.times.marked : nowEpochMs());
    if (journal_) journal_->jobEnded(job);
    showActivity();
}

void JobFollowUp::jobMarked(const JobEntry& entry) {
    late_.jobMarked(entry);
    if (journal_) journal_->jobMarked(entry);
}

void JobFollowUp::fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) {
    if (journal_) journal_->fileSettledLater(fileName, action, atMs);
}

std::optional<std::vector<JobEntry>> JobFollowUp::openJobs(int registerNumber) {
    return late_.openJobs(registerNumber);
}

void JobFollowUp::jobSettledLate(const JobEntry& job) {
    if (journal_) journal_->jobSettledLate(job);
}

void JobFollowUp::endOfScan(std::int64_t nowMs) {
    db_.state.activity.doing = late_.endOfScan(nowMs) ? Activity::Doing::Ready : Activity::Doing::NoDatabase;
    showActivity();
}

void JobFollowUp::showActivity() {
    Activity& activity = db_.state.activity;
    activity.partnerStalled = late_.watchdog().stalled();
    activity.stalledSinceMs = late_.watchdog().stalledSinceMs();
    activity.jobsWaiting = late_.openCount();
    db_.ui.showActivity(activity);
}

}  // namespace fm

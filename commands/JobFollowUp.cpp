#include "commands/JobFollowUp.h"

#include "commands/JobContext.h"

namespace fm {

JobFollowUp::JobFollowUp(const JobContext& context, JobJournal* journal)
    : journal_(journal), activity_(context.activity), late_(context, journal) {}

void JobFollowUp::jobEnded(const JobEntry& entry) {
    const JobEntry job = late_.jobEnded(entry);
    tellPartner();
    if (journal_) journal_->jobEnded(job);
    if (activity_)
        activity_->jobEnded(statusOf(job.outcome), job.times.marked ? job.times.marked : nowEpochMs());
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
    const bool connected = late_.endOfScan(nowMs);
    tellPartner();
    if (activity_) activity_->doing(connected ? Activity::Doing::Ready : Activity::Doing::NoDatabase);
}

void JobFollowUp::tellPartner() {
    const PartnerWatchdog& watchdog = late_.watchdog();
    if (activity_) activity_->partner(watchdog.stalled(), watchdog.stalledSinceMs(), late_.openCount());
}

}  // namespace fm

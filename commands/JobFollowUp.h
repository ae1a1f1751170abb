#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/JobJournal.h"
#include "commands/LateOutcomes.h"
#include "platform/Activity.h"

namespace fm {

struct JobContext;

// Every job's end passes here on its way to the late outcomes (which add the job's fiscal
// numbers), the journal and the activity at the tray icon.
class JobFollowUp : public JobJournal {
  public:
    // The journal, when given, gets every entry and keeps the open jobs between runs.
    JobFollowUp(const JobContext& context, JobJournal* journal);

    void jobEnded(const JobEntry& entry) override;
    void jobMarked(const JobEntry& entry) override;
    void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) override;
    std::optional<std::vector<JobEntry>> openJobs(int registerNumber) override;
    void jobSettledLate(const JobEntry& job) override;

    // After every scan: the open jobs' late outcomes, the state at the tray icon.
    void endOfScan(std::int64_t nowMs);

    LateOutcomes& lateOutcomes() { return late_; }

  private:
    void tellPartner();

    JobJournal* journal_;
    ActivityReport* activity_;
    LateOutcomes late_;
};

}  // namespace fm

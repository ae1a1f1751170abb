#pragma once

#include <deque>
#include <functional>
#include <string>

#include "commands/JobJournal.h"
#include "journal/JournalStore.h"

namespace fm {

class UserInterface;

// The job journal at the end of every job: one log line per job, its entry into the
// store. An entry that cannot be written waits in memory (the newest kMaxWaiting) for
// the next job's try; one notice tells of the failure, one of its end.
class Journal : public JobJournal {
  public:
    static constexpr std::size_t kMaxWaiting = 1000;
    using Log = std::function<void(const std::string&)>;

    Journal(const std::string& path, UserInterface& ui, Log log, JournalBounds bounds = JournalBounds());

    void jobEnded(const JobEntry& entry) override;
    void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) override;
    std::vector<JobEntry> openJobs(int registerNumber) override;
    void jobSettledLate(const JobEntry& job) override;

    std::size_t waiting() const { return waiting_.size(); }

  private:
    void writeWaiting();
    void noteFailure(const std::string& error);
    void noteSuccess();
    void noteSetAside();

    JournalStore store_;
    UserInterface& ui_;
    Log log_;
    std::deque<JobEntry> waiting_;
    std::deque<JobEntry> waitingLate_;  // late outcomes not written yet
    bool failing_ = false;
    std::string setAsideNoticed_;
};

// The log line of a job's end: number, file, status, time waited.
std::string jobEndLine(const JobEntry& entry);
// The log line of an open job's late outcome.
std::string lateOutcomeLine(const JobEntry& entry);

}  // namespace fm

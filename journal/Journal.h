#pragma once

#include <deque>
#include <functional>
#include <string>

#include "commands/JobJournal.h"
#include "journal/JournalStore.h"

namespace fm {

class UserInterface;

// The job journal at the end of every job: its entry into the store once it is decided,
// before its file's marking, so that a crash after the marking loses no job; the
// marking's action and moment after it, with one log line per job. What cannot be
// written waits in memory (the newest kMaxWaiting entries and as many updates) for the
// next try; one notice tells of the failure, one of its end. The store is pruned after
// a job, never inside one.
class Journal : public JobJournal {
  public:
    static constexpr std::size_t kMaxWaiting = 1000;
    using Log = std::function<void(const std::string&)>;

    Journal(const std::string& path, UserInterface& ui, Log log, JournalBounds bounds = JournalBounds());

    void jobEnded(const JobEntry& entry) override;
    void jobMarked(const JobEntry& entry) override;
    void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) override;
    std::optional<std::vector<JobEntry>> openJobs(int registerNumber) override;
    void jobSettledLate(const JobEntry& job) override;

    std::size_t waiting() const { return waiting_.size(); }

  private:
    using Update = std::function<Result<void>(JournalStore&)>;

    // The entry of that job still waiting to be written; nullptr when none.
    JobEntry* waitingEntry(const JobEntry& job);
    void later(Update update);
    void writeWaiting(bool prune);
    void noteFailure(const std::string& error);
    void noteSuccess();
    void noteSetAside();

    JournalStore store_;
    UserInterface& ui_;
    Log log_;
    std::deque<JobEntry> waiting_;
    std::deque<Update> updates_;  // of entries written already
    bool failing_ = false;
    std::string setAsideNoticed_;
};

// The log line of a job's end: number, file, status, time waited.
std::string jobEndLine(const JobEntry& entry);
// The log line of an open job's late outcome.
std::string lateOutcomeLine(const JobEntry& entry);

}  // namespace fm

#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commands/JobJournal.h"

namespace fm {

class UserInterface;
struct Postavke;

// The tills' reply files (TARVOODGOVOR): a job's reply is written, whole and at once, when
// the job is decided, before its command file is marked, and again when an open job gets
// its late outcome, unless the reply's name serves a later job by then. Everything is
// passed on to the journal. A reply that cannot be written holds no job back.
class ReplyFiles : public JobJournal {
  public:
    ReplyFiles(const Postavke& postavke, UserInterface& ui, JobJournal* journal);

    void jobEnded(const JobEntry& entry) override;
    void jobMarked(const JobEntry& entry) override;
    void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) override;
    std::optional<std::vector<JobEntry>> openJobs(int registerNumber) override;
    void jobSettledLate(const JobEntry& job) override;

    // The reply's path for a command file: in TARVOODGOVORDIR, or beside the file.
    std::string replyPath(const std::string& commandFile) const;

  private:
    enum class Over { Any, OwnOnly };
    void write(const JobEntry& job, Over over);

    const Postavke& postavke_;
    UserInterface& ui_;
    JobJournal* journal_;
    bool failing_ = false;               // the last write failed; its notice was shown
    std::set<std::string> maskNoticed_;  // replies the file mask would take for command files
};

}  // namespace fm

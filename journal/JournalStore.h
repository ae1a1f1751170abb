#pragma once

#include <QVariantList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/JobEntry.h"
#include "platform/Activity.h"
#include "platform/Result.h"

namespace fm {

// The journal's file beside the settings file: "MerilonDnevnik.db".
std::string journalPathBeside(const std::string& settingsPath);

// The statuses a reading can pick: the outcome's, a job interrupted before its hand-over,
// one still open for a late outcome, one that got its late outcome, a receipt printed twice.
inline constexpr const char* kJournalStatuses[] = {statusWord(JobStatus::Ok),
                                                   statusWord(JobStatus::No),
                                                   statusWord(JobStatus::Er),
                                                   kInterrupted,
                                                   "otvoren",
                                                   "kasnije",
                                                   "dvaput"};

// The status of kJournalStatuses that the text names in any letter case; empty when none.
std::string journalStatusNamed(const std::string& text);

// Which jobs a reading of the journal wants: newest first, older than beforeId when set.
struct JournalFilter {
    std::string status;  // one of kJournalStatuses; empty: any
    std::string text;    // part of the file name or message, or the job or a fiscal number; empty: any
    std::int64_t beforeId = 0;
    int limit = 200;
};

// How many jobs, and how old, the journal keeps at most.
struct JournalBounds {
    int maxJobs = 100000;
    int maxAgeDays = 180;
};

// Writing opens (creates, upgrades) the file; reading only looks at an existing one and
// never changes, moves or upgrades it.
enum class JournalAccess { Write, ReadOnly };

// The job journal in an SQLite file (WAL), one transaction per job, bounded by the
// number and the age of its jobs. Texts are kept byte for byte. A damaged file is moved
// aside (".neispravan") and a new one started; other failures leave it for a later try.
// A symbolic link is refused. A stored value its column cannot hold is read as damaged.
class JournalStore {
  public:
    using Bounds = JournalBounds;

    explicit JournalStore(std::string path, Bounds bounds = JournalBounds(),
                          JournalAccess access = JournalAccess::Write);
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // Each gives its failure's message; the file is opened (created) on the way when needed.
    // An entry of the start after a crash (recovered, or interrupted) replaces the latest
    // row of its register, number and file when that was never marked.
    Result<void> add(const JobEntry& entry);
    // The latest row of the entry's job gets its file's action and moment of marking.
    Result<void> setMarking(const JobEntry& entry);
    // The latest job of the file that could not be marked gets its later action.
    Result<void> settleLater(const std::string& fileName, FileAction action, std::int64_t atMs);
    // Drops the jobs past the bounds, oldest first; nowMs is the moment their age is told from.
    Result<void> prune(std::int64_t nowMs);
    Result<std::vector<JobEntry>> read(const JournalFilter& filter);
    // The register's jobs waiting for a late outcome, oldest first.
    Result<std::vector<JobEntry>> openJobs(int registerNumber);
    // Closes the register's open job of that number with its late outcome and fiscal numbers.
    Result<void> settleLate(const JobEntry& job);
    // OK, No and Er of the jobs written since then.
    Result<DayCounts> countsSince(std::int64_t sinceMs);

    const std::string& path() const { return path_; }
    // Where a damaged file went; empty while none was moved aside.
    const std::string& setAsidePath() const { return setAside_; }

  private:
    class Connection;
    using Statement = std::pair<QString, QVariantList>;
    Result<void> open();
    // Opens the file when needed and runs the statements in one transaction; what names a failure.
    Result<void> write(const std::string& what, const std::vector<Statement>& statements);
    Unexpected<std::string> failed(const std::string& what);
    Result<std::vector<JobEntry>> select(const std::string& condition, const QVariantList& values);

    std::string path_;
    Bounds bounds_;
    JournalAccess access_;
    int version_ = 0;
    std::unique_ptr<Connection> connection_;
    std::string setAside_;
};

}  // namespace fm

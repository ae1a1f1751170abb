#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commands/JobJournal.h"
#include "commands/PartnerWatchdog.h"
#include "db/RecordWriters.h"

namespace fm {

// The jobs left open (their F_SEMAFOR row still there) and their late outcomes, the
// fiscal numbers that F_LOG_RACUN holds for a job, and the PARTNER watchdog that they drive.
class LateOutcomes {
  public:
    static constexpr std::int64_t kOpenAtMostMs = 24LL * 60 * 60 * 1000;

    // The journal, when given, keeps the open jobs between runs and gets their late outcomes.
    LateOutcomes(const RecordContext& db, JobJournal* journal);

    // A job ended: the entry with its fiscal numbers, kept while it stays open.
    JobEntry jobEnded(const JobEntry& entry);
    // Its file's marking, noted on the open job.
    void jobMarked(const JobEntry& entry);
    std::optional<std::vector<JobEntry>> openJobs(int registerNumber);

    // Once per scan: one look at the register's F_SEMAFOR rows settles the open jobs
    // that the PARTNER has done or failed meanwhile; a job open for kOpenAtMostMs is
    // closed as unknown. False when the database cannot be reached.
    bool endOfScan(std::int64_t nowMs);

    // The open receipt of that key (ReceiptKey), after a fresh look at F_SEMAFOR; nullptr
    // when none. A receipt whose row is there but whose key the journal cannot tell (not
    // read, closed after a day) is known by the key of its rows in the database.
    const JobEntry* openReceipt(const std::string& key, std::int64_t nowMs);

    int openCount() const { return int(open_.size()); }
    const PartnerWatchdog& watchdog() const { return watchdog_; }

  private:
    void load();
    bool lookAtSemafor();
    void checkOpenJobs(std::int64_t nowMs);
    void settle(JobEntry job, LateOutcome late, std::int64_t nowMs);
    void readFiscalNumbers(JobEntry& job, bool noticeTwice);
    void watchdogSays(const std::optional<std::string>& notice);
    const JobEntry* withKey(const std::string& key) const;
    const JobEntry* unlistedWithKey(const std::string& key);
    std::optional<std::string> keyOfRows(long long number, int bookingType);

    struct SemaforSummary {
        long long rows = 0;
        long long numberSum = 0;
        bool operator==(const SemaforSummary&) const = default;
    };

    const RecordContext db_;
    JobJournal* journal_;
    std::vector<JobEntry> open_;  // oldest first
    bool loaded_ = false;
    std::optional<SemaforSummary> lastLook_;                    // of the register's F_SEMAFOR rows
    std::set<std::pair<long long, int>> rows_;                  // F_RBR and TIPKNJIZENJA as then
    std::map<std::pair<long long, int>, std::string> rowKeys_;  // of receipts not in open_
    JobEntry unlisted_;                                         // the last one found by openReceipt
    PartnerWatchdog watchdog_;
};

// F_LOG_RACUN's fiscal numbers of the register's job number, ascending, without those of
// before (there before the job's hand-over); nullopt when the table cannot be read.
// Throws std::runtime_error for a value that is no number.
std::optional<std::vector<long long>> loggedFiscalNumbers(const RecordContext& db, long long jobNumber,
                                                          const std::vector<long long>& before = {});

}  // namespace fm

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fm {

// Tells when the PARTNER stops taking up jobs: two jobs in a row left unfinished at
// the end of their wait, or an open job older than kOpenTooLongMs. It counts as working
// again once it finishes a job (or ends one with its error row). Each change of state
// gives one notice, nothing in between.
class PartnerWatchdog {
  public:
    static constexpr int kUnfinishedInARow = 2;
    static constexpr std::int64_t kOpenTooLongMs = 5 * 60 * 1000;

    // A job's wait ended at decidedMs: finished by the PARTNER (or with its error row),
    // or left unfinished. Jobs without a wait tell nothing. The notice, when the state changed.
    std::optional<std::string> jobEnded(bool finished, std::int64_t decidedMs, int jobsWaiting);
    // The PARTNER finished (or failed) an open job late.
    std::optional<std::string> lateOutcomeFound(std::int64_t atMs);
    // At every scan: the oldest open job decided since the PARTNER last worked (0: none).
    std::optional<std::string> openJobsChecked(std::int64_t oldestOpenMs, int jobsWaiting,
                                               std::int64_t nowMs);

    bool stalled() const { return stalled_; }
    std::int64_t stalledSinceMs() const { return since_; }
    std::int64_t lastWorkedMs() const { return lastWorked_; }

  private:
    std::optional<std::string> stall(std::int64_t sinceMs, int jobsWaiting);
    std::optional<std::string> worked(std::int64_t atMs);

    bool stalled_ = false;
    std::int64_t since_ = 0;
    std::int64_t lastWorked_ = 0;
    int unfinished_ = 0;
    std::int64_t firstUnfinished_ = 0;
};

}  // namespace fm

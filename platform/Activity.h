#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/JobStatus.h"

namespace fm {

// Today's jobs by their status.
struct DayCounts {
    int ok = 0;
    int no = 0;
    int er = 0;
};

// What the program is doing, as the hint and the look of its tray icon tell it.
struct Activity {
    // DatabaseRetry: the database could not be opened at start and is tried again.
    enum class Doing { Ready, Writing, Waiting, NoDatabase, DatabaseRetry };
    Doing doing = Doing::Ready;
    int number = 0;        // the job being written or waited for
    std::string fileName;  // its command file
    int budgetMs = 0;      // of the job waited for
    int waitedMs = 0;
    bool partnerStalled = false;      // the PARTNER takes up no jobs
    std::int64_t stalledSinceMs = 0;  // since then (ms since the epoch)
    int jobsWaiting = 0;              // open jobs the PARTNER has not finished
    DayCounts today;
    int countedDay = 0;  // the local day (yyyymmdd) of the counts
};

// What the parts of the program tell of what it is doing, to the one that keeps the
// Activity; every call but partner's shows it at the tray icon.
class ActivityReport {
  public:
    virtual ~ActivityReport() = default;
    virtual void doing(Activity::Doing doing) = 0;
    virtual void writing(int number, const std::string& fileName) = 0;
    virtual void waiting(int budgetMs, int waitedMs) = 0;
    // A job's end, counted by its status at atMs; the program ready again.
    virtual void jobEnded(std::optional<JobStatus> status, std::int64_t atMs) = 0;
    virtual void partner(bool stalled, std::int64_t stalledSinceMs, int jobsWaiting) = 0;
};

enum class IconLook { Normal, Busy, Warning };

// Warning while the PARTNER takes up no jobs or the database cannot be reached or opened; busy
// while a job is written or waited for.
IconLook iconLook(const Activity& activity);

// The icon's hint: what the program is doing, then today's counts.
std::string activityHint(const Activity& activity);

// Counts a job's end by its status (none: interrupted, not counted), starting a new day's
// counts when the local day changed.
void countJob(Activity& activity, std::optional<JobStatus> status, std::int64_t atMs);

// The local midnight that began the day of that moment (ms since the epoch), and that day as yyyymmdd.
std::int64_t startOfLocalDay(std::int64_t ms);
int localDay(std::int64_t ms);

}  // namespace fm

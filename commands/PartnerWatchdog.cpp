#include "commands/PartnerWatchdog.h"

#include "platform/LocalTime.h"

namespace fm {

namespace {

std::string dateTime(std::int64_t ms) { return localTimeText(ms, "%d.%m.%Y %H:%M:%S"); }

}  // namespace

std::optional<std::string> PartnerWatchdog::jobEnded(bool finished, std::int64_t decidedMs, int jobsWaiting) {
    if (finished) return worked(decidedMs);
    if (unfinished_++ == 0) firstUnfinished_ = decidedMs;
    if (unfinished_ < kUnfinishedInARow) return std::nullopt;
    return stall(firstUnfinished_, jobsWaiting);
}

std::optional<std::string> PartnerWatchdog::lateOutcomeFound(std::int64_t atMs) { return worked(atMs); }

std::optional<std::string> PartnerWatchdog::openJobsChecked(std::int64_t oldestOpenMs, int jobsWaiting,
                                                            std::int64_t nowMs) {
    if (oldestOpenMs == 0 || oldestOpenMs <= lastWorked_ || nowMs - oldestOpenMs < kOpenTooLongMs)
        return std::nullopt;
    return stall(oldestOpenMs, jobsWaiting);
}

std::optional<std::string> PartnerWatchdog::stall(std::int64_t sinceMs, int jobsWaiting) {
    if (stalled_) return std::nullopt;
    stalled_ = true;
    since_ = sinceMs;
    return "PARTNER ne preuzima poslove od " + dateTime(sinceMs) +
           ".\r\nPoslova koji cekaju PARTNER: " + std::to_string(jobsWaiting) +
           ". Provjerite da li PARTNER radi.";
}

std::optional<std::string> PartnerWatchdog::worked(std::int64_t atMs) {
    unfinished_ = 0;
    if (atMs > lastWorked_) lastWorked_ = atMs;
    if (!stalled_) return std::nullopt;
    stalled_ = false;
    return "PARTNER ponovo preuzima poslove (od " + dateTime(atMs) + ").";
}

}  // namespace fm

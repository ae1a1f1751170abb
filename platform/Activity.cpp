#include "platform/Activity.h"

#include <ctime>

#include "platform/LocalTime.h"

namespace fm {

namespace {

// The name without its directory: the hint has little room.
std::string baseName(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string doingText(const Activity& a) {
    switch (a.doing) {
        case Activity::Doing::Writing:
            return "upisuje posao " + std::to_string(a.number) + " (" + baseName(a.fileName) + ")";
        case Activity::Doing::Waiting:
            return "ceka PARTNER, posao " + std::to_string(a.number) + " (" + baseName(a.fileName) + "), " +
                   std::to_string(a.waitedMs / 1000) + " od " + std::to_string(a.budgetMs / 1000) + " s";
        case Activity::Doing::NoDatabase:
            return "baza podataka nije dostupna";
        case Activity::Doing::DatabaseRetry:
            return "baza podataka se ne moze otvoriti, novi pokusaj svakih 30 s";
        case Activity::Doing::Ready:
            break;
    }
    return "spreman";
}

}  // namespace

int localDay(std::int64_t ms) {
    const std::tm local = localTime(ms);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

std::int64_t startOfLocalDay(std::int64_t ms) {
    std::tm local = localTime(ms);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return std::int64_t(std::mktime(&local)) * 1000;
}

IconLook iconLook(const Activity& activity) {
    if (activity.partnerStalled || activity.doing == Activity::Doing::NoDatabase ||
        activity.doing == Activity::Doing::DatabaseRetry)
        return IconLook::Warning;
    if (activity.doing == Activity::Doing::Writing || activity.doing == Activity::Doing::Waiting)
        return IconLook::Busy;
    return IconLook::Normal;
}

std::string activityHint(const Activity& activity) {
    std::string hint = "FMerilon: " + doingText(activity);
    if (activity.partnerStalled) {
        hint += "\nPARTNER ne preuzima poslove od " + localTimeText(activity.stalledSinceMs, "%H:%M") +
                ", ceka " + std::to_string(activity.jobsWaiting);
    }
    const DayCounts& today = activity.today;
    return hint + "\nDanas: " + statusWord(JobStatus::Ok) + " " + std::to_string(today.ok) + ", " +
           statusWord(JobStatus::No) + " " + std::to_string(today.no) + ", " + statusWord(JobStatus::Er) +
           " " + std::to_string(today.er);
}

void countJob(Activity& activity, std::optional<JobStatus> status, std::int64_t atMs) {
    const int day = localDay(atMs);
    if (day != activity.countedDay) {
        activity.today = DayCounts();
        activity.countedDay = day;
    }
    if (status == JobStatus::Ok)
        ++activity.today.ok;
    else if (status == JobStatus::No)
        ++activity.today.no;
    else if (status == JobStatus::Er)
        ++activity.today.er;
}

}  // namespace fm

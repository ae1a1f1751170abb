#pragma once

namespace fm {

// A finished job's status, as its command file is marked and the day's jobs are counted.
enum class JobStatus { Ok, No, Er };

// The word for it: "OK", "No", "Er".
constexpr const char* statusWord(JobStatus status) {
    return status == JobStatus::Ok ? "OK" : status == JobStatus::No ? "No" : "Er";
}

}  // namespace fm

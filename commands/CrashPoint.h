#pragma once

#include <array>

namespace fm {

// The points of a job where the crash test may end the process.
enum class CrashAt { Counter, Reserved, Row, Handing, Handed, Waiting, Reported, Marked, Ending };

// Their names in FMERILON_CRASH_AT, in the order of CrashAt.
inline constexpr std::array<const char*, 9> kCrashPointNames = {
    "counter", "reserved", "row", "handing", "handed", "waiting", "reported", "marked", "ending"};

// Test hook of the crash test (scripts/crash-test). With FMERILON_CRASH_AT=name:n in the
// environment, the n-th pass of the point of that name ends the process at once, as a
// crash would: no destructor, no flush, no clean-up of any kind (exit code 137). Without
// the variable a pass costs one test of a flag.
void crashPoint(CrashAt point);

}  // namespace fm

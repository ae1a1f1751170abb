#pragma once

namespace fm {

// Test hook of the crash test (scripts/crash-test). With FMERILON_CRASH_AT=name:n in the
// environment, the n-th pass of the point of that name ends the process at once, as a
// crash would: no destructor, no flush, no clean-up of any kind (exit code 137). Without
// the variable a pass costs one test of a flag.
void crashPoint(const char* name);

}  // namespace fm

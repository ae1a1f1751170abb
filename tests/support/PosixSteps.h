#pragma once

#include <string>

namespace fm::test {

// What only POSIX systems offer the tests; on Windows the cases that need it are skipped.
#ifdef _WIN32
inline constexpr bool kPosix = false;
#else
inline constexpr bool kPosix = true;
#endif
inline constexpr const char* kPosixOnly = "POSIX only (FIFOs, signals, permissions, resource limits)";

bool makeFifo(const std::string& path);
bool runsAsRoot();
unsigned long userId();
bool sendSignal(long long processId, int signal);

// Every write of the process that would grow a file fails (EFBIG) while the scope lasts.
class NoFileGrowth {
  public:
    NoFileGrowth();
    ~NoFileGrowth();
    NoFileGrowth(const NoFileGrowth&) = delete;
    NoFileGrowth& operator=(const NoFileGrowth&) = delete;

  private:
    unsigned long long savedLimit_[2] = {};
    void (*savedHandler_)(int) = nullptr;
};

// Root writes into a read-only directory all the same: the thread gives up the
// capabilities that override file permissions while the scope lasts.
class NoPermissionOverride {
  public:
    NoPermissionOverride();
    ~NoPermissionOverride();
    NoPermissionOverride(const NoPermissionOverride&) = delete;
    NoPermissionOverride& operator=(const NoPermissionOverride&) = delete;

  private:
    unsigned saved_[6] = {};
    bool dropped_ = false;
};

}  // namespace fm::test

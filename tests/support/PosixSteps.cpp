#include "tests/support/PosixSteps.h"

#ifndef _WIN32
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#endif

namespace fm::test {

#ifndef _WIN32

bool makeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0666) == 0; }
bool runsAsRoot() { return ::geteuid() == 0; }
unsigned long userId() { return ::getuid(); }
bool sendSignal(long long processId, int signal) { return ::kill(static_cast<pid_t>(processId), signal) == 0; }

NoFileGrowth::NoFileGrowth() : savedHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    savedLimit_[0] = saved.rlim_cur;
    savedLimit_[1] = saved.rlim_max;
    const rlimit none{0, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &none);
}

NoFileGrowth::~NoFileGrowth() {
    const rlimit saved{savedLimit_[0], savedLimit_[1]};
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler_);
}

namespace {
__user_cap_header_struct capabilityHeader() { return {_LINUX_CAPABILITY_VERSION_3, 0}; }
}  // namespace

NoPermissionOverride::NoPermissionOverride() {
    static_assert(sizeof saved_ == 2 * sizeof(__user_cap_data_struct));
    __user_cap_header_struct header = capabilityHeader();
    __user_cap_data_struct saved[2] = {};
    if (::syscall(SYS_capget, &header, saved) != 0) return;
    std::memcpy(saved_, saved, sizeof saved_);
    saved[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
    dropped_ = ::syscall(SYS_capset, &header, saved) == 0;
}

NoPermissionOverride::~NoPermissionOverride() {
    if (!dropped_) return;
    __user_cap_header_struct header = capabilityHeader();
    __user_cap_data_struct saved[2];
    std::memcpy(saved, saved_, sizeof saved_);
    ::syscall(SYS_capset, &header, saved);
}

#else

bool makeFifo(const std::string&) { return false; }
bool runsAsRoot() { return false; }
unsigned long userId() { return 0; }
bool sendSignal(long long, int) { return false; }
NoFileGrowth::NoFileGrowth() = default;
NoFileGrowth::~NoFileGrowth() = default;
NoPermissionOverride::NoPermissionOverride() = default;
NoPermissionOverride::~NoPermissionOverride() = default;

#endif

}  // namespace fm::test

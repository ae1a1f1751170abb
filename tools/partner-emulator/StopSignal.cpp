#include "tools/partner-emulator/StopSignal.h"

#include <csignal>

#ifdef _WIN32
#include <chrono>
#include <thread>
#else
#include <pthread.h>

#include <cerrno>
#include <ctime>
#endif

namespace fm::partner {

#ifdef _WIN32

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }
}  // namespace

void holdStopSignals() {
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
}

bool waitForStop(int milliseconds) {
    for (int waited = 0; !stopRequested && waited < milliseconds; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return stopRequested != 0;
}

#else

namespace {
sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}
}  // namespace

void holdStopSignals() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool waitForStop(int milliseconds) {
    const sigset_t set = stopSignals();
    timespec timeout{milliseconds / 1000, long(milliseconds % 1000) * 1000000L};
    for (;;) {
        if (sigtimedwait(&set, nullptr, &timeout) >= 0) return true;
        if (errno != EINTR) return false;  // EAGAIN: the time is up
    }
}

#endif

}  // namespace fm::partner

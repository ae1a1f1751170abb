#include "platform/desktop/StopSignals.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <stdexcept>
#endif

namespace fm::desktop {

#ifndef _WIN32

namespace {

int signalPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 's';
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

StopSignals::StopSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe2 failed");
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        emit stopRequested();
    });
    takeOver();
}

void StopSignals::takeOver() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

StopSignals::~StopSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    delete notifier_;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

#else

StopSignals::StopSignals() = default;
StopSignals::~StopSignals() = default;
void StopSignals::takeOver() {}

#endif

}  // namespace fm::desktop

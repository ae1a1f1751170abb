#include "platform/desktop/StopSignals.h"

#ifdef _WIN32
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#else
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

// Sees the window messages before Qt, whose own answer to WM_QUERYENDSESSION would ask
// the stop question and hold the session's end up.
struct StopSignals::SessionEndFilter : QAbstractNativeEventFilter {
    explicit SessionEndFilter(StopSignals& owner) : owner(owner) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG& msg = *static_cast<const MSG*>(message);
        if (msg.message == WM_QUERYENDSESSION) {
            if (result) *result = TRUE;
            return true;
        }
        if (msg.message != WM_ENDSESSION) return false;
        // Sent to every top-level window of the process: one stop request is enough.
        if (msg.wParam && !ended) {
            ended = true;
            emit owner.stopRequested();
        }
        if (result) *result = 0;
        return true;
    }

    StopSignals& owner;
    bool ended = false;
};

StopSignals::StopSignals() : sessionEnd_(std::make_unique<SessionEndFilter>(*this)) {
    QCoreApplication::instance()->installNativeEventFilter(sessionEnd_.get());
}

StopSignals::~StopSignals() = default;
void StopSignals::takeOver() {}

#endif

}  // namespace fm::desktop

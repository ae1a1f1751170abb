#include "app/StopControl.h"

#include <QCoreApplication>

namespace fm {

int StopControl::exec() {
    if (pendingExit_) return *pendingExit_;
    loopRunning_ = true;
    const int exitCode = QCoreApplication::exec();
    loopRunning_ = false;
    return exitCode;
}

void StopControl::runScan(const std::function<void()>& scan) {
    struct AfterScan {
        StopControl& control;
        ~AfterScan() {
            --control.scanDepth_;
            control.exitWhenDue();
        }
    };
    ++scanDepth_;
    const AfterScan after{*this};
    scan();
}

void StopControl::requestStop(int exitCode) {
    if (!pendingExit_) pendingExit_ = exitCode;
    exitWhenDue();
}

// Qt's exit outside the running loop would be lost (the loop resets it when it
// starts) and would end every box and wait of start-up at once.
void StopControl::exitWhenDue() {
    if (pendingExit_ && loopRunning_ && !scanRunning()) QCoreApplication::exit(*pendingExit_);
}

}  // namespace fm

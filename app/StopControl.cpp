#include "app/StopControl.h"

#include <QCoreApplication>

namespace fm {

void StopControl::runScan(const std::function<void()>& scan) {
    struct AfterScan {
        StopControl& control;
        ~AfterScan() {
            if (--control.scanDepth_ == 0 && control.pendingExit_) control.exitNow();
        }
    };
    ++scanDepth_;
    const AfterScan after{*this};
    scan();
}

void StopControl::requestStop(int exitCode) {
    if (!pendingExit_) pendingExit_ = exitCode;
    if (!scanRunning()) exitNow();
}

void StopControl::exitNow() { QCoreApplication::exit(*pendingExit_); }

}  // namespace fm

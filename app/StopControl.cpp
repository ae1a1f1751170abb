#include "app/StopControl.h"

#include <QCoreApplication>
#include <QTimer>

namespace fm {

void StopControl::runScan(const std::function<void()>& scan) {
    struct AfterScan {
        StopControl& control;
        ~AfterScan() {
            if (--control.scanDepth_ == 0 && control.pendingExit_) control.exitFromEventLoop();
        }
    };
    ++scanDepth_;
    const AfterScan after{*this};
    scan();
}

void StopControl::requestStop(int exitCode) {
    if (!pendingExit_) pendingExit_ = exitCode;
    if (!scanRunning()) exitFromEventLoop();
}

void StopControl::exitFromEventLoop() {
    QTimer::singleShot(0, this, [this] {
        if (!scanRunning()) QCoreApplication::exit(*pendingExit_);
    });
}

}  // namespace fm

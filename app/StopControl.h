#pragma once

#include <QObject>

#include <functional>
#include <optional>

namespace fm {

// Ends the event loop, but never in the middle of a scan: a stop asked for while a
// scan runs (from the tray menu or a signal, handled during its waits) takes effect
// once the scan, and the job in it, has come to its end. The end always comes from
// the event loop itself, so a request made before the loop runs waits for it and
// leaves the boxes and waits of start-up working.
class StopControl : public QObject {
public:
    // Runs one scan of the polling timer.
    void runScan(const std::function<void()>& scan);

    // Ends the event loop with the exit code, at once or after the running scan.
    // The first request's code counts.
    void requestStop(int exitCode);

    bool scanRunning() const { return scanDepth_ > 0; }
    std::optional<int> pendingExit() const { return pendingExit_; }

private:
    void exitFromEventLoop();

    int scanDepth_ = 0;
    std::optional<int> pendingExit_;
};

}  // namespace fm

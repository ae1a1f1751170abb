#pragma once

#include <functional>
#include <optional>

namespace fm {

// Ends the event loop, but never in the middle of a scan: a stop asked for while a
// scan runs (from the tray menu or a signal, handled during its waits) takes effect
// once the scan, and the job in it, has come to its end.
class StopControl {
public:
    // Runs one scan of the polling timer.
    void runScan(const std::function<void()>& scan);

    // Ends the event loop with the exit code now, or after the running scan. Before
    // the event loop runs, the request waits in pendingExit.
    void requestStop(int exitCode);

    bool scanRunning() const { return scanDepth_ > 0; }
    std::optional<int> pendingExit() const { return pendingExit_; }

private:
    void exitNow();

    int scanDepth_ = 0;
    std::optional<int> pendingExit_;
};

}  // namespace fm

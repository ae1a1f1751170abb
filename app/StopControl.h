#pragma once

#include <functional>
#include <optional>

namespace fm {

// Runs the event loop and ends it, but never in the middle of a scan: a stop asked
// for while a scan runs (from the tray menu or a signal, handled during its waits)
// takes effect once the scan, and the job in it, has come to its end. A stop asked
// for before the loop runs (a wrong IBFK) lets start-up finish, boxes and waits
// included, and then ends the program instead of running the loop.
class StopControl {
  public:
    // The event loop; its exit code.
    int exec();

    // Runs one scan of the polling timer.
    void runScan(const std::function<void()>& scan);

    // Ends the event loop with the exit code, at once or after the running scan.
    // The first request's code counts.
    void requestStop(int exitCode);

    bool scanRunning() const { return scanDepth_ > 0; }
    std::optional<int> pendingExit() const { return pendingExit_; }

  private:
    void exitWhenDue();

    bool loopRunning_ = false;
    int scanDepth_ = 0;
    std::optional<int> pendingExit_;
};

}  // namespace fm

#include "app/StopControl.h"

#include <QCoreApplication>
#include <QTimer>

#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

namespace fm {
namespace {

// Runs the event loop with the step as its first event; the loop's exit code.
int runLoop(const std::function<void()>& step) {
    QTimer::singleShot(0, step);
    return QCoreApplication::exec();
}

TEST(StopControl, AStopOutsideAScanEndsTheLoopAtOnce) {
    StopControl stop;
    EXPECT_EQ(runLoop([&] { stop.requestStop(0); }), 0);
    EXPECT_EQ(stop.pendingExit(), 0);
}

TEST(StopControl, AStopDuringAScanWaitsForItsEnd) {
    StopControl stop;
    std::vector<std::string> order;
    const int code = runLoop([&] {
        stop.runScan([&] {
            stop.requestStop(0);
            QCoreApplication::processEvents();
            order.push_back("job finished");
        });
        order.push_back("scan returned");
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(order, (std::vector<std::string>{"job finished", "scan returned"}));
}

TEST(StopControl, AStopAskedForDuringAFailingScanStillTakesEffect) {
    StopControl stop;
    const int code = runLoop([&] {
        try {
            stop.runScan([&] {
                stop.requestStop(3);
                throw std::runtime_error("scan failed");
            });
        } catch (const std::runtime_error&) {
        }
    });
    EXPECT_EQ(code, 3);
    EXPECT_FALSE(stop.scanRunning());
}

TEST(StopControl, ARequestBeforeTheLoopRunsEndsItOnceItRuns) {
    StopControl stop;
    stop.requestStop(2);
    stop.requestStop(0);
    EXPECT_EQ(runLoop([] {}), 2);
}

}  // namespace
}  // namespace fm

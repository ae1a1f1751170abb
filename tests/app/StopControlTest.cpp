#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <stdexcept>
#include <vector>

#include "app/StopControl.h"

namespace fm {
namespace {

// Runs the event loop with the step as its first event; the loop's exit code.
int runLoop(StopControl& stop, const std::function<void()>& step) {
    QTimer::singleShot(0, step);
    return stop.exec();
}

TEST(StopControl, AStopOutsideAScanEndsTheLoopAtOnce) {
    StopControl stop;
    EXPECT_EQ(runLoop(stop, [&] { stop.requestStop(0); }), 0);
    EXPECT_EQ(stop.pendingExit(), 0);
}

TEST(StopControl, AStopDuringAScanWaitsForItsEnd) {
    StopControl stop;
    std::vector<std::string> order;
    const int code = runLoop(stop, [&] {
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
    const int code = runLoop(stop, [&] {
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

TEST(StopControl, ARequestBeforeTheLoopRunsLeavesLaterWaitsAloneAndEndsInsteadOfTheLoop) {
    StopControl stop;
    stop.requestStop(2);
    stop.requestStop(0);
    bool waited = false;
    QTimer::singleShot(50, [&] { waited = true; });
    QEventLoop wait;  // a box or a pause of start-up
    QTimer::singleShot(100, &wait, &QEventLoop::quit);
    wait.exec();
    EXPECT_TRUE(waited);
    EXPECT_EQ(stop.exec(), 2);
}

}  // namespace
}  // namespace fm

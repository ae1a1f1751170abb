// How the system asks the program to end: a termination signal, or on Windows the session's end.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include "platform/desktop/StopSignals.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace fm::desktop {
namespace {

#ifdef _WIN32

// The window message as Qt's window procedure hands it on before handling it itself.
bool filtered(UINT message, WPARAM wParam, LPARAM lParam, qintptr& result) {
    MSG msg{};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
}

TEST(StopSignals, TheSessionsEndIsAgreedToWithoutAQuestionAndStopsOnce) {
    StopSignals stopSignals;
    int stops = 0;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, [&stops] { ++stops; });
    qintptr result = 0;
    EXPECT_TRUE(filtered(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, result));
    EXPECT_EQ(result, TRUE);
    EXPECT_TRUE(filtered(WM_ENDSESSION, FALSE, 0, result));  // another program refused it
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(filtered(WM_ENDSESSION, TRUE, 0, result));
    EXPECT_TRUE(filtered(WM_ENDSESSION, TRUE, 0, result));  // the next top-level window
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(filtered(WM_CLOSE, 0, 0, result));
}

#else

TEST(StopSignals, SigtermAndSigintStopThroughTheEventLoop) {
    StopSignals stopSignals;
    int stops = 0;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, [&stops] { ++stops; });
    for (const int signal : {SIGTERM, SIGINT}) {
        const int before = stops;
        std::raise(signal);
        const QDeadlineTimer deadline(5000);
        while (stops == before && !deadline.hasExpired()) QCoreApplication::processEvents();
        EXPECT_EQ(stops, before + 1) << signal;
    }
}

#endif

}  // namespace
}  // namespace fm::desktop

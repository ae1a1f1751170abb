// Test entry for suites that need widgets; the platform comes from QT_QPA_PLATFORM, and
// without one and without a display it is the offscreen platform. Listing the tests
// needs no application object (and no display).
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "platform/desktop/Display.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> application;
    if (!GTEST_FLAG_GET(list_tests)) {
        fm::desktop::fallBackToOffscreenWithoutDisplay();
        application = std::make_unique<QApplication>(argc, argv);
        application->setQuitOnLastWindowClosed(false);
    }
    return RUN_ALL_TESTS();
}

#include "platform/desktop/Display.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace fm::desktop {

void fallBackToOffscreenWithoutDisplay() {
#if !defined(_WIN32) && !defined(__APPLE__)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
}

bool hasDisplay() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool hasSystemTray() { return hasDisplay() && QSystemTrayIcon::isSystemTrayAvailable(); }

}  // namespace fm::desktop

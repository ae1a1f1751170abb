#pragma once

// The display of the tray tests, driven and read with xdotool, xprop, xwininfo and
// ImageMagick's import. Windows are X11 window ids as text.
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <string>
#include <vector>

namespace fm::test {

// The program's standard output; "" when it did not end within 10 s.
std::string run(const QString& program, const QStringList& arguments);

std::vector<std::string> visibleWindows(qint64 pid);
// WM_NAME as the window set it ("" when it set none).
std::string windowName(const std::string& id);
bool isTooltip(const std::string& id);
// The icon is the program's one window embedded into another (the tray's).
bool isEmbedded(const std::string& id);

using WindowTest = std::function<bool(const std::string&)>;
WindowTest named(const std::string& name);
std::string windowNow(qint64 pid, const WindowTest& wanted);
// Waits for a visible window of the process that passes the test; "" when none comes.
std::string findWindow(qint64 pid, const WindowTest& wanted);
std::string findTrayIcon(qint64 pid);

void clickIcon(const std::string& icon, const char* button, const char* repeat);
// The pointer away from the icon, then onto it and moved a little there, so that its tooltip comes.
void hoverIcon(const std::string& icon);
void pressKey(const std::string& window, const char* key);

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};
Area areaOf(const std::string& window);
Area wholeScreen();
// The part of the screen from the area's top left to the screen's top right corner.
Area upToTheTopRight(const Area& area);
// Into the build's screenshots folder.
void screenshot(const char* name, const Area& area);

}  // namespace fm::test

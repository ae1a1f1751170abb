#include "tests/app/ScreenTools.h"

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <filesystem>

namespace fm::test {

std::string run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) return {};
    return process.readAllStandardOutput().toStdString();
}

std::vector<std::string> visibleWindows(qint64 pid) {
    std::vector<std::string> windows;
    const QString out =
        QString::fromStdString(run("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)}));
    for (const QString& id : out.split('\n', Qt::SkipEmptyParts)) windows.push_back(id.toStdString());
    return windows;
}

std::string windowName(const std::string& id) {
    const std::string out = run("xprop", {"-id", QString::fromStdString(id), "WM_NAME"});
    const std::size_t open = out.find('"');
    return open == std::string::npos ? std::string() : out.substr(open + 1, out.rfind('"') - open - 1);
}

bool isTooltip(const std::string& id) {
    return run("xprop", {"-id", QString::fromStdString(id), "_NET_WM_WINDOW_TYPE"})
               .find("_NET_WM_WINDOW_TYPE_TOOLTIP") != std::string::npos;
}

bool isEmbedded(const std::string& id) {
    const std::string tree = run("xwininfo", {"-id", QString::fromStdString(id), "-tree"});
    const std::size_t parent = tree.find("Parent window id:");
    return parent != std::string::npos &&
           tree.substr(parent, tree.find('\n', parent) - parent).find("(the root window)") ==
               std::string::npos;
}

std::string windowNow(qint64 pid, const WindowTest& wanted) {
    for (const std::string& id : visibleWindows(pid)) {
        if (wanted(id)) return id;
    }
    return {};
}

std::string findWindow(qint64 pid, const WindowTest& wanted) {
    std::string found;
    if (!QTest::qWaitFor([&] { return !(found = windowNow(pid, wanted)).empty(); }, 10000)) return {};
    return found;
}

WindowTest named(const std::string& name) {
    return [name](const std::string& id) { return windowName(id) == name; };
}

std::string findTrayIcon(qint64 pid) { return findWindow(pid, isEmbedded); }

void hoverIcon(const std::string& icon) {
    run("xdotool", {"mousemove", "0", "700"});
    run("xdotool", {"mousemove", "--window", QString::fromStdString(icon), "8", "8"});
    QTest::qWait(200);
    run("xdotool", {"mousemove_relative", "1", "1"});  // a pointer that only arrived brings no tooltip
}

void clickIcon(const std::string& icon, const char* button, const char* repeat) {
    hoverIcon(icon);
    run("xdotool", {"click", "--repeat", repeat, "--delay", "80", button});
}

void pressKey(const std::string& window, const char* key) {
    run("xdotool", {"windowfocus", "--sync", QString::fromStdString(window)});
    run("xdotool", {"key", key});
}

Area areaOf(const std::string& window) {
    Area area;
    const QString shell = QString::fromStdString(
        run("xdotool", {"getwindowgeometry", "--shell", QString::fromStdString(window)}));
    for (const QString& line : shell.split('\n')) {
        const int value = line.section('=', 1).toInt();
        if (line.startsWith("X=")) area.x = value;
        if (line.startsWith("Y=")) area.y = value;
        if (line.startsWith("WIDTH=")) area.width = value;
        if (line.startsWith("HEIGHT=")) area.height = value;
    }
    return area;
}

Area wholeScreen() {
    const QStringList size = QString::fromStdString(run("xdotool", {"getdisplaygeometry"})).split(' ');
    return {0, 0, size.value(0).toInt(), size.value(1).trimmed().toInt()};
}

Area upToTheTopRight(const Area& area) {
    const int left = std::max(0, area.x - 10);
    return {left, 0, wholeScreen().width - left, area.y + area.height + 10};
}

void screenshot(const char* name, const Area& area) {
    std::filesystem::create_directories(FMERILON_SCREENSHOT_DIR);
    const QString crop =
        QStringLiteral("%1x%2+%3+%4").arg(area.width).arg(area.height).arg(area.x).arg(area.y);
    run("import", {"-window", "root", "-crop", crop, "+repage",
                   QString::fromStdString(std::string(FMERILON_SCREENSHOT_DIR) + "/" + name)});
}

}  // namespace fm::test

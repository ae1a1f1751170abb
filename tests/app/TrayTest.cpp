// The real program on a display with a system tray (Xvfb with trayer in CI), driven
// with xdotool. Skipped without a DISPLAY that has a tray. Screenshots of the window
// and of a notice are left in the build's screenshots folder.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "journal/JournalStore.h"
#include "tests/app/ProgramCopy.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

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

// WM_NAME as the window set it ("" when it set none).
std::string windowName(const std::string& id) {
    const std::string out = run("xprop", {"-id", QString::fromStdString(id), "WM_NAME"});
    const std::size_t open = out.find('"');
    return open == std::string::npos ? std::string() : out.substr(open + 1, out.rfind('"') - open - 1);
}

bool isTooltip(const std::string& id) {
    return run("xprop", {"-id", QString::fromStdString(id), "_NET_WM_WINDOW_TYPE"})
               .find("_NET_WM_WINDOW_TYPE_TOOLTIP") != std::string::npos;
}

// The icon is the program's one window embedded into another (the tray's).
bool isEmbedded(const std::string& id) {
    const std::string tree = run("xwininfo", {"-id", QString::fromStdString(id), "-tree"});
    const std::size_t parent = tree.find("Parent window id:");
    return parent != std::string::npos &&
           tree.substr(parent, tree.find('\n', parent) - parent).find("(the root window)") ==
               std::string::npos;
}

using WindowTest = std::function<bool(const std::string&)>;

std::string windowNow(qint64 pid, const WindowTest& wanted) {
    for (const std::string& id : visibleWindows(pid)) {
        if (wanted(id)) return id;
    }
    return {};
}

// Waits for a visible window of the process that passes the test; "" when none comes.
std::string findWindow(qint64 pid, const WindowTest& wanted) {
    std::string found;
    if (!QTest::qWaitFor([&] { return !(found = windowNow(pid, wanted)).empty(); }, 10000)) return {};
    return found;
}

WindowTest named(const std::string& name) {
    return [name](const std::string& id) { return windowName(id) == name; };
}

std::string findTrayIcon(qint64 pid) { return findWindow(pid, isEmbedded); }

void clickIcon(const std::string& icon, const char* button, const char* repeat) {
    run("xdotool", {"mousemove", "0", "700"});
    run("xdotool", {"mousemove", "--window", QString::fromStdString(icon), "8", "8", "click", "--repeat",
                    repeat, "--delay", "80", button});
}

void pressKey(const std::string& window, const char* key) {
    run("xdotool", {"windowfocus", "--sync", QString::fromStdString(window)});
    run("xdotool", {"key", key});
}

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

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

// The part of the screen from the area's top left to the screen's top right corner.
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

class Tray : public ::testing::Test {
  protected:
    // Starts the program; false (and the test is skipped) without a display with a tray.
    bool startOnTheTray(const std::string& settings) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
        program = std::make_unique<ProgramCopy>(settings);
        program->start(meeting.path());
        EXPECT_TRUE(program->waitForLog("[FMerilon dogadjaj] pokretanje")) << program->log();
        return program->log().find("obavijesti u trayu") != std::string::npos;
    }

    TempDir meeting;
    std::unique_ptr<ProgramCopy> program;
};

const std::string kSettings = "F_BROJ_KASE=AB1234\r\nTARVOPROVJERIISTANCU=NE\r\n";

TEST_F(Tray, TheIconAppearsANoticeIsShownAndTheWindowGoesIntoTheTray) {
    if (!startOnTheTray(kSettings + "RBRR=abc\r\n")) GTEST_SKIP() << "no display with a system tray";

    // The counter's message box comes first and waits for its OK.
    ASSERT_TRUE(program->waitForLog("[FMerilon poruka] Neki od brojeva racuna je neispravan!"));
    const std::string box = findWindow(program->pid(), named("Kappa fiskalni uredjaji - FMerilon"));
    ASSERT_FALSE(box.empty()) << program->log();
    pressKey(box, "Return");

    ASSERT_TRUE(program->waitForLog(
        "[FMerilon obavijest] Ne moze se procitati pocetni knjigovodstveni broj racuna!"));
    EXPECT_FALSE(findTrayIcon(program->pid()).empty());
    const std::string balloon = findWindow(program->pid(), isTooltip);
    EXPECT_FALSE(balloon.empty());
    const std::string window = findWindow(program->pid(), named("FMERILON"));
    ASSERT_FALSE(window.empty());
    if (!balloon.empty()) screenshot("tray-notice.png", upToTheTopRight(areaOf(balloon)));
    screenshot("window.png", areaOf(window));

    // About two seconds after showing, only the icon is left.
    EXPECT_TRUE(QTest::qWaitFor([&] { return windowNow(program->pid(), named("FMERILON")).empty(); }, 10000));
    EXPECT_FALSE(windowNow(program->pid(), isEmbedded).empty());
    EXPECT_TRUE(program->running());
}

TEST_F(Tray, BackFromTheTrayAndStoppedThroughTheStopQuestion) {
    if (!startOnTheTray(kSettings)) GTEST_SKIP() << "no display with a system tray";
    const std::string icon = findTrayIcon(program->pid());
    ASSERT_FALSE(icon.empty()) << program->log();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windowNow(program->pid(), named("FMERILON")).empty(); }, 10000));

    // A double-click brings the window back, covering the screen.
    clickIcon(icon, "1", "2");
    const std::string window = findWindow(program->pid(), named("FMERILON"));
    ASSERT_FALSE(window.empty());
    const Area screen = wholeScreen();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const Area area = areaOf(window);
            return area.x == 0 && area.y == 0 && area.width == screen.width && area.height == screen.height;
        },
        5000));

    // An arrow asks nothing; Escape asks, and No keeps everything as it was.
    pressKey(window, "Left");
    pressKey(window, "Escape");
    std::string confirm = findWindow(program->pid(), named("Confirm"));
    ASSERT_FALSE(confirm.empty());
    EXPECT_EQ(countOf(program->log(), "[FMerilon pitanje]"), 0);
    pressKey(confirm, "Escape");
    ASSERT_TRUE(program->waitForLog("zaustavis FMerilon - Ne"));
    EXPECT_EQ(countOf(program->log(), "[FMerilon pitanje]"), 1);
    EXPECT_TRUE(program->running());

    // The tray menu's last item, then Yes: the program ends with exit code 0. Without a
    // window manager the maximised window lies over the tray; the tray is raised first.
    run("xdotool", {"search", "--class", "trayer", "windowraise", "%@"});
    clickIcon(icon, "3", "1");
    const std::string menu = findWindow(
        program->pid(), [&](const std::string& id) { return !isEmbedded(id) && windowName(id).empty(); });
    ASSERT_FALSE(menu.empty());
    const QString lastItem = QString::number(areaOf(menu).height - 12);
    run("xdotool", {"mousemove", "--window", QString::fromStdString(menu), "30", lastItem, "click", "1"});
    confirm = findWindow(program->pid(), named("Confirm"));
    ASSERT_FALSE(confirm.empty());
    pressKey(confirm, "Return");
    EXPECT_EQ(program->waitForExit(), 0);
    EXPECT_EQ(countOf(program->log(), "zaustavis FMerilon - Da"), 1) << program->log();
}

// The menu's first item opens the journal's latest jobs, the newest selected.
TEST_F(Tray, TheLatestJobsWindowFromTheTrayMenu) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no display with a system tray";
    program = std::make_unique<ProgramCopy>(kSettings);
    {
        JournalStore store(program->dir().file("MerilonDnevnik.db"));
        std::string error;
        for (const auto& [number, outcome, message] : std::vector<std::tuple<int, int, std::string>>{
                 {100, 0, ""},
                 {101, -2, "Proces nije izvrsen!\r\nPARTNER nije zavrsio proces u predvidjenom vremenu!"},
                 {102, -255,
                  "Neispravan fajl C:\\RACUNI\\r102.inp\r\nGreska:linija 1, polje 6 (cijena): "
                  "'x1' nije ispravan broj"},
                 {103, -4,
                  "Proces nije izvrsen!\r\nProblem pri prodaji artikla sifra=7\r\nStorno "
                  "stavka=0,Kolicina=1"},
                 {104, 0, ""}}) {
            JobEntry e;
            const std::int64_t start = nowEpochMs() - (110 - number) * 60000;
            e.times = {start, start + 3, start + 40, start + 52, start + 1852, start + 1860};
            e.fileName = "C:\\RACUNI\\r" + std::to_string(number) + ".inp";
            e.fileSize = 96;
            e.number = number;
            e.cashRegister = 1;
            e.letter = 'S';
            e.itemRows = 2;
            e.paymentRows = 1;
            e.budgetMs = 7100;
            e.outcome = outcome;
            e.action = markFor(outcome);
            e.waitedMs = outcome == -255 ? 0 : 1800;
            e.message = message;
            ASSERT_TRUE(store.add(e, &error)) << error;
        }
    }
    program->start(meeting.path());
    ASSERT_TRUE(program->waitForLog("[FMerilon dogadjaj] pokretanje")) << program->log();
    if (program->log().find("obavijesti u trayu") == std::string::npos) GTEST_SKIP() << "no system tray";
    const std::string icon = findTrayIcon(program->pid());
    ASSERT_FALSE(icon.empty()) << program->log();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windowNow(program->pid(), named("FMERILON")).empty(); }, 10000));

    clickIcon(icon, "3", "1");
    const std::string menu = findWindow(
        program->pid(), [&](const std::string& id) { return !isEmbedded(id) && windowName(id).empty(); });
    ASSERT_FALSE(menu.empty());
    run("xdotool", {"mousemove", "--window", QString::fromStdString(menu), "30", "10", "click", "1"});
    const std::string window = findWindow(program->pid(), named("Zadnji poslovi - FMerilon"));
    ASSERT_FALSE(window.empty()) << program->log();
    pressKey(window, "Down");  // the receipt whose article the PARTNER stopped at
    QTest::qWait(500);
    screenshot("journal-window.png", areaOf(window));
    EXPECT_EQ(program->endWithSigterm(), 0);
}

}  // namespace
}  // namespace fm::test

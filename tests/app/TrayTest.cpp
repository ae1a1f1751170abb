// The real program on a display with a system tray (Xvfb with trayer in CI), driven
// with xdotool. Skipped without a DISPLAY that has a tray. Screenshots of the window
// and of a notice are left in the build's screenshots folder.
#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <tuple>
#include <vector>

#include "journal/JournalStore.h"
#include "tests/app/ProgramCopy.h"
#include "tests/app/ScreenTools.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

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

// The menu's first item opens the journal's latest jobs, with their fiscal numbers, a receipt
// printed after its file was marked "No", one still open and one printed twice.
TEST_F(Tray, TheLatestJobsWindowFromTheTrayMenu) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no display with a system tray";
    program = std::make_unique<ProgramCopy>(kSettings);
    {
        JournalStore store(program->dir().file("MerilonDnevnik.db"));
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
            if (outcome == 0 || outcome == -2) e.fiscalNumbers = {5020 + number};
            if (outcome == -2) {  // printed four minutes after its file was marked "No"
                e.late = LateOutcome::Printed;
                e.lateMs = start + 4 * 60000;
            }
            e.open = outcome == -4;
            if (number == 104) {
                e.fiscalNumbers.push_back(5125);
                e.printedTwice = true;
            }
            ASSERT_EQ(failureOf(store.add(e)), "");
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
    pressKey(window, "Down");  // the receipt whose article the PARTNER stopped at, still open
    QTest::qWait(500);
    screenshot("journal-window.png", areaOf(window));
    EXPECT_EQ(program->endWithSigterm(), 0);
}

}  // namespace
}  // namespace fm::test

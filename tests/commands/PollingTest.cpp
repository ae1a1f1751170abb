// The scans of the input directory: the memory of processed files, the scans that
// a change of the directory brings and their guard, files that vanish or cannot be
// marked, links and files over the limits. The jobs run on recorded SQL (a PARTNER
// that never takes a job up is a row that stays); Timer1 is that of a data module
// never connected.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "commands/CommandFile.h"
#include "commands/DirectoryPolling.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "tests/db/RecordingSql.h"
#include "tests/support/PosixSteps.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

namespace fs = std::filesystem;

const std::string kProcessed = "Z,P1,3,AB1234,OK;\r\n\r\n";
const std::string kNewJob = "Q,P1,_,______,__;\r\n\r\n";  // as long as kProcessed
const std::string kNewJobDone = "Q,P1,1,AB1234,OK;\r\n\r\n";
const std::string kInvalid = "I,P1,_,______,__;1;50,00\r\n\r\n";

// Turns the Qt event loop wherever the program handles pending events.
class EventLoopUserInterface : public test::RecordingUserInterface {
  public:
    void processPendingEvents() override {
        RecordingUserInterface::processPendingEvents();
        if (onEvents) onEvents();
        QCoreApplication::processEvents();
    }
    std::function<void()> onEvents;
};

bool spinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Peak resident memory of this process in MB.
long peakMemoryMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    }
    return -1;
}

std::int64_t modifiedMs(const fs::path& path) {
    using namespace std::chrono;
    return duration_cast<milliseconds>(fs::last_write_time(path).time_since_epoch()).count();
}

class Polling : public ::testing::Test {
  protected:
    Polling() {
        fs::create_directory(input);
        dir.write("MerilonSettings.ini", "RBRR=7\r\n");
        state.BrojRacuna = 7;
        state.postavke.F_BROJ_KASE = "AB1234";
        state.postavke.TARVOLOCALDIR = input.string();
        state.postavke.TARVORACUN = "*.inp";
        state.BazaOtvorena = true;
        ui.realPauses = false;
        dm.onTimer1([this] { runScan([this] { poller.Timer1Timer(); }); });
        dm.setTimer1Interval(3600 * 1000);  // only the scans of the test or of the watcher
        dm.setTimer1Enabled(true);
    }

    void drop(const std::string& name, const std::string& bytes) const { dir.write("racuni/" + name, bytes); }
    std::string read(const std::string& name) const { return dir.read("racuni/" + name); }
    fs::path path(const std::string& name) const { return input / name; }
    int jobsDone() const { return state.BrojRacuna - 7; }

    void runScan(const std::function<void()>& scan) {
        ++scans;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        scan();
        --depth;
    }
    // The PARTNER never takes a job up: every look finds its F_SEMAFOR row (a price
    // change's), and so does the look over the register once rowStaysFor names the job.
    void partnerNeverTakesUp() { sql.answersTo["from F_SEMAFOR Where"] = test::AnswerRow::withRow(); }
    void rowStaysFor(int number) {
        sql.answersTo["count(*) as N"] =
            test::AnswerRow::withRow({{"N", "1"}, {"S", std::to_string(number)}});
        sql.answersTo["select F_RBR, TIPKNJIZENJA"] =
            test::AnswerRow::withRow({{"F_RBR", std::to_string(number)}, {"TIPKNJIZENJA", "2"}});
    }
    void watch() {
        poller.watchInputDirectory([this](const std::function<void()>& scan) { runScan(scan); });
    }

    test::TempDir dir;
    fs::path input = fs::path(dir.path()) / "racuni";
    ProcessState state;
    EventLoopUserInterface ui;
    Tdm_db dm{state, ui};
    test::RecordingSql sql;
    Settings settings{dir.file("MerilonSettings.ini")};
    DirectoryPoller poller{dm, RecordContext(sql, state, ui), settings};
    int scans = 0;
    int depth = 0;
    int maxDepth = 0;
};

TEST_F(Polling, ProcessedFilesAreCountedAtEveryScanWithoutBeingReadAgain) {
    for (const char* name : {"p1.inp", "p2.inp", "p3.inp"}) drop(name, kProcessed);
    drop("new.inp", kNewJob);

    poller.Timer1Timer();
    EXPECT_EQ(read("new.inp").substr(14, 3), "OK;");
    EXPECT_EQ(jobsDone(), 1);
    EXPECT_EQ(state.BrojacObrade, 4);
    EXPECT_EQ(poller.processedFiles().size(), 3u);  // new.inp is read once more, now marked

    poller.Timer1Timer();
    EXPECT_EQ(state.BrojacObrade, 8);
    EXPECT_EQ(poller.processedFiles().size(), 4u);

    // A job put in place of a remembered file, same size and time: not read, still counted.
    const auto time = fs::last_write_time(path("p2.inp"));
    drop("p2.inp", kNewJob);
    fs::last_write_time(path("p2.inp"), time);
    poller.Timer1Timer();
    EXPECT_EQ(read("p2.inp"), kNewJob);
    EXPECT_EQ(jobsDone(), 1);
    EXPECT_EQ(state.BrojacObrade, 2);  // 8 + 4, past 9

    // Its time changes: read again, taken up.
    fs::last_write_time(path("p2.inp"), time + std::chrono::seconds(1));
    poller.Timer1Timer();
    EXPECT_EQ(read("p2.inp").substr(14, 3), "OK;");
    EXPECT_EQ(jobsDone(), 2);

    fs::remove(path("p1.inp"));
    poller.Timer1Timer();
    EXPECT_EQ(poller.processedFiles().size(), 3u);  // p1 forgotten, p2 remembered anew
    EXPECT_EQ(state.BrojacObrade, 9);               // 6 + 3
    EXPECT_TRUE(ui.notices.empty());
}

TEST_F(Polling, AChangeOfTheDirectoryBringsAScanOfTheFilesThatSettled) {
    drop("before.inp", kNewJob);  // there before watching begins
    watch();
    ASSERT_TRUE(spinUntil([&] { return jobsDone() == 1; }));
    EXPECT_EQ(read("before.inp"), kNewJobDone);

    drop("after.inp", kNewJob);
    const std::int64_t written = modifiedMs(path("after.inp"));
    ASSERT_TRUE(spinUntil([&] { return jobsDone() == 2; }));
    EXPECT_EQ(read("after.inp").substr(14, 3), "OK;");
    // Marked after settling; file times come from the kernel's coarse clock (a tick behind).
    EXPECT_GE(modifiedMs(path("after.inp")) - written, SettlingFiles::kSettleMs - 10);
    EXPECT_GT(scans, 0);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_TRUE(dm.timer1Enabled());
    EXPECT_EQ(dm.timer1Interval(), 3600 * 1000);
}

TEST_F(Polling, AFileStillBeingWrittenIsTakenUpWholeOnceItSettled) {
    watch();
    ASSERT_TRUE(spinUntil([&] { return scans > 0; }));  // the first scan, of the empty directory
    drop("r.inp", "Q,P1,_,______,__;\r\n");
    std::int64_t lastWrite = 0;
    QTimer::singleShot(100, [&] {
        drop("r.inp", "Q,P1,_,______,__;\r\nQ,P1,_,______,__;\r\n");
        lastWrite = modifiedMs(path("r.inp"));
    });

    ASSERT_TRUE(spinUntil([&] { return jobsDone() == 1; }));
    EXPECT_EQ(read("r.inp"), "Q,P1,1,AB1234,OK;\r\nQ,P1,1,AB1234,OK;\r\n");
    EXPECT_GE(modifiedMs(path("r.inp")) - lastWrite, SettlingFiles::kSettleMs);
    spinUntil([] { return false; }, 600);  // the scans after its marking
    EXPECT_EQ(jobsDone(), 1);
}

TEST_F(Polling, NoScanStartsInsideAScan) {
    dm.setTimer1Interval(20);
    drop("bad.inp", kInvalid);
    bool dropped = false;
    ui.onEvents = [&] {  // inside the first job: Timer1 is off, then switched on from within
        if (dropped) return;
        dropped = true;
        EXPECT_FALSE(dm.timer1Enabled());
        drop("late.inp", kNewJob);
        dm.setTimer1Enabled(true);
        spinUntil([] { return false; }, 500);  // notices, rechecks and ticks come in here
        EXPECT_EQ(read("late.inp"), kNewJob);  // not taken up inside
    };
    watch();

    ASSERT_TRUE(spinUntil([&] { return jobsDone() == 2; }));
    EXPECT_TRUE(dropped);
    EXPECT_EQ(read("late.inp").substr(14, 3), "OK;");
    EXPECT_EQ(read("bad.inp").substr(0, 17), "I,P1,1,AB1234,Er;");
    EXPECT_TRUE(dm.timer1Enabled());
}

TEST_F(Polling, Timer1WatchesAgainADirectoryThatCameBack) {
    watch();
    ASSERT_TRUE(spinUntil([&] { return scans > 0; }));
    fs::remove(input);
    spinUntil([] { return false; }, 200);
    fs::create_directory(input);
    poller.Timer1Timer();  // finds it empty, watches it again

    drop("a.inp", kNewJob);
    ASSERT_TRUE(spinUntil([&] { return jobsDone() == 1; }));
    EXPECT_EQ(read("a.inp"), kNewJobDone);
}

// A job's file that cannot be marked, or the error file that cannot be written, is shown
// and the scan goes on with the next file.
TEST_F(Polling, FailingFileStepsAreShownAndTheScanGoesOn) {
    state.postavke.TARVOLOGGRESKE = dir.file("log/");
    fs::create_directories(dir.file("log/Tarvo.err"));  // the error file cannot be written
    partnerNeverTakesUp();
    drop("a.inp", "U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n");
    drop("b.inp", kNewJob);
    ui.onPause = [&](int) {  // while its job waits, the till takes it away
        rowStaysFor(state.BrojRacuna);
        fs::remove(path("a.inp"));
    };

    poller.Timer1Timer();

    ASSERT_EQ(ui.notices.size(), 2u);
    EXPECT_NE(ui.notices[0].text.find("Tarvo.err"), std::string::npos);
    EXPECT_EQ(ui.notices[1].text.rfind("Ne moze se oznaciti fajl " + path("a.inp").string(), 0), 0u);
    EXPECT_EQ(read("b.inp").substr(14), "OK;\r\n\r\n");
    EXPECT_EQ(jobsDone(), 2);
    EXPECT_EQ(dir.read("MerilonSettings.ini"), "RBRR=9\r\n");
    EXPECT_TRUE(dm.timer1Enabled());
}

TEST_F(Polling, FilesThatVanishDuringAJobAreNotLost) {
    partnerNeverTakesUp();
    drop("x.inp", "U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n");
    drop("y.inp", "U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n");
    ui.onPause = [&](int) {  // the till takes both away while the first job waits
        rowStaysFor(state.BrojRacuna);
        fs::remove(path("x.inp"));
        fs::remove(path("y.inp"));
    };

    poller.Timer1Timer();

    ASSERT_EQ(ui.notices.size(), 1u);  // the first job's file cannot be marked; the second is not taken up
    EXPECT_EQ(ui.notices[0].text.rfind("Ne moze se oznaciti fajl ", 0), 0u);
    EXPECT_EQ(jobsDone(), 1);
    EXPECT_EQ(dir.read("MerilonSettings.ini"), "RBRR=8\r\n");
}

// Entries that cannot be read as command files are told once each and use no number.
TEST_F(Polling, FilesThatCannotBeReadAreShownOnceAndUseNoNumber) {
    if (!test::kPosix) GTEST_SKIP() << test::kPosixOnly;
    ASSERT_TRUE(test::makeFifo(path("a-fifo.inp")));          // opening it would wait for a writer
    fs::create_symlink("/proc/self/mem", path("b-mem.inp"));  // a link: not followed
    fs::create_symlink(path("nowhere"), path("c-dangling.inp"));
    drop("d.inp", "Z,P1,_,______,__;\r\n\r\n");  // taken up by the PARTNER at once
    if (!test::runsAsRoot()) {
        drop("e-locked.inp", kNewJob);
        fs::permissions(path("e-locked.inp"), fs::perms::none);
    }

    poller.Timer1Timer();
    poller.Timer1Timer();

    EXPECT_EQ(read("d.inp").substr(14, 3), "OK;");
    EXPECT_EQ(jobsDone(), 1);
    EXPECT_EQ(ui.noticesStartingWith("Fajl " + path("a-fifo.inp").string() + " nije obican fajl"), 1);
    EXPECT_EQ(ui.noticesStartingWith("Fajl " + path("b-mem.inp").string() + " je simbolicki link"), 1);
    const std::size_t expectedNotices = !test::runsAsRoot() ? 3 : 2;
    if (!test::runsAsRoot()) {
        EXPECT_EQ(ui.noticesStartingWith("Ne moze se otvoriti fajl " + path("e-locked.inp").string()), 1);
    }
    EXPECT_EQ(ui.notices.size(), expectedNotices);
    EXPECT_TRUE(dm.timer1Enabled());

    // A file that vanished between the scan and the read is no job.
    EXPECT_FALSE(CommandProcessor(RecordContext(sql, state, ui), settings)
                     .AnalRacuniKomande(path("gone.inp").string()));
    EXPECT_EQ(ui.notices.size(), expectedNotices);
    EXPECT_EQ(dir.read("MerilonSettings.ini"), "RBRR=8\r\n");
}

// A link to a waiting command file is not taken up, and its target stays as it is.
TEST_F(Polling, AnEntryThatIsALinkIsNotTakenUp) {
    if (!test::kPosix) GTEST_SKIP() << test::kPosixOnly;
    dir.write("elsewhere.inp", kNewJob);
    fs::create_symlink(dir.file("elsewhere.inp"), path("link.inp"));

    poller.Timer1Timer();
    poller.Timer1Timer();

    EXPECT_EQ(dir.read("elsewhere.inp"), kNewJob);
    EXPECT_EQ(jobsDone(), 0);
    EXPECT_TRUE(sql.statements.empty());
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_EQ(ui.notices[0].text,
              "Fajl " + path("link.inp").string() + " je simbolicki link i ne uzima se u obradu");
}

// 300 MB of line breaks and a 3 GB file that is one hole are refused unread; too many
// lines, or a line over its limit, in a file under the size limit make that file invalid.
// A file over a limit is judged by its header alone, and its status written in place.
TEST_F(Polling, FilesOverTheLimitsAreInvalidAndReadNoFurther) {
    {
        std::ofstream newlines(path("newlines.inp"), std::ios::binary);
        const std::string megabyte(1 << 20, '\n');
        for (int i = 0; i < 300; ++i) newlines.write(megabyte.data(), std::streamsize(megabyte.size()));
        std::ofstream sparse(path("sparse.inp"), std::ios::binary);
    }
    fs::resize_file(path("sparse.inp"), 3ULL << 30);
    drop("lines.inp", "Z,P1,_,______,__;" + std::string(kCommandLinesLimit + 1, '\n'));
    drop("line.inp", "S,P1,_,______,__;" + std::string(kCommandLineLimit, 'N') + ";1;1;;1;2;;7\r\n" +
                         "T,P1,_,______,__;\r\n");
    const std::string overSize = "X,P1,_,______,__;\r\n" + std::string(kCommandFileLimit, '\n');
    drop("big.inp", overSize);
    const std::string processed = "Z,P1,3,AB1234,OK;" + std::string(kCommandLinesLimit + 1, '\n');
    drop("done.inp", processed);

    poller.Timer1Timer();
    poller.Timer1Timer();

    const auto invalid = [&](const std::string& name, const std::string& error) {
        return ui.noticesStartingWith("Neispravan fajl " + path(name).string() + "\r\nGreska:" + error);
    };
    for (const char* name : {"newlines.inp", "sparse.inp"})
        EXPECT_EQ(invalid(name, "fajl je veci od najvise dozvoljenih 4 MiB (4194304 bajtova)"), 1) << name;
    EXPECT_EQ(invalid("line.inp", "linija 1 je duza od najvise dozvoljenih 1024 KiB (1048576 bajtova)"), 1);
    EXPECT_EQ(invalid("lines.inp", "fajl ima vise od najvise dozvoljenih 100000 linija"), 1);
    EXPECT_EQ(read("line.inp").substr(14, 3), "Er;");
    EXPECT_EQ(read("lines.inp").substr(14, 3), "Er;");  // written in place: the file is never rewritten
    EXPECT_EQ(read("big.inp"), "X,P1,_,______,Er;" + overSize.substr(17));
    EXPECT_EQ(read("done.inp"), processed);
    EXPECT_EQ(fs::file_size(path("newlines.inp")), 300u << 20);
    EXPECT_EQ(jobsDone(), 5);  // one number each but for the processed one, kept by the second scan
    EXPECT_EQ(dir.read("MerilonSettings.ini"), "RBRR=12\r\n");
    for (const std::string& statement : sql.statements)  // nothing but clean-ups
        EXPECT_TRUE(statement.rfind("DELETE FROM F_", 0) == 0 || statement.rfind("delete from F_", 0) == 0)
            << statement;
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer keeps freed memory in quarantine
    EXPECT_LT(peakMemoryMb(), 100);
#endif
}

}  // namespace
}  // namespace fm

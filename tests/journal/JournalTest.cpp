// The job journal's store, its bounds, its failures and fmerilon-journal's output.

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "journal/Journal.h"
#include "journal/JournalText.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

JobEntry job(int number, int outcome, const std::string& message = {}) {
    JobEntry e;
    e.times = {1000000, 1000010, 1000040, 1000045, 1001045, 1001050};
    e.fileName = "/racuni/r" + std::to_string(number) + ".inp";
    e.fileSize = 120;
    e.number = number;
    e.cashRegister = 1;
    e.letter = 'S';
    e.itemRows = 2;
    e.paymentRows = 1;
    e.budgetMs = 7000;
    e.waitedMs = 1000;
    e.outcome = outcome;
    e.action = markFor(outcome);
    e.message = message;
    return e;
}

std::vector<int> numbers(JournalStore& store, const JournalFilter& filter = {}) {
    std::string error;
    std::vector<int> found;
    const std::vector<JobEntry> entries = store.read(filter, &error).value();
    for (const JobEntry& e : entries) found.push_back(e.number);
    return found;
}

TEST(JournalStore, KeepsEveryFieldByteForByteAndFiltersNewestFirst) {
    TempDir dir;
    JournalStore store(dir.file("MerilonDnevnik.db"));
    std::string error;
    JobEntry odd = job(100, -3, "Proces nije izvrsen!\r\nDetektovana greska, \"x\" \xE8");
    odd.fileName = "/racuni/ra\xE8un, 1.inp";
    ASSERT_TRUE(store.add(odd, &error)) << error;
    ASSERT_TRUE(store.add(job(101, 0), &error)) << error;
    JobEntry interrupted;
    interrupted.number = 102;
    interrupted.fileName = "/racuni/p.inp";
    interrupted.recovered = true;
    ASSERT_TRUE(store.add(interrupted, &error)) << error;

    const std::vector<JobEntry> all = store.read({}, &error).value();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].status(), "prekinut");
    EXPECT_TRUE(all[0].recovered);
    const JobEntry& back = all[2];
    EXPECT_EQ(back.fileName, odd.fileName);
    EXPECT_EQ(back.message, odd.message);
    EXPECT_EQ(back.outcome, -3);
    EXPECT_EQ(back.action, FileAction::MarkedEr);
    EXPECT_EQ(back.letter, 'S');
    EXPECT_EQ(back.times.marked, odd.times.marked);
    EXPECT_EQ(back.waitMs(), 1000);
    EXPECT_EQ(back.handOverMs(), 5);

    EXPECT_EQ(numbers(store, {"Er", "", 0, 200}), std::vector<int>{100});
    EXPECT_EQ(numbers(store, {"", "ra\xE8un", 0, 200}), std::vector<int>{100});
    EXPECT_EQ(numbers(store, {"", "101", 0, 200}), std::vector<int>{101});
    EXPECT_EQ(numbers(store, {"", "%", 0, 200}), std::vector<int>{});  // no wildcard
    EXPECT_EQ(numbers(store, {"", "", all[0].id, 1}), std::vector<int>{101});

    ASSERT_TRUE(
        store.settleLater("/racuni/p.inp", FileAction::MarkedOk, 5, &error));  // not unmarked: unchanged
    JobEntry unmarked = job(103, -2);
    unmarked.action = FileAction::NotMarked;
    ASSERT_TRUE(store.add(unmarked, &error));
    ASSERT_TRUE(store.settleLater(unmarked.fileName, FileAction::MarkedNo, 2000000, &error));
    const JobEntry settled = store.read({"", "103", 0, 1}, &error).value().front();
    EXPECT_EQ(settled.action, FileAction::MarkedNo);
    EXPECT_EQ(settled.times.marked, 2000000);
    EXPECT_EQ(store.read({"", "p.inp", 0, 1}, &error).value().front().action, FileAction::None);
}

TEST(JournalStore, PrunesTheOldestPastItsBoundsOnly) {
    TempDir dir;
    JournalStore store(dir.file("MerilonDnevnik.db"), JournalBounds{5, 1});
    std::string error;
    for (int number = 1; number <= 8; ++number) ASSERT_TRUE(store.add(job(number, 0), &error));
    ASSERT_TRUE(store.prune(nowEpochMs(), &error)) << error;
    EXPECT_EQ(numbers(store), (std::vector<int>{8, 7, 6, 5, 4}));
    ASSERT_TRUE(store.prune(nowEpochMs() + kDayMs / 2, &error));
    EXPECT_EQ(numbers(store).size(), 5u);
    ASSERT_TRUE(store.prune(nowEpochMs() + kDayMs + 1000, &error));
    EXPECT_TRUE(numbers(store).empty());
}

TEST(Journal, AnUnwritableJournalIsNoticedOnceAndCatchesUpLater) {
    TempDir dir;
    RecordingUserInterface ui;
    ui.realPauses = false;
    dir.write("dnevnik", "a file where the directory should be");
    const std::string path = dir.file("dnevnik/MerilonDnevnik.db");
    Journal journal(path, ui, nullptr);

    JobEntry open = job(2, -2);
    open.open = true;
    journal.jobEnded(job(1, 0));
    journal.jobEnded(open);
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_NE(ui.notices[0].text.find("Poslovi se obradjuju dalje"), std::string::npos) << ui.notices[0].text;
    EXPECT_EQ(journal.waiting(), 2u);
    JobEntry printedLate = open;
    printedLate.open = false;
    printedLate.late = LateOutcome::Printed;
    journal.jobSettledLate(printedLate);  // its own row not written yet

    std::filesystem::remove(dir.file("dnevnik"));
    std::filesystem::create_directory(dir.file("dnevnik"));
    journal.jobEnded(job(3, 0));
    EXPECT_EQ(journal.waiting(), 0u);
    ASSERT_EQ(ui.notices.size(), 2u);
    EXPECT_NE(ui.notices[1].text.find("se ponovo upisuje"), std::string::npos);
    JournalStore store(path);
    EXPECT_EQ(numbers(store), (std::vector<int>{3, 2, 1}));
    std::string error;
    EXPECT_EQ(store.read({}, &error).value()[1].late, LateOutcome::Printed);
    EXPECT_TRUE(store.openJobs(1, &error).value().empty());
}

TEST(Journal, ADamagedFileIsMovedAsideAndANewOneStarted) {
    TempDir dir;
    RecordingUserInterface ui;
    const std::string path = dir.file("MerilonDnevnik.db");
    const std::string garbage(8192, 'x');
    dir.write("MerilonDnevnik.db", garbage);
    std::vector<std::string> lines;
    Journal journal(path, ui, [&](const std::string& line) { lines.push_back(line); });

    journal.jobEnded(job(7, -2));
    journal.jobEnded(job(8, 0));

    EXPECT_EQ(dir.read("MerilonDnevnik.db.neispravan"), garbage);
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_NE(ui.notices[0].text.find("je ostecen; premjesten je u " + path + ".neispravan"),
              std::string::npos)
        << ui.notices[0].text;
    JournalStore store(path);
    EXPECT_EQ(numbers(store), (std::vector<int>{8, 7}));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "posao 7, fajl /racuni/r7.inp, status No (fajl No), cekano 1000 ms",
                         "posao 8, fajl /racuni/r8.inp, status OK (fajl OK), cekano 1000 ms"}));
}

TEST(JournalText, CsvQuotesWhatNeedsItAndNamesEveryStage) {
    JobEntry e = job(5, -4, "Proces nije izvrsen!\r\nProblem pri prodaji artikla sifra=\"7\"");
    e.fileName = "/racuni/a,b.inp";
    const std::string csv = journalCsv({e});
    const std::string header = csv.substr(0, csv.find("\r\n"));
    EXPECT_NE(header.find("citanje_ms,redovi_ms,predaja_ms,cekanje_ms,oznacavanje_ms"), std::string::npos);
    const std::string row = csv.substr(header.size() + 2);
    EXPECT_NE(
        row.find(
            ",\"/racuni/a,b.inp\",120,5,1,S,0,2,1,7000,1000,-4,Er,Er,"
            "\"Proces nije izvrsen!\r\nProblem pri prodaji artikla sifra=\"\"7\"\"\",10,30,5,1000,5,NE\r\n"),
        std::string::npos)
        << row;
    EXPECT_EQ(oneLine("a\r\nb\nc"), "a | b | c");
}

TEST(JournalTool, PrintsTheLatestJobsOldestFirstFilteredByStatus) {
    TempDir dir;
    {
        JournalStore store(dir.file("d.db"));
        std::string error;
        for (int number = 1; number <= 4; ++number)
            ASSERT_TRUE(store.add(job(number, number % 2 ? -2 : 0), &error));
    }
    QProcess tool;
    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL), {"--journal", QString::fromStdString(dir.file("d.db")),
                                                       "--status", "No", "--last", "1", "--csv"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const std::string out = tool.readAllStandardOutput().toStdString();
    const std::size_t firstRow = out.find("\r\n") + 2;
    EXPECT_EQ(out.compare(0, 8, "preuzet,"), 0);
    EXPECT_NE(out.find(",/racuni/r3.inp,120,3,", firstRow), std::string::npos) << out;
    EXPECT_EQ(out.find("\r\n", firstRow), out.size() - 2);  // one job

    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL),
               {"--journal", QString::fromStdString(dir.file("d.db")), "--last", "2"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    const std::string table = tool.readAllStandardOutput().toStdString();
    EXPECT_LT(table.find("posao 3  No  fajl No  cekano 1000 ms  /racuni/r3.inp\n"),
              table.find("posao 4  OK  fajl OK  cekano 1000 ms  /racuni/r4.inp\n"));

    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL),
               {"--journal", QString::fromStdString(dir.file("none.db"))});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 1);
    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL), {"--status", "maybe"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 2);
}

}  // namespace
}  // namespace fm::test

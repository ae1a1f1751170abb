// The job journal's store, its bounds, its failures and its text.

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <filesystem>

#include "db/SqlDriver.h"
#include "journal/Journal.h"
#include "journal/JournalText.h"
#include "tests/journal/JournalJobs.h"
#include "tests/support/FailureOf.h"
#include "tests/support/PosixSteps.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

std::vector<int> numbers(JournalStore& store, const JournalFilter& filter = {}) {
    std::vector<int> found;
    const std::vector<JobEntry> entries = *store.read(filter);
    for (const JobEntry& e : entries) found.push_back(e.number);
    return found;
}

TEST(JournalStore, KeepsEveryFieldByteForByteAndFiltersNewestFirst) {
    TempDir dir;
    JournalStore store(dir.file("MerilonDnevnik.db"));
    JobEntry odd = job(100, -3, "Proces nije izvrsen!\r\nDetektovana greska, \"x\" \xE8");
    odd.fileName = "/racuni/ra\xE8un, 1.inp";
    ASSERT_EQ(failureOf(store.add(odd)), "");
    ASSERT_EQ(failureOf(store.add(job(101, 0))), "");
    JobEntry interrupted;
    interrupted.number = 102;
    interrupted.fileName = "/racuni/p.inp";
    interrupted.recovered = true;
    ASSERT_EQ(failureOf(store.add(interrupted)), "");

    const std::vector<JobEntry> all = *store.read({});
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

    ASSERT_TRUE(store.settleLater("/racuni/p.inp", FileAction::MarkedOk, 5));  // not unmarked: unchanged
    JobEntry unmarked = job(103, -2);
    unmarked.action = FileAction::NotMarked;
    ASSERT_TRUE(store.add(unmarked));
    ASSERT_TRUE(store.settleLater(unmarked.fileName, FileAction::MarkedNo, 2000000));
    const JobEntry settled = store.read({"", "103", 0, 1})->front();
    EXPECT_EQ(settled.action, FileAction::MarkedNo);
    EXPECT_EQ(settled.times.marked, 2000000);
    EXPECT_EQ(store.read({"", "p.inp", 0, 1})->front().action, FileAction::None);
    ASSERT_TRUE(store.add(unmarked));
    ASSERT_TRUE(store.settleLater(unmarked.fileName, FileAction::SetAside, 2000001));
    EXPECT_EQ(store.read({"", "103", 0, 1})->front().action, FileAction::SetAside);
}

TEST(JournalStore, PrunesTheOldestPastItsBoundsOnly) {
    TempDir dir;
    JournalStore store(dir.file("MerilonDnevnik.db"), JournalBounds{5, 1});
    for (int number = 1; number <= 8; ++number) ASSERT_TRUE(store.add(job(number, 0)));
    ASSERT_EQ(failureOf(store.prune(nowEpochMs())), "");
    EXPECT_EQ(numbers(store), (std::vector<int>{8, 7, 6, 5, 4}));
    ASSERT_TRUE(store.prune(nowEpochMs() + kDayMs / 2));
    EXPECT_EQ(numbers(store).size(), 5u);
    ASSERT_TRUE(store.prune(nowEpochMs() + kDayMs + 1000));
    EXPECT_TRUE(numbers(store).empty());
}

TEST(JournalStore, AJobStillOpenOutlivesBothBoundsAndKeepsWhatFollowsItUp) {
    TempDir dir;
    JournalStore store(dir.file("MerilonDnevnik.db"), JournalBounds{2, 1});
    JobEntry open = job(1, -2);
    open.open = true;
    open.fiscalBefore = {5, 6};
    open.fiscalNumbersUnknown = true;
    ASSERT_EQ(failureOf(store.add(open)), "");
    for (int number = 2; number <= 5; ++number) ASSERT_TRUE(store.add(job(number, 0)));
    ASSERT_EQ(failureOf(store.prune(nowEpochMs() + 2 * kDayMs)), "");

    const std::vector<JobEntry> kept = *store.read({});
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].number, 1);
    EXPECT_EQ(kept[0].fiscalBefore, (std::vector<long long>{5, 6}));
    EXPECT_TRUE(kept[0].fiscalNumbersUnknown);
}

// Runs statements on the file through a connection of the test's own; the last one's
// first value.
QVariant runOn(const std::string& path, const std::vector<std::string>& statements) {
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        db.setDatabaseName(QString::fromStdString(path));
        EXPECT_TRUE(db.open());
        QSqlQuery query(db);
        for (const std::string& statement : statements)
            EXPECT_TRUE(query.exec(QString::fromStdString(statement))) << statement;
        if (query.next()) value = query.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));
    return value;
}

// The journal's table as version 1 had it.
const char* const kVersionOneTable =
    "CREATE TABLE poslovi (id INTEGER PRIMARY KEY, upisan INTEGER NOT NULL, preuzet INTEGER, procitan"
    " INTEGER, predaja INTEGER, predan INTEGER, odluceno INTEGER, oznacen INTEGER, fajl TEXT NOT NULL,"
    " velicina INTEGER, broj INTEGER, kasa INTEGER, komanda TEXT, tip INTEGER, stavke INTEGER, placanja"
    " INTEGER, budzet_ms INTEGER, cekano_ms INTEGER, ishod INTEGER, fajl_radnja TEXT, poruka TEXT,"
    " oporavak INTEGER, otvoren INTEGER)";

TEST(JournalStore, AVersionOneJournalGainsTheNewColumnsAndKeepsItsRows) {
    TempDir dir;
    const std::string path = dir.file("MerilonDnevnik.db");
    runOn(path, {kVersionOneTable, "CREATE INDEX poslovi_upisan ON poslovi (upisan)",
                 "CREATE INDEX poslovi_fajl ON poslovi (fajl)",
                 "INSERT INTO poslovi (upisan, fajl, broj, kasa, ishod, fajl_radnja, poruka, otvoren)"
                 " VALUES (5, '/racuni/stari.inp', 40, 1, -2, 'No', 'Proces nije izvrsen!', 1)",
                 "PRAGMA user_version = 1"});

    JournalStore store(path);
    std::vector<JobEntry> open = *store.openJobs(1);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].fileName, "/racuni/stari.inp");
    EXPECT_EQ(open[0].status(), "No");
    EXPECT_EQ(open[0].action, FileAction::MarkedNo);
    EXPECT_EQ(open[0].message, "Proces nije izvrsen!");
    EXPECT_EQ(open[0].late, LateOutcome::None);
    EXPECT_TRUE(open[0].fiscalNumbers.empty());

    open[0].late = LateOutcome::Printed;
    open[0].lateMs = 7000;
    ASSERT_EQ(failureOf(store.settleLate(open[0])), "");
    ASSERT_EQ(failureOf(store.add(job(41, 0))), "");
    const std::vector<JobEntry> all = *store.read({});
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].late, LateOutcome::Printed);
    EXPECT_FALSE(all[1].open);
    EXPECT_EQ(runOn(path, {"PRAGMA user_version"}).toInt(), 3);
    JournalStore again(path);  // opened at version 3: nothing added twice
    EXPECT_EQ(again.read({})->size(), 2u);
}

TEST(JournalStore, OpenJobsAreTheRegistersUntilTheirLateOutcomeAndTodayCountsEachStatus) {
    TempDir dir;
    JournalStore store(dir.file("MerilonDnevnik.db"));
    const auto openJob = [](int number, int outcome, int cashRegister) {
        JobEntry e = job(number, outcome);
        e.open = true;
        e.cashRegister = cashRegister;
        e.receiptKey = "S;Hljeb;0.90";
        return e;
    };
    JobEntry interrupted;
    interrupted.number = 13;
    interrupted.fileName = "/racuni/p.inp";
    for (const JobEntry& e :
         {openJob(10, -2, 1), openJob(11, -4, 1), job(12, 0), openJob(10, -5, 2), job(14, -3), interrupted})
        ASSERT_EQ(failureOf(store.add(e)), "");

    const auto openNumbers = [&](int cashRegister) {
        const std::vector<JobEntry> open = *store.openJobs(cashRegister);
        std::vector<int> found;
        for (const JobEntry& e : open) found.push_back(e.number);
        return found;
    };
    EXPECT_EQ(openNumbers(1), (std::vector<int>{10, 11}));  // oldest first
    EXPECT_EQ(openNumbers(2), std::vector<int>{10});
    EXPECT_EQ((*store.openJobs(1))[0].receiptKey, "S;Hljeb;0.90");

    JobEntry late = openJob(10, -2, 1);
    late.late = LateOutcome::Printed;
    late.lateMs = 2000000;
    late.fiscalNumbers = {123, 124};
    late.printedTwice = true;
    ASSERT_EQ(failureOf(store.settleLate(late)), "");
    EXPECT_EQ(openNumbers(1), std::vector<int>{11});
    EXPECT_EQ(openNumbers(2), std::vector<int>{10});  // the other register's job of that number
    const JobEntry settled = store.read({"No", "", 0, 1})->front();
    EXPECT_EQ(settled.number, 10);
    EXPECT_EQ(settled.outcome, -2);  // the outcome the file carries stays
    EXPECT_EQ(settled.late, LateOutcome::Printed);
    EXPECT_EQ(settled.lateMs, 2000000);
    EXPECT_EQ(settled.fiscalNumbers, (std::vector<long long>{123, 124}));
    EXPECT_TRUE(settled.printedTwice);
    EXPECT_EQ(store.read({"kasnije", "", 0, 10})->size(), 1u);
    EXPECT_EQ(numbers(store, {"dvaput", "", 0, 10}), std::vector<int>{10});
    EXPECT_EQ(numbers(store, {"", "124", 0, 10}), std::vector<int>{10});  // a fiscal number, whole
    EXPECT_EQ(numbers(store, {"", "23", 0, 10}), std::vector<int>{});
    EXPECT_EQ(store.read({"otvoren", "", 0, 10})->size(), 2u);  // 11 and the other register's

    const DayCounts today = *store.countsSince(nowEpochMs() - kDayMs);
    EXPECT_EQ(today.ok, 1);
    EXPECT_EQ(today.no, 1);
    EXPECT_EQ(today.er, 3);  // -4, -5 and -3; the interrupted job has no status
    const DayCounts tomorrow = *store.countsSince(nowEpochMs() + kDayMs);
    EXPECT_EQ(tomorrow.ok + tomorrow.no + tomorrow.er, 0);
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
    EXPECT_EQ((*store.read({}))[1].late, LateOutcome::Printed);
    EXPECT_TRUE(store.openJobs(1)->empty());
}

TEST(Journal, AFullDiskIsNoticedOnceIsNoDamageAndIsCaughtUpOnLater) {
    if (!kPosix) GTEST_SKIP() << kPosixOnly;
    for (const bool inUse : {true, false}) {
        SCOPED_TRACE(inUse ? "a journal in use" : "no journal yet");
        TempDir dir;
        RecordingUserInterface ui;
        const std::string path = dir.file("MerilonDnevnik.db");
        Journal journal(path, ui, nullptr);
        if (inUse) journal.jobEnded(job(1, 0));
        {
            NoFileGrowth full;
            journal.jobEnded(job(2, -2));
            journal.jobEnded(job(3, 0));
        }
        ASSERT_EQ(ui.notices.size(), 1u);
        EXPECT_NE(ui.notices[0].text.find("Poslovi se obradjuju dalje"), std::string::npos)
            << ui.notices[0].text;
        EXPECT_EQ(journal.waiting(), 2u);

        journal.jobEnded(job(4, 0));
        EXPECT_EQ(journal.waiting(), 0u);
        ASSERT_EQ(ui.notices.size(), 2u);
        EXPECT_NE(ui.notices[1].text.find("se ponovo upisuje"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(path + ".neispravan"));
        JournalStore store(path);
        EXPECT_EQ(numbers(store), inUse ? (std::vector<int>{4, 3, 2, 1}) : (std::vector<int>{4, 3, 2}));
    }
}

TEST(Journal, ADamagedFileIsMovedAsideAndANewOneStarted) {
    TempDir dir;
    RecordingUserInterface ui;
    const std::string path = dir.file("MerilonDnevnik.db");
    const std::string garbage(8192, 'x');
    dir.write("MerilonDnevnik.db", garbage);
    std::vector<std::string> lines;
    Journal journal(path, ui, [&](const std::string& line) { lines.push_back(line); });

    for (const JobEntry& entry : {job(7, -2), job(8, 0)}) {
        journal.jobEnded(entry);
        journal.jobMarked(entry);
    }

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
    EXPECT_NE(row.find(",\"/racuni/a,b.inp\",120,5,1,S,0,2,1,7000,1000,-4,Er,Er,"
                       "\"Proces nije izvrsen!\r\nProblem pri prodaji artikla "
                       "sifra=\"\"7\"\"\",10,30,5,1000,5,NE,,,,NE,NE,\r\n"),
              std::string::npos)
        << row;
    EXPECT_EQ(oneLine("a\r\nb\nc"), "a | b | c");
}

// A forged name or message cannot start a line of its own or act on the terminal.
TEST(JournalText, TheTableShowsControlBytesAndDamagedValuesEscaped) {
    JobEntry forged = job(9, 0, "a\r\nb\x07");
    forged.fileName = "/racuni/\x1b[2J\n2026-12-10 posao 1  OK.inp";
    forged.damaged = "fiskalni 'x'";
    const std::string table = journalTable({forged});
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1) << table;
    EXPECT_EQ(table.find('\x1b'), std::string::npos);
    EXPECT_NE(
        table.find("/racuni/\\x1B[2J | 2026-12-10 posao 1  OK.inp  a | b\\x07  OSTECENO: fiskalni 'x'\n"),
        std::string::npos)
        << table;
}

// The later fields come last in the CSV, so that the earlier keep their places.
TEST(JournalText, LateOutcomesAndFiscalNumbersInTheCsvAndTheTable) {
    JobEntry late = job(6, -2);
    late.late = LateOutcome::Printed;
    late.lateMs = 1002000;
    late.fiscalNumbers = {31, 32};
    late.printedTwice = true;
    JobEntry open = job(7, -5);
    open.open = true;
    const std::string moment = formatMoment(1002000);
    const std::string csv = journalCsv({late, open});
    EXPECT_NE(csv.find(",oporavak,kasni_ishod,kasno,fiskalni,dvaput,otvoren,osteceno\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find(",NE,odstampan kasnije," + moment + ",\"31, 32\",DA,NE,\r\n"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",NE,,,,NE,DA,\r\n"), std::string::npos) << csv;
    const std::string table = journalTable({late, open});
    EXPECT_NE(table.find("r6.inp  fiskalni 31, 32  ODSTAMPAN DVA PUTA  odstampan kasnije " + moment + "\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("r7.inp  otvoren\n"), std::string::npos) << table;
}

// Reading never creates, upgrades or switches a file (nor moves one: see the tool), and shows
// what it cannot read.
TEST(JournalStore, ReadingOnlyLeavesEveryFileAsItIs) {
    TempDir dir;
    EXPECT_FALSE(JournalStore(dir.file("none.db"), {}, JournalAccess::ReadOnly).read({}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.db")));

    const std::string old = dir.file("stari.db");
    runOn(old, {kVersionOneTable,
                "INSERT INTO poslovi (upisan, fajl, broj, kasa, ishod) VALUES (5, 'a.inp', 'x40', 1, 0)",
                "PRAGMA user_version = 1"});
    const std::vector<JobEntry> read = *JournalStore(old, {}, JournalAccess::ReadOnly).read({});
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].damaged, "broj 'x40'");
    EXPECT_EQ(runOn(old, {"PRAGMA user_version"}).toInt(), 1);
    EXPECT_EQ(runOn(old, {"PRAGMA journal_mode"}).toString(), QStringLiteral("delete"));

    const std::string current = dir.file("d.db");
    ASSERT_EQ(failureOf(JournalStore(current).add(job(1, 0))), "");
    runOn(current, {"UPDATE poslovi SET fiskalni = '12,x'"});
    const std::vector<JobEntry> damaged = *JournalStore(current, {}, JournalAccess::ReadOnly).read({});
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_TRUE(damaged[0].fiscalNumbers.empty());
    EXPECT_EQ(damaged[0].damaged, "fiskalni '12,x'");
}

// A link is refused like a command file that is one, with one notice; its target is left alone.
TEST(Journal, AJournalThatIsASymbolicLinkIsRefusedWithOneNotice) {
    TempDir dir;
    RecordingUserInterface ui;
    dir.write("elsewhere", "not to be touched");
    const std::string path = dir.file("MerilonDnevnik.db");
    std::filesystem::create_symlink(dir.file("elsewhere"), path);
    Journal journal(path, ui, nullptr);
    journal.jobEnded(job(1, 0));
    journal.jobEnded(job(2, 0));
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_NE(ui.notices[0].text.find("je simbolicki link"), std::string::npos) << ui.notices[0].text;
    EXPECT_EQ(dir.read("elsewhere"), "not to be touched");
    EXPECT_EQ(journal.waiting(), 2u);
}

TEST(JournalStore, StatusesAreNamedInAnyLetterCaseAndAMissingDriverIsNamed) {
    EXPECT_EQ(journalStatusNamed("no"), "No");
    EXPECT_EQ(journalStatusNamed("OTVOREN"), "otvoren");
    EXPECT_EQ(journalStatusNamed("Nope"), "");
    EXPECT_EQ(sql::missingDriverNotice("QSQLITE"), "");
    EXPECT_EQ(sql::missingDriverNotice("QNEMA"), "Qt SQL drajver QNEMA nije instaliran");
}

}  // namespace
}  // namespace fm::test

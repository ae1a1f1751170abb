// The real program killed at random points of many jobs and started again each time,
// with the PARTNER emulator's journal as the witness of what was printed. Half of the
// run marks the command files, the other half deletes them (TARVOOBRISI_FAJL "DA").
// The program keeps its job journal beside its settings file, as on a till: each file's
// job must be in it once, with the outcome the file carries.
// FMERILON_CRASH_JOBS sets the number of jobs (200), FMERILON_CRASH_SEED the seed of
// the kills (a random one, printed, when unset).
//
// The database is on a Firebird server of the test's own, as a till's is: two processes
// sharing an embedded database (SuperClassic) share the engine's lock table, and a
// process killed while it holds the table's mutex leaves every other one hanging in it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "commands/CrashPoint.h"
#include "db/SqlLayer.h"
#include "journal/JournalStore.h"
#include "platform/Text.h"
#include "tests/support/OwnServer.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

namespace fs = std::filesystem;

int fromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// One command file of the run; the id names it in the journal.
struct CommandFile {
    int id = 0;
    std::string name;
    std::string bytes;
    bool valid = true;
    bool deleted = false;  // of the phase whose files are deleted
};

// Receipts (with a memo, with a K header, plain), price changes, deletions and deposits,
// a few that the PARTNER fails or stalls on (articles 999 and 998) and a few invalid ones.
CommandFile makeFile(int id) {
    const std::string n = std::to_string(id);
    const std::string code = std::to_string(100 + id % 50);
    CommandFile file;
    file.id = id;
    file.name = "r" + std::string(4 - std::min<std::size_t>(4, n.size()), '0') + n + ".inp";
    if (id % 23 == 11) {
        file.bytes = "O,P1,_,______,__;x" + n + "\r\n\r\n";
        file.valid = false;
        return file;
    }
    const std::string second = id % 37 == 5 ? "999" : id % 41 == 7 ? "998" : code;
    switch (id % 8) {
        case 3:
            file.bytes = "K,P1,_,______,__;" + n + "\r\nS,P1,_,______,__;Artikl " + n + ";2.00;1;;1;2;;" +
                         code + "\r\nT,P1,_,______,__;1;2.00\r\n";
            break;
        case 4:
            file.bytes =
                "U,P1,_,______,__;Cijena " + n + ";1.25;0;;1;2;" + std::to_string(2000 + id) + "\r\n\r\n";
            break;
        case 5:
            file.bytes = "O,P1,_,______,__;" + std::to_string(10000 + id) + "\r\n\r\n";
            break;
        case 6:
            file.bytes = "I,P1,_,______,__;1;" + std::to_string(100000 + id) + "\r\n\r\n";
            break;
        case 7:
            file.bytes =
                "S,P1,_,______,__;Artikl " + n + ";1.00;1;;1;2;;" + code + "\r\nT,P1,_,______,__;\r\n";
            break;
        default:
            file.bytes = "V,P1,_,______,__;+F" + n + "\r\nS,P1,_,______,__;Artikl " + n + ";1.50;2;;1;2;;" +
                         code + "\r\nS,P1,_,______,__;Drugi " + n + ";0.50;1;;1;2;;" + second +
                         "\r\nT,P1,_,______,__;\r\n";
    }
    return file;
}

// A file as the till wrote it, from the file as it may be now: the marks taken back.
std::string unmarked(const std::string& bytes) {
    static const std::regex counter(",[0-9],"), kasa(",AB1234,"), status(",(OK|No|Er);");
    std::string text = std::regex_replace(bytes, kasa, ",______,");
    text = std::regex_replace(text, counter, ",_,");
    return std::regex_replace(text, status, ",__;");
}

std::string statusOf(const std::string& bytes) {
    const std::size_t end = bytes.find(';');
    const std::size_t start = bytes.rfind(',', end);
    return bytes.substr(start + 1, end - start - 1);
}

// One job as the journal shows it.
struct PrintedJob {
    int number = 0;
    std::set<int> ids;  // the files its lines name: exactly one
    std::string end;    // ZAVRSEN, NIJE IZVRSEN, ZASTAO
};

std::vector<PrintedJob> readJournal(const std::string& text) {
    static const std::regex header(
        R"(^==== posao (-?\d+), kasa 1 \(F_SEMAFOR: TIPKNJIZENJA=(\d+) PRINTMEMO=(\S*) )"
        R"(PRINTRACUN=\S* F_SIFRA_KUPCA=\S* F_REKL_BROJ=(\S*) MEMO='([^']*)'\) ====$)");
    static const std::regex footer(R"(^---- posao -?\d+ (ZAVRSEN|NIJE IZVRSEN|ZASTAO)\b.*)");
    static const std::regex named(R"((?:Artikl|Drugi|Cijena) (\d+) )");
    std::vector<PrintedJob> jobs;
    for (const std::string& line : text::splitLines(text)) {
        std::smatch m;
        if (std::regex_match(line, m, header)) {
            PrintedJob job;
            job.number = std::stoi(m[1]);
            const int type = std::stoi(m[2]);
            const std::string memo = m[5];
            if (memo.rfind("+F", 0) == 0) job.ids.insert(std::stoi(memo.substr(2)));
            if (type == 1) job.ids.insert(std::stoi(m[4]));
            if (type == 80) job.ids.insert(std::stoi(m[3]) - 10000);
            if (type == 51) job.ids.insert(std::stoi(memo) - 100000);
            jobs.push_back(job);
        } else if (jobs.empty()) {
            ADD_FAILURE() << "journal line before any job: " << line;
        } else if (std::regex_match(line, m, footer)) {
            jobs.back().end = m[1];
        } else {
            for (std::sregex_iterator it(line.begin(), line.end(), named), end; it != end; ++it)
                jobs.back().ids.insert(std::stoi((*it)[1]));
        }
    }
    return jobs;
}

// FMerilon's directory with its settings, the input and log directories, the fiscal
// database and the PARTNER emulator serving it.
class Till {
  public:
    Till() {
        for (const char* dir : {"app", "racuni", "log", "run"}) fs::create_directory(root.file(dir));
        fs::permissions(root.file("run"), fs::perms::owner_all, fs::perm_options::replace);
        fs::copy_file(fs::path(FMERILON_BINARY_DIR) / "fmerilon", root.file("app/fmerilon"));
        fs::copy(fs::path(FMERILON_BINARY_DIR) / "firebird", root.file("app/firebird"),
                 fs::copy_options::recursive);
        root.write("app/database.ini", databaseIni);
        writeSettings(false, 1);

        partner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        partner.start(QString::fromStdString(std::string(FMERILON_BINARY_DIR) + "/partner-emulator"),
                      {"--ini", QString::fromStdString(root.file("app/database.ini")), "--journal",
                       QString::fromStdString(root.file("journal.txt")), "--poll-ms", "5", "--line-delay-ms",
                       "1", "--fail-article", "999", "--stall-article", "998"});
        if (!partner.waitForStarted(10000)) throw std::runtime_error("partner-emulator does not start");
        while (!partner.canReadLine()) {
            if (!partner.waitForReadyRead(30000)) throw std::runtime_error("partner-emulator is not ready");
        }
    }

    ~Till() {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
        partner.terminate();
        if (!partner.waitForFinished(5000)) partner.kill();
        partner.waitForFinished(5000);
    }

    // Short budgets: a job that the PARTNER finishes ends its wait at once anyway.
    void writeSettings(bool deleteFiles, int rbrr) {
        settingsLines = {"TARVOPROVJERIISTANCU=DA",
                         "F_BROJ_KASE=AB1234",
                         "TARVOLOCALDIR=" + root.file("racuni/"),
                         "TARVOLOGGRESKE=" + root.file("log/"),
                         "TARVODBDRIVERAUTOMATICTIMER=100",
                         "TARVOBRZINASTAMPANJASTAVKI=0",
                         "TARVOVREMESTAMPANJAZAGLAVLJA=-1500",
                         "TARVOVREMESTAMPANJAZAVRSETKA=-1500",
                         "TARVOREZERVNOVRIJEME=1000",
                         std::string("TARVOOBRISI_FAJL=") + (deleteFiles ? "DA" : "NE")};
        root.write("app/MerilonSettings.ini",
                   text::joinLinesCrLf(settingsLines) + "RBRR=" + std::to_string(rbrr) + "\r\n");
    }

    // The settings file whole: every line as written, the counter a number. Its value.
    int checkSettingsFile() const {
        const std::vector<std::string> lines = text::splitLines(root.read("app/MerilonSettings.ini"));
        EXPECT_EQ(lines.size(), settingsLines.size() + 1);
        for (std::size_t i = 0; i < settingsLines.size() && i < lines.size(); ++i)
            EXPECT_EQ(lines[i], settingsLines[i]);
        if (lines.size() != settingsLines.size() + 1) return -1;
        static const std::regex counter("RBRR=(\\d+)");
        std::smatch m;
        if (!std::regex_match(lines.back(), m, counter)) {
            ADD_FAILURE() << "counter line " << lines.back();
            return -1;
        }
        return std::stoi(m[1]);
    }

    void start(const std::string& crashAt) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(root.file("run")));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        if (!crashAt.empty())
            environment.insert("FMERILON_CRASH_AT", QString::fromStdString(crashAt));
        else
            environment.remove("FMERILON_CRASH_AT");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(QString::fromStdString(root.file("app")));
        program.setStandardOutputFile(QString::fromStdString(root.file("fmerilon.log")), QIODevice::Append);
        program.setStandardErrorFile(QString::fromStdString(root.file("fmerilon.log")), QIODevice::Append);
        program.start(QString::fromStdString(root.file("app/fmerilon")), {});
        if (!program.waitForStarted(10000)) throw std::runtime_error("fmerilon does not start");
    }

    // The first start on the fresh database creates the program's tables. A start killed
    // inside that DDL leaves the server holding the dead attachment's metadata locks for
    // seconds, and the next start waits on them: the kills begin once the tables are there.
    void createTables() {
        start("");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (column("select count(*) as n from rdb$indices where rdb$index_name = 'I_DESC_F_SIFRA_ROBE'",
                      "n") != std::vector<std::string>{"1"}) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("fmerilon does not create its tables");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        program.terminate();
        endWithin(10000);
    }

    // Waits for the program to end on its own; kills it (SIGKILL) when it has not.
    // True when it ended on its own.
    bool endWithin(int milliseconds) {
        const bool ended = program.waitForFinished(milliseconds);
        if (!ended) {
            program.kill();
            program.waitForFinished(10000);
        }
        return ended;
    }

    bool settled(const CommandFile& file) const {
        const std::string path = root.file("racuni/" + file.name);
        return !fs::exists(path) || statusOf(root.read("racuni/" + file.name)) != "__";
    }

    std::string journal() const {
        return fs::exists(root.file("journal.txt")) ? root.read("journal.txt") : "";
    }

    std::string inputFile(const CommandFile& file) const { return root.file("racuni/" + file.name); }

    // The program's job journal, read while the program is not running.
    std::vector<JobEntry> journalRows() const {
        JournalStore store(root.file("app/MerilonDnevnik.db"));
        Result<std::vector<JobEntry>> rows = store.read({"", "", 0, 1000000});
        if (!rows) throw std::runtime_error(rows.error());
        return *rows;
    }

    std::vector<std::string> column(const std::string& sql, const std::string& name) {
        sql::Connection db("crash-test-check");
        const sql::Outcome opened = db.open("INTRBASE", sql::ParameterList(text::splitLines(databaseIni)));
        if (!opened) throw std::runtime_error(opened.error);
        sql::ResultSet rows;
        if (const sql::Outcome done = db.select(sql, rows); !done)
            throw std::runtime_error(sql + ": " + done.error);
        std::vector<std::string> values;
        for (; rows.hasRow(); rows.next()) values.push_back(rows.text(name));
        return values;
    }

    OwnServer server{Engine::FirebirdServer};
    const std::string databaseIni = server.createDatabase();  // empty: the emulator makes its tables
    TempDir root;
    std::vector<std::string> settingsLines;
    QProcess partner;
    QProcess program;
};

TEST(CrashAtAnyPoint, NoJobIsLostDoubledOrRenumbered) {
    if (::access("/usr/sbin/firebird", X_OK) != 0) GTEST_SKIP() << "the Firebird server is not installed";
    const int jobs = fromEnvironment("FMERILON_CRASH_JOBS", 200);
    const unsigned seed =
        unsigned(fromEnvironment("FMERILON_CRASH_SEED", int(std::random_device{}() & 0x7fffffff)));
    std::printf("crash test: %d jobs, seed %u (FMERILON_CRASH_SEED)\n", jobs, seed);
    std::mt19937 random(seed);
    const auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const std::vector<std::string> points(kCrashPointNames.begin(), kCrashPointNames.end());

    const auto startedAt = std::chrono::steady_clock::now();
    Till till;
    till.createTables();
    std::vector<CommandFile> files;
    for (int id = 0; id < jobs; ++id) files.push_back(makeFile(id));
    for (std::size_t i = files.size() / 2; i < files.size(); ++i) files[i].deleted = true;

    int runs = 0, kills = 0, hookKills = 0, rbrr = 1;
    std::map<std::string, int> killsAt;
    // A settled file's job is in the journal whenever the program stops: its row is
    // written once the job is decided, before its file's mark (or deletion).
    std::size_t dropped = 0;
    const auto phaseSettled = [&](bool deletedPhase) {
        for (std::size_t i = 0; i < dropped; ++i)
            if (files[i].deleted == deletedPhase && !till.settled(files[i])) return false;
        return true;
    };
    const auto checkSettledJournalled = [&](const std::string& killedAt) {
        std::set<std::string> journalled;
        for (const JobEntry& row : till.journalRows())
            if (row.outcome) journalled.insert(row.fileName);
        for (std::size_t i = 0; i < dropped; ++i) {
            EXPECT_TRUE(!till.settled(files[i]) || journalled.count(till.inputFile(files[i])))
                << files[i].name << " settled without its job in the journal after a kill at '" << killedAt
                << "'";
        }
    };
    const auto checkFilesWhole = [&] {
        for (std::size_t i = 0; i < dropped; ++i) {
            const std::string path = till.root.file("racuni/" + files[i].name);
            if (!fs::exists(path)) {
                EXPECT_TRUE(files[i].deleted) << files[i].name << " is gone";
                continue;
            }
            const std::string bytes = till.root.read("racuni/" + files[i].name);
            EXPECT_EQ(unmarked(bytes), files[i].bytes) << files[i].name << " is not whole after a kill";
        }
    };

    for (bool deletedPhase : {false, true}) {
        till.writeSettings(deletedPhase, rbrr);
        const std::size_t phaseEnd = deletedPhase ? files.size() : files.size() / 2;
        while (dropped < phaseEnd || !phaseSettled(deletedPhase)) {
            ASSERT_LT(runs, 20 * jobs + 100) << "the files do not get done";
            for (int k = 0; k < 4 && dropped < phaseEnd; ++k, ++dropped)
                till.root.write("racuni/" + files[dropped].name, files[dropped].bytes);
            ++runs;
            std::string killedAt;  // the hook point, or empty for a SIGKILL
            if (uniform(0, 1) == 0) {
                const std::string point = points[std::size_t(uniform(0, int(points.size()) - 1))];
                till.start(point + ":" + std::to_string(uniform(1, 5)));
                if (till.endWithin(3000)) {
                    ++hookKills;
                    killedAt = point;
                }
            } else {
                till.start("");
                till.endWithin(uniform(200, 3000));
            }
            ++killsAt[killedAt.empty() ? "(SIGKILL)" : killedAt];
            ++kills;
            checkSettledJournalled(killedAt);
            const int now = till.checkSettingsFile();
            EXPECT_GE(now, rbrr) << "the job number went back";
            rbrr = std::max(rbrr, now);
            checkFilesWhole();
            if (::testing::Test::HasFailure()) break;
        }
        if (::testing::Test::HasFailure()) break;
    }

    // A last run without kills finishes what may still be in flight.
    ++runs;
    till.start("");
    for (QDeadlineTimer deadline(30000);
         fs::exists(till.root.file("app/MerilonPosao.ini")) && !deadline.hasExpired();)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    till.program.terminate();
    till.endWithin(20000);
    EXPECT_FALSE(fs::exists(till.root.file("app/MerilonPosao.ini")))
        << till.root.read("app/MerilonPosao.ini");
    rbrr = till.checkSettingsFile();

    // The journal: each number once, each job the job of one file, each file printed once.
    std::map<int, const PrintedJob*> byFile;
    std::set<int> numbers;
    const std::vector<PrintedJob> printed = readJournal(till.journal());
    for (const PrintedJob& job : printed) {
        EXPECT_TRUE(numbers.insert(job.number).second) << "job number " << job.number << " printed twice";
        EXPECT_LT(job.number, rbrr) << "job number beyond RBRR";
        ASSERT_EQ(job.ids.size(), 1u) << "job " << job.number << " does not name one file";
        const int id = *job.ids.begin();
        EXPECT_TRUE(byFile.emplace(id, &job).second) << files.at(std::size_t(id)).name << " printed twice";
    }
    // Each file's job is journalled once with an outcome, jobs given up before their
    // hand-over ("prekinut") under numbers that the PARTNER never printed.
    const std::vector<JobEntry> rows = till.journalRows();
    std::map<std::string, std::vector<const JobEntry*>> journalledOf;
    int recovered = 0, interrupted = 0;
    for (const JobEntry& row : rows) {
        EXPECT_EQ(row.cashRegister, 1) << "job " << row.number;
        recovered += row.recovered;
        if (row.outcome) {
            journalledOf[row.fileName].push_back(&row);
            continue;
        }
        ++interrupted;
        EXPECT_FALSE(numbers.count(row.number))
            << "job " << row.number << " was printed but is journalled as interrupted";
    }

    std::set<int> stalled, leftRows;  // the PARTNER leaves the rows of a job it stalled on or failed
    for (const CommandFile& file : files) {
        const auto job = byFile.find(file.id);
        if (!file.valid) {
            EXPECT_EQ(job, byFile.end()) << file.name << " is invalid but was printed";
        } else if (job == byFile.end()) {
            ADD_FAILURE() << file.name << " was never printed";
            continue;
        }
        if (job != byFile.end() && job->second->end == "ZASTAO") stalled.insert(job->second->number);
        if (job != byFile.end() && job->second->end != "ZAVRSEN") leftRows.insert(job->second->number);
        const std::string expected = job == byFile.end() || job->second->end != "ZAVRSEN" ? "Er" : "OK";
        const std::vector<const JobEntry*>& journalled = journalledOf[till.inputFile(file)];
        EXPECT_EQ(journalled.size(), 1u) << file.name << ": jobs in the journal";
        if (journalled.size() == 1) {
            const JobEntry& row = *journalled.front();
            EXPECT_EQ(row.status(), expected) << file.name << ", job " << row.number;
            EXPECT_EQ(row.action, file.deleted ? FileAction::Deleted : markFor(*row.outcome)) << file.name;
            if (job != byFile.end()) {
                EXPECT_EQ(row.number, job->second->number) << file.name;
            }
        }
        if (file.deleted) {
            EXPECT_FALSE(fs::exists(till.root.file("racuni/" + file.name))) << file.name << " not deleted";
        } else {
            const std::string bytes = till.root.read("racuni/" + file.name);
            EXPECT_EQ(statusOf(bytes), expected) << file.name << ":\n" << bytes;
            EXPECT_EQ(unmarked(bytes), file.bytes) << file.name;
        }
    }

    // Nothing half-done is left: only the jobs the PARTNER stalled on or failed keep rows,
    // only the stalled ones their F_SEMAFOR row, and no hand-over trace stays.
    for (const char* table : {"F_RACUN", "F_PLACANJE"}) {
        for (const std::string& number :
             till.column(std::string("select distinct F_RBR from ") + table, "F_RBR"))
            EXPECT_TRUE(leftRows.count(std::stoi(number))) << table << " keeps rows of job " << number;
    }
    for (const std::string& number : till.column("select F_RBR from F_SEMAFOR where F_RBR >= 0", "F_RBR"))
        EXPECT_TRUE(stalled.count(std::stoi(number))) << "F_SEMAFOR keeps job " << number;
    EXPECT_EQ(till.column("select count(*) as n from F_PREDAJA", "n"), std::vector<std::string>{"0"});

    std::string where;
    for (const auto& [point, count] : killsAt) where += " " + point + ":" + std::to_string(count);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - startedAt);
    std::printf(
        "crash test: %d jobs, %d runs, %d kills (%d by the test hook), last RBRR %d, printed %zu, %lld "
        "s;%s\n",
        jobs, runs, kills, hookKills, rbrr, printed.size(), static_cast<long long>(seconds.count()),
        where.c_str());
    std::printf(
        "crash test: journal %zu rows, %d finished after a restart, %d interrupted before the hand-over\n",
        rows.size(), recovered, interrupted);
}

}  // namespace
}  // namespace fm::test

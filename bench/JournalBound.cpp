// Figure 8, the journal stays bounded: the program's journal with a bound of 1,000
// jobs, written with 6,000 jobs. Its row count stays at the bound and its file stops
// growing once the pruned rows' pages are reused; the write-ahead log keeps the size
// it reached before its first checkpoint. Beside: a job's entry at the program's own
// bound of 100,000 jobs.

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "journal/Journal.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kBound = 1000;
constexpr int kRounds = 6;

std::uintmax_t sizeOf(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

int rowsIn(const std::string& path) {
    const QString name = QStringLiteral("bench-count");
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QString::fromStdString(path));
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("SELECT count(*) FROM poslovi")) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    test::TempDir dir;
    const std::string path = dir.file("MerilonDnevnik.db");
    test::RecordingUserInterface ui;
    Journal journal(path, ui, {}, JournalBounds{kBound, 180});

    std::vector<double> fileKiB, logKiB;
    std::vector<double> lastRoundMs;
    int number = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kBound; ++i) {
            ++number;
            const Clock::time_point start = Clock::now();
            const JobEntry entry = journalEntry(number, number % 10 == 0 ? -2 : 0);
            journal.jobEnded(entry);  // decided
            journal.jobMarked(entry);
            if (round == kRounds - 1) lastRoundMs.push_back(msBetween(start, Clock::now()));
        }
        fileKiB.push_back(double(sizeOf(path)) / 1024.0);
        logKiB.push_back(double(sizeOf(path + "-wal")) / 1024.0);
    }
    const int rows = rowsIn(path);

    // At the program's own bound, where each job's pruning removes one row.
    const std::string full = dir.file("full.db");
    makeJournal(full, JournalBounds().maxJobs);
    Journal fullJournal(full, ui, {});
    std::vector<double> fullMs;
    for (int i = 0; i < 21; ++i) {
        const Clock::time_point start = Clock::now();
        const JobEntry entry = journalEntry(++number, 0);
        fullJournal.jobEnded(entry);
        fullJournal.jobMarked(entry);
        fullMs.push_back(msBetween(start, Clock::now()));
    }
    const bool fullBounded = rowsIn(full) == JournalBounds().maxJobs;
    std::string sizes;
    for (int i = 0; i < kRounds; ++i)
        sizes += (i ? " | " : "") + decimal(fileKiB[i], 0) + " + " + decimal(logKiB[i], 0);
    // The last three rounds: within 1 % of the size after 3,000 jobs.
    const double total3 = fileKiB[2] + logKiB[2], total6 = fileKiB.back() + logKiB.back();
    const bool bounded = rows == kBound && total6 <= total3 * 1.01 && fullBounded;
    report(
        "8 journal bounded at 1,000 jobs, 6,000 written: rows | KiB of the file + its log after each "
        "1,000 | ms per job at the bound",
        std::to_string(rows) + " | " + sizes + " | " + decimal(median(lastRoundMs), 2) +
            " (at the bound of 100,000: " + decimal(median(fullMs), 2) + " ms, " +
            (fullBounded ? "rows kept at the bound)" : "ROWS PAST THE BOUND)") +
            (ui.notices.empty() ? "" : "; NOTICE: " + ui.notices.front().text),
        "rows at the bound, growth after 3,000 jobs < 1 %", bounded && ui.notices.empty());
    return 0;
}

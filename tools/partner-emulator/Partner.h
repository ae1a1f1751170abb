#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <utility>

namespace fm::sql {
class Connection;
class ResultSet;
}  // namespace fm::sql

namespace fm::partner {

class Journal;

// How the emulated printer behaves; the failures produce every outcome the
// program can report.
struct Behaviour {
    int registerId = 1;                 // F_ID_KASE served
    int lineDelayMs = 100;              // printing time of one line
    std::set<long long> failArticles;   // item code that ends its job with the error row
    std::set<long long> stallArticles;  // item code at which the job stops, rows left
    std::set<int> failTypes;            // command booking types that end with the error row
    bool stallAfterItems = false;       // receipts stop with their payment rows left
    bool neverFinish = false;           // every job printed, its F_SEMAFOR row never removed
    int finishAfterMs = 0;              // a printed job's F_SEMAFOR row removed only that much later
    bool printTwice = false;            // every printed receipt printed again, under a second fiscal number
};

// The fiscal-printer driver: takes up the jobs of its register from F_SEMAFOR,
// "prints" them into the journal, consumes a receipt's rows as it prints them, logs
// every printed document in F_LOG_RACUN under a fiscal number of its own counting and
// removes the job row, or replaces it by the error row.
class Partner {
  public:
    Partner(sql::Connection& db, Behaviour behaviour, Journal& journal);

    // The tables the driver writes (F_RACUN, F_PLACANJE, F_SEMAFOR, F_LOG_RACUN), created when missing.
    void createOwnTables();

    // Takes up the oldest waiting job and handles it to its end; false when none waits.
    // Throws std::runtime_error on a database error.
    bool takeUpNextJob();

  private:
    struct Job {
        long long number = 0;
        int type = 0;
        std::string memo;
        bool printMemo = false;
        long long reklBroj = 0;
        long long printRacun = 0;
    };
    enum class End { Done, Failed, Stalled };

    End receipt(const Job& job);
    End priceChanges(const Job& job);
    End simpleCommand(const Job& job);
    void finish(const Job& job, End end);
    void logDocument(const Job& job);  // its F_LOG_RACUN row under the register's next fiscal number

    void print(const std::string& line);
    std::string number(double value) const;
    std::string jobRows(const Job& job) const;  // " Where ..." of a receipt's item or payment rows
    std::string firstRowOnly(const std::string& deleteStatement) const;
    void select(const std::string& sql, sql::ResultSet& result);
    void executeTogether(std::initializer_list<std::string> statements);

    sql::Connection& db_;
    Behaviour behaviour_;
    Journal& journal_;
    std::set<std::pair<long long, int>> abandoned_;  // stalled jobs, never taken up again
};

}  // namespace fm::partner

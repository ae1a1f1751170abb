#pragma once

#include <chrono>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "commands/JobEntry.h"
#include "config/Postavke.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "tests/support/FreshDatabase.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

// What the benchmarks share: timing, the figure lines, the program in this process
// or as a process of its own, and a plain Qt SQL connection for the baselines.
namespace fm::bench {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to);
double median(std::vector<double> values);
std::string decimal(double value, int places);

// One figure: "name: value (target ...) ok", or "MISSED" when the target is not met.
void report(const std::string& name, const std::string& value, const std::string& target, bool met);

// Files written in a directory (each durable replacement writes one, then puts it in
// place); always 0 where inotify is not there.
class ReplacementCounter {
  public:
    explicit ReplacementCounter(const std::string& directory);
    ~ReplacementCounter();
    ReplacementCounter(const ReplacementCounter&) = delete;
    ReplacementCounter& operator=(const ReplacementCounter&) = delete;
    int take();  // the files written since the last call

  private:
    int fd_ = -1;
};

// The time of a durable replacement of a small file in the directory.
double durableReplacementMs(const std::string& directory);

// A receipt of that many sale items with numeric article codes, paid in total.
std::string receiptFile(int items);

// Memory of a process: its resident set, and its own part of it, the pages of mappings
// backed by no file (heap, stacks, anonymous maps), without the pages of libraries and
// files, copied or not; 0 where /proc is not there.
double residentMiB(long long pid);
double ownMemoryMiB(long long pid);
// The same from the text of /proc/PID/smaps, in KiB.
double ownMemoryKiB(std::istream& smaps);

// A job as the journal keeps it: a receipt of the register 1 ended with that outcome,
// its file marked accordingly, with times, stages and a message like a real one.
JobEntry journalEntry(int number, int outcome);

// A journal of that many jobs at the path, fast: a hundred jobs through the real
// store, then its rows copied in plain SQL. Throws std::runtime_error on an error.
void makeJournal(const std::string& path, int jobs);

// Settings under which every command's wait budget is 0: no PARTNER is waited for.
void withoutPartnerWait(Postavke& p);
// The same as lines of "MerilonSettings.ini".
std::string withoutPartnerWaitSettings();

// The program in this process on a fresh embedded database: its settings file, an
// input directory and the data module, connected twice as on every start after the
// first (the first connect creates the tables).
class InProcessProgram {
  public:
    InProcessProgram();

    test::FreshDatabase database;
    test::TempDir root;
    std::string inputDir;  // with its separator
    ProcessState state;
    test::RecordingUserInterface ui;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<Tdm_db> dm;

    std::string drop(const std::string& name, const std::string& bytes) const;  // the full name
    // Removes the rows that jobs leave without a PARTNER.
    void clearJobRows();
};

// Statements straight through Qt SQL, on a connection of its own to a database file
// or on the data module's own connection (so that no page has to move between two
// connections' caches).
class DirectConnection {
  public:
    explicit DirectConnection(const std::string& databasePath);
    static DirectConnection ofDataModule();
    DirectConnection(DirectConnection&&) noexcept;
    ~DirectConnection();

    // A select with every row and column read (the number of rows), or any other
    // statement committed on its own. Throws std::runtime_error on an error.
    int run(const std::string& sql);

  private:
    DirectConnection() = default;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The real program as a process of its own: a copy of fmerilon with its settings and
// database.ini in a directory, an input directory, a fresh embedded database and,
// when wanted, the PARTNER emulator. Headless unless DISPLAY is set.
class ProgramProcess {
  public:
    explicit ProgramProcess(const std::string& settingsLines);
    ~ProgramProcess();

    void startPartner(const std::vector<std::string>& options);
    void start();
    bool waitForLog(const std::string& fragment, int timeoutMs);
    long long pid() const;
    void stop();

    // Writes the file beside the input directory and renames it in, so that it
    // appears whole; the moment of the rename.
    Clock::time_point drop(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    const std::string& inputDir() const { return inputDir_; }
    std::string appDir() const { return root_.file("app/"); }  // the program's, with its settings
    const test::FreshDatabase& database() const { return database_; }

  private:
    struct Impl;
    test::FreshDatabase database_{test::FreshDatabase::PartnerTables::Yes};
    test::TempDir root_;
    std::string inputDir_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace fm::bench

// Figure 1, job overhead: a receipt from reading its command file to its committed
// F_SEMAFOR row, against the same statements run straight through Qt SQL on the
// same connection, each committed on its own, on embedded Firebird.
//
// The program runs with its job journal, as it always does; the journal's entry is
// written once the job is decided and completed after its marking, after the clock has
// stopped: its time is shown beside.
//
// The job's budget is one poll, which comes right after the F_SEMAFOR row is
// committed: the clock stops when that poll's statement goes to the database. No
// PARTNER runs; the wait's pause is not slept.

#include <QCoreApplication>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "commands/AnalRacuniKomande.h"
#include "journal/Journal.h"

using namespace fm;
using namespace fm::bench;

namespace {

// The program's journal, with the time of each job's entry taken.
class TimedJournal : public JobJournal {
  public:
    TimedJournal(const std::string& path, UserInterface& ui) : journal_(path, ui, {}) {}

    void jobEnded(const JobEntry& entry) override {
        const Clock::time_point start = Clock::now();
        journal_.jobEnded(entry);
        lastMs = msBetween(start, Clock::now());
    }
    void jobMarked(const JobEntry& entry) override {
        const Clock::time_point start = Clock::now();
        journal_.jobMarked(entry);
        lastMs += msBetween(start, Clock::now());
    }
    void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) override {
        journal_.fileSettledLater(fileName, action, atMs);
    }
    std::optional<std::vector<JobEntry>> openJobs(int registerNumber) override {
        return journal_.openJobs(registerNumber);
    }
    void jobSettledLate(const JobEntry& job) override { journal_.jobSettledLate(job); }

    double lastMs = 0;

  private:
    Journal journal_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InProcessProgram program;
    Postavke& p = program.state.postavke;
    withoutPartnerWait(p);
    p.TARVODBDRIVERAUTOMATICTIMER += 500;  // a budget of 500 ms: one poll
    DirectConnection direct = DirectConnection::ofDataModule();
    TimedJournal journal(journalPathBeside(program.settings->filePath()), program.ui);

    ReplacementCounter replacements(program.root.path());  // beside the settings file
    int replaced = 0;
    std::vector<std::string> statements;
    bool recording = false;
    Clock::time_point committed;
    program.dm->onStatement([&](const std::string& sql) {
        if (!recording) return;
        if (sql.rfind(" Select * from F_SEMAFOR", 0) == 0) {
            committed = Clock::now();
            replaced = replacements.take();
            recording = false;
        } else {
            statements.push_back(sql);
        }
    });

    std::vector<double> journalMs;
    // One job on the program's way and the same statements straight through Qt SQL.
    const auto runBoth = [&](const std::string& bytes, std::vector<double>* programMs,
                             std::vector<double>* baselineMs) {
        const std::string path = program.drop("r.inp", bytes);
        statements.clear();
        recording = true;
        replacements.take();
        const Clock::time_point start = Clock::now();
        CommandProcessor(*program.dm, *program.settings, &journal).AnalRacuniKomande(path);
        const double programTime = msBetween(start, committed);
        program.clearJobRows();
        if (!programMs) return;  // warming up: the first job of all also creates the program's own tables
        journalMs.push_back(journal.lastMs);

        const Clock::time_point baselineStart = Clock::now();
        for (const std::string& sql : statements) direct.run(sql);
        baselineMs->push_back(msBetween(baselineStart, Clock::now()));
        program.clearJobRows();
        programMs->push_back(programTime);
    };

    const int sizes[] = {1, 10, 100};
    std::vector<double> programMs[3], baselineMs[3], replacementMs;
    for (int round = -2; round < 25; ++round) {  // sizes in turn, so that all meet the same moments
        for (int size = 0; size < 3; ++size) {
            runBoth(receiptFile(sizes[size]), round < 0 ? nullptr : &programMs[size], &baselineMs[size]);
        }
        replacementMs.push_back(durableReplacementMs(program.root.path()));
    }

    std::string ratios;
    bool met = true;
    for (int size = 0; size < 3; ++size) {
        const double ratio = median(programMs[size]) / median(baselineMs[size]);
        met = met && ratio <= 1.15;
        ratios += (ratios.empty() ? "" : " | ") + decimal(ratio, 2) + " (" +
                  decimal(median(programMs[size]), 1) + " / " + decimal(median(baselineMs[size]), 1) + " ms)";
    }
    report(
        "1 job overhead with the journal, program / Qt SQL baseline, receipts of 1 | 10 | 100 items + "
        "payment",
        ratios + "; on that way " + std::to_string(replaced) + " durable replacements of files beside the " +
            "settings, each a data sync, a rename and a directory sync: " +
            decimal(median(replacementMs), 1) + " ms alone; after the hand-over, its journal entry " +
            decimal(median(journalMs), 1) + " ms",
        "<= 1.15 each", met);
    return 0;
}

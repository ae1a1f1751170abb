#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/JobContext.h"
#include "commands/JobFollowUp.h"
#include "commands/JobTracker.h"
#include "config/Postavke.h"
#include "platform/OpenedFile.h"

namespace fm {

class JobJournal;
struct CommandJob;
struct Job;

// What the processor did with a command file: left it (not complete yet, unreadable, or
// waiting for the database), skipped it as processed already, or ran its job.
struct ProcessedFile {
    enum class Step { NotYet, Skipped, JobRan };
    Step step = Step::NotYet;
    int outcome = 0;  // of the job ran
    // True when the job succeeded or the file was processed already.
    operator bool() const { return step == Step::Skipped || (step == Step::JobRan && outcome == 0); }
};

// The processing counter's step at every file met: 1, 2, ..., 9, 0, 1, ...
inline void advanceBrojacObrade(ProcessState& state) {
    state.BrojacObrade = state.BrojacObrade >= 9 ? 0 : state.BrojacObrade + 1;
}

// Turns command files into the rows of their jobs, hands each job to the PARTNER
// and reports its outcome.
class CommandProcessor {
  public:
    // The journal, when given, is told the end of every job; the activity, what is being done.
    CommandProcessor(const RecordContext& db, const Settings& settings, JobJournal* journal = nullptr,
                     ActivityReport* activity = nullptr)
        : context_{db, settings, activity}, followUp_(context_, journal) {}

    // One command file from reading to the advanced job number. A job that a crash
    // interrupted is finished first (by the job tracker of the run); while that cannot be
    // done, nothing is taken up.
    ProcessedFile AnalRacuniKomande(const std::string& fileName);

    // After every scan: the open jobs' late outcomes, the state at the tray icon.
    void endOfScan() { followUp_.endOfScan(nowEpochMs()); }

  private:
    // The file, read once (or found over the limit); nullopt when it is gone, or (shown
    // once as a notice) when it is a link, no regular file or cannot be read: not taken
    // up, no number used.
    std::optional<files::FileContent> readForTakeUp(const std::string& fileName);
    // With TARVOZASTITADUPLIKATA: why a receipt equal to an open job's is not handed over; else empty.
    std::string duplicateOfOpenJob(const CommandJob& command);
    void writeRows(Job& job, JobTracker& tracker);

    const JobContext context_;
    JobFollowUp followUp_;               // every job's end passes it on to the journal
    std::optional<JobTracker> tracker_;  // loaded at the first file, kept for the run
};

}  // namespace fm

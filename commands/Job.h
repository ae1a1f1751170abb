#pragma once

#include <string>
#include <vector>

#include "commands/CommandJob.h"
#include "commands/JobEntry.h"
#include "db/JobCodes.h"
#include "platform/OpenedFile.h"

namespace fm {

struct JobInFlight;

// A job from its command file's take-up to the file's marking: the file as it was read
// (its bytes split into lines once), the command read from them, and what became of it.
// The file is marked from these bytes, and only while its entry is still that file.
struct Job {
    std::string fileName;
    FileIdentity file;
    std::string bytes;               // the head only of a file over the size limit
    bool overSizeLimit = false;      // the file is larger than kCommandFileLimit
    std::vector<std::string> lines;  // the bytes' lines; none when there are too many
    CommandJob command;              // none for a job finished after a crash
    int number = 0;                  // F_RBR
    int bookingType = 0;
    int budget = 0;  // ms the PARTNER is given (WaitBudget)
    int outcome = kDone;
    std::string message;  // outcome message of an invalid file
    JobTimes times;
    std::vector<long long> fiscalBefore;  // F_LOG_RACUN's for its number before the hand-over
    bool recovered = false;               // finished by the start after a crash
};

// The file's bytes and identity as read into the job, split into lines.
void takeContent(Job& job, files::FileContent content);

// The command of the job's file (letterCodes: TARVOSLOVNESIFRE), numbered for its messages.
CommandJob readCommand(const Job& job, bool letterCodes, int jobNumber);

// The record's subset of the job, and the job it restores (no bytes, no command).
JobInFlight savedJob(const Job& job);
Job restoredJob(const JobInFlight& saved);

// The journal's entry of the job, with what was (or is to be) done to its file; with
// FileAction::None, that of a job interrupted before its hand-over, without an outcome.
JobEntry journalEntryOf(const Job& job, int registerNumber, FileAction action);

}  // namespace fm

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "commands/JobEntry.h"
#include "db/JobCodes.h"
#include "platform/OpenedFile.h"

namespace fm {

struct RecordContext;

// A job taken up: its number (F_RBR), command booking type and outcome so far, and its
// command file as it was read: the file is marked from these bytes, and only while its
// entry is still that file.
struct Job {
    int number = 0;
    int bookingType = 0;
    int outcome = kDone;
    int budget = 0;       // ms the PARTNER is given (WaitBudget)
    std::string message;  // outcome message of an invalid file
    FileIdentity file;
    std::string bytes;  // none for a file over the limit
    // For the job journal: the stages' moments, the command's letter and rows.
    JobTimes times;
    char letter = 0;
    int itemRows = 0;
    int paymentRows = 0;
    std::vector<long long> fiscalBefore;  // F_LOG_RACUN's for its number before the hand-over
};

// The end of every job taken up: waits for the PARTNER within its budget (not for
// an invalid file), diagnoses a receipt's timeout, writes or removes "Tarvo.err" and
// marks or deletes the command file. Errors of the file steps are shown as notices and
// end nothing. A job handed over is looked for at least once, whatever its budget.
// decided is told the job between its outcome and the file's marking; its errors are
// shown as a notice and keep nothing from happening. True when the command file carries
// the outcome or is gone.
bool finishJob(const RecordContext& db, const std::string& fileName, Job& job,
               const std::function<void(const Job&)>& decided);

// Deletes the command file (TARVOOBRISI_FAJL "DA") or marks it with the outcome from its
// bytes, either only while its entry is still the file of that identity. A file that
// cannot be deleted is marked instead, so that it is never taken up again. Failures are
// shown as notices when showFailures is set. True when the file carries the outcome or
// is gone.
bool markOrDelete(const RecordContext& db, const std::string& fileName, const FileIdentity& file,
                  const std::string& bytes, int outcome, bool showFailures);

}  // namespace fm

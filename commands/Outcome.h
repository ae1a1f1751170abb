#pragma once

#include "commands/Job.h"
#include "commands/JobEntry.h"

namespace fm {

class JobJournal;
struct JobContext;
struct RecordContext;

// The end of every job taken up, by the processor or by the start after a crash: waits
// for the PARTNER within its budget (not for an invalid file), diagnoses a receipt's
// timeout, writes or removes "Tarvo.err", tells the journal (when given) the decided job,
// marks or deletes the command file and tells the journal what was done to it. Errors of
// the file steps and of the journal are shown as notices and end nothing. A job handed
// over is looked for at least once, whatever its budget. What was done to the file.
FileAction finishJob(const JobContext& db, Job& job, JobJournal* journal);

// Deletes the command file (TARVOOBRISI_FAJL "DA") or marks it with the job's outcome from
// its bytes, either only while its entry is still the file of that identity. A file that
// cannot be deleted is marked instead, so that it is never taken up again. Failures are
// shown as notices when showFailures is set. NotMarked when the file is left without its mark.
FileAction markOrDelete(const RecordContext& db, const Job& job, bool showFailures);

}  // namespace fm

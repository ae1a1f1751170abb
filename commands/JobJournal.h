#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/JobEntry.h"

namespace fm {

// Where the end of every job is told, for the job journal. A call never throws and
// never holds the job back, whatever becomes of the entry.
class JobJournal {
  public:
    virtual ~JobJournal() = default;

    // A job is over: decided by the processor or by the start after a crash, its file about
    // to be marked (its action the one intended, no moment of marking yet), or given up
    // before its hand-over (then without an outcome). The start after a crash that decides
    // again a job journalled before its file's marking replaces that job's entry.
    virtual void jobEnded(const JobEntry& entry) = 0;

    // The job told by jobEnded after its file's marking: what was done, and when.
    virtual void jobMarked(const JobEntry& entry) = 0;

    // A file that could not be marked at its job's end now carries its mark, or was
    // deleted: the latest job of that file is updated.
    virtual void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) = 0;

    // The open jobs of the register, oldest first, as the journal keeps them; nullopt
    // when the journal cannot tell.
    virtual std::optional<std::vector<JobEntry>> openJobs(int registerNumber) = 0;

    // An open job got its late outcome (its late, lateMs, fiscalNumbers and printedTwice
    // set): the journal's row of that job is closed with it.
    virtual void jobSettledLate(const JobEntry& job) = 0;
};

}  // namespace fm

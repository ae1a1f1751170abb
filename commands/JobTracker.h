#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "commands/JobContext.h"
#include "commands/JobEntry.h"
#include "commands/JobRecord.h"
#include "platform/OpenedFile.h"

namespace fm {

class JobJournal;
struct Job;

// Follows every job in the job record from the reservation of its number to the mark of
// its file, so that a job that a crash interrupts is finished by the next start instead
// of being taken up again, and a file that cannot be marked is never taken up again.
class JobTracker {
  public:
    // Loads the record. A damaged one (unreadable, or naming a file that is not a command
    // file of the input directory) is shown as a notice, moved aside and taken as empty;
    // only the number of its job, if it has a valid one, is never used again.
    // The journal, when given, is told of jobs finished or given up here.
    explicit JobTracker(const JobContext& context, JobJournal* journal = nullptr);

    // The interrupted job, if any, is finished: when its F_SEMAFOR row was committed, its
    // handshake is completed and its file marked (or deleted) with the real outcome;
    // otherwise its rows are removed and the file, still waiting, is taken up again under
    // a new number. False while the database cannot tell: then nothing new may start.
    bool finishInterruptedJob();

    // A file whose job is over but whose mark could not be written: the mark (or the
    // deletion) is tried again; a file changed since its job took it up is set aside under
    // a name that the mask does not match. True when the file is such a one: it is not
    // taken up.
    bool retryMarking(const std::string& fileName);

    // Before any row of the job: the record of the job, which holds its number ("RBRR"
    // saved as the number after the job's when the record cannot be written).
    void reserveNumber(const Job& job);

    // The job's F_SEMAFOR row, written by writeSemafor in one transaction with its
    // F_PREDAJA row; without one, the record notes the hand-over before and after. False
    // when writeSemafor fails (nothing of the hand-over committed).
    Result<void, sql::Error> handOver(const Job& job,
                                      const std::function<Result<void, sql::Error>()>& writeSemafor);

    // The job is over, its file given that action: a file left without its mark is
    // remembered, "RBRR" saved as the number after the job's, the job's F_PREDAJA row
    // removed and the record cleared.
    void endJob(const Job& job, FileAction action);

  private:
    void setAside(const std::string& damage);
    void passNumber(int number);
    void discardRows(const JobInFlight& job);
    void finishHandedOverJob(const JobInFlight& job);
    void rememberUnmarked(const Job& job);
    bool setChangedFileAside(const UnmarkedFile& unmarked);
    void saveNumber(int nextNumber);
    bool save();

    const JobContext context_;
    JobJournal* journal_;
    JobRecord record_;
    bool tracedHandOver_ = false;  // the job in flight was handed over with an F_PREDAJA row
    std::set<std::string> setAsideFailuresNoticed_;
};

}  // namespace fm

#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/JobCodes.h"
#include "platform/JobStatus.h"

// One job as the journal keeps it; plain C++, so that the processor can fill it in.
namespace fm {

// Moments of a job's stages, ms since the epoch; 0 while a stage was not reached.
struct JobTimes {
    std::int64_t takenUp = 0;      // the file opened
    std::int64_t read = 0;         // its bytes read and checked
    std::int64_t handingOver = 0;  // its rows written, the F_SEMAFOR row being committed
    std::int64_t handedOver = 0;   // the F_SEMAFOR row committed
    std::int64_t decided = 0;      // the outcome known
    std::int64_t marked = 0;       // the file marked, deleted or given up on
};

inline std::int64_t nowEpochMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// What was done to the command file at the job's end.
// SetAside: changed after its job took it up, moved where no scan takes it up again.
enum class FileAction { None, MarkedOk, MarkedNo, MarkedEr, Deleted, NotMarked, SetAside };

// The journal's word for it.
inline const char* fileActionText(FileAction action) {
    switch (action) {
        case FileAction::MarkedOk:
            return statusWord(JobStatus::Ok);
        case FileAction::MarkedNo:
            return statusWord(JobStatus::No);
        case FileAction::MarkedEr:
            return statusWord(JobStatus::Er);
        case FileAction::Deleted:
            return "obrisan";
        case FileAction::NotMarked:
            return "neoznacen";
        case FileAction::SetAside:
            return "izdvojen";
        case FileAction::None:
            break;
    }
    return "-";
}

// The status of an outcome: OK for kDone, No for kNotFinished, Er for any other.
inline JobStatus statusOf(int outcome) {
    return outcome == kDone ? JobStatus::Ok : outcome == kNotFinished ? JobStatus::No : JobStatus::Er;
}
// None for a job that never got an outcome (interrupted before its hand-over).
inline std::optional<JobStatus> statusOf(const std::optional<int>& outcome) {
    return outcome ? std::optional(statusOf(*outcome)) : std::nullopt;
}

// The mark a file carries for an outcome.
inline FileAction markFor(int outcome) {
    const JobStatus status = statusOf(outcome);
    return status == JobStatus::Ok   ? FileAction::MarkedOk
           : status == JobStatus::No ? FileAction::MarkedNo
                                     : FileAction::MarkedEr;
}

// The journal's word for a job that never got an outcome.
inline constexpr const char* kInterrupted = "prekinut";

// A job's status as the journal tells it: its status word, or kInterrupted.
inline std::string jobStatusText(const std::optional<int>& outcome) {
    const std::optional<JobStatus> status = statusOf(outcome);
    return status ? statusWord(*status) : kInterrupted;
}

// What became of an open job after its file was marked.
enum class LateOutcome { None, Printed, Failed, Unknown };

// The journal's word for it: "odstampan kasnije", "greska kasnije", "nepoznato"; "" for None.
inline const char* lateOutcomeText(LateOutcome late) {
    switch (late) {
        case LateOutcome::Printed:
            return "odstampan kasnije";
        case LateOutcome::Failed:
            return "greska kasnije";
        case LateOutcome::Unknown:
            return "nepoznato";
        case LateOutcome::None:
            break;
    }
    return "";
}

// Whether the PARTNER may still do a job: its F_SEMAFOR row was committed and its last
// look did not find it gone (done, or turned into the error row).
inline bool leavesJobOpen(int outcome, bool handedOver) {
    return handedOver && outcome != 0 && outcome != -3;
}

struct JobEntry {
    std::int64_t id = 0;  // the journal's own row number, set when read back
    JobTimes times;
    std::string fileName;
    std::uint64_t fileSize = 0;
    int number = 0;        // F_RBR
    int cashRegister = 0;  // FID_RACUNA
    char letter = 0;       // of the first command record; 0 when none was read
    int bookingType = 0;
    int itemRows = 0;
    int paymentRows = 0;
    int budgetMs = 0;
    int waitedMs = 0;
    std::optional<int> outcome;  // none: the job was interrupted before its hand-over
    FileAction action = FileAction::None;
    std::string message;
    bool recovered = false;  // finished by the start after a crash
    bool open = false;       // waiting for a late outcome
    LateOutcome late = LateOutcome::None;
    std::int64_t lateMs = 0;               // when the late outcome was found
    std::vector<long long> fiscalNumbers;  // F_LOG_RACUN's for the job's register and number
    bool fiscalNumbersUnknown = false;     // F_LOG_RACUN held a value that could not be read
    std::vector<long long> fiscalBefore;   // that number's, there before the hand-over: not the job's
    bool printedTwice = false;             // two different fiscal numbers
    std::string receiptKey;                // a receipt's records without their status fields
    std::string damaged;  // read back: each stored value its column cannot hold, "column 'value'"

    std::string status() const { return jobStatusText(outcome); }
    // Milliseconds of the stages read, rows, hand-over commit, wait and marking (0 when
    // the stage was not reached).
    std::int64_t readMs() const { return span(times.takenUp, times.read); }
    std::int64_t rowsMs() const { return span(times.read, times.handingOver); }
    std::int64_t handOverMs() const { return span(times.handingOver, times.handedOver); }
    std::int64_t waitMs() const { return span(times.handedOver, times.decided); }
    std::int64_t markingMs() const { return span(times.decided, times.marked); }

  private:
    static std::int64_t span(std::int64_t from, std::int64_t to) {
        return from == 0 || to < from ? 0 : to - from;
    }
};

// The numbers with the separator between them: "123,124".
inline std::string joinedNumbers(const std::vector<long long>& numbers, const char* separator) {
    std::string text;
    for (const long long number : numbers) text += (text.empty() ? "" : separator) + std::to_string(number);
    return text;
}

// The fiscal numbers of the job, "123" or "123, 124"; "nepoznat" when unreadable; empty when none.
inline std::string fiscalNumbersText(const JobEntry& entry) {
    return entry.fiscalNumbersUnknown ? "nepoznat" : joinedNumbers(entry.fiscalNumbers, ", ");
}

}  // namespace fm

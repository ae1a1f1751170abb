#include "commands/JobJournal.h"

#include "commands/CommandJob.h"
#include "commands/JobRecord.h"
#include "commands/Outcome.h"
#include "platform/FileSystem.h"

namespace fm {

void noteCommand(Job& job, const CommandJob& command) {
    if (!command.records.empty()) job.letter = command.records.front().letter;
    job.itemRows =
        int(command.kind == JobKind::PriceChanges ? command.priceChanges.size() : command.itemCount());
    job.paymentRows = int(command.paymentCount());
}

JobEntry journalEntryOf(const Job& job, const std::string& fileName, int registerNumber, FileAction action) {
    JobEntry entry;
    entry.times = job.times;
    entry.fileName = fileName;
    entry.fileSize = job.file.size;
    entry.number = job.number;
    entry.cashRegister = registerNumber;
    entry.letter = job.letter;
    entry.bookingType = job.bookingType;
    entry.itemRows = job.itemRows;
    entry.paymentRows = job.paymentRows;
    entry.budgetMs = job.budget;
    entry.waitedMs = int(entry.waitMs());
    entry.outcome = job.outcome;
    entry.message = job.message;
    entry.open = leavesJobOpen(job.outcome, job.times.handedOver != 0);
    // Codes do not enter the key: read as letter codes, none can make the file invalid.
    if (job.bookingType < kPriceChanges && !job.bytes.empty())
        entry.receiptKey = receiptKey(readCommandFile(job.bytes, false, true, job.number));
    entry.fiscalBefore = job.fiscalBefore;
    entry.action = action;
    return entry;
}

FileAction intendedAction(bool deleteFiles, int outcome) {
    return deleteFiles ? FileAction::Deleted : markFor(outcome);
}

FileAction actionTaken(const std::string& fileName, int outcome, bool fileSettled) {
    if (!fileSettled) return FileAction::NotMarked;
    return files::fileExists(fileName) ? markFor(outcome) : FileAction::Deleted;
}

JobEntry interruptedJobEntry(const JobInFlight& job, int registerNumber, const std::string& message) {
    JobEntry entry;
    entry.times.marked = nowEpochMs();
    entry.fileName = job.fileName;
    entry.fileSize = job.file.size;
    entry.number = job.number;
    entry.cashRegister = registerNumber;
    entry.bookingType = job.bookingType;
    entry.message = message;
    entry.recovered = true;
    return entry;
}

}  // namespace fm

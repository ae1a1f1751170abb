#include "commands/Job.h"

#include <utility>

#include "commands/CommandFile.h"
#include "commands/JobRecord.h"

namespace fm {

void takeContent(Job& job, files::FileContent content) {
    job.file = content.identity;
    job.overSizeLimit = content.result == files::FileContent::Result::OverLimit;
    job.bytes = std::move(content.bytes);
    job.lines.clear();
    if (tooManyLinesMessage(job.bytes).empty()) job.lines = parseCommandLines(job.bytes);
}

CommandJob readCommand(const Job& job, bool letterCodes, int jobNumber) {
    if (job.overSizeLimit || job.lines.empty())
        return readCommandFile(job.bytes, job.overSizeLimit, letterCodes, jobNumber);
    return readCommandJob(job.lines, letterCodes, jobNumber);
}

JobInFlight savedJob(const Job& job) {
    return {.fileName = job.fileName,
            .file = job.file,
            .number = job.number,
            .bookingType = job.bookingType,
            .budget = job.budget};
}

Job restoredJob(const JobInFlight& saved) {
    Job job;
    job.fileName = saved.fileName;
    job.file = saved.file;
    job.number = saved.number;
    job.bookingType = saved.bookingType;
    job.budget = saved.budget;
    job.recovered = true;
    return job;
}

JobEntry journalEntryOf(const Job& job, int registerNumber, FileAction action) {
    const bool decided = action != FileAction::None;
    const CommandJob& command = job.command;
    JobEntry entry;
    entry.times = job.times;
    entry.fileName = job.fileName;
    entry.fileSize = job.file.size;
    entry.number = job.number;
    entry.cashRegister = registerNumber;
    if (!command.records.empty()) entry.letter = command.records.front().letter;
    entry.bookingType = job.bookingType;
    entry.itemRows =
        int(command.kind == JobKind::PriceChanges ? command.priceChanges.size() : command.itemCount());
    entry.paymentRows = int(command.paymentCount());
    entry.budgetMs = decided ? job.budget : 0;
    entry.waitedMs = int(entry.waitMs());
    if (decided) entry.outcome = job.outcome;
    entry.message = job.message;
    entry.open = decided && leavesJobOpen(job.outcome, job.times.handedOver != 0);
    // Codes do not enter the key: read as letter codes, none can make the file invalid.
    if (job.bookingType < kPriceChanges && !job.bytes.empty() && !job.lines.empty())
        entry.receiptKey = receiptKey(readCommandJob(job.lines, true, job.number));
    entry.fiscalBefore = job.fiscalBefore;
    entry.action = action;
    entry.recovered = job.recovered;
    return entry;
}

}  // namespace fm

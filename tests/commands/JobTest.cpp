// One job from its file's bytes to its journal entry and its saved record.

#include <gtest/gtest.h>

#include <string>

#include "commands/CommandFile.h"
#include "commands/Job.h"
#include "commands/JobRecord.h"

namespace fm {
namespace {

Job jobOf(std::string bytes, files::FileContent::Result result = files::FileContent::Result::Read) {
    files::FileContent content;
    content.result = result;
    content.identity.size = bytes.size();
    content.bytes = std::move(bytes);
    Job job;
    job.fileName = "r.inp";
    takeContent(job, std::move(content));
    return job;
}

TEST(Job, ReadsItsCommandAsTheWholeFileWouldAndItsEntryCarriesItsRowsAndKey) {
    const std::string bytes =
        "S,P1,_,______,__;Kafa;1.5;2;;3;4;;8\r\nS,P1,_,______,__;Sok;1;1;;1;2;;7\r\nT,P1,_,______,__;\r\n";
    Job job = jobOf(bytes);
    EXPECT_EQ(job.lines, parseCommandLines(bytes));
    job.command = readCommand(job, false, 5);
    EXPECT_EQ(job.command.invalid, "");
    job.number = 5;
    job.bookingType = job.command.bookingType;
    job.outcome = kNotFinished;
    job.times.handedOver = 1;

    const JobEntry entry = journalEntryOf(job, 3, FileAction::MarkedEr);
    EXPECT_EQ(entry.fileName, "r.inp");
    EXPECT_EQ(entry.cashRegister, 3);
    EXPECT_EQ(entry.letter, 'S');
    EXPECT_EQ(entry.itemRows, 2);
    EXPECT_EQ(entry.paymentRows, 1);
    EXPECT_EQ(entry.outcome, kNotFinished);
    EXPECT_TRUE(entry.open);
    EXPECT_EQ(entry.receiptKey, receiptKey(readCommandFile(bytes, false, true, 5)));
    EXPECT_FALSE(entry.receiptKey.empty());
}

TEST(Job, AFileOverALimitIsReadForItsHeaderOnly) {
    Job overSize = jobOf("V,P1,_,______,OK;\r\n", files::FileContent::Result::OverLimit);
    EXPECT_EQ(readCommand(overSize, false, 1).verdict, CommandJob::Verdict::ProcessedAlready);
    Job manyLines = jobOf(std::string(kCommandLinesLimit + 1, '\n'));
    EXPECT_TRUE(manyLines.lines.empty());
    EXPECT_EQ(readCommand(manyLines, false, 1).invalid, tooManyLinesMessage(manyLines.bytes));
    manyLines.outcome = kInvalidFile;
    EXPECT_EQ(journalEntryOf(manyLines, 1, FileAction::MarkedEr).receiptKey, "");
}

TEST(Job, ItsRecordRestoresItAndAnInterruptedOneHasNoOutcomeNorBudget) {
    Job job = jobOf("Z,P1,_,______,__;\r\n");
    job.number = 41;
    job.bookingType = 53;
    job.budget = 1200;
    const JobInFlight saved = savedJob(job);
    EXPECT_EQ(saved.fileName, "r.inp");
    EXPECT_EQ(saved.stage, JobStage::Rows);

    const Job restored = restoredJob(saved);
    EXPECT_EQ(restored.number, 41);
    EXPECT_EQ(restored.bookingType, 53);
    EXPECT_EQ(restored.budget, 1200);
    EXPECT_TRUE(restored.bytes.empty());
    const JobEntry interrupted = journalEntryOf(restored, 2, FileAction::None);
    EXPECT_FALSE(interrupted.outcome);
    EXPECT_EQ(interrupted.status(), "prekinut");
    EXPECT_EQ(interrupted.budgetMs, 0);
    EXPECT_TRUE(interrupted.recovered);
    EXPECT_EQ(interrupted.fileSize, job.file.size);
}

}  // namespace
}  // namespace fm

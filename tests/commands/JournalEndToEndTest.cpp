// The job journal at the end of real jobs, the PARTNER emulator serving them.

#include <gtest/gtest.h>

#include <filesystem>

#include "commands/AnalRacuniKomande.h"
#include "commands/DirectoryPolling.h"
#include "commands/HandOver.h"
#include "commands/JobRecord.h"
#include "db/RecordWriters.h"
#include "journal/Journal.h"
#include "tests/support/PartnerHarness.h"
#include "tests/support/PosixSteps.h"

namespace fm::test {
namespace {

TEST(JournalEndToEnd, EveryJobEndsAsOneRowWithItsStagesAndOneLogLine) {
    PartnerHarness h;
    std::vector<std::string> lines;
    Journal journal(h.root.file("MerilonDnevnik.db"), h.ui,
                    [&](const std::string& line) { lines.push_back(line); });
    h.drop("r1.inp", kWorkedSale);
    h.drop("bad.inp", "S,P1,_,______,__;Sok;x1;1;;1;2;;7\r\nT,P1,_,______,__;\r\n");

    EXPECT_TRUE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("r1.inp")));
    EXPECT_FALSE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("bad.inp")));

    JournalStore store(h.root.file("MerilonDnevnik.db"));
    const std::vector<JobEntry> jobs = *store.read({});
    ASSERT_EQ(jobs.size(), 2u);
    const JobEntry& sale = jobs[1];
    EXPECT_EQ(sale.number, 100);
    EXPECT_EQ(sale.fileName, h.inputFile("r1.inp"));
    EXPECT_EQ(sale.fileSize, kWorkedSale.size());
    EXPECT_EQ(sale.cashRegister, 1);
    EXPECT_EQ(sale.letter, 'S');
    EXPECT_EQ(sale.bookingType, 0);
    EXPECT_EQ(sale.itemRows, 2);
    EXPECT_EQ(sale.paymentRows, 1);
    EXPECT_GT(sale.budgetMs, 3000);
    EXPECT_EQ(sale.outcome, 0);
    EXPECT_EQ(sale.action, FileAction::MarkedOk);
    const JobTimes& t = sale.times;
    EXPECT_TRUE(t.takenUp > 0 && t.takenUp <= t.read && t.read <= t.handingOver &&
                t.handingOver <= t.handedOver && t.handedOver <= t.decided && t.decided <= t.marked);
    EXPECT_EQ(sale.waitedMs, t.decided - t.handedOver);
    EXPECT_GT(sale.waitedMs, 0);  // the PARTNER takes its time to print

    const JobEntry& bad = jobs[0];
    EXPECT_EQ(bad.number, 101);
    EXPECT_EQ(bad.status(), "Er");
    EXPECT_EQ(bad.outcome, -255);
    EXPECT_EQ(bad.times.handedOver, 0);
    EXPECT_EQ(bad.message.rfind("Neispravan fajl " + h.inputFile("bad.inp") + "\r\nGreska:", 0), 0u);

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(
        lines[0].rfind("posao 100, fajl " + h.inputFile("r1.inp") + ", status OK (fajl OK), cekano ", 0), 0u)
        << lines[0];
    EXPECT_EQ(lines[1], "posao 101, fajl " + h.inputFile("bad.inp") + ", status Er (fajl Er), cekano 0 ms");
}

TEST(JournalEndToEnd, AJournalThatCannotBeWrittenHoldsNoJobBack) {
    PartnerHarness h;
    h.root.write("zauzeto", "a file where the journal's directory should be");
    Journal journal(h.root.file("zauzeto/MerilonDnevnik.db"), h.ui, nullptr);
    h.drop("r1.inp", kWorkedSale);
    h.drop("r2.inp", kWorkedSale);

    EXPECT_TRUE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("r1.inp")));
    EXPECT_TRUE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("r2.inp")));

    EXPECT_EQ(h.status("r1.inp"), "OK");
    EXPECT_EQ(h.status("r2.inp"), "OK");
    EXPECT_EQ(h.rbrr(), "RBRR=102");
    ASSERT_EQ(h.ui.notices.size(), 1u);
    EXPECT_NE(h.ui.notices[0].text.find("Dnevnik poslova"), std::string::npos);
    EXPECT_EQ(journal.waiting(), 2u);
}

// The journal's calls with the permissions of its directory in force, for root too; the
// rest of the job (the database, the command files) is not touched by it.
class JournalAsAnyUser : public JobJournal {
  public:
    explicit JournalAsAnyUser(Journal& journal) : journal_(journal) {}

    void jobEnded(const JobEntry& entry) override {
        NoPermissionOverride asAnyUser;
        journal_.jobEnded(entry);
    }
    void jobMarked(const JobEntry& entry) override {
        NoPermissionOverride asAnyUser;
        journal_.jobMarked(entry);
    }
    void fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) override {
        NoPermissionOverride asAnyUser;
        journal_.fileSettledLater(fileName, action, atMs);
    }
    std::optional<std::vector<JobEntry>> openJobs(int registerNumber) override {
        NoPermissionOverride asAnyUser;
        return journal_.openJobs(registerNumber);
    }
    void jobSettledLate(const JobEntry& job) override {
        NoPermissionOverride asAnyUser;
        journal_.jobSettledLate(job);
    }

  private:
    Journal& journal_;
};

TEST(JournalEndToEnd, AReadOnlyJournalDirectoryHoldsNoJobBackAndIsWrittenOnceWritableAgain) {
    if (!kPosix) GTEST_SKIP() << kPosixOnly;
    namespace fs = std::filesystem;
    PartnerHarness h;
    const std::string directory = h.root.file("dnevnik");
    fs::create_directory(directory);
    fs::permissions(directory, fs::perms(0555));
    const std::string path = directory + "/MerilonDnevnik.db";
    Journal journal(path, h.ui, nullptr);
    JournalAsAnyUser asAnyUser(journal);
    const auto process = [&](const std::string& name) {
        h.drop(name, kWorkedSale);
        return CommandProcessor(*h.dm, *h.settings, &asAnyUser).AnalRacuniKomande(h.inputFile(name));
    };

    EXPECT_TRUE(process("r1.inp"));
    EXPECT_TRUE(process("r2.inp"));
    EXPECT_EQ(h.status("r1.inp"), "OK");
    EXPECT_EQ(h.status("r2.inp"), "OK");
    EXPECT_EQ(h.rbrr(), "RBRR=102");
    ASSERT_EQ(h.ui.notices.size(), 1u);
    EXPECT_NE(h.ui.notices[0].text.find("Poslovi se obradjuju dalje"), std::string::npos)
        << h.ui.notices[0].text;
    EXPECT_EQ(journal.waiting(), 2u);

    fs::permissions(directory, fs::perms::owner_all);
    EXPECT_TRUE(process("r3.inp"));
    EXPECT_EQ(journal.waiting(), 0u);
    ASSERT_EQ(h.ui.notices.size(), 2u);
    EXPECT_NE(h.ui.notices[1].text.find("se ponovo upisuje"), std::string::npos) << h.ui.notices[1].text;
    JournalStore store(path);
    const std::vector<JobEntry> jobs = *store.read({});
    ASSERT_EQ(jobs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(jobs[std::size_t(i)].number, 102 - i);
        EXPECT_EQ(jobs[std::size_t(i)].fileName, h.inputFile("r" + std::to_string(3 - i) + ".inp"));
        EXPECT_EQ(jobs[std::size_t(i)].action, FileAction::MarkedOk);
    }
}

// The state a crash leaves: the job's record at its stage, the sale's rows written, and
// with a handed-over job its F_SEMAFOR row committed with its F_PREDAJA row.
void crashedAt(PartnerHarness& h, const std::string& name, int number, JobStage stage) {
    h.drop(name, kWorkedSale);
    ASSERT_TRUE(UpisiStavkuRacuna(*h.dm, number, 0, 0, 1001, 1, 2, "", "Mlijeko 1l", 1.2, 2));
    if (stage == JobStage::HandedOver) {
        ASSERT_TRUE(beginTracedHandOver(*h.dm, number, 0, 10000));
        ASSERT_TRUE(UpisiSemafor(*h.dm, number, 0, 0, 0, 0, 1, ""));
    }
    JobRecord record(JobRecord::besideSettings(h.settings->filePath()));
    JobInFlight job;
    job.fileName = h.inputFile(name);
    job.file = files::entryAt(job.fileName).identity;
    job.number = number;
    job.stage = stage;
    job.budget = 10000;
    record.job = job;
    ASSERT_TRUE(record.save());
    h.state.BrojRacuna = number;
}

TEST(JournalEndToEnd, JobsThatACrashInterruptedAreJournalledByTheNextStart) {
    PartnerHarness h;
    Journal journal(h.root.file("MerilonDnevnik.db"), h.ui, nullptr);
    JournalStore store(h.root.file("MerilonDnevnik.db"));

    crashedAt(h, "handed.inp", 100, JobStage::HandedOver);
    DirectoryPoller(*h.dm, *h.settings, &journal).Timer1Timer();
    std::vector<JobEntry> jobs = *store.read({});
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].number, 100);
    EXPECT_TRUE(jobs[0].recovered);
    EXPECT_EQ(jobs[0].status(), "OK");
    EXPECT_EQ(jobs[0].action, FileAction::MarkedOk);
    EXPECT_EQ(jobs[0].budgetMs, 10000);

    crashedAt(h, "cut.inp", 101, JobStage::Rows);
    DirectoryPoller(*h.dm, *h.settings, &journal).Timer1Timer();
    jobs = *store.read({});
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[1].number, 101);  // given up, its file taken up again under the next number
    EXPECT_EQ(jobs[1].status(), "prekinut");
    EXPECT_EQ(jobs[1].fileName, h.inputFile("cut.inp"));
    EXPECT_NE(jobs[1].message.find("je prekinut prije predaje PARTNERU"), std::string::npos);
    EXPECT_EQ(jobs[0].number, 102);
    EXPECT_EQ(jobs[0].fileName, h.inputFile("cut.inp"));
    EXPECT_EQ(jobs[0].status(), "OK");
    EXPECT_FALSE(jobs[0].recovered);
}

}  // namespace
}  // namespace fm::test

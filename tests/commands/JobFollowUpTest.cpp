// What follows a job's end: the fiscal numbers of F_LOG_RACUN, the late outcome of a job
// the PARTNER finishes after its wait, the duplicate guard, the PARTNER watchdog. The
// emulator serves the jobs.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/ActivityPresenter.h"
#include "commands/DirectoryPolling.h"
#include "db/RecordWriters.h"
#include "journal/Journal.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/FailureOf.h"
#include "tests/support/PartnerHarness.h"

namespace fm::test {
namespace {

// A till with its journal and poller; receipts get a budget of about 1.5 s.
struct Till {
    explicit Till(const std::vector<std::string>& partnerOptions, const std::string& databaseIni = {})
        : h(partnerOptions, databaseIni),
          journal(h.root.file("MerilonDnevnik.db"), h.ui, nullptr),
          activity(h.ui),
          poller(*h.dm, *h.settings, &journal, &activity) {
        h.state.postavke.TARVOVREMESTAMPANJAZAGLAVLJA = -2000;
        h.state.postavke.TARVOVREMESTAMPANJAZAVRSETKA = -1500;
    }

    std::vector<JobEntry> jobs() {
        const Result<std::vector<JobEntry>> read = JournalStore(h.root.file("MerilonDnevnik.db")).read({});
        EXPECT_EQ(failureOf(read), "");
        return {read->rbegin(), read->rend()};  // oldest first
    }

    // Waits until no row of the register is left in F_SEMAFOR but the error rows.
    void partnerDone() {
        for (int i = 0; i < 300 && h.count("select count(*) as n from F_SEMAFOR where F_RBR >= 0") > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    std::vector<std::string> noticesWith(const std::string& part) const {
        std::vector<std::string> found;
        for (const auto& notice : h.ui.notices)
            if (notice.text.find(part) != std::string::npos) found.push_back(notice.text);
        return found;
    }

    PartnerHarness h;
    Journal journal;
    ActivityPresenter activity;
    DirectoryPoller poller;
};

int prints(const std::string& partnerJournal) {
    int count = 0;
    for (std::size_t at = 0; (at = partnerJournal.find("==== posao", at)) != std::string::npos; ++at) ++count;
    return count;
}

TEST(JobFollowUp, OnlyTheJobRowLateFileNoThenOneNoticeThatItWasPrinted) {
    Till till({"--finish-after-ms", "5000"});
    till.h.drop("r1.inp", kWorkedSale);

    till.poller.Timer1Timer();
    EXPECT_EQ(till.h.status("r1.inp"), "No");
    ASSERT_EQ(till.jobs().size(), 1u);
    EXPECT_TRUE(till.jobs()[0].open);
    EXPECT_EQ(till.noticesWith("Posao 100").size(), 0u);

    till.partnerDone();
    till.poller.Timer1Timer();
    till.poller.Timer1Timer();

    const JobEntry job = till.jobs()[0];
    EXPECT_FALSE(job.open);
    EXPECT_EQ(job.late, LateOutcome::Printed);
    EXPECT_GE(job.lateMs, job.times.marked);
    EXPECT_EQ(job.status(), "No");  // the mark the till has read stays
    const std::vector<std::string> notices =
        till.noticesWith("Posao 100 (fajl " + till.h.inputFile("r1.inp"));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("Ne saljite ga ponovo"), std::string::npos);
    EXPECT_EQ(till.h.status("r1.inp"), "No");
}

TEST(JobFollowUp, NothingPrintedInTimeFileErThenThePrintIsFoundLate) {
    Till till({"--line-delay-ms", "700"});
    till.h.drop("r1.inp", kWorkedSale);

    till.poller.Timer1Timer();
    EXPECT_EQ(till.h.status("r1.inp"), "Er");
    EXPECT_EQ(till.jobs()[0].outcome, -4);
    EXPECT_TRUE(till.jobs()[0].open);

    till.partnerDone();
    till.poller.Timer1Timer();
    EXPECT_EQ(till.jobs()[0].late, LateOutcome::Printed);
    EXPECT_EQ(till.noticesWith("Posao 100 (fajl").size(), 1u);
}

TEST(JobFollowUp, ALateErrorRowIsRecordedAndAJobOpenForADayIsClosedAsUnknown) {
    Till till({"--line-delay-ms", "1500", "--fail-type", "2"});  // the error row after 3 s
    till.h.drop("u.inp", "U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n");
    till.poller.Timer1Timer();
    ASSERT_EQ(till.h.status("u.inp"), "No");
    till.partnerDone();
    till.h.stopPartner();
    till.poller.Timer1Timer();
    EXPECT_EQ(till.jobs()[0].late, LateOutcome::Failed);
    EXPECT_EQ(till.noticesWith("Posao 100 (fajl").size(), 1u);

    // A job whose row stays: open until a day has passed since its end.
    JobEntry old;
    old.number = 90;
    old.cashRegister = 1;
    old.outcome = -2;
    old.open = true;
    old.fileName = till.h.inputFile("old.inp");
    old.times.decided = nowEpochMs() - LateOutcomes::kOpenAtMostMs - 1000;
    ASSERT_EQ(failureOf(JournalStore(till.h.root.file("MerilonDnevnik.db")).add(old)), "");
    ASSERT_TRUE(UpisiSemafor(*till.h.dm, 90, 0, 0, 0, 0, 1, ""));
    Journal journal(till.h.root.file("MerilonDnevnik.db"), till.h.ui, nullptr);
    DirectoryPoller(*till.h.dm, *till.h.settings, &journal).Timer1Timer();  // a new start loads it
    ASSERT_EQ(till.jobs().size(), 2u);
    EXPECT_EQ(till.jobs()[1].late, LateOutcome::Unknown);
    EXPECT_EQ(till.noticesWith("Posao 90").size(), 0u);
}

TEST(JobFollowUp, WithTheGuardOnAnIdenticalReceiptNeverReachesThePartner) {
    Till till({"--finish-after-ms", "6000"});
    till.h.state.postavke.TARVOZASTITADUPLIKATA = true;
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    ASSERT_EQ(till.h.status("r1.inp"), "No");

    till.h.drop("r2.inp", kWorkedSale);
    till.poller.Timer1Timer();

    EXPECT_EQ(till.h.status("r2.inp"), "Er");
    const std::string message = "Racun nije poslan PARTNERU: isti je kao racun posla broj 100 (fajl " +
                                till.h.inputFile("r1.inp") + "), koji PARTNER jos nije zavrsio.";
    EXPECT_EQ(till.h.errorFile().rfind(message, 0), 0u) << till.h.errorFile();
    EXPECT_EQ(till.noticesWith(message).size(), 1u);
    EXPECT_EQ(till.h.count("select count(*) as n from F_SEMAFOR where F_RBR=101"), 0);
    EXPECT_EQ(till.h.count("select count(*) as n from F_RACUN where F_RBR=101"), 0);
    EXPECT_EQ(till.h.rbrr(), "RBRR=102");
    till.partnerDone();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(prints(till.h.journal()), 1);
}

TEST(JobFollowUp, WithTheGuardOffAnIdenticalReceiptIsHandedOverAsBefore) {
    Till till({"--finish-after-ms", "3000"});
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    till.h.drop("r2.inp", kWorkedSale);
    till.poller.Timer1Timer();

    EXPECT_NE(till.h.status("r2.inp"), "__");
    till.partnerDone();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(prints(till.h.journal()), 2);
}

TEST(JobFollowUp, TheWatchdogTellsOnceWhenThePartnerStopsAndOnceWhenItWorksAgain) {
    Till till({});
    till.h.stopPartner();
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    EXPECT_FALSE(till.activity.activity().partnerStalled);
    till.h.drop("r2.inp", "S,P1,_,______,__;Sok;2.00;1;;1;2;;1003\r\nT,P1,_,______,__;\r\n");
    till.poller.Timer1Timer();
    till.poller.Timer1Timer();

    EXPECT_EQ(till.noticesWith("PARTNER ne preuzima poslove").size(), 1u);
    EXPECT_TRUE(till.activity.activity().partnerStalled);
    EXPECT_EQ(till.activity.activity().jobsWaiting, 2);
    EXPECT_EQ(iconLook(till.activity.activity()), IconLook::Warning);

    till.h.startPartner();
    till.partnerDone();
    till.poller.Timer1Timer();
    till.poller.Timer1Timer();

    EXPECT_EQ(till.noticesWith("PARTNER ponovo preuzima poslove").size(), 1u);
    EXPECT_EQ(till.noticesWith("PARTNER ne preuzima poslove").size(), 1u);
    EXPECT_FALSE(till.activity.activity().partnerStalled);
    EXPECT_EQ(iconLook(till.activity.activity()), IconLook::Normal);
    EXPECT_EQ(till.noticesWith("je PARTNER ipak odstampao").size(), 2u);
}

TEST(JobFollowUp, EveryPrintedJobHasItsFiscalNumberAndADoublePrintIsFlaggedOnce) {
    Till till({});
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    till.h.stopPartner();
    till.h.startPartner({"--print-twice"});
    till.h.drop("r2.inp", kWorkedSale);
    till.poller.Timer1Timer();
    till.poller.Timer1Timer();

    const std::vector<JobEntry> jobs = till.jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].fiscalNumbers, std::vector<long long>{1});
    EXPECT_FALSE(jobs[0].printedTwice);
    EXPECT_EQ(jobs[1].fiscalNumbers, (std::vector<long long>{2, 3}));
    EXPECT_TRUE(jobs[1].printedTwice);
    EXPECT_EQ(till.noticesWith("DVA PUTA").size(), 1u);
    EXPECT_NE(till.noticesWith("DVA PUTA")[0].find("Posao 101 (fajl " + till.h.inputFile("r2.inp")),
              std::string::npos);
}

TEST(JobFollowUp, ALateJobGetsTheFiscalNumberItWasPrintedUnder) {
    Till till({"--finish-after-ms", "5000", "--print-twice"});
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    ASSERT_EQ(till.h.status("r1.inp"), "No");
    till.partnerDone();
    till.poller.Timer1Timer();

    const JobEntry job = till.jobs()[0];
    EXPECT_EQ(job.late, LateOutcome::Printed);
    EXPECT_EQ(job.fiscalNumbers, (std::vector<long long>{1, 2}));
    EXPECT_TRUE(job.printedTwice);
    EXPECT_EQ(till.noticesWith("DVA PUTA").size(), 1u);  // at the job's end or with its late print
}

// A slow PARTNER that finishes the first job while the second waits is no stalled one.
TEST(JobFollowUp, NoStallIsToldWhileThePartnerFinishesAJobAfterTheFirstUnfinishedOne) {
    Till till({"--finish-after-ms", "4500"});
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    ASSERT_EQ(till.h.status("r1.inp"), "No");
    // Three items: a budget that outlasts the PARTNER's finishing of the first job.
    till.h.drop("r2.inp",
                "S,P1,_,______,__;Sok;2.00;1;;1;2;;1003\r\nS,P1,_,______,__;Voda;1.00;1;;1;2;;1004\r\n"
                "S,P1,_,______,__;Sol;0.50;1;;1;2;;1005\r\nT,P1,_,______,__;\r\n");
    till.poller.Timer1Timer();

    ASSERT_EQ(till.h.status("r2.inp"), "No");
    EXPECT_EQ(till.noticesWith("PARTNER ne preuzima poslove").size(), 0u);
    EXPECT_FALSE(till.activity.activity().partnerStalled);
    EXPECT_EQ(till.jobs()[0].late, LateOutcome::Printed);
}

// The first read of the journal fails: it is read again, and its open jobs are followed.
TEST(JobFollowUp, OpenJobsAreReadAgainAfterAFailedRead) {
    struct FailingOnce : Journal {
        using Journal::Journal;
        std::optional<std::vector<JobEntry>> openJobs(int registerNumber) override {
            if (asked++ == 0) return std::nullopt;
            return Journal::openJobs(registerNumber);
        }
        int asked = 0;
    };
    Till till({});
    till.h.stopPartner();
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    ASSERT_TRUE(till.jobs()[0].open);

    FailingOnce journal(till.h.root.file("MerilonDnevnik.db"), till.h.ui, nullptr);
    DirectoryPoller restarted(*till.h.dm, *till.h.settings, &journal);
    restarted.Timer1Timer();
    restarted.Timer1Timer();
    EXPECT_EQ(till.activity.activity().jobsWaiting, 1);
}

// A value F_LOG_RACUN holds that is no number: the job still ends, its fiscal number unknown.
TEST(JobFollowUp, AnUnreadableFiscalNumberIsUnknownAndTheJobStillEnds) {
    Till till({});
    till.h.stopPartner();
    for (const char* sql :
         {"drop table F_LOG_RACUN",
          "create table F_LOG_RACUN (F_ID_KASE float, F_RBR float, F_FISK_BROJ varchar(20))",
          "insert into F_LOG_RACUN values (1, 100, 'x')"})
        ASSERT_TRUE(till.h.dm->sqlexec(sql)) << till.h.dm->ZadnjaGreska();
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();

    EXPECT_EQ(till.h.status("r1.inp"), "Er");
    EXPECT_EQ(till.h.rbrr(), "RBRR=101");
    ASSERT_EQ(till.jobs().size(), 1u);
    EXPECT_TRUE(till.jobs()[0].fiscalNumbersUnknown);
    EXPECT_EQ(fiscalNumbersText(till.jobs()[0]), "nepoznat");
}

// Closed as unknown after a day (a clock may jump), a job whose row is still there still
// keeps an identical receipt back.
TEST(JobFollowUp, AJobClosedAfterADayWithItsRowStillThereStillCountsForTheGuard) {
    Till till({});
    till.h.stopPartner();
    till.h.state.postavke.TARVOZASTITADUPLIKATA = true;
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    JobEntry dayOld = till.jobs()[0];
    ASSERT_TRUE(dayOld.open);
    dayOld.times.decided = nowEpochMs() - LateOutcomes::kOpenAtMostMs - 1000;
    ASSERT_EQ(failureOf(JournalStore(till.h.root.file("dan.db")).add(dayOld)), "");

    Journal journal(till.h.root.file("dan.db"), till.h.ui, nullptr);
    DirectoryPoller restarted(*till.h.dm, *till.h.settings, &journal);
    restarted.Timer1Timer();
    ASSERT_EQ((*JournalStore(till.h.root.file("dan.db")).read({}))[0].late, LateOutcome::Unknown);
    till.h.drop("r2.inp", kWorkedSale);
    restarted.Timer1Timer();

    EXPECT_EQ(till.h.status("r2.inp"), "Er");
    EXPECT_EQ(till.noticesWith("isti je kao racun posla broj 100").size(), 1u);
    EXPECT_EQ(till.h.count("select count(*) as n from F_SEMAFOR where F_RBR=101"), 0);
}

class FollowUpOnEveryEngine : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (const auto why = engineUnavailable(GetParam())) GTEST_SKIP() << *why;
        if (GetParam() != Engine::Embedded)
            database = std::make_unique<EngineDatabase>(GetParam(), FreshDatabase::PartnerTables::No);
    }
    std::string databaseIni() const { return database ? database->iniText("opkasa", "lumbrico") : ""; }

    std::unique_ptr<EngineDatabase> database;
};

// A new start whose journal cannot be read: the open receipt is known by its rows, whose
// values are those of the resent file however its numbers are written.
TEST_P(FollowUpOnEveryEngine, TheGuardKnowsAnOpenReceiptByItsRowsWhenTheJournalCannotTell) {
    Till till({}, databaseIni());
    till.h.stopPartner();
    till.h.state.postavke.TARVOZASTITADUPLIKATA = true;
    till.h.drop("r1.inp", "V,P1,_,______,__;+Hvala\r\n" + kWorkedSale);
    till.poller.Timer1Timer();
    ASSERT_TRUE(till.jobs()[0].open);

    std::filesystem::create_directory(till.h.root.file("nije-dnevnik"));
    Journal unreadable(till.h.root.file("nije-dnevnik"), till.h.ui, nullptr);
    DirectoryPoller restarted(*till.h.dm, *till.h.settings, &unreadable);
    till.h.drop("r2.inp",
                "V,P1,_,______,__;+Hvala\r\nS,P1,_,______,__;Mlijeko 1l;1.2;2.0;;1;2;;1001\r\n"
                "S,P1,_,______,__;Hljeb;0.9;-1;;01;2;;1002\r\nT,P1,_,______,__;\r\n");
    restarted.Timer1Timer();

    EXPECT_EQ(till.h.status("r2.inp"), "Er");
    EXPECT_EQ(till.noticesWith("isti je kao racun posla broj 100").size(), 1u);
    EXPECT_EQ(till.h.count("select count(*) as n from F_SEMAFOR where F_RBR=101"), 0);
}

// The counter set back (a restored settings file): the old job's fiscal number is not the new one's.
TEST_P(FollowUpOnEveryEngine, AJobNumberUsedAgainHasOnlyTheFiscalNumbersPrintedAfterItsHandOver) {
    Till till({}, databaseIni());
    till.h.drop("r1.inp", kWorkedSale);
    till.poller.Timer1Timer();
    till.h.state.BrojRacuna = 100;
    till.h.drop("r2.inp", kWorkedSale);
    till.poller.Timer1Timer();

    const std::vector<JobEntry> jobs = till.jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].fiscalNumbers, std::vector<long long>{1});
    EXPECT_EQ(jobs[1].fiscalNumbers, std::vector<long long>{2});
    EXPECT_FALSE(jobs[1].printedTwice);
    EXPECT_EQ(till.noticesWith("DVA PUTA").size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Engines, FollowUpOnEveryEngine,
                         testing::Values(Engine::Embedded, Engine::FirebirdServer, Engine::MariaDB),
                         [](const auto& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

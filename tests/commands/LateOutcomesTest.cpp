// The jobs left open and their late outcomes, the fiscal numbers of a job, the duplicate
// guard's open receipts and the PARTNER watchdog, on recorded SQL.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "commands/CommandJob.h"
#include "commands/LateOutcomes.h"
#include "db/JobCodes.h"
#include "tests/db/RecordingSql.h"

namespace fm::test {
namespace {

using Numbers = std::vector<long long>;

// A journal that keeps the open jobs it is given and the late outcomes it is told.
class KeptJournal : public JobJournal {
  public:
    std::optional<std::vector<JobEntry>> kept = std::vector<JobEntry>{};
    std::vector<JobEntry> settled;

    void jobEnded(const JobEntry&) override {}
    void jobMarked(const JobEntry&) override {}
    void fileSettledLater(const std::string&, FileAction, std::int64_t) override {}
    std::optional<std::vector<JobEntry>> openJobs(int) override { return kept; }
    void jobSettledLate(const JobEntry& job) override { settled.push_back(job); }
};

class LateOutcomesTest : public ::testing::Test {
  protected:
    // A receipt left open at the end of its wait, decided at `decided`.
    static JobEntry openJob(int number, std::int64_t decided, const std::string& key = {}) {
        JobEntry job;
        job.number = number;
        job.fileName = "r" + std::to_string(number) + ".inp";
        job.bookingType = kSaleReceipt;
        job.budgetMs = 7000;
        job.outcome = kNotFinished;
        job.times.handedOver = decided - 7000;
        job.times.decided = decided;
        job.action = FileAction::MarkedNo;
        job.open = true;
        job.receiptKey = key;
        return job;
    }

    // The register's F_SEMAFOR rows: F_RBR and TIPKNJIZENJA.
    void semafor(const std::vector<std::pair<long long, int>>& rows) {
        long long sum = 0;
        std::vector<AnswerRow::Columns> columns;
        for (const auto& row : rows) {
            sum += row.first;
            columns.push_back(
                {{"F_RBR", std::to_string(row.first)}, {"TIPKNJIZENJA", std::to_string(row.second)}});
        }
        db.sql.answersTo["count(*) as N"] = AnswerRow::withRow(
            {{"N", std::to_string(rows.size())}, {"S", rows.empty() ? "" : std::to_string(sum)}});
        db.sql.answersTo["select F_RBR, TIPKNJIZENJA"] = AnswerRow::withRows(columns);
    }
    // F_LOG_RACUN's F_FISK_BROJ values of a job number, as read.
    void logged(int number, const std::vector<std::string>& values) {
        std::vector<AnswerRow::Columns> rows;
        for (const std::string& value : values) rows.push_back({{"F_FISK_BROJ", value}});
        db.sql.answersTo[statement::loggedFiscalNumbers(db.state.postavke, number)] =
            AnswerRow::withRows(rows);
    }
    int statementsWith(const std::string& text) const {
        return int(
            std::count_if(db.sql.statements.begin(), db.sql.statements.end(),
                          [&](const std::string& sql) { return sql.find(text) != std::string::npos; }));
    }
    // The notices about that job, without the watchdog's.
    std::vector<std::string> noticesOf(int number) const {
        std::vector<std::string> texts;
        for (const auto& notice : db.ui.notices)
            if (notice.text.rfind("Posao " + std::to_string(number) + " ", 0) == 0)
                texts.push_back(notice.text);
        return texts;
    }
    std::vector<int> openNumbers() {
        std::vector<int> numbers;
        const auto open = late.openJobs(1);
        for (const JobEntry& job : *open) numbers.push_back(job.number);
        return numbers;
    }

    RecordingDatabase db;
    KeptJournal journal;
    LateOutcomes late{db.context, &journal};
    const std::int64_t now = nowEpochMs();
};

TEST_F(LateOutcomesTest, JobsWhoseRowIsGoneOrNegatedAreSettledTheOthersStayOpen) {
    journal.kept = {openJob(57, now), openJob(58, now), openJob(59, now)};
    semafor({{57, kPriceChanges}, {-58, kSaleReceipt}, {59, kSaleReceipt}});  // 57's row of another type
    logged(57, {"1001"});
    EXPECT_TRUE(late.endOfScan(now + 1000));

    EXPECT_EQ(openNumbers(), std::vector<int>{59});
    ASSERT_EQ(journal.settled.size(), 2u);
    const JobEntry& printed = journal.settled[0];
    EXPECT_EQ(printed.number, 57);
    EXPECT_EQ(printed.late, LateOutcome::Printed);
    EXPECT_EQ(printed.lateMs, now + 1000);
    EXPECT_FALSE(printed.open);
    EXPECT_EQ(printed.fiscalNumbers, Numbers{1001});
    EXPECT_EQ(journal.settled[1].number, 58);
    EXPECT_EQ(journal.settled[1].late, LateOutcome::Failed);
    EXPECT_EQ(noticesOf(57), std::vector<std::string>{
                                 "Posao 57 (fajl r57.inp) je PARTNER ipak odstampao, nakon isteka vremena "
                                 "cekanja (fajl: No).\r\nNe saljite ga ponovo! Fiskalni broj: 1001."});
    EXPECT_EQ(noticesOf(58), std::vector<std::string>{"Posao 58 (fajl r58.inp): PARTNER je nakon isteka "
                                                      "vremena cekanja javio gresku; posao nije odstampan."});
}

TEST_F(LateOutcomesTest, AJobWhoseRowStaysADayIsClosedAsUnknownAndThePartnerStillStalled) {
    journal.kept = {openJob(57, now)};
    semafor({{57, kSaleReceipt}});
    late.endOfScan(now + LateOutcomes::kOpenAtMostMs - 1);
    EXPECT_EQ(late.openCount(), 1);
    EXPECT_TRUE(late.watchdog().stalled());  // open for more than minutes

    late.endOfScan(now + LateOutcomes::kOpenAtMostMs);
    EXPECT_EQ(late.openCount(), 0);
    ASSERT_EQ(journal.settled.size(), 1u);
    EXPECT_EQ(journal.settled[0].late, LateOutcome::Unknown);
    EXPECT_EQ(statementsWith("F_LOG_RACUN"), 0);
    EXPECT_TRUE(noticesOf(57).empty());
    EXPECT_TRUE(late.watchdog().stalled());
}

TEST_F(LateOutcomesTest, TheRowsAreReadAgainOnlyWhenTheirCountOrSumChanged) {
    journal.kept = {openJob(57, now), openJob(58, now)};
    semafor({{57, kSaleReceipt}, {58, kSaleReceipt}});
    late.endOfScan(now);
    late.endOfScan(now + 1);
    EXPECT_EQ(statementsWith("select F_RBR, TIPKNJIZENJA"), 1);

    semafor({{-57, kSaleReceipt}, {58, kSaleReceipt}});
    late.endOfScan(now + 2);
    late.endOfScan(now + 3);
    EXPECT_EQ(statementsWith("select F_RBR, TIPKNJIZENJA"), 2);
    EXPECT_EQ(openNumbers(), std::vector<int>{58});

    semafor({});
    late.endOfScan(now + 4);
    EXPECT_EQ(late.openCount(), 0);
    const auto statements = db.sql.statements.size();
    late.endOfScan(now + 5);  // nothing open: nothing to look at
    EXPECT_EQ(db.sql.statements.size(), statements);
}

TEST_F(LateOutcomesTest, AFailedLookLeavesTheJobsOpenToBeLookedAtAgain) {
    journal.kept = {openJob(57, now)};
    semafor({{57, kSaleReceipt}});
    late.endOfScan(now);
    semafor({});
    for (const char* failing : {"count(*)", "select F_RBR, TIPKNJIZENJA"}) {
        db.sql.failsOn = failing;
        late.endOfScan(now);
        EXPECT_EQ(late.openCount(), 1) << failing;
    }
    db.state.BazaOtvorena = false;
    db.sql.statements.clear();
    EXPECT_FALSE(late.endOfScan(now));
    EXPECT_TRUE(db.sql.statements.empty());

    // Settled though its fiscal numbers cannot be read.
    db.state.BazaOtvorena = true;
    db.sql.failsOn = "F_LOG_RACUN";
    EXPECT_TRUE(late.endOfScan(now));
    ASSERT_EQ(journal.settled.size(), 1u);
    EXPECT_EQ(journal.settled[0].late, LateOutcome::Printed);
    EXPECT_TRUE(journal.settled[0].fiscalNumbers.empty());
    EXPECT_FALSE(journal.settled[0].fiscalNumbersUnknown);
    ASSERT_EQ(noticesOf(57).size(), 1u);
    EXPECT_EQ(noticesOf(57)[0].find("Fiskalni broj"), std::string::npos);
}

TEST_F(LateOutcomesTest, LoggedFiscalNumbersLeaveOutThoseOfBeforeAndRepeats) {
    logged(57, {"1000", "1001", "1001", "1002"});
    EXPECT_EQ(loggedFiscalNumbers(db.context, 57), (Numbers{1000, 1001, 1002}));
    EXPECT_EQ(loggedFiscalNumbers(db.context, 57, {1000}), (Numbers{1001, 1002}));
    EXPECT_EQ(loggedFiscalNumbers(db.context, 58), Numbers{});
    db.sql.failsOn = "F_LOG_RACUN";
    EXPECT_FALSE(loggedFiscalNumbers(db.context, 57));
}

TEST_F(LateOutcomesTest, AJobPrintedTwiceIsToldSoOnce) {
    semafor({{58, kSaleReceipt}, {59, kSaleReceipt}, {60, kSaleReceipt}});
    JobEntry done = openJob(57, now);
    done.outcome = kDone;
    done.open = false;
    logged(57, {"1001", "1002"});
    const JobEntry ended = late.jobEnded(done);
    EXPECT_TRUE(ended.printedTwice);
    EXPECT_EQ(ended.fiscalNumbers, (Numbers{1001, 1002}));
    EXPECT_EQ(noticesOf(57),
              std::vector<std::string>{
                  "Posao 57 (fajl r57.inp) je odstampan DVA PUTA: fiskalni brojevi 1001, 1002."});

    // Flagged at its end: its late outcome does not tell it again.
    logged(58, {"2001", "2002"});
    late.jobEnded(openJob(58, now));
    // One number at its end, a second by its late outcome.
    logged(59, {"3001"});
    late.jobEnded(openJob(59, now));
    // The number of before is another job's.
    JobEntry reused = openJob(60, now);
    reused.fiscalBefore = {4000};
    logged(60, {"4000", "4001"});
    late.jobEnded(reused);
    EXPECT_EQ(noticesOf(58).size(), 1u);
    EXPECT_TRUE(noticesOf(59).empty());
    EXPECT_TRUE(noticesOf(60).empty());

    logged(59, {"3001", "3002"});
    semafor({});
    late.endOfScan(now);
    ASSERT_EQ(noticesOf(58).size(), 2u);
    EXPECT_EQ(noticesOf(58)[1].find("DVA PUTA"), std::string::npos);
    ASSERT_EQ(noticesOf(59).size(), 1u);
    const std::string twice = noticesOf(59)[0];
    EXPECT_EQ(twice.substr(twice.find("Fiskalni")), "Fiskalni broj: 3001, 3002.\r\nOdstampan je DVA PUTA.");
    ASSERT_EQ(journal.settled.size(), 3u);
    EXPECT_TRUE(journal.settled[1].printedTwice);
    EXPECT_FALSE(journal.settled[2].printedTwice);
    EXPECT_EQ(journal.settled[2].fiscalNumbers, Numbers{4001});
}

TEST_F(LateOutcomesTest, AnUnreadableFiscalNumberIsToldAsUnknown) {
    journal.kept = {openJob(57, now)};
    semafor({});
    logged(57, {"1001", "x"});
    late.endOfScan(now);
    ASSERT_EQ(journal.settled.size(), 1u);
    EXPECT_TRUE(journal.settled[0].fiscalNumbersUnknown);
    EXPECT_TRUE(journal.settled[0].fiscalNumbers.empty());
    ASSERT_EQ(noticesOf(57).size(), 1u);
    EXPECT_NE(noticesOf(57)[0].find("Fiskalni broj: nepoznat."), std::string::npos);
}

TEST_F(LateOutcomesTest, AnOpenReceiptIsFoundByItsKeyAfterAFreshLook) {
    journal.kept = {openJob(57, now, "k57"), openJob(58, now, "k58")};
    semafor({{57, kSaleReceipt}, {58, kSaleReceipt}});
    const JobEntry* found = late.openReceipt("k58", now);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->number, 58);
    EXPECT_FALSE(late.openReceipt("", now));
    EXPECT_FALSE(late.openReceipt("k59", now));
    EXPECT_EQ(statementsWith("F_REKL_BROJ"), 0);  // every row is of a job with a key

    semafor({{57, kSaleReceipt}});
    EXPECT_FALSE(late.openReceipt("k58", now));
    EXPECT_EQ(journal.settled.size(), 1u);
}

TEST_F(LateOutcomesTest, AReceiptTheJournalCannotTellIsFoundByTheKeyOfItsRows) {
    journal.kept = {openJob(57, now)};  // without a key
    semafor({{57, kSaleReceipt}, {60, kSaleReceipt}, {-61, kSaleReceipt}, {62, kPriceChanges}});
    const Postavke& p = db.state.postavke;
    const auto rowsOf = [&](int number, const std::string& memo) {
        db.sql.answersTo[statement::semaforKeyRow(p, number, kSaleReceipt)] =
            AnswerRow::withRow({{"F_REKL_BROJ", "0"}, {"MEMO", memo}});
        db.sql.answersTo[statement::racunKeyRows(p, number, kSaleReceipt)] =
            AnswerRow::withRows({{{"F_NAZIV_ROBE", "Hljeb"},
                                  {"F_CIJENA_ROBE", "0.9"},
                                  {"F_KOLICINA", "2"},
                                  {"F_SIFRA_GRUPA", "1"},
                                  {"F_SIFRA_POR_STOPE", "2"}},
                                 {{"F_NAZIV_ROBE", "Mlijeko"},
                                  {"F_CIJENA_ROBE", "1.5"},
                                  {"F_KOLICINA", "1"},
                                  {"F_SIFRA_GRUPA", "1"},
                                  {"F_SIFRA_POR_STOPE", "2"}}});
        db.sql.answersTo[statement::placanjeKeyRows(p, number, kSaleReceipt)] =
            AnswerRow::withRow({{"F_NACIN_PLACANJA", "1"}, {"F_UPLACENO", "3.3"}});
        ReceiptKey key(kSaleReceipt, 0, memo);
        key.item("Mlijeko", 1.5, 1, 1, 2);
        key.item("Hljeb", 0.9, 2, 1, 2);
        key.payment(1, 3.3);
        return key.text();
    };
    const std::string key57 = rowsOf(57, "Hvala");
    const std::string key60 = rowsOf(60, "");

    db.sql.failsOn = "F_PLACANJE";  // its rows cannot be read: not known yet
    EXPECT_FALSE(late.openReceipt(key60, now));
    db.sql.failsOn.clear();
    const JobEntry* found = late.openReceipt(key60, now);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->number, 60);
    EXPECT_EQ(found->fileName, "nepoznat");
    found = late.openReceipt(key57, now);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->number, 57);
    EXPECT_EQ(found->fileName, "r57.inp");

    // Keys are read once per row; error rows and price changes have none.
    const int keyReads = statementsWith("F_REKL_BROJ");
    EXPECT_TRUE(late.openReceipt(key60, now));
    EXPECT_EQ(statementsWith("F_REKL_BROJ"), keyReads);
    EXPECT_EQ(statementsWith("F_RBR=-61"), 0);
    EXPECT_EQ(statementsWith("F_RBR=62"), 0);
}

TEST_F(LateOutcomesTest, TwoJobsLeftUnfinishedStallThePartnerUntilALateOutcome) {
    semafor({{57, kSaleReceipt}, {58, kSaleReceipt}});
    late.jobEnded(openJob(57, now));
    EXPECT_FALSE(late.watchdog().stalled());
    late.jobEnded(openJob(58, now + 1000));
    EXPECT_TRUE(late.watchdog().stalled());
    ASSERT_EQ(db.ui.notices.size(), 1u);
    EXPECT_NE(db.ui.notices[0].text.find("Poslova koji cekaju PARTNER: 2."), std::string::npos);

    semafor({{58, kSaleReceipt}});
    late.endOfScan(now + 2000);
    EXPECT_FALSE(late.watchdog().stalled());
    EXPECT_EQ(db.ui.notices.back().text.rfind("PARTNER ponovo preuzima poslove", 0), 0u);

    // 58 was decided before the PARTNER worked again; a job decided after that counts.
    const std::int64_t later = now + 3000;
    late.endOfScan(later + PartnerWatchdog::kOpenTooLongMs);
    EXPECT_FALSE(late.watchdog().stalled());
    semafor({{58, kSaleReceipt}, {59, kSaleReceipt}});
    late.jobEnded(openJob(59, later));
    late.endOfScan(later + PartnerWatchdog::kOpenTooLongMs);
    EXPECT_TRUE(late.watchdog().stalled());
    EXPECT_EQ(late.watchdog().stalledSinceMs(), later);
}

TEST_F(LateOutcomesTest, TheJournalsOpenJobsAreReadOnceItCanTellBeforeThoseEndedMeanwhile) {
    journal.kept.reset();
    JobEntry again = openJob(60, now);
    again.action = FileAction::None;
    late.jobEnded(again);
    EXPECT_EQ(openNumbers(), std::vector<int>{60});

    JobEntry before = openJob(60, now - 5000);
    journal.kept = {openJob(57, now - 9000), before};
    EXPECT_EQ(openNumbers(), (std::vector<int>{57, 60}));
    EXPECT_EQ(late.openJobs(1)->back().times.decided, now);  // the one ended again
    EXPECT_EQ(late.openJobs(2)->size(), 0u);

    JobEntry marked = again;
    marked.action = FileAction::MarkedNo;
    marked.times.marked = now + 10;
    late.jobMarked(marked);
    EXPECT_EQ(late.openJobs(1)->back().action, FileAction::MarkedNo);
    EXPECT_EQ(late.openJobs(1)->back().times.marked, now + 10);

    // Decided again after a crash, no longer open.
    JobEntry decided = openJob(57, now + 20);
    decided.outcome = kDone;
    decided.open = false;
    late.jobEnded(decided);
    EXPECT_EQ(openNumbers(), std::vector<int>{60});
}

}  // namespace
}  // namespace fm::test

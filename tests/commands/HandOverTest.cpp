// The hand-over's F_PREDAJA statements and the decision after a crash, without an engine.
#include <gtest/gtest.h>

#include "commands/HandOver.h"
#include "db/JobCodes.h"
#include "tests/db/RecordingSql.h"

namespace fm::test {
namespace {

using Texts = std::vector<std::string>;

TEST(HandOver, TheTracedHandOverReplacesTheRowOfItsNumber) {
    RecordingDatabase db;
    ASSERT_TRUE(beginTracedHandOver(db.context, 57, kSaleReceipt, 13600));
    EXPECT_EQ(db.sql.statements, (Texts{"delete from F_PREDAJA where F_ID_KASE=1 and F_RBR=57",
                                        "insert into F_PREDAJA (F_ID_KASE,F_RBR,TIPKNJIZENJA,CEKANJE) values "
                                        "(1,57,0,13600)"}));

    // A table that cannot be used: made once, tried again, then the hand-over goes alone.
    db.sql.statements.clear();
    db.sql.failing = true;
    EXPECT_FALSE(beginTracedHandOver(db.context, 57, kSaleReceipt, 13600));
    ASSERT_EQ(db.sql.statements.size(), 3u);
    EXPECT_EQ(db.sql.statements[1].rfind("CREATE TABLE F_PREDAJA (F_ID_KASE ", 0), 0u)
        << db.sql.statements[1];
    EXPECT_EQ(db.sql.statements[2], db.sql.statements[0]);
}

TEST(HandOver, AJobAtItsRowsWasHandedOverWhenItsRowIsThere) {
    RecordingDatabase db;
    JobInFlight job;
    job.number = 57;
    db.sql.answers = {AnswerRow::withRow({{"TIPKNJIZENJA", "1"}, {"CEKANJE", "9000"}})};
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::Committed);
    EXPECT_EQ(db.sql.statements,
              Texts{"select TIPKNJIZENJA, CEKANJE from F_PREDAJA where F_ID_KASE=1 and F_RBR=57"});
    EXPECT_EQ(job.bookingType, kReferringReceipt);
    EXPECT_EQ(job.budget, 9000);

    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::NotCommitted);  // no row
    db.sql.failing = true;  // a table that cannot be read took no row
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::NotCommitted);
    db.sql.failure = sql::Failure::ConnectionLost;  // a connection lost on the way: nothing is known
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::Unknown);
    db.sql.failure = sql::Failure::Other;
    db.state.BazaOtvorena = false;  // while the database does not answer nothing is known
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::Unknown);
}

TEST(HandOver, WithoutItsRowThePartnersTracesDecide) {
    RecordingDatabase db;
    JobInFlight job;
    job.number = 57;
    job.stage = JobStage::HandingOver;
    db.sql.answers = {AnswerRow::withRow()};  // the job's F_SEMAFOR row
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::Committed);

    // Gone from F_SEMAFOR: a receipt whose rows are still there never reached the PARTNER.
    db.sql.answers = {AnswerRow{}, AnswerRow{}, AnswerRow::withRow({{"br", "2"}}),
                      AnswerRow::withRow({{"br", "1"}})};
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::NotCommitted);
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::Committed);  // nothing left: done
    job.bookingType = kPriceChanges;
    db.sql.statements.clear();
    EXPECT_EQ(interruptedHandOver(db.context, job), HandOverState::Committed);
    EXPECT_EQ(db.sql.statements.size(), 2u);  // no rows of a receipt to count
}

}  // namespace
}  // namespace fm::test

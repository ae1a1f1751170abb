// The writers' statements exactly as they go to the database, without an engine.
#include <gtest/gtest.h>

#include "db/JobCodes.h"
#include "tests/db/RecordingSql.h"

namespace fm::test {
namespace {

using Texts = std::vector<std::string>;

TEST(Statements, RowsOfAReceiptAndItsSemaphore) {
    RecordingDatabase db;
    ASSERT_TRUE(UpisiStavkuRacuna(db.context, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.5, 2));
    ASSERT_TRUE(UpisiPlacanje(db.context, 57, 1, 0, 3));
    ASSERT_TRUE(UpisiSemafor(db.context, 57, 0, 0, 0, 0, 1, ""));
    EXPECT_EQ(
        db.sql.statements,
        (Texts{
            "insert into F_RACUN  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_STORNO_STAVKA,F_SIFRA_ROBE,F_SIFRA_GRUPA,"
            "F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KOLICINA) values ( 1,57, 1, 0, 12, "
            "3, '', 'KAFA', 2, 1.5,2) ",
            "insert into F_PLACANJE  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_NACIN_PLACANJA,F_UPLACENO) values ( "
            "1,57, 1, 0, 3) ",
            "insert into F_SEMAFOR  (F_ID_KASE,F_RBR,TIPKNJIZENJA,PRINTMEMO,PRINTRACUN,F_SIFRA_KUPCA,"
            "F_REKL_BROJ,MEMO) values ( 1,57, 0, 0, 1, 0, 0,'')"}));

    db.state.postavke.K71B3 = 0;
    EXPECT_EQ(
        statement::racunInsert(db.state.postavke, 57, 0, 0, 12, 3, 2, "", "O'NEIL", 1.5, 2),
        "insert into F_RACUN  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_STORNO_STAVKA,F_SIFRA_ROBE,F_SIFRA_GRUPA,"
        "F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KOLICINA) values ( '1','57', '1', '0', "
        "'12', '3', '', 'O''NEIL', '2', '1.5','2') ");
}

TEST(Statements, ArticlesAndPriceChanges) {
    RecordingDatabase db;
    ASSERT_TRUE(UpisiNivelaciju(db.context, 57, 12, 3, 2, " ", "KAFA", 1.6));
    EXPECT_EQ(db.sql.statements,
              (Texts{" Insert into F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,"
                     "F_NAZIV_ROBE,F_CIJENA_ROBE) Values (1,12, 3, 2, ' ', 'KAFA', 1.6)",
                     " Insert into F_NIVELACIJA(F_ID_KASE,F_RBR,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,"
                     "F_BAR_CODE,F_NAZIV_ROBE,F_CIJENA_ROBE) Values (1,57, 12, 3, 2, ' ', 'KAFA', 1.6)"}));
    EXPECT_EQ(statement::nivelacijaRoba(db.state.postavke, true, 12, 3, 2, " ", "KAFA", 1.6),
              "Update F_ROBA SET F_SIFRA_GRUPA=3, F_SIFRA_POR_STOPE=2, F_BAR_CODE=' ', F_NAZIV_ROBE='KAFA', "
              "F_CIJENA_ROBE=1.6 Where F_ID_KASE=1 AND F_SIFRA_ROBE=12");
    EXPECT_EQ(-1, NadjiSifruPoBarKodu(db.context, " 3871234567890 "));
    EXPECT_EQ(db.sql.statements.back(),
              " SELECT F_SIFRA_ROBE FROM F_ROBA  WHERE  F_ID_KASE=1 and F_BAR_CODE='3871234567890'");
}

// "No article has it" and "the look-up failed" are different results.
TEST(Statements, AnArticleLookUpTellsNotFoundFromFailed) {
    RecordingDatabase db;
    db.sql.answers = {AnswerRow::withRow({{"F_SIFRA_ROBE", "12"}}), AnswerRow{}};
    EXPECT_EQ(*articleByBarCode(db.context, "3871234567890"), std::optional<int>(12));
    EXPECT_EQ(*articleByBarCode(db.context, "3871234567890"), std::optional<int>());
    db.sql.failing = true;
    const auto failed = articleByBarCode(db.context, "3871234567890");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().text, "veza prekinuta");
    EXPECT_EQ(-1, NadjiSifruPoBarKodu(db.context, "3871234567890"));
}

// Row booking type 2 for command types 20 and 21; F_SEMAFOR keeps the command's own.
TEST(Statements, CleanUpsAndCountsOfAJob) {
    RecordingDatabase db;
    db.sql.answers = {AnswerRow::withRow({{"br", "3"}})};
    EXPECT_EQ(3, BrojStavkiRacuna(db.context, 57, 21));
    EXPECT_EQ(0, BrojPlacanja(db.context, 57, 20));
    EXPECT_TRUE(ObrisiStavkeRacuna(db.context, 57, 20));
    EXPECT_TRUE(ObrisiPlacanja(db.context, 57, 0));
    EXPECT_TRUE(ObrisiSemafor(db.context, 57, 20));
    EXPECT_EQ(
        db.sql.statements,
        (Texts{" Select count(*) as br from f_racun Where F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=2",
               " Select count(*) as br from f_placanje Where F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=2",
               "DELETE FROM F_RACUN WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=2",
               "DELETE FROM F_PLACANJE WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=1",
               "delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=20"}));

    // A clean-up that fails is kept for later; the semaphore's is shown, then a pause.
    db.sql.failing = true;
    EXPECT_FALSE(ObrisiSemafor(db.context, 57, 0));
    EXPECT_EQ(db.sql.laterCleanUps,
              Texts{"delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=0"});
    ASSERT_EQ(db.ui.notices.size(), 1u);
    EXPECT_EQ(db.ui.notices[0].text, " Greska SQL upita pri azuriranju semafora! \r\nveza prekinuta");
    EXPECT_EQ(db.ui.pauses, std::vector<int>{1000});
    EXPECT_EQ(kSemaforUnreadable, ProvjeriSemafor(db.context, 57, 0));
}

TEST(Statements, ClosedDatabaseGatesSendNothing) {
    RecordingDatabase db;
    db.state.BazaOtvorena = false;
    EXPECT_FALSE(ObrisiPlacanja(db.context, 57, 0));
    EXPECT_FALSE(ObrisiStavkeRacuna(db.context, 57, 0));
    EXPECT_FALSE(ObrisiSemafor(db.context, 57, 0));
    EXPECT_EQ(-1, BrojStavkiRacuna(db.context, 57, 0));
    EXPECT_EQ(-1, BrojPlacanja(db.context, 57, 0));
    EXPECT_TRUE(db.sql.statements.empty());
    EXPECT_TRUE(db.sql.laterCleanUps.empty());
    EXPECT_TRUE(db.ui.notices.empty());
}

TEST(Statements, TheSemaphoreAnswers) {
    RecordingDatabase db;
    db.sql.answers = {AnswerRow::withRow()};
    EXPECT_EQ(kNotFinished, ProvjeriSemafor(db.context, 57, 0));
    db.sql.answers = {AnswerRow{}, AnswerRow::withRow()};
    EXPECT_EQ(kPartnerError, ProvjeriSemafor(db.context, 57, 0));
    db.sql.statements.clear();
    EXPECT_EQ(kDone, ProvjeriSemafor(db.context, 57, 0));
    EXPECT_EQ(db.sql.statements,
              (Texts{" Select * from F_SEMAFOR Where F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=0",
                     " Select * from F_SEMAFOR Where F_ID_KASE=1 and F_RBR=-57 and TIPKNJIZENJA=0"}));
}

TEST(Statements, TheJobRowCondition) {
    Postavke p;
    setOneTill(p);
    p.FID_RACUNA = 3;
    EXPECT_EQ(jobRowCondition(p, " Where ", "AND", 57, 1),
              " Where F_ID_KASE=3 AND F_RBR=57 AND TIPKNJIZENJA=1");
    EXPECT_EQ(jobRowCondition(p, " where ", "and", 2147483647), " where F_ID_KASE=3 and F_RBR=2147483647");
    p.K71B3 = 0;
    EXPECT_EQ(jobRowCondition(p, " WHERE ", "and", -57, 20),
              " WHERE F_ID_KASE='3' and F_RBR='-57' and TIPKNJIZENJA='20'");
}

}  // namespace
}  // namespace fm::test

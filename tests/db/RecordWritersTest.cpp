#include "db/RecordWriters.h"
#include "tests/db/DbFixture.h"

namespace fm::test {
namespace {

class RecordWriters : public DbFixture {
  protected:
    void SetUp() override { connect(); }

    std::vector<std::string> racunRows() {
        return DbFixture::rows("select * from F_RACUN order by F_RBR, F_SIFRA_ROBE",
                               {"F_ID_KASE", "F_RBR", "TIPKNJIZENJA", "F_SIFRA_ROBE", "F_NAZIV_ROBE"});
    }
    int count(const std::string& table) {
        EXPECT_TRUE(dm->sqlopen4("select count(*) as n from " + table)) << dm->ZadnjaGreska();
        return int(dm->up4().integer("n"));
    }
};

TEST_F(RecordWriters, ReceiptItemPaymentAndSemaphoreStatements) {
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.5, 2)) << dm->ZadnjaGreska();
    EXPECT_EQ(
        "insert into F_RACUN  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_STORNO_STAVKA,F_SIFRA_ROBE,F_SIFRA_GRUPA,"
        "F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KOLICINA) values ( 1,57, 1, 0, 12, 3, '', "
        "'KAFA', 2, 1.5,2) ",
        dm->up().sql());
    ASSERT_TRUE(UpisiPlacanje(*dm, 57, 1, 0, 3)) << dm->ZadnjaGreska();
    EXPECT_EQ(
        "insert into F_PLACANJE  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_NACIN_PLACANJA,F_UPLACENO) values ( 1,57, "
        "1, 0, "
        "3) ",
        dm->up().sql());
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 0, 0, 0, 0, 1, "")) << dm->ZadnjaGreska();
    EXPECT_EQ(
        "insert into F_SEMAFOR  (F_ID_KASE,F_RBR,TIPKNJIZENJA,PRINTMEMO,PRINTRACUN,F_SIFRA_KUPCA,F_REKL_BROJ,"
        "MEMO) values ( 1,57, 0, 0, 1, 0, 0,'')",
        dm->up().sql());
    // The text sent is the text built, one statement per writer.
    ASSERT_EQ(3u, statements.size());
    EXPECT_EQ(dm->up().sql(), statements[2]);

    EXPECT_EQ(std::vector<std::string>{"1/57/1/12/KAFA"}, racunRows());
    EXPECT_EQ(std::vector<std::string>{"3"}, rows("select F_UPLACENO from F_PLACANJE", {"F_UPLACENO"}));
    EXPECT_EQ(std::vector<std::string>{"1/0"},
              rows("select * from F_SEMAFOR", {"PRINTRACUN", "TIPKNJIZENJA"}));
}

TEST_F(RecordWriters, NumbersQuotedUnlessK71B3IsOne) {
    state.postavke.K71B3 = 0;
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "O'NEIL", 1.5, 2)) << dm->ZadnjaGreska();
    EXPECT_EQ(
        "insert into F_RACUN  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_STORNO_STAVKA,F_SIFRA_ROBE,F_SIFRA_GRUPA,"
        "F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KOLICINA) values ( '1','57', '1', '0', "
        "'12', "
        "'3', '', 'O''NEIL', '2', '1.5','2') ",
        dm->up().sql());
    state.postavke.K71B3 = 2;
    ASSERT_TRUE(UpisiPlacanje(*dm, 57, 0, 0, 0.00005)) << dm->ZadnjaGreska();
    EXPECT_EQ(
        "insert into F_PLACANJE  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_NACIN_PLACANJA,F_UPLACENO) values ( "
        "'1','57', "
        "'1', '0', '5E-5') ",
        dm->up().sql());
    // The engine takes the quoted numbers into its float columns.
    EXPECT_EQ(std::vector<std::string>{"1/57/1/12/O'NEIL"}, racunRows());
    EXPECT_EQ(std::vector<std::string>{"5E-5"}, rows("select F_UPLACENO from F_PLACANJE", {"F_UPLACENO"}));
}

TEST_F(RecordWriters, BookingTypes20And21GiveRowType2OnItemsAndPayments) {
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 20, 0, 12, 3, 2, "", "KAFA", 1.5, 2));
    ASSERT_TRUE(UpisiPlacanje(*dm, 57, 21, 0, 3));
    EXPECT_NE(std::string::npos, dm->up().sql().find("values ( 1,57, 2, 0, 3) "));
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 20, 0, 0, 0, 1, ""));
    EXPECT_NE(std::string::npos, dm->up().sql().find("values ( 1,57, 20, 0,"));

    EXPECT_EQ(1, BrojStavkiRacuna(*dm, 57, 21));
    EXPECT_EQ(" Select count(*) as br from f_racun Where F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=2",
              dm->up3().sql());
    EXPECT_EQ(0, BrojStavkiRacuna(*dm, 57, 0));
    EXPECT_EQ(1, BrojPlacanja(*dm, 57, 20));
    EXPECT_EQ(" Select count(*) as br from f_placanje Where F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=2",
              dm->up3().sql());

    ASSERT_TRUE(ObrisiStavkeRacuna(*dm, 57, 20));
    EXPECT_EQ("DELETE FROM F_RACUN WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=2", dm->up().sql());
    ASSERT_TRUE(ObrisiPlacanja(*dm, 57, 21));
    EXPECT_EQ("DELETE FROM F_PLACANJE WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=2", dm->up().sql());
    ASSERT_TRUE(ObrisiSemafor(*dm, 57, 20));
    EXPECT_EQ("delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=20", dm->up().sql());
    EXPECT_EQ(0, count("F_RACUN"));
    EXPECT_EQ(0, count("F_PLACANJE"));
    EXPECT_EQ(0, count("F_SEMAFOR"));
}

TEST_F(RecordWriters, DeletesRemoveOnlyTheJobsRows) {
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.5, 2));
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 58, 0, 0, 13, 3, 2, "", "CAJ", 1, 1));
    ASSERT_TRUE(UpisiPlacanje(*dm, 57, 0, 0, 3));
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 0, 0, 0, 0, 1, ""));
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 4, 0, 0, 0, 1, ""));

    ASSERT_TRUE(ObrisiPlacanja(*dm, 57, 0));
    EXPECT_EQ("DELETE FROM F_PLACANJE WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=1", dm->up().sql());
    ASSERT_TRUE(ObrisiStavkeRacuna(*dm, 57, 0));
    EXPECT_EQ("DELETE FROM F_RACUN WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=1", dm->up().sql());
    ASSERT_TRUE(ObrisiSemafor(*dm, 57, 0));
    EXPECT_EQ("delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=0", dm->up().sql());

    EXPECT_EQ(std::vector<std::string>{"1/58/1/13/CAJ"}, racunRows());
    EXPECT_EQ(0, count("F_PLACANJE"));
    EXPECT_EQ(std::vector<std::string>{"4"}, rows("select TIPKNJIZENJA from F_SEMAFOR", {"TIPKNJIZENJA"}));
    EXPECT_TRUE(ui.notices.empty());
}

TEST_F(RecordWriters, SemaphoreCheckLooksForTheJobThenItsNegatedNumber) {
    EXPECT_EQ(0, ProvjeriSemafor(*dm, 57, 0));
    EXPECT_EQ((std::vector<std::string>{
                  " Select * from F_SEMAFOR Where F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=0",
                  " Select * from F_SEMAFOR Where F_ID_KASE=1 and F_RBR=-57 and TIPKNJIZENJA=0"}),
              statements);

    ASSERT_TRUE(UpisiSemafor(*dm, 57, 0, 0, 0, 0, 1, ""));
    statements.clear();
    EXPECT_EQ(-2, ProvjeriSemafor(*dm, 57, 0));
    EXPECT_EQ(1u, statements.size());

    ASSERT_TRUE(dm->sqlexec("update F_SEMAFOR set F_RBR=-57"));
    EXPECT_EQ(-3, ProvjeriSemafor(*dm, 57, 0));
    EXPECT_EQ(0, ProvjeriSemafor(*dm, 57, 1));
}

TEST_F(RecordWriters, ArticleInsertAndItsFailure) {
    ASSERT_TRUE(UpisiRobu(*dm, 13, 3, 2, "", "KAFA", "A-17", 1.5)) << dm->ZadnjaGreska();
    EXPECT_EQ(
        " Insert into F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,F_NAZIV_ROBE,"
        "F_CIJENA_ROBE,F_KNJIG_SIFRA) Values (1,13, 3, 2, '', 'KAFA', 1.5,'A-17')",
        dm->up().sql());
    EXPECT_EQ(13, NadjiSifruPoKnjigSifri(*dm, "A-17"));

    EXPECT_FALSE(UpisiRobu(*dm, 13, 3, 2, "", "CAJ", "A-18", 1));
    EXPECT_NE("", dm->ZadnjaGreska());
    EXPECT_EQ(-1, NadjiSifruPoKnjigSifri(*dm, "A-18"));
}

TEST_F(RecordWriters, PriceChangeUpdatesAnExistingArticleAndLogsTheChange) {
    ASSERT_TRUE(UpisiRobu(*dm, 12, 1, 1, "", "KAFA", "A-12", 1.5));
    ASSERT_EQ(12, NadjiSifruPoKnjigSifri(*dm, "A-12"));  // a look-up by code first
    statements.clear();

    ASSERT_TRUE(UpisiNivelaciju(*dm, 57, 12, 3, 2, " ", "KAFA", 1.6)) << dm->ZadnjaGreska();
    const std::vector<std::string> sent = {
        "Update F_ROBA SET F_SIFRA_GRUPA=3, F_SIFRA_POR_STOPE=2, F_BAR_CODE=' ', F_NAZIV_ROBE='KAFA', "
        "F_CIJENA_ROBE=1.6 Where F_ID_KASE=1 AND F_SIFRA_ROBE=12",
        " Insert into F_NIVELACIJA(F_ID_KASE,F_RBR,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,"
        "F_NAZIV_ROBE,F_CIJENA_ROBE) Values (1,57, 12, 3, 2, ' ', 'KAFA', 1.6)"};
    for (const std::string& statement : sent)
        EXPECT_NE(statements.end(), std::find(statements.begin(), statements.end(), statement)) << statement;
    EXPECT_EQ(std::vector<std::string>{"1.6/3/A-12"},
              rows("select * from F_ROBA", {"F_CIJENA_ROBE", "F_SIFRA_GRUPA", "F_KNJIG_SIFRA"}));
    EXPECT_EQ(std::vector<std::string>{"57"}, rows("select F_RBR from F_NIVELACIJA", {"F_RBR"}));
}

TEST_F(RecordWriters, PriceChangeInsertsAnArticleMissingUnderItsRegister) {
    state.postavke.FID_ROBA = 2;
    ASSERT_TRUE(UpisiRobu(*dm, 12, 1, 1, "", "KAFA", "A-12", 1.5));
    state.postavke.FID_ROBA = 1;

    ASSERT_TRUE(UpisiNivelaciju(*dm, 57, 12, 3, 2, " ", "KAFA", 1.6)) << dm->ZadnjaGreska();
    EXPECT_NE(
        statements.end(),
        std::find(statements.begin(), statements.end(),
                  " Insert into F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,"
                  "F_NAZIV_ROBE,F_CIJENA_ROBE) Values (1,12, 3, 2, ' ', 'KAFA', 1.6)"));
    EXPECT_EQ(
        (std::vector<std::string>{"1/1.6/", "2/1.5/A-12"}),
        rows("select * from F_ROBA order by F_ID_KASE", {"F_ID_KASE", "F_CIJENA_ROBE", "F_KNJIG_SIFRA"}));
}

TEST_F(RecordWriters, PriceChangeKeepsTheArticleWhenItsLogRowFails) {
    ASSERT_TRUE(UpisiNivelaciju(*dm, 57, 12, 3, 2, " ", "KAFA", 1.6));
    EXPECT_FALSE(UpisiNivelaciju(*dm, 57, 12, 3, 2, " ", "KAFA", 1.7));  // same log key again
    EXPECT_NE("", dm->ZadnjaGreska());
    EXPECT_EQ(std::vector<std::string>{"1.7"}, rows("select F_CIJENA_ROBE from F_ROBA", {"F_CIJENA_ROBE"}));
    EXPECT_EQ(std::vector<std::string>{"1.6"},
              rows("select F_CIJENA_ROBE from F_NIVELACIJA", {"F_CIJENA_ROBE"}));
}

TEST_F(RecordWriters, BarCodeLookUpTrimsAndUsesTheReceiptRegister) {
    state.postavke.FID_ROBA = 3;
    ASSERT_TRUE(UpisiRobu(*dm, 5, 1, 1, "3871234567890", "KAFA", "K5", 1));
    EXPECT_EQ(-1, NadjiSifruPoBarKodu(*dm, " 3871234567890 "));
    EXPECT_EQ(" SELECT F_SIFRA_ROBE FROM F_ROBA  WHERE  F_ID_KASE=1 and F_BAR_CODE='3871234567890'",
              dm->up3().sql());

    state.postavke.FID_RACUNA = 3;
    EXPECT_EQ(5, NadjiSifruPoBarKodu(*dm, "\t3871234567890 "));
    EXPECT_EQ(-1, NadjiSifruPoBarKodu(*dm, ""));
    EXPECT_EQ(" SELECT F_SIFRA_ROBE FROM F_ROBA  WHERE  F_ID_KASE=3 and F_BAR_CODE=''", dm->up3().sql());
}

TEST_F(RecordWriters, CodeLookUpSeesOnlyTheArticleRegister) {
    state.postavke.FID_ROBA = 2;
    ASSERT_TRUE(UpisiRobu(*dm, 7, 1, 1, "", "KAFA", "K7", 1));
    // The view was filtered at connect to FID_ROBA 1.
    EXPECT_EQ(-1, NadjiSifruPoKnjigSifri(*dm, "K7"));
}

class RecordWritersWithoutPartnerTables : public DbFixture {
  protected:
    RecordWritersWithoutPartnerTables() : DbFixture(FreshDatabase::PartnerTables::No) {}
};

TEST_F(RecordWritersWithoutPartnerTables, FailuresAreReportedAsValues) {
    connect();
    EXPECT_FALSE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.5, 2));
    EXPECT_EQ(0u, dm->ZadnjaGreska().rfind("Table does not exist", 0)) << dm->ZadnjaGreska();
    EXPECT_EQ(-1, BrojPlacanja(*dm, 57, 0));
    EXPECT_EQ(-1, ProvjeriSemafor(*dm, 57, 0));
    EXPECT_TRUE(ui.notices.empty());

    EXPECT_FALSE(ObrisiSemafor(*dm, 57, 0));
    ASSERT_EQ(1u, ui.notices.size());
    EXPECT_EQ("", ui.notices[0].title);
    EXPECT_EQ(" Greska SQL upita pri azuriranju semafora! \r\n" + dm->ZadnjaGreska(), ui.notices[0].text);
    EXPECT_EQ(std::vector<int>{1000}, ui.pauses);
}

}  // namespace
}  // namespace fm::test

#include "db/RecordWriters.h"
#include "tests/db/DbFixture.h"

namespace fm::test {
namespace {

class QueryHelpers : public DbFixture {
  protected:
    void SetUp() override { connect(); }
};

TEST_F(QueryHelpers, SelectWithoutRowsSucceedsAndARejectedOneKeepsTheMessage) {
    EXPECT_TRUE(dm->sqlopen3("select * from F_RACUN where F_RBR=1"));
    EXPECT_FALSE(dm->up3().hasRow());
    EXPECT_EQ("", dm->ZadnjaGreska());

    EXPECT_FALSE(dm->sqlopen3("select nothing from nowhere"));
    EXPECT_NE("", dm->ZadnjaGreska());
    EXPECT_FALSE(dm->up3().hasRow());
    EXPECT_EQ("select nothing from nowhere", dm->up3().sql());

    EXPECT_TRUE(dm->sqlopen1("select count(*) as n from F_RACUN"));
    EXPECT_EQ("", dm->ZadnjaGreska());
    EXPECT_EQ(0, dm->up1().integer("N"));
}

TEST_F(QueryHelpers, ScratchQueriesKeepTheirOwnResults) {
    ASSERT_TRUE(UpisiRobu(*dm, 1, 1, 1, "", "A", "", 1));
    ASSERT_TRUE(UpisiRobu(*dm, 2, 1, 1, "", "B", "", 2));
    ASSERT_TRUE(dm->sqlopen2("select F_NAZIV_ROBE from F_ROBA order by F_SIFRA_ROBE"));
    ASSERT_TRUE(dm->sqlopen3("select F_CIJENA_ROBE from F_ROBA where F_SIFRA_ROBE=2"));
    EXPECT_EQ("A", dm->up2().text("f_naziv_robe"));
    ASSERT_TRUE(dm->up2().next());
    EXPECT_EQ("B", dm->up2().text("F_NAZIV_ROBE"));
    EXPECT_FALSE(dm->up2().next());
    EXPECT_EQ(2.0, dm->up3().real("F_CIJENA_ROBE"));
    EXPECT_THROW(dm->up3().text("NO_SUCH_COLUMN"), std::runtime_error);
}

TEST_F(QueryHelpers, MaxOverAllRegisters) {
    EXPECT_EQ(0, dm->max("f_roba", "f_sifra_robe"));
    EXPECT_EQ("Select max(f_sifra_robe) as mx from f_roba", dm->up().sql());
    EXPECT_EQ("", dm->ZadnjaGreska());

    state.postavke.FID_ROBA = 9;
    ASSERT_TRUE(UpisiRobu(*dm, 41, 1, 1, "", "A", "", 1));
    state.postavke.FID_ROBA = 1;
    ASSERT_TRUE(UpisiRobu(*dm, 7, 1, 1, "", "B", "", 1));
    EXPECT_EQ(41, dm->max("f_roba", "f_sifra_robe"));

    EXPECT_EQ(0, dm->max("f_kupci_nema", "x"));
    EXPECT_EQ(0u, dm->ZadnjaGreska().rfind("Table does not exist", 0)) << dm->ZadnjaGreska();
}

TEST_F(QueryHelpers, SettingsTableAnswersOnlyWhileTheDatabaseIsOpen) {
    EXPECT_EQ(std::nullopt, dm->settingFromTable("TARVODBDRIVERAUTOMATICTIMER"));  // no such table
    EXPECT_EQ("select * from settings where NAZIV ='TARVODBDRIVERAUTOMATICTIMER'", dm->up().sql());

    ASSERT_TRUE(dm->sqlexec("create table settings (NAZIV varchar(40), VRIJEDNOST varchar(40))"));
    ASSERT_TRUE(dm->sqlexec("insert into settings values ('TARVODBDRIVERAUTOMATICTIMER', '1500')"));
    ASSERT_TRUE(dm->sqlexec("insert into settings values ('PRAZNO', '')"));
    EXPECT_EQ("1500", dm->settingFromTable("TARVODBDRIVERAUTOMATICTIMER"));
    EXPECT_EQ("", dm->settingFromTable("PRAZNO"));
    EXPECT_EQ(std::nullopt, dm->settingFromTable("O'KEY"));
    EXPECT_EQ("select * from settings where NAZIV ='O''KEY'", dm->up().sql());

    state.BazaOtvorena = false;
    statements.clear();
    EXPECT_EQ(std::nullopt, dm->settingFromTable("TARVODBDRIVERAUTOMATICTIMER"));
    EXPECT_TRUE(statements.empty());
}

TEST_F(QueryHelpers, ReceiptTotalRunsAgainWhenTheItemViewReopens) {
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.5, 2));
    const std::string total =
        "SELECT SUM(F_KOLICINA*F_CIJENA_ROBE)  AS F_TOTAL  FROM F_RACUN WHERE F_ID_KASE=1 and F_RBR=57 and "
        "TIPKNJIZENJA=1";
    ASSERT_TRUE(dm->openSumaRacuna(total)) << dm->ZadnjaGreska();
    EXPECT_EQ(total, dm->F_SUMA_RACUNA().sql());
    EXPECT_EQ(3.0, dm->F_SUMA_RACUNA().real("F_TOTAL"));

    ASSERT_TRUE(ObrisiStavkeRacuna(*dm, 57, 0));
    EXPECT_EQ(0.0, dm->F_SUMA_RACUNA().real("F_TOTAL"));  // an empty sum reads as 0
    EXPECT_EQ("", dm->F_SUMA_RACUNA().text("F_TOTAL"));

    EXPECT_FALSE(dm->openSumaRacuna("SELECT SUM(x) AS F_TOTAL FROM NOWHERE"));
    EXPECT_NE("", dm->ZadnjaGreska());
}

TEST_F(QueryHelpers, RefreshOpensTheDocumentViews) {
    dm->osvjezitabele();
    for (const char* object : {"F_RACUN", "F_NIVELACIJA", "F_PLACANJE", "F_SEMAFOR"})
        EXPECT_TRUE(dm->isDatasetOpen(object)) << object;
}

TEST_F(QueryHelpers, ExportCopiesRowsByPositionAndEnablesThePollingTimer) {
    dm->setTimer1Enabled(false);
    EXPECT_TRUE(dm->ExportujPodatke("F_LOG_RACUN", "F_LOG_STAVKE"));  // nothing to copy
    EXPECT_TRUE(dm->timer1Enabled());
    EXPECT_EQ(0u, rows("select * from F_LOG_STAVKE", {"F_RBR"}).size());

    ASSERT_TRUE(
        dm->sqlexec("insert into F_LOG_RACUN (F_ID_KASE,F_RBR,F_FISK_BROJ,TIPKNJIZENJA) values (1,57,3,0)"));
    dm->setTimer1Enabled(false);
    EXPECT_TRUE(dm->ExportujPodatke("F_LOG_RACUN", "F_LOG_STAVKE"));
    EXPECT_TRUE(dm->timer1Enabled());
    EXPECT_EQ(std::vector<std::string>{"1/57/3/0"},
              rows("select * from F_LOG_STAVKE", {"F_ID_KASE", "F_RBR", "F_RBR_STAVKE", "TIPKNJIZENJA"}));

    // Again: the key exists now.
    EXPECT_FALSE(dm->ExportujPodatke("F_LOG_RACUN", "F_LOG_STAVKE"));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(0u, ui.messages[0].rfind("Greska pri kopiranju podataka\r\n", 0));
    EXPECT_TRUE(dm->timer1Enabled());
}

}  // namespace
}  // namespace fm::test

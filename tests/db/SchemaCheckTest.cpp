#include <algorithm>

#include "db/RecordWriters.h"
#include "db/Schema.h"
#include "tests/db/DbFixture.h"

namespace fm::test {
namespace {

const char* const indexMessage = "Ne mogu dodati index I_ASC_F_KNJIG_SIFRA na tabelu F_ROBA";
const char* const indexStatement = "CREATE ASCENDING INDEX I_ASC_F_KNJIG_SIFRA ON F_ROBA (F_KNJIG_SIFRA)";

bool sent(const std::vector<std::string>& statements, const std::string& statement) {
    return std::find(statements.begin(), statements.end(), statement) != statements.end();
}

int createStatements(const std::vector<std::string>& statements) {
    return int(std::count_if(statements.begin(), statements.end(),
                             [](const std::string& s) { return s.rfind("CREATE TABLE ", 0) == 0; }));
}

class EmptyDatabase : public DbFixture {
  protected:
    EmptyDatabase() : DbFixture(FreshDatabase::PartnerTables::No) {}
};

TEST_F(EmptyDatabase, ArticleTableWithoutTheCodeColumnStaysClosedSilently) {
    database.run(
        {"CREATE TABLE F_ROBA (F_ID_KASE DOUBLE PRECISION NOT NULL, F_SIFRA_ROBE DOUBLE PRECISION NOT "
         "NULL)"});
    for (int run = 0; run < 2; ++run) {
        connect();
        EXPECT_EQ(std::vector<std::string>{indexMessage}, connectMessages);
        EXPECT_FALSE(dm->isDatasetOpen("f_roba"));
        EXPECT_EQ(run == 0 ? 9 : 0, createStatements(connectStatements));
    }
    EXPECT_THROW(NadjiSifruPoKnjigSifri(*dm, "K1"), std::runtime_error);
    EXPECT_THROW(UpisiNivelaciju(*dm, 57, 1, 1, 1, " ", "KAFA", 1.6), std::runtime_error);
    EXPECT_EQ(-31, dm->TestirajPostojanjePolja("f_roba", "f_knjig_sifra"));
    EXPECT_EQ(0, dm->TestirajPostojanjePolja("f_roba", "f_sifra_robe"));
}

TEST_F(EmptyDatabase, AnIndexOfThatNameOnAnyTableCountsAsPresent) {
    database.run(
        {"CREATE TABLE OTHER_TABLE (A INTEGER)", "CREATE INDEX I_ASC_F_KNJIG_SIFRA ON OTHER_TABLE (A)"});
    connect();
    EXPECT_EQ(std::vector<std::string>{}, connectMessages);
    EXPECT_FALSE(sent(connectStatements, indexStatement));
}

TEST_F(EmptyDatabase, ViewsShowTheirConfiguredRegisters) {
    state.postavke.FID_ROBA = 12;
    connect();
    for (int fid : {1, 12}) {
        state.postavke.FID_ROBA = fid;
        ASSERT_TRUE(UpisiRobu(*dm, 5, 1, 1, "", "KAFA", "K" + std::to_string(fid), 1.5));
    }
    EXPECT_EQ(5, NadjiSifruPoKnjigSifri(*dm, "K12"));
    EXPECT_EQ(-1, NadjiSifruPoKnjigSifri(*dm, "K1"));
    EXPECT_TRUE(dm->articleExists(12, 5));
    EXPECT_FALSE(dm->articleExists(12, 6));
}

TEST_F(EmptyDatabase, TheArticleCodesGetADescendingIndexForTheHighestCode) {
    // An article table of an earlier install, without the index.
    database.run(schema::createTableStatements("F_ROBA", schema::Dialect::Firebird));
    for (int run = 0; run < 2; ++run) {
        connect();
        EXPECT_EQ(run == 0, sent(connectStatements,
                                 "CREATE DESCENDING INDEX I_DESC_F_SIFRA_ROBE ON F_ROBA (F_SIFRA_ROBE)"));
        EXPECT_EQ(0, dm->TestirajPostojanjePravila("I_DESC_F_SIFRA_ROBE"));
    }
    EXPECT_EQ(std::vector<std::string>{}, connectMessages);
    for (int code : {7, 3})
        ASSERT_TRUE(UpisiRobu(*dm, code, 1, 1, "", "KAFA", "K" + std::to_string(code), 1.5));
    EXPECT_EQ(7, dm->max("f_roba", "f_sifra_robe"));
}

TEST_F(EmptyDatabase, AnArticleCodeIndexThatCannotBeAddedGivesOneNoticeAtEveryConnectAndNoBox) {
    database.run(
        {"CREATE TABLE F_ROBA (F_ID_KASE DOUBLE PRECISION NOT NULL, F_SIFRA_ROBE BLOB, "
         "F_BAR_CODE VARCHAR(14), F_NAZIV_ROBE VARCHAR(32), F_SIFRA_GRUPA DOUBLE PRECISION, "
         "F_SIFRA_POR_STOPE DOUBLE PRECISION, F_CIJENA_ROBE DOUBLE PRECISION, "
         "F_KNJIG_SIFRA VARCHAR(16))"});
    for (int run = 0; run < 2; ++run) {
        connect();
        EXPECT_TRUE(dm->isDatasetOpen("f_roba"));
        EXPECT_EQ(std::vector<std::string>{}, connectMessages);
        ASSERT_EQ(ui.notices.size(), std::size_t(run + 1));
        EXPECT_EQ(ui.notices.back().text, "Ne mogu dodati index I_DESC_F_SIFRA_ROBE na tabelu F_ROBA");
    }
}

}  // namespace
}  // namespace fm::test

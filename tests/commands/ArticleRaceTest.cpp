// Two tills that share the article register add the same new letter-code article, or
// another one, at the same moment: the other till's insert lands between this program's
// max + 1 and its own insert.
#include <gtest/gtest.h>

#include <memory>

#include "db/SqlLayer.h"
#include "platform/Text.h"
#include "tests/support/PartnerHarness.h"
#include "tests/support/EngineDatabase.h"

namespace fm::test {
namespace {

const char* const articleInsert = " Insert into F_ROBA(";

class ArticleRace : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (const auto why = engineUnavailable(GetParam())) GTEST_SKIP() << *why;
        database = std::make_unique<EngineDatabase>(GetParam(), FreshDatabase::PartnerTables::No);
        const std::string ini = database->iniText("opkasa", "lumbrico");
        h = std::make_unique<PartnerHarness>(std::vector<std::string>{}, ini);
        h->state.postavke.TARVOSLOVNESIFRE = true;
        sql::ParameterList parameters(text::splitLines(ini));
        const sql::Outcome opened = otherTill.open(text::trim(parameters.value("DRIVERNAME")), parameters);
        ASSERT_TRUE(opened) << opened.error;
    }

    // Before each of the program's article inserts (up to `times`), the other till adds
    // an article with the code text under the next free code.
    void otherTillAddsFirst(const std::string& codeText, int times = 1) {
        h->dm->onStatement([this, codeText, times](const std::string& sql) {
            if (sql.rfind(articleInsert, 0) != 0) return;
            if (++programInserts > times) return;
            const sql::Outcome done = otherTill.execute(
                "insert into F_ROBA "
                "(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,F_NAZIV_ROBE,"
                "F_CIJENA_ROBE,F_KNJIG_SIFRA) select 1, coalesce(max(F_SIFRA_ROBE), 0) + 1, 1, 2, '', 'DRUGA "
                "KASA', 1, '" +
                codeText + "' from F_ROBA");
            ASSERT_TRUE(done) << done.error;
        });
    }
    void countInserts() {
        h->dm->onStatement(
            [this](const std::string& sql) { programInserts += sql.rfind(articleInsert, 0) == 0; });
    }

    std::vector<std::string> articles() {
        return h->rows("select F_SIFRA_ROBE, F_KNJIG_SIFRA from F_ROBA order by F_SIFRA_ROBE",
                       {"F_SIFRA_ROBE", "F_KNJIG_SIFRA"});
    }

    std::unique_ptr<EngineDatabase> database;
    std::unique_ptr<PartnerHarness> h;
    sql::Connection otherTill{"other till"};
    int programInserts = 0;
};

const std::string kafaSale = "S,P1,_,______,__;KAFA;1.50;2;;1;2;;KAFA-1\r\nT,P1,_,______,__;\r\n";

TEST_P(ArticleRace, SameArticleAddedByTheOtherTillIsUsed) {
    otherTillAddsFirst("KAFA-1");
    h->drop("r1.inp", kafaSale);
    h->scan();
    EXPECT_EQ("OK", h->status("r1.inp")) << h->errorFile();
    EXPECT_EQ(1, programInserts);
    EXPECT_EQ(std::vector<std::string>{"1|KAFA-1"}, articles());  // no second article of that code
    EXPECT_NE(h->journal().find("KAFA  2 x 1.5 = 3  (sifra 1,"), std::string::npos) << h->journal();
}

TEST_P(ArticleRace, CodeTakenForAnotherArticleMovesToTheNextFreeOne) {
    otherTillAddsFirst("CAJ-1");
    h->drop("r1.inp", kafaSale);
    h->scan();
    EXPECT_EQ("OK", h->status("r1.inp")) << h->errorFile();
    EXPECT_EQ(2, programInserts);
    EXPECT_EQ((std::vector<std::string>{"1|CAJ-1", "2|KAFA-1"}), articles());
    EXPECT_NE(h->journal().find("KAFA  2 x 1.5 = 3  (sifra 2,"), std::string::npos) << h->journal();
}

TEST_P(ArticleRace, RetriesAreBounded) {
    otherTillAddsFirst("CAJ-1", 1000);
    h->drop("r1.inp", kafaSale);
    h->scan();
    EXPECT_EQ("Er", h->status("r1.inp"));
    EXPECT_EQ(10, programInserts);
    EXPECT_NE(h->errorFile().find("Greska:Ne moze se dodati stavka robe!"), std::string::npos)
        << h->errorFile();
    EXPECT_EQ("RBRR=101", h->rbrr());
}

TEST_P(ArticleRace, OtherFailuresAreNotRetried) {
    countInserts();
    h->drop("r1.inp",
            "S,P1,_,______,__;KAFA;1.50;2;;1;2;;KOD-DUZI-OD-16-ZNAKOVA\r\n\r\n");  // F_KNJIG_SIFRA holds 16
    h->scan();
    EXPECT_EQ("Er", h->status("r1.inp"));
    EXPECT_EQ(1, programInserts);
    EXPECT_NE(h->errorFile().find("Greska:Ne moze se dodati stavka robe!"), std::string::npos)
        << h->errorFile();
}

INSTANTIATE_TEST_SUITE_P(Engines, ArticleRace,
                         testing::Values(Engine::Embedded, Engine::FirebirdServer, Engine::MariaDB),
                         [](const auto& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

// The data module across a stop and a start of its database server: a server of the
// test's own, so that stopping it disturbs no other test.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>

#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "db/Schema.h"
#include "tests/support/OwnServer.h"
#include "tests/support/RecordingUserInterface.h"

namespace fm::test {
namespace {

const char* const outageNotice =
    "Nema veze sa bazom podataka! Komande se ne mogu obraditi dok se veza ne uspostavi.\r\n";
const char* const backNotice = "Veza sa bazom podataka je ponovo uspostavljena.";

class Reconnect : public testing::TestWithParam<Engine> {
  protected:
    static void TearDownTestSuite() { servers.clear(); }

    void SetUp() override {
        if (const auto why = OwnServer::unavailable(GetParam())) GTEST_SKIP() << *why;
        std::unique_ptr<OwnServer>& own = servers[GetParam()];
        if (!own) own = std::make_unique<OwnServer>(GetParam());
        server = own.get();
        dir.write("database.ini", server->createDatabase());

        ui.realPauses = false;
        state.postavke.K71B3 = 1;
        state.postavke.FID_RACUNA = state.postavke.FID_ROBA = 1;
        dm = std::make_unique<Tdm_db>(state, ui);
        dm->onStatement([this](const std::string& sql) { statements.push_back(sql); });
        // The first connect creates the program's tables, the second opens them.
        for (int connect = 0; connect < 2; ++connect)
            state.BazaOtvorena = dm->OtvoriBazuPodataka(dir.file("database.ini"));
        ASSERT_TRUE(state.BazaOtvorena);
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            for (const std::string& statement : schema::createTableStatements(table, dm->dialect()))
                ASSERT_TRUE(dm->sqlexec(statement)) << dm->ZadnjaGreska();
        ui.messages.clear();
        statements.clear();
    }

    void TearDown() override {
        if (server) server->start();  // for the next test, whatever this one left
    }

    long long count(const std::string& sql) {
        EXPECT_TRUE(dm->sqlopen4(sql)) << dm->ZadnjaGreska();
        return dm->up4().integer("n");
    }
    std::vector<std::string> deletes() const {
        std::vector<std::string> found;
        std::copy_if(statements.begin(), statements.end(), std::back_inserter(found),
                     [](const std::string& sql) {
                         return sql.rfind("DELETE", 0) == 0 || sql.rfind("delete", 0) == 0;
                     });
        return found;
    }
    std::vector<std::string> noticeTexts() const {
        std::vector<std::string> texts;
        for (const auto& notice : ui.notices) texts.push_back(notice.text);
        return texts;
    }

    static std::map<Engine, std::unique_ptr<OwnServer>> servers;
    OwnServer* server = nullptr;
    TempDir dir;
    RecordingUserInterface ui;
    ProcessState state;
    std::unique_ptr<Tdm_db> dm;
    std::vector<std::string> statements;
};

std::map<Engine, std::unique_ptr<OwnServer>> Reconnect::servers;

TEST_P(Reconnect, OutageIsNoticedOnceAndTheConnectionComesBackQuietly) {
    ASSERT_TRUE(dm->ensureConnected());
    ASSERT_TRUE(UpisiRobu(*dm, 7, 1, 2, "", "KAFA", "A-7", 1.5));
    server->stop();

    EXPECT_FALSE(UpisiRobu(*dm, 8, 1, 2, "", "CAJ", "A-8", 1.2));
    EXPECT_NE("", dm->ZadnjaGreska());
    EXPECT_FALSE(dm->lastErrorIsKeyViolation());
    EXPECT_TRUE(dm->connectionLost());
    EXPECT_FALSE(dm->ensureConnected());
    EXPECT_FALSE(dm->ensureConnected());
    ASSERT_EQ(1u, ui.notices.size());
    EXPECT_EQ(0u, ui.notices[0].text.rfind(outageNotice, 0)) << ui.notices[0].text;
    EXPECT_GT(ui.notices[0].text.size(), std::string(outageNotice).size());  // with the database's words

    server->start();
    EXPECT_TRUE(dm->ensureConnected());
    EXPECT_FALSE(dm->connectionLost());
    EXPECT_EQ((std::vector<std::string>{ui.notices[0].text, backNotice}), noticeTexts());
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();  // the after-connect steps say nothing
    // The views are open again: the article written before the stop is found by its code.
    EXPECT_TRUE(dm->isDatasetOpen("f_roba"));
    EXPECT_EQ(7, NadjiSifruPoKnjigSifri(*dm, "A-7"));
    EXPECT_TRUE(UpisiRobu(*dm, 8, 1, 2, "", "CAJ", "A-8", 1.2)) << dm->ZadnjaGreska();
    EXPECT_EQ(8, NadjiSifruPoKnjigSifri(*dm, "A-8"));
}

TEST_P(Reconnect, RestartWhileIdleIsFoundByAPing) {
    server->stop();
    server->start();
    EXPECT_FALSE(dm->connectionLost());  // nothing has run into it yet
    EXPECT_TRUE(dm->ensureConnected());
    EXPECT_TRUE(ui.notices.empty());  // no outage seen: back at the first try
    EXPECT_TRUE(UpisiPlacanje(*dm, 57, 0, 0, 3)) << dm->ZadnjaGreska();
    // The ping is connection upkeep, not one of the program's statements.
    EXPECT_EQ(
        std::vector<std::string>{"insert into F_PLACANJE  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_NACIN_PLACANJA,"
                                 "F_UPLACENO) values ( 1,57, 1, 0, 3) "},
        std::vector<std::string>(statements.end() - 1, statements.end()));
}

TEST_P(Reconnect, CleanUpsThatFailedRunFirstWhenTheServerIsBack) {
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.5, 2));
    ASSERT_TRUE(UpisiPlacanje(*dm, 57, 0, 0, 3));
    server->stop();
    EXPECT_FALSE(ObrisiPlacanja(*dm, 57, 0));
    EXPECT_FALSE(ObrisiStavkeRacuna(*dm, 57, 0));
    EXPECT_FALSE(ObrisiSemafor(*dm, 57, 0));
    EXPECT_FALSE(dm->ensureConnected());  // still down: they wait

    server->start();
    statements.clear();
    ASSERT_TRUE(dm->ensureConnected());
    EXPECT_EQ((std::vector<std::string>{
                  "DELETE FROM F_PLACANJE WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=1",
                  "DELETE FROM F_RACUN WHERE  F_ID_KASE=1 AND F_RBR=57 AND TIPKNJIZENJA=1",
                  "delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=0"}),
              deletes());
    EXPECT_EQ(0, count("select count(*) as n from F_RACUN where F_RBR=57"));
    EXPECT_EQ(0, count("select count(*) as n from F_PLACANJE where F_RBR=57"));
    // Done once: the next check runs none of them again.
    statements.clear();
    EXPECT_TRUE(dm->ensureConnected());
    EXPECT_TRUE(deletes().empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, Reconnect, testing::Values(Engine::FirebirdServer, Engine::MariaDB),
                         [](const auto& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

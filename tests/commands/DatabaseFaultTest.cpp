// Whole jobs across a stop and a start of the database server, with the PARTNER emulator
// beside the program: a server of the test's own, so that stopping it disturbs nobody.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/OwnServer.h"
#include "tests/support/PartnerHarness.h"

namespace fm::test {
namespace {

const char* const outageNotice =
    "Nema veze sa bazom podataka! Komande se ne mogu obraditi dok se veza ne uspostavi.\r\n";
const char* const backNotice = "Veza sa bazom podataka je ponovo uspostavljena.";

const std::string sale =
    "S,P1,_,______,__;Mlijeko;1.20;2;;1;2;;1001\r\n"
    "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\n"
    "T,P1,_,______,__;\r\n";
const std::string secondSale =
    "S,P1,_,______,__;Sok;2.10;1;;1;2;;1003\r\n"
    "T,P1,_,______,__;\r\n";

class DatabaseFault : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (const auto why = OwnServer::unavailable(GetParam())) GTEST_SKIP() << *why;
        server = std::make_unique<OwnServer>(GetParam());
        h = std::make_unique<PartnerHarness>(std::vector<std::string>{}, server->createDatabase());
    }
    void TearDown() override {
        h.reset();  // the emulator ends before its server
        server.reset();
    }

    long long rowsOfJob(const char* table, int job) {
        return h->count(std::string("select count(*) as n from ") + table +
                        " where F_RBR=" + std::to_string(job));
    }

    std::unique_ptr<OwnServer> server;
    std::unique_ptr<PartnerHarness> h;
};

TEST_P(DatabaseFault, ServerStoppedInTheMiddleOfAJob) {
    int items = 0;
    h->dm->onStatement([&](const std::string& sql) {
        if (sql.rfind("insert into F_RACUN", 0) == 0 && ++items == 2) server->stop();
    });
    h->drop("r1.inp", sale);
    h->scan();

    // The job ends invalid, with the database's own words after the program's message.
    EXPECT_EQ("Er", h->status("r1.inp"));
    const std::string expected = "Neispravan fajl " + h->inputFile("r1.inp") +
                                 "\r\nGreska:Ne moze se insertovati stavka racuna,\r\nza racun broj 100\r\n";
    const std::string error = h->errorFile();
    EXPECT_EQ(0u, error.rfind(expected, 0)) << error;
    EXPECT_GT(error.size(), expected.size() + 2) << error;
    EXPECT_EQ("RBRR=101", h->rbrr());

    // Files that come while the server is down fail as any job whose database is gone,
    // each under its number, with one notice for the outage however many scans meet them.
    for (const char* name : {"r2.inp", "r3.inp"}) {
        h->drop(name, secondSale);
        h->scan();
        EXPECT_EQ("Er", h->status(name));
        EXPECT_EQ(0u, h->errorFile().rfind("Neispravan fajl " + h->inputFile(name) + "\r\nGreska:", 0))
            << h->errorFile();
    }
    EXPECT_EQ("RBRR=103", h->rbrr());
    EXPECT_EQ(1, h->ui.noticesStartingWith(outageNotice));

    // Back without a restart of the program: the rows of the failed jobs are removed
    // before the next file, which is printed and marked.
    server->start();
    h->drop("r4.inp", secondSale);
    h->scan();
    EXPECT_EQ("OK", h->status("r4.inp")) << h->errorFile();
    EXPECT_EQ("RBRR=104", h->rbrr());
    EXPECT_EQ(1, h->ui.noticesStartingWith(backNotice));
    for (int job = 100; job <= 102; ++job) {
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            EXPECT_EQ(0, rowsOfJob(table, job)) << table << " " << job;
        EXPECT_EQ(std::string::npos, h->journal().find("posao " + std::to_string(job))) << h->journal();
    }
    EXPECT_NE(std::string::npos, h->journal().find("---- posao 103 ZAVRSEN ----")) << h->journal();
    EXPECT_EQ("", h->errorFile());
}

TEST_P(DatabaseFault, WaitForThePartnerGoesOnAcrossARestart) {
    int pauses = 0;
    h->ui.onPause = [&](int) {
        ++pauses;
        if (pauses == 1) server->stop();
        if (pauses == 3) server->start();
    };
    h->drop("r1.inp", sale);
    h->scan();

    EXPECT_GE(pauses, 3);
    EXPECT_EQ("OK", h->status("r1.inp")) << h->errorFile();
    EXPECT_EQ("", h->errorFile());
    EXPECT_EQ("RBRR=101", h->rbrr());
    EXPECT_EQ(1, h->ui.noticesStartingWith(outageNotice));
    EXPECT_EQ(1, h->ui.noticesStartingWith(backNotice));
    EXPECT_NE(std::string::npos, h->journal().find("---- posao 100 ZAVRSEN ----")) << h->journal();
}

INSTANTIATE_TEST_SUITE_P(Servers, DatabaseFault, testing::Values(Engine::FirebirdServer, Engine::MariaDB),
                         [](const auto& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

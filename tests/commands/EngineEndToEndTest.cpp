// The worked example sale end to end on the database servers, when they run.

#include <gtest/gtest.h>

#include "tests/commands/PartnerHarness.h"
#include "tests/support/EngineDatabase.h"

namespace fm::test {
namespace {

class ServerEndToEnd : public ::testing::TestWithParam<Engine> {};

TEST_P(ServerEndToEnd, WorkedExampleSaleIsPrintedMarkedAndNumbered) {
    if (const auto why = engineUnavailable(GetParam())) GTEST_SKIP() << *why;
    EngineDatabase database(GetParam(), FreshDatabase::PartnerTables::No);
    PartnerHarness h({}, database.iniText("opkasa", "lumbrico"));
    h.drop("r1.inp",
           "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
           "S,P1,_,______,__;Hljeb;0.90;-1;;1;2;;1002\r\n"
           "T,P1,_,______,__;\r\n");

    h.scan();

    EXPECT_NE(h.journal().find("Mlijeko 1l  2 x 1.2 = 2.4  (sifra 1001, grupa 1, por. stopa 2)\n"
                               "STORNO Hljeb  -1 x 0.9 = -0.9  (sifra 1002, grupa 1, por. stopa 2)\n"
                               "UKUPNO 1.5\nPLACANJE nacin 0: 1.5\n---- posao 100 ZAVRSEN ----\n"),
              std::string::npos)
        << h.journal();
    EXPECT_EQ(h.read("r1.inp"),
              "S,P1,1,AB1234,OK;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
              "S,P1,1,AB1234,OK;Hljeb;0.90;-1;;1;2;;1002\r\n"
              "T,P1,1,AB1234,OK;\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=101");
    EXPECT_EQ(h.count("select count(*) as n from F_SEMAFOR"), 0);
    EXPECT_TRUE(h.ui.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerEndToEnd, ::testing::Values(Engine::FirebirdServer, Engine::MariaDB),
                         [](const auto& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

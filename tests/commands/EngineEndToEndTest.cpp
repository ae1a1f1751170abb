// The worked example sale end to end on the database servers, when they run.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "tests/support/CommaLocale.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/PartnerHarness.h"

namespace fm::test {
namespace {

class ServerEndToEnd : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (const auto why = engineUnavailable(GetParam())) GTEST_SKIP() << *why;
        database = std::make_unique<EngineDatabase>(GetParam(), FreshDatabase::PartnerTables::No);
    }

    void expectWorkedSaleDone(PartnerHarness& h) {
        h.drop("r1.inp",
               "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
               "S,P1,_,______,__;Hljeb;0.90;-1;;1;2;;1002\r\n"
               "T,P1,_,______,__;\r\n");

        h.scan();

        EXPECT_NE(h.journal().find(
                      "Mlijeko 1l  2 x 1.2 = 2.4  (sifra 1001, grupa 1, por. stopa 2)\n"
                      "STORNO Hljeb  -1 x 0.9 = -0.9  (sifra 1002, grupa 1, por. stopa 2)\n"
                      "UKUPNO 1.5\nPLACANJE nacin 0: 1.5\nFISKALNI BROJ 1\n---- posao 100 ZAVRSEN ----\n"),
                  std::string::npos)
            << h.journal();
        EXPECT_EQ(h.read("r1.inp"),
                  "S,P1,1,AB1234,OK;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
                  "S,P1,1,AB1234,OK;Hljeb;0.90;-1;;1;2;;1002\r\n"
                  "T,P1,1,AB1234,OK;\r\n");
        EXPECT_EQ(h.rbrr(), "RBRR=101");
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            EXPECT_EQ(h.count(std::string("select count(*) as n from ") + table), 0) << table;
        EXPECT_TRUE(h.ui.notices.empty()) << h.ui.notices[0].text;
    }

    std::unique_ptr<EngineDatabase> database;
};

TEST_P(ServerEndToEnd, WorkedExampleSaleIsPrintedMarkedAndNumbered) {
    PartnerHarness h({}, database->iniText("opkasa", "lumbrico"));
    expectWorkedSaleDone(h);
}

// The emulator as on a machine whose regional settings write "1,5": its statements
// (prices and quantities in its deletes) still read as numbers.
TEST_P(ServerEndToEnd, ThePartnerEmulatorWorksUnderACommaDecimalLocale) {
    TempDir locales;
    if (!buildCommaLocale(locales.path())) GTEST_SKIP() << "localedef cannot build bs_BA.UTF-8 here";
    qputenv("LOCPATH", QByteArray::fromStdString(locales.path()));
    qputenv("LC_ALL", kCommaLocale);
    PartnerHarness h({}, database->iniText("opkasa", "lumbrico"));  // the emulator starts under it
    qunsetenv("LC_ALL");
    qunsetenv("LOCPATH");
    expectWorkedSaleDone(h);
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerEndToEnd, ::testing::Values(Engine::FirebirdServer, Engine::MariaDB),
                         [](const auto& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

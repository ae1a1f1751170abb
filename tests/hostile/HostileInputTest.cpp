// Command files with quotes, backslashes, NUL bytes, bytes above 0x7F and very long
// lines, processed whole on every engine: nothing may change what a statement means,
// and a text the database cannot take fails the file instead of being cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "commands/AnalRacuniKomande.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/QueryRows.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

// Bytes of a literal, NULs included.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Without a PARTNER a taken job times out, and its rows stay for the test to read.
class HostileFiles : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (const auto reason = engineUnavailable(GetParam())) GTEST_SKIP() << *reason;
        database = std::make_unique<EngineDatabase>(GetParam(), FreshDatabase::PartnerTables::Yes);
        dir.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=100\r\n");
        settings = std::make_unique<Settings>(dir.file("MerilonSettings.ini"));
        Postavke& p = state.postavke;
        p.FID_OBJEKTA = p.FID_POR_STOPA = p.FID_OPERATERA = p.FID_ROBA = p.FID_GRUPA_ROBA = p.FID_RACUNA =
            p.FID_KUPACA = p.K71B3 = 1;
        p.F_BROJ_KASE = "AB1234";
        p.TARVOLOCALDIR = dir.path();
        p.TARVORACUN = "*.inp";
        state.BrojRacuna = 100;
        ui.realPauses = false;

        dm = std::make_unique<Tdm_db>(state, ui);
        for (int connect = 0; connect < 2; ++connect)
            state.BazaOtvorena = dm->OtvoriBazuPodataka(database->iniPath());
        ASSERT_TRUE(state.BazaOtvorena);
        ASSERT_TRUE(UpisiRobu(*dm, 7, 1, 1, "", "POSTOJECI", "K7", 2.5)) << dm->ZadnjaGreska();
        processor = std::make_unique<CommandProcessor>(*dm, *settings);
        ui.notices.clear();
    }

    bool process(const std::string& name, const std::string& bytes) {
        dir.write(name, bytes);
        return processor->AnalRacuniKomande(dir.file(name));
    }

    std::vector<std::string> rows(const std::string& sql, const std::vector<std::string>& columns) {
        return test::rows(*dm, sql, columns);
    }
    std::string count(const std::string& table) {
        return rows("select count(*) as n from " + table, {"n"}).at(0);
    }
    std::vector<std::string> articles() {
        return rows(
            "select F_SIFRA_ROBE, F_NAZIV_ROBE, F_CIJENA_ROBE, F_KNJIG_SIFRA from F_ROBA order by "
            "F_SIFRA_ROBE",
            {"F_SIFRA_ROBE", "F_NAZIV_ROBE", "F_CIJENA_ROBE", "F_KNJIG_SIFRA"});
    }
    // The notice of an invalid file, and its mark in the file.
    void expectInvalid(const std::string& name, const std::string& error) {
        ASSERT_EQ(ui.notices.size(), 1u);
        EXPECT_EQ(ui.notices[0].text, "Neispravan fajl " + dir.file(name) + "\r\nGreska:" + error);
        EXPECT_NE(dir.read(name).find(",Er;"), std::string::npos) << dir.read(name);
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            EXPECT_EQ(count(table), "0") << table;
    }

    std::unique_ptr<EngineDatabase> database;
    TempDir dir;
    std::unique_ptr<Settings> settings;
    ProcessState state;
    RecordingUserInterface ui;
    std::unique_ptr<Tdm_db> dm;
    std::unique_ptr<CommandProcessor> processor;
};

TEST_P(HostileFiles, QuotesBackslashesAndHighBytesAreStoredAsWritten) {
    const std::vector<std::string> names = {"O'Neil", "x', 'y') -- ' or '1'='1", "\\'\\",
                                            "\xC8"
                                            "evapi \xE8\x9A\xFF\x80"};
    std::string file;
    for (const std::string& name : names) file += "S,P1,_,______,__;" + name + ";1.5;2;;1;2;;7\r\n";
    file += "S,P1,_,______,__;Nova;1;1;;1;2;;12'45\\78\r\nT,P1,_,______,__;\r\n";

    EXPECT_FALSE(process("r.inp", file));  // no PARTNER: not printed in time
    EXPECT_TRUE(ui.notices.empty()) << ui.notices[0].text;

    std::vector<std::string> expected;
    for (const std::string& name : names) expected.push_back("7|" + name + "|2");
    expected.push_back("8|Nova|1");
    std::vector<std::string> items = rows("select F_SIFRA_ROBE, F_NAZIV_ROBE, F_KOLICINA from F_RACUN",
                                          {"F_SIFRA_ROBE", "F_NAZIV_ROBE", "F_KOLICINA"});
    std::sort(items.begin(), items.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(items, expected);
    EXPECT_EQ(articles(), (std::vector<std::string>{"7|POSTOJECI|2.5|K7", "8|Nova|1|12'45\\78"}));
    EXPECT_EQ(rows("select F_NACIN_PLACANJA, F_UPLACENO from F_PLACANJE", {"F_NACIN_PLACANJA", "F_UPLACENO"}),
              std::vector<std::string>{"0|13"});
}

TEST_P(HostileFiles, TheDatabaseLayerRefusesAStatementWithANulByte) {
    EXPECT_FALSE(UpisiRobu(*dm, 9, 1, 1, "", bytes("Ka\0fa"), "K9", 1));
    EXPECT_EQ(dm->ZadnjaGreska(), "SQL naredba sadrzi znak NUL (kod 0), na kojem bi je baza prekinula");
    EXPECT_EQ(NadjiSifruPoBarKodu(*dm, bytes("38712\0 34")), -1);
    EXPECT_EQ(articles(), std::vector<std::string>{"7|POSTOJECI|2.5|K7"});
}

TEST_P(HostileFiles, TextsTooLongForTheirColumnFailTheFileInsteadOfBeingCut) {
    const std::string sale = "T,P1,_,______,__;\r\n";
    EXPECT_FALSE(process("a.inp", "S,P1,_,______,__;" + std::string(33, 'N') + ";1;1;;1;2;;7\r\n" + sale));
    expectInvalid("a.inp", "Ne moze se insertovati stavka racuna,\r\nza racun broj 100");

    ui.notices.clear();
    EXPECT_FALSE(
        process("b.inp", "S,P1,_,______,__;" + std::string(100000, 'N') + ";1;1;;1;2;;7\r\n" + sale));
    expectInvalid("b.inp", "Ne moze se insertovati stavka racuna,\r\nza racun broj 101");

    // A bookkeeping code one character over its 16: no article, and no item for one.
    ui.notices.clear();
    EXPECT_FALSE(process("d.inp", "S,P1,_,______,__;Kafa;1;1;;1;2;;" + std::string(17, '9') + "\r\n" + sale));
    expectInvalid("d.inp", "Ne moze se dodati stavka robe!");
    EXPECT_EQ(state.BrojRacuna, 103);
    EXPECT_EQ(articles(), std::vector<std::string>{"7|POSTOJECI|2.5|K7"});
    if (GetParam() == Engine::MariaDB) {
        // Whatever the server's own mode, the session never cuts a text.
        EXPECT_NE(rows("select @@SESSION.sql_mode as m", {"m"}).at(0).find("STRICT_ALL_TABLES"),
                  std::string::npos);
    }
}

// A memo column takes any length on MariaDB; Firebird takes no literal that long.
TEST_P(HostileFiles, AHundredThousandCharacterMemoIsStoredWholeOrFailsTheFile) {
    const std::string memo = "+" + std::string(100000, 'M');
    EXPECT_FALSE(process("v.inp", "V,P1,_,______,__;" + memo +
                                      "\r\nS,P1,_,______,__;Kafa;1;1;;1;2;;7\r\n"
                                      "T,P1,_,______,__;\r\n"));
    if (GetParam() == Engine::MariaDB) {
        EXPECT_TRUE(ui.notices.empty()) << ui.notices[0].text;
        EXPECT_EQ(rows("select MEMO from F_SEMAFOR", {"MEMO"}), std::vector<std::string>{memo});
    } else {
        expectInvalid("v.inp", "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nza racun broj 100");
    }
}

// The highest code taken: a new article cannot be added, nothing wraps round.
TEST_P(HostileFiles, ANewArticleAfterTheLargestCodeFailsTheFile) {
    ASSERT_TRUE(UpisiRobu(*dm, 2147483647, 1, 1, "", "ZADNJI", "K9", 1)) << dm->ZadnjaGreska();
    for (const char* name : {"a.inp", "b.inp"}) {
        ui.notices.clear();
        EXPECT_FALSE(process(name, "S,P1,_,______,__;Nova;1;1;;1;2;;99999999\r\nT,P1,_,______,__;\r\n"));
        expectInvalid(name,
                      "Nova stavka robe se ne moze dodati: sifra robe je dosla do najvece vrijednosti "
                      "2147483647");
    }
    EXPECT_EQ(articles(), (std::vector<std::string>{"7|POSTOJECI|2.5|K7", "2147483647|ZADNJI|1|K9"}));

    ui.notices.clear();
    EXPECT_FALSE(process("c.inp", "S,P1,_,______,__;Kafa;1;1;;1;2;;7\r\nT,P1,_,______,__;\r\n"));
    EXPECT_TRUE(ui.notices.empty()) << ui.notices[0].text;  // an article that exists still sells
}

INSTANTIATE_TEST_SUITE_P(AllEngines, HostileFiles,
                         testing::Values(Engine::Embedded, Engine::FirebirdServer, Engine::MariaDB),
                         [](const testing::TestParamInfo<Engine>& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

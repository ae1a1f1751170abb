// The same behaviour on every engine: embedded Firebird, a Firebird server and MariaDB
// through ODBC (the servers only when the environment names them).
#include <gtest/gtest.h>

#include <algorithm>

#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "db/SqlLayer.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/RecordingUserInterface.h"

namespace fm::test {
namespace {

using PartnerTables = FreshDatabase::PartnerTables;

class Engines : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (const auto reason = engineUnavailable(GetParam())) GTEST_SKIP() << *reason;
        ui.realPauses = false;
        state.postavke.K71B3 = 1;
        state.postavke.FID_RACUNA = 1;
        state.postavke.FID_ROBA = 1;
    }

    void createDatabase(PartnerTables partnerTables) {
        database = std::make_unique<EngineDatabase>(GetParam(), partnerTables);
    }

    // A new data module connected to the database; false with the message shown.
    bool connect() {
        dm.reset();
        ui.messages.clear();
        statements.clear();
        dm = std::make_unique<Tdm_db>(state, ui);
        dm->onStatement([this](const std::string& sql) { statements.push_back(sql); });
        state.BazaOtvorena = dm->OtvoriBazuPodataka(database->iniPath());
        return state.BazaOtvorena;
    }

    bool sent(const std::string& statement) const {
        return std::find(statements.begin(), statements.end(), statement) != statements.end();
    }
    int createTableStatements() const {
        return int(std::count_if(statements.begin(), statements.end(),
                                 [](const std::string& s) { return s.rfind("CREATE TABLE ", 0) == 0; }));
    }

    std::vector<std::string> texts(const std::string& sql, const std::string& column) {
        std::vector<std::string> values;
        EXPECT_TRUE(dm->sqlopen4(sql)) << dm->ZadnjaGreska();
        for (; dm->up4().hasRow(); dm->up4().next()) values.push_back(dm->up4().text(column));
        return values;
    }

    std::unique_ptr<EngineDatabase> database;
    RecordingUserInterface ui;
    ProcessState state;
    std::unique_ptr<Tdm_db> dm;
    std::vector<std::string> statements;
};

TEST_P(Engines, EmptyDatabaseIsRepairedOverTwoConnects) {
    const std::string indexStatement = "CREATE ASCENDING INDEX I_ASC_F_KNJIG_SIFRA ON F_ROBA (F_KNJIG_SIFRA)";
    createDatabase(PartnerTables::No);
    ASSERT_TRUE(connect()) << ui.messages.front();
    EXPECT_EQ(std::vector<std::string>{"Ne mogu dodati index I_ASC_F_KNJIG_SIFRA na tabelu F_ROBA"},
              ui.messages);
    EXPECT_TRUE(sent(GetParam() == Engine::MariaDB
                         ? "CREATE INDEX I_ASC_F_KNJIG_SIFRA ON F_ROBA (F_KNJIG_SIFRA ASC)"
                         : indexStatement));
    EXPECT_EQ(10, createTableStatements());
    for (const char* table : {"F_KUPCI", "F_DNEV_IZV", "F_NIVELACIJA", "F_POR_STOPE", "F_GRUPE_ROBA",
                              "F_OPERATERI", "F_ROBA", "F_OBJEKAT", "F_LOG_RACUN", "F_LOG_STAVKE"})
        EXPECT_EQ(0, dm->TestirajPostojanjePolja(table, "F_ID_KASE")) << table;
    // The daily reports lose their date-time column under the MySQL driver only.
    EXPECT_EQ(GetParam() == Engine::MariaDB ? -31 : 0, dm->TestirajPostojanjePolja("F_DNEV_IZV", "F_DATUM"));
    EXPECT_EQ(0, dm->TestirajPostojanjePolja("f_dnev_izv", "f_datum_izv"));
    EXPECT_EQ(-21, dm->TestirajPostojanjePolja("F_SEMAFOR", "F_RBR"));
    EXPECT_EQ(-31, dm->TestirajPostojanjePravila("I_ASC_F_KNJIG_SIFRA"));
    EXPECT_EQ(0, dm->TestirajPostojanjePravila(" I_ASC_F_NAZIV_ROBE "));
    EXPECT_EQ(0, dm->TestirajPostojanjePravila("I_DESC_F_SIFRA_ROBE"));
    EXPECT_TRUE(dm->timer1Enabled());

    // The tables of the fiscal-printer driver stay closed; the ones just made are open for
    // this run, so that articles can be added, found and changed at once.
    for (const char* object : {"F_SEMAFOR", "F_PLACANJE", "F_RACUN"}) EXPECT_FALSE(dm->isDatasetOpen(object));
    for (const char* object : {"F_KUPCI", "F_DNEV_IZV", "F_NIVELACIJA", "f_por_stope", "f_grupe_roba",
                               "F_operateri", "f_roba", "F_objekat", "F_LOG_RACUN", "F_LOG_STAVKE"})
        EXPECT_TRUE(dm->isDatasetOpen(object)) << object;
    ASSERT_TRUE(UpisiRobu(*dm, 1, 1, 1, "", "KAFA", "K1", 1.5)) << dm->ZadnjaGreska();
    EXPECT_EQ(1, NadjiSifruPoKnjigSifri(*dm, "K1"));
    EXPECT_TRUE(UpisiNivelaciju(*dm, 57, 1, 1, 1, " ", "KAFA", 1.6)) << dm->ZadnjaGreska();

    ASSERT_TRUE(connect()) << ui.messages.front();
    EXPECT_EQ(std::vector<std::string>{}, ui.messages);
    EXPECT_EQ(0, createTableStatements());
    EXPECT_EQ(0, dm->TestirajPostojanjePravila("I_ASC_F_KNJIG_SIFRA"));

    ASSERT_TRUE(connect());
    EXPECT_FALSE(sent(indexStatement));
}

TEST_P(Engines, JobRowsAreWrittenCountedFoundAndRemoved) {
    createDatabase(PartnerTables::Yes);
    ASSERT_TRUE(connect());
    ASSERT_TRUE(UpisiRobu(*dm, 12, 3, 2, "3871234567890", "KAFA", "A-12", 1.5)) << dm->ZadnjaGreska();
    EXPECT_EQ(12, NadjiSifruPoBarKodu(*dm, " 3871234567890"));
    EXPECT_EQ(12, NadjiSifruPoKnjigSifri(*dm, "A-12"));
    EXPECT_EQ(12, dm->max("f_roba", "f_sifra_robe"));
    ASSERT_TRUE(UpisiNivelaciju(*dm, 56, 12, 3, 2, " ", "KAFA", 1.6)) << dm->ZadnjaGreska();
    EXPECT_EQ(std::vector<std::string>{"1.6"}, texts("select F_CIJENA_ROBE from F_ROBA", "F_CIJENA_ROBE"));

    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "", "KAFA", 1.6, 2)) << dm->ZadnjaGreska();
    state.postavke.K71B3 = 0;  // quoted numbers go into float columns as well
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 1, 12, 3, 2, "", "KAFA", 1.6, -0.5)) << dm->ZadnjaGreska();
    ASSERT_TRUE(UpisiPlacanje(*dm, 57, 0, 0, 2.4)) << dm->ZadnjaGreska();
    state.postavke.K71B3 = 1;
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 0, 0, 0, 0, 1, "memo")) << dm->ZadnjaGreska();

    ASSERT_TRUE(
        dm->openSumaRacuna("SELECT SUM(F_KOLICINA*F_CIJENA_ROBE)  AS F_TOTAL  FROM F_RACUN WHERE F_ID_KASE=1 "
                           "and F_RBR=57 and TIPKNJIZENJA=1"))
        << dm->ZadnjaGreska();
    EXPECT_EQ("2.4", dm->F_SUMA_RACUNA().text("F_TOTAL"));
    EXPECT_EQ(2, BrojStavkiRacuna(*dm, 57, 0));
    EXPECT_EQ(1, BrojPlacanja(*dm, 57, 0));
    EXPECT_EQ(-2, ProvjeriSemafor(*dm, 57, 0));
    EXPECT_EQ(std::vector<std::string>{"memo"}, texts("select MEMO from F_SEMAFOR", "MEMO"));

    EXPECT_TRUE(ObrisiPlacanja(*dm, 57, 0));
    EXPECT_TRUE(ObrisiStavkeRacuna(*dm, 57, 0));
    EXPECT_TRUE(ObrisiSemafor(*dm, 57, 0));
    EXPECT_EQ(0, BrojStavkiRacuna(*dm, 57, 0));
    EXPECT_EQ(0, BrojPlacanja(*dm, 57, 0));
    EXPECT_EQ(0, ProvjeriSemafor(*dm, 57, 0));
    EXPECT_TRUE(ui.notices.empty());
}

TEST_P(Engines, KeyViolationIsRolledBackWithItsMessage) {
    createDatabase(PartnerTables::No);
    ASSERT_TRUE(connect());
    ASSERT_TRUE(UpisiRobu(*dm, 5, 1, 1, "", "FIRST", "K5", 1));
    EXPECT_FALSE(UpisiRobu(*dm, 5, 1, 1, "", "SECOND", "K6", 2));
    EXPECT_NE("", dm->ZadnjaGreska());
    EXPECT_TRUE(dm->lastErrorIsKeyViolation()) << dm->ZadnjaGreska();
    EXPECT_FALSE(dm->connectionLost());
    EXPECT_EQ(std::vector<std::string>{"FIRST"}, texts("select F_NAZIV_ROBE from F_ROBA", "F_NAZIV_ROBE"));
    // Nothing of the failed statement is pending: the next one commits on its own.
    EXPECT_TRUE(dm->sqlexec3("update F_ROBA set F_NAZIV_ROBE='THIRD'"));
    EXPECT_EQ("", dm->ZadnjaGreska());
    EXPECT_FALSE(dm->lastErrorIsKeyViolation());
    EXPECT_TRUE(dm->sqlexec1("update F_ROBA set F_NAZIV_ROBE='X' where F_SIFRA_ROBE=99"));  // no row: fine
    ASSERT_TRUE(connect());
    EXPECT_EQ(std::vector<std::string>{"THIRD"}, texts("select F_NAZIV_ROBE from F_ROBA", "F_NAZIV_ROBE"));
}

TEST_P(Engines, MissingTableReadsTableDoesNotExist) {
    createDatabase(PartnerTables::No);
    ASSERT_TRUE(connect());
    EXPECT_FALSE(dm->sqlopen3("select * from F_NEMA"));
    EXPECT_EQ(0u, dm->ZadnjaGreska().rfind("Table does not exist", 0)) << dm->ZadnjaGreska();
    EXPECT_FALSE(dm->lastErrorIsKeyViolation());
    EXPECT_FALSE(dm->connectionLost());
    EXPECT_FALSE(dm->sqlexec("delete from F_NEMA"));
    EXPECT_EQ(0u, dm->ZadnjaGreska().rfind("Table does not exist", 0)) << dm->ZadnjaGreska();
    EXPECT_FALSE(dm->sqlopen3("select NEMA from F_ROBA"));
    EXPECT_NE(0u, dm->ZadnjaGreska().rfind("Table does not exist", 0)) << dm->ZadnjaGreska();
}

// The select of every scan (kept prepared on Firebird) reads as select3 does and sees what
// another connection committed since its last run; a failure comes with the engine's text.
TEST_P(Engines, ASelectOfEveryScanSeesWhatAnotherConnectionCommitted) {
    createDatabase(PartnerTables::Yes);
    ASSERT_TRUE(connect());
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 3, 2, "38712", "KAFA \xE8", 1.25, -0.5))
        << dm->ZadnjaGreska();
    const std::string items =
        "select F_RBR, F_SIFRA_ROBE, F_BAR_CODE, F_NAZIV_ROBE, F_CIJENA_ROBE, F_KOLICINA from F_RACUN";
    const auto kept = dm->selectEveryScan(items);
    ASSERT_TRUE(kept) << kept.error().text;
    std::vector<std::string> keptTexts;
    for (const char* column :
         {"F_RBR", "F_SIFRA_ROBE", "F_BAR_CODE", "F_NAZIV_ROBE", "F_CIJENA_ROBE", "F_KOLICINA"})
        keptTexts.push_back((*kept)->text(column));
    EXPECT_EQ((std::vector<std::string>{"57", "12", "38712", "KAFA \xE8", "1.25", "-0.5"}), keptTexts);

    const std::string summary = "select count(*) as N, sum(F_RBR) as S from F_SEMAFOR";
    const auto look = [&] {
        const auto counted = dm->selectEveryScan(summary);
        return counted ? (*counted)->text("N") + "/" + (*counted)->text("S") : counted.error().text;
    };
    EXPECT_EQ("0/", look());
    Tdm_db other(state, ui);
    ASSERT_TRUE(other.OtvoriBazuPodataka(database->iniPath()));
    ASSERT_TRUE(UpisiSemafor(other, 57, 0, 0, 0, 0, 1, "")) << other.ZadnjaGreska();
    EXPECT_EQ("1/57", look());
    ASSERT_TRUE(ObrisiSemafor(other, 57, 0)) << other.ZadnjaGreska();
    EXPECT_EQ("0/", look());

    const auto missing = dm->selectEveryScan("select count(*) as N from F_NEMA");
    ASSERT_FALSE(missing);
    EXPECT_EQ(0u, missing.error().text.rfind("Table does not exist.", 0)) << missing.error().text;
    EXPECT_EQ("0/", look());
}

TEST_P(Engines, TextsKeepEveryByte) {
    createDatabase(PartnerTables::Yes);
    ASSERT_TRUE(connect());
    const std::vector<std::string> names = {"O'NEIL \\ 'X' \\'", "\xE8\x9A", "KAFA \\n 100%"};
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(UpisiRobu(*dm, int(i) + 1, 1, 1, "", names[i], names[i], 1)) << dm->ZadnjaGreska();
    EXPECT_EQ(names, texts("select F_NAZIV_ROBE from F_ROBA order by F_SIFRA_ROBE", "F_NAZIV_ROBE"));
    EXPECT_EQ(2, NadjiSifruPoKnjigSifri(*dm, "\xE8\x9A"));
    // One byte per character in the database: what the fiscal-printer driver reads.
    std::vector<std::string> lengths;
    for (const std::string& name : names) lengths.push_back(std::to_string(name.size()));
    EXPECT_EQ(lengths,
              texts("select octet_length(F_NAZIV_ROBE) as n from F_ROBA order by F_SIFRA_ROBE", "n"));

    // Every byte but zero, 32 to a name (the full width of the column) and all in one memo.
    std::string all;
    for (int c = 1; c < 256; ++c) all += char(c);
    for (std::size_t start = 0; start < all.size(); start += 32)
        ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, int(start), 1, 1, "", all.substr(start, 32), 1, 1))
            << start << ": " << dm->ZadnjaGreska();
    std::string readBack;
    for (const std::string& part :
         texts("select F_NAZIV_ROBE from F_RACUN order by F_SIFRA_ROBE", "F_NAZIV_ROBE"))
        readBack += part;
    EXPECT_EQ(all, readBack);
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 0, 0, 0, 0, 1, all)) << dm->ZadnjaGreska();
    EXPECT_EQ(std::vector<std::string>{all}, texts("select MEMO from F_SEMAFOR", "MEMO"));
    EXPECT_EQ(std::vector<std::string>{"255"}, texts("select octet_length(MEMO) as n from F_SEMAFOR", "n"));
}

// Bytes 0xD8 to 0xDB (latin1 Ø Ù Ú Û, windows-1250 Ř Ů Ú Ű) once made statements come out
// longer than they were, with whatever lay behind them in memory.
TEST_P(Engines, StatementsFullOfTheBytesD8ToDBArriveWhole) {
    createDatabase(PartnerTables::Yes);
    ASSERT_TRUE(connect());
    std::string memo;
    for (int i = 0; i < 255; ++i) memo += char(0xD8 + i % 4);
    for (int job = 1; job <= 20; ++job) {
        ASSERT_TRUE(UpisiSemafor(*dm, job, 0, 0, 0, 0, 1, memo.substr(0, std::size_t(200 + job))))
            << dm->ZadnjaGreska();
        EXPECT_EQ(
            std::vector<std::string>{std::to_string(200 + job)},
            texts("select octet_length(MEMO) as n from F_SEMAFOR where F_RBR = " + std::to_string(job), "n"));
    }
    EXPECT_EQ(std::vector<std::string>{memo.substr(0, 220)},
              texts("select MEMO from F_SEMAFOR where F_RBR = 20", "MEMO"));
}

TEST_P(Engines, RefusedLoginShowsOneMessageAndLeavesPollingOff) {
    if (GetParam() == Engine::Embedded) GTEST_SKIP() << "the embedded engine takes any password";
    createDatabase(PartnerTables::No);
    TempDir dir;
    dir.write("database.ini", database->iniText("opkasa", "wrong"));
    Tdm_db refused(state, ui);
    EXPECT_FALSE(refused.OtvoriBazuPodataka(dir.file("database.ini")));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(0u, ui.messages[0].rfind("GRESKA! NE MOGU OTVORITI  BAZU PODATAKA\r\n", 0));
    EXPECT_GT(ui.messages[0].size(), 45u);
    EXPECT_FALSE(refused.isConnected());
    EXPECT_FALSE(refused.timer1Enabled());
}

// A session without its modes, as one that the driver opened again on its own would be:
// the ping before the next file finds it, its statements are refused with the reason, and
// the data module opens the connection again with its modes.
TEST_P(Engines, AMariaDbSessionWithoutItsModesIsRefusedAndOpenedAgain) {
    if (GetParam() != Engine::MariaDB) GTEST_SKIP() << "sql_mode is MariaDB's";
    createDatabase(PartnerTables::Yes);
    const Result<std::string> ini = files::readWholeFile(database->iniPath());
    ASSERT_TRUE(ini) << ini.error();
    const sql::ParameterList parameters(text::splitLines(*ini));
    sql::Connection connection("sql-mode-test");
    sql::Outcome done = connection.open(parameters.value("DRIVERNAME"), parameters);
    ASSERT_TRUE(done) << done.error;
    ASSERT_TRUE(done = connection.ping()) << done.error;
    ASSERT_TRUE(done = connection.execute("SET SESSION sql_mode = 'STRICT_ALL_TABLES'")) << done.error;

    const std::string refused =
        "Sesija baze podataka nema sql_mode NO_BACKSLASH_ESCAPES (sql_mode je 'STRICT_ALL_TABLES'): SQL "
        "naredbe se ne izvrsavaju";
    EXPECT_FALSE(done = connection.ping());
    EXPECT_EQ(done.error, refused);
    EXPECT_EQ(done.failure, sql::Failure::ConnectionLost);
    EXPECT_TRUE(connection.lost());
    EXPECT_FALSE(done = connection.execute("delete from F_SEMAFOR"));
    EXPECT_EQ(done.error, refused);
    sql::ResultSet rows;
    EXPECT_FALSE(done = connection.select("select 1 as n", rows));
    EXPECT_EQ(done.error, refused);

    ASSERT_TRUE(connect());
    ASSERT_TRUE(dm->sqlexec("SET SESSION sql_mode = ''"));
    EXPECT_TRUE(dm->ensureConnected());
    ASSERT_TRUE(UpisiRobu(*dm, 9, 1, 1, "", "x\\", "K9", 1)) << dm->ZadnjaGreska();
    EXPECT_EQ(texts("select F_NAZIV_ROBE from F_ROBA where F_SIFRA_ROBE = 9", "F_NAZIV_ROBE"),
              std::vector<std::string>{"x\\"});
    EXPECT_TRUE(ui.notices.empty()) << ui.notices[0].text;
}

INSTANTIATE_TEST_SUITE_P(AllEngines, Engines,
                         testing::Values(Engine::Embedded, Engine::FirebirdServer, Engine::MariaDB),
                         [](const testing::TestParamInfo<Engine>& info) { return engineName(info.param); });

}  // namespace
}  // namespace fm::test

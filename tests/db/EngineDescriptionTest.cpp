#include <gtest/gtest.h>

#include <QSqlError>

#include "db/Schema.h"
#include "db/SqlLayer.h"

namespace fm::sql {
namespace {

TEST(EngineDescription, DriverNamesPickTheEngine) {
    const Engine firebird = Engine::forDriver("INTRBASE");
    EXPECT_EQ("QIBASE", firebird.qtDriver);
    EXPECT_EQ(schema::Dialect::Firebird, firebird.dialect);
    const Engine odbc = Engine::forDriver("MySQL ODBC 3.51 Driver");
    EXPECT_EQ("QODBC", odbc.qtDriver);
    EXPECT_EQ(schema::Dialect::MariaDB, odbc.dialect);
    EXPECT_EQ(TextCoding::Koi8r, odbc.coding);
    const Engine sqlite = Engine::forDriver("QSQLITE");
    EXPECT_EQ("QSQLITE", sqlite.qtDriver);
    EXPECT_EQ(schema::Dialect::Standard, sqlite.dialect);
    EXPECT_EQ(TextCoding::Latin1, sqlite.coding);
    EXPECT_FALSE(sqlite.userTables);
}

TEST(EngineDescription, DefaultCredentialsOnlyForIntrbase) {
    ParameterList named({"PASSWORD=tajna"});
    Engine::forDriver("INTRBASE").addDefaultCredentials(named);
    EXPECT_EQ("opkasa", named.value("USER NAME"));
    EXPECT_EQ("tajna", named.value("PASSWORD"));
    ParameterList none;
    Engine::forDriver("QIBASE").addDefaultCredentials(none);
    EXPECT_TRUE(none.lines().empty());
}

TEST(EngineDescription, AMissingDriverOrClientIsNamedWithWhatToInstall) {
    const QSqlError noError;
    EXPECT_EQ(Engine::forDriver("INTRBASE").missingDriverHint(false, noError),
              "Nije ucitan drajver QIBASE: instalirajte Firebird 3 klijent (fbclient.dll)");
    EXPECT_EQ(Engine::forDriver("QPSQL").missingDriverHint(false, noError),
              "Nije ucitan drajver QPSQL: instalirajte ga uz program");
    const Engine odbc = Engine::forDriver("MySQL ODBC 3.51 Driver");
    const std::string odbcHint = "ODBC drajver \"MySQL ODBC 3.51 Driver\" nije instaliran: instalirajte "
                                 "MariaDB (ili MySQL) ODBC drajver pod tim imenom";
    for (const QSqlError& missing :
         {QSqlError("QODBC: Unable to connect", "", QSqlError::ConnectionError, "IM002"),
          QSqlError("QODBC: Unable to connect",
                    "[unixODBC][Driver Manager]Data source name not found and no default driver specified",
                    QSqlError::ConnectionError, "0")})
        EXPECT_EQ(odbc.missingDriverHint(true, missing), odbcHint);
    const QSqlError refused("QODBC: Unable to connect", "Can't connect to server on '127.0.0.1'",
                            QSqlError::ConnectionError, "2002");
    EXPECT_EQ(odbc.missingDriverHint(true, refused), "");
    EXPECT_EQ(Engine::forDriver("INTRBASE").missingDriverHint(true, refused), "");
}

TEST(EngineDescription, StatementsInEachGrammar) {
    EXPECT_EQ("select first 0 * from F_ROBA", Engine::forDriver("INTRBASE").probeStatement("F_ROBA", "*"));
    EXPECT_EQ("select A,B from T limit 0", Engine::forDriver("QMYSQL").probeStatement("T", "A,B"));
    EXPECT_EQ("select * from T where 1=0", Engine::forDriver("QSQLITE").probeStatement("T", "*"));
    EXPECT_EQ(
        "select rdb$index_name as name from rdb$indices where rdb$relation_name = 'O''K'",
        Engine::forDriver("INTRBASE").catalogueStatement(*Engine::forDriver("INTRBASE").indexes, "O'K"));
    EXPECT_EQ(schema::knjigSifraIndexStatement,
              Engine::forDriver("INTRBASE").inDialect(schema::knjigSifraIndexStatement));
    EXPECT_EQ("CREATE INDEX I_ASC_F_KNJIG_SIFRA ON F_ROBA (F_KNJIG_SIFRA ASC)",
              Engine::forDriver("QSQLITE").inDialect(schema::knjigSifraIndexStatement));
}

TEST(EngineDescription, TheOdbcConnectorKeepsTheDailyReportWithoutItsDate) {
    const schema::Table& report = schema::table("F_DNEV_IZV");
    EXPECT_FALSE(Engine::forDriver("MySQL ODBC 3.51 Driver").asKept(report).hasColumn("F_DATUM"));
    EXPECT_TRUE(Engine::forDriver("QMYSQL").asKept(report).hasColumn("F_DATUM"));
}

TEST(EngineDescription, AMariaDbSessionNeedsBothModes) {
    const Engine mariaDb = Engine::forDriver("MySQL ODBC 3.51 Driver");
    ASSERT_TRUE(mariaDb.sessionFault);
    EXPECT_FALSE(mariaDb.sessionFault("STRICT_ALL_TABLES,no_backslash_escapes"));
    EXPECT_EQ(
        "Sesija baze podataka nema sql_mode NO_BACKSLASH_ESCAPES, STRICT_ALL_TABLES (sql_mode je ''): SQL "
        "naredbe se ne izvrsavaju",
        mariaDb.sessionFault("").value_or(""));
    EXPECT_FALSE(Engine::forDriver("INTRBASE").sessionFault);
}

}  // namespace
}  // namespace fm::sql

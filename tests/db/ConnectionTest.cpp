#include "platform/Text.h"
#include "tests/db/DbFixture.h"
#include "tests/db/OpenFailure.h"

namespace fm::test {
namespace {

class Connection : public DbFixture {
  protected:
    bool open(const std::string& ini) {
        database.dir().write("database.ini", ini);
        dm = std::make_unique<Tdm_db>(state, ui);
        return dm->OtvoriBazuPodataka(database.iniPath());
    }
    std::string currentUser() {
        EXPECT_TRUE(dm->sqlopen("select current_user as u from rdb$database")) << dm->ZadnjaGreska();
        return text::trim(dm->up().text("U"));
    }
};

TEST_F(Connection, DefaultDriverAndCredentials) {
    ASSERT_TRUE(open("Database=" + database.path() + "\r\n"));
    EXPECT_EQ("INTRBASE", dm->driverName());
    EXPECT_EQ("OPKASA", currentUser());
    EXPECT_TRUE(dm->timer1Enabled());
    EXPECT_EQ(3000, dm->timer1Interval());
    EXPECT_TRUE(ui.messages.empty() || ui.messages.size() == 1);  // the index message of a new database

    ASSERT_TRUE(open("DRIVERNAME=  INTRBASE \r\nUSER NAME=\r\nDatabase=" + database.path() + "\r\n"));
    EXPECT_EQ("OPKASA", currentUser());

    ASSERT_TRUE(open("USER NAME=kasa2\r\nDatabase=" + database.path() + "\r\n"));
    EXPECT_EQ("KASA2", currentUser());
}

// A driver name of neither engine goes to Qt SQL as it is: SQLite here, whose tables and
// columns come from the Qt driver's own catalogue.
TEST_F(Connection, AnyOtherDriverNameGoesToQtSql) {
    ASSERT_TRUE(open("DRIVERNAME=QSQLITE\r\nDatabase=" + database.dir().file("fiscal.sqlite") + "\r\n"));
    ASSERT_TRUE(dm->sqlexec("create table F_ROBA (F_ID_KASE integer primary key, F_KNJIG_SIFRA varchar(16))"))
        << dm->ZadnjaGreska();
    EXPECT_TRUE(dm->sqlexec("insert into F_ROBA values (1, 'KAFA')")) << dm->ZadnjaGreska();
    ASSERT_TRUE(dm->sqlopen("select F_KNJIG_SIFRA from F_ROBA")) << dm->ZadnjaGreska();
    EXPECT_EQ("KAFA", dm->up().text("F_KNJIG_SIFRA"));
    EXPECT_EQ(0, dm->TestirajPostojanjePolja("f_roba", "F_KNJIG_SIFRA"));
    EXPECT_EQ(-31, dm->TestirajPostojanjePolja("F_ROBA", "F_NEMA"));
    EXPECT_EQ(-21, dm->TestirajPostojanjePolja("F_NEMA", "F_KNJIG_SIFRA"));
}

TEST_F(Connection, ServerOutOfReach) {
    EXPECT_FALSE(open("DRIVERNAME=INTRBASE\r\nDatabase=127.0.0.1/3999:/nowhere/fiscal.fdb\r\n"));
    expectOneOpenFailure(ui, *dm);
}

TEST_F(Connection, MissingDatabaseFile) {
    EXPECT_FALSE(open("DRIVERNAME=INTRBASE\r\nDatabase=" + database.dir().file("nema.fdb") + "\r\n"));
    expectOneOpenFailure(ui, *dm);
}

TEST_F(Connection, SecondCallStartsOver) {
    ASSERT_TRUE(open(FreshDatabase::iniText(database.path())));
    database.dir().write("database.ini", "DRIVERNAME=KAPPALOCALTXT\r\n");
    EXPECT_FALSE(dm->OtvoriBazuPodataka(database.iniPath()));
    EXPECT_FALSE(dm->isConnected());
    EXPECT_FALSE(dm->sqlopen("select 1 from rdb$database"));
    EXPECT_NE("", dm->ZadnjaGreska());
}

}  // namespace
}  // namespace fm::test

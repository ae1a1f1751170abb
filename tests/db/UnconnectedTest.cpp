// The data module's helpers that need no engine: the file search, the catalogue of a
// module never connected, and the opens that fail before an engine is reached.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/DM_db_source.h"
#include "tests/db/OpenFailure.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

TEST(FileSearch, FirstMatchWhenItIsAFile) {
    TempDir dir;
    EXPECT_EQ("", fsearch(dir.file("*.inp")));
    std::filesystem::create_directory(dir.file("folder.inp"));
    EXPECT_EQ("", fsearch(dir.file("*.inp")));
    dir.write("racun.txt", "x");
    EXPECT_EQ("racun.txt", fsearch(dir.file("*.txt")));
}

TEST(ExistenceTests, WithoutAConnectionTheCatalogueCannotBeRead) {
    ProcessState state;
    RecordingUserInterface ui;
    Tdm_db dm(state, ui);
    EXPECT_EQ(-20, dm.TestirajPostojanjePravila("I_ASC_F_KNJIG_SIFRA"));
    EXPECT_EQ(-20, dm.TestirajPostojanjePolja("F_ROBA", "F_KNJIG_SIFRA"));
}

class OpeningWithoutEngine : public testing::Test {
  protected:
    bool open(const std::string& ini) {
        dir.write("database.ini", ini);
        return dm.OtvoriBazuPodataka(dir.file("database.ini"));
    }

    TempDir dir;
    ProcessState state;
    RecordingUserInterface ui;
    Tdm_db dm{state, ui};
};

TEST_F(OpeningWithoutEngine, MissingParameterFile) {
    EXPECT_FALSE(dm.OtvoriBazuPodataka(dir.file("nema.ini")));
    EXPECT_EQ(std::vector<std::string>{"Ne mogu otvoriti ini datoteku: " + dir.file("nema.ini")},
              ui.messages);
    EXPECT_FALSE(dm.timer1Enabled());
}

TEST_F(OpeningWithoutEngine, NoDatabaseDriver) {
    EXPECT_FALSE(open("DRIVERNAME=KAPPALOCALTXT\r\nDatabase=" + dir.file("fiscal.fdb") + "\r\n"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(dm.isConnected());
    EXPECT_FALSE(dm.timer1Enabled());
}

TEST_F(OpeningWithoutEngine, DriverNamesAreExact) {
    EXPECT_FALSE(open("DRIVERNAME=intrbase\r\nDatabase=" + dir.file("fiscal.fdb") + "\r\n"));
    EXPECT_EQ("intrbase", dm.driverName());
    expectOneOpenFailure(ui, dm);
}

}  // namespace
}  // namespace fm::test

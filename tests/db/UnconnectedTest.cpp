// The data module's helpers that need no engine: the file search, and the catalogue of a
// module never connected.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/DM_db_source.h"
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

}  // namespace
}  // namespace fm::test

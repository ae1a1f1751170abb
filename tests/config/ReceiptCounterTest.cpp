#include <gtest/gtest.h>

#include "config/ReceiptCounter.h"
#include "config/Settings.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/SettingsFile.h"

namespace fm {
namespace {

class ReceiptCounterTest : public ::testing::Test {
  protected:
    Settings withFile(const std::string& bytes) { return file.write(bytes); }
    std::string fileNow() { return file.read(); }
    test::SettingsFile file;
    test::RecordingUserInterface ui;
    ProcessState state;
};

TEST_F(ReceiptCounterTest, LoadsTheCounterOrStartsAtOne) {
    ASSERT_TRUE(CitajBrojRacuna(withFile("rbrr=57\n"), state, ui));
    EXPECT_EQ(state.BrojRacuna, 57);
    ASSERT_TRUE(CitajBrojRacuna(withFile("RBRR=\n"), state, ui));
    EXPECT_EQ(state.BrojRacuna, 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ReceiptCounterTest, NonNumericCounterIsReportedAndKept) {
    state.BrojRacuna = 0;
    EXPECT_FALSE(CitajBrojRacuna(withFile("RBRR=5x\n"), state, ui));
    EXPECT_EQ(state.BrojRacuna, 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Neki od brojeva racuna je neispravan!"});
}

TEST_F(ReceiptCounterTest, RewritesOnlyTheFirstCounterLine) {
    Settings settings =
        withFile("FID_RACUNA=2\nrbrr=7\nTARVOLOCALDIR=/in/\nRBRR=99\nlast line without break");
    ASSERT_TRUE(SnimiBrojRacuna(settings, 58));
    EXPECT_EQ(fileNow(),
              "FID_RACUNA=2\r\nRBRR=58\r\nTARVOLOCALDIR=/in/\r\nRBRR=99\r\nlast line without break\r\n");
    ASSERT_TRUE(SnimiBrojRacuna(settings, -3));
    EXPECT_EQ(fileNow(),
              "FID_RACUNA=2\r\nRBRR=-3\r\nTARVOLOCALDIR=/in/\r\nRBRR=99\r\nlast line without break\r\n");
}

TEST_F(ReceiptCounterTest, EmptyCounterLineIsReplaced) {
    ASSERT_TRUE(SnimiBrojRacuna(withFile("RBRR=\r\n"), 2));
    EXPECT_EQ(fileNow(), "RBRR=2\r\n");
}

TEST_F(ReceiptCounterTest, WriterDoesNotTrimTheKey) {
    Settings settings = withFile(" RBRR=5\nRBRR =6\n");
    EXPECT_FALSE(SnimiBrojRacuna(settings, 7));
    EXPECT_EQ(fileNow(), " RBRR=5\nRBRR =6\n");
}

TEST_F(ReceiptCounterTest, NothingToRewriteWithoutFile) {
    EXPECT_FALSE(SnimiBrojRacuna(Settings(file.path()), 5));
    EXPECT_FALSE(SnimiBrojRacuna(withFile("K71B3=1\n"), 5));
    EXPECT_EQ(fileNow(), "K71B3=1\n");
}

}  // namespace
}  // namespace fm

#include <gtest/gtest.h>

#include <utility>

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

// Whatever line the reader takes the counter from is the one rewritten, and the number
// saved is the number the next start reads.
TEST_F(ReceiptCounterTest, TheNumberSavedIsTheNumberReadBack) {
    const std::pair<std::string, std::string> cases[] = {
        {" RBRR = 5\nRBRR =6\n", "RBRR=7\r\nRBRR =6\r\n"},
        {"\xEF\xBB\xBFrbrr=5\r\nK71B3=1\r\n", "\xEF\xBB\xBFRBRR=7\r\nK71B3=1\r\n"},
        {"K71B3=1\nlast line without break", "K71B3=1\r\nlast line without break\r\nRBRR=7\r\n"},
        {"", "RBRR=7\r\n"},
    };
    for (const auto& [before, after] : cases) {
        Settings settings = withFile(before);
        ASSERT_TRUE(SnimiBrojRacuna(settings, 7)) << before;
        EXPECT_EQ(fileNow(), after);
        ASSERT_TRUE(CitajBrojRacuna(settings, state, ui));
        EXPECT_EQ(state.BrojRacuna, 7) << before;
    }
}

TEST_F(ReceiptCounterTest, AMissingFileIsCreatedWithTheCounter) {
    ASSERT_TRUE(SnimiBrojRacuna(Settings(file.path()), 5));
    EXPECT_EQ(fileNow(), "RBRR=5\r\n");
}

}  // namespace
}  // namespace fm

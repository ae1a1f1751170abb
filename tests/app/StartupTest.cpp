#include <gtest/gtest.h>

#include "app/Startup.h"
#include "config/Postavke.h"
#include "config/Settings.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/SettingsFile.h"

namespace fm {
namespace {

class ReadingAtCreate : public ::testing::Test {
  protected:
    bool read(const std::string& settingsText) {
        return readSettingsAtCreate(file.write(settingsText), state, ui);
    }

    test::SettingsFile file;
    ProcessState state;
    test::RecordingUserInterface ui;
};

TEST_F(ReadingAtCreate, LoadsTheSettingsAndTheReceiptCounterQuietly) {
    EXPECT_TRUE(read("F_BROJ_KASE=AB1234\r\nRBRR=17\r\n"));
    EXPECT_EQ(state.BrojRacuna, 17);
    EXPECT_EQ(state.postavke.TARVODBDRIVERAUTOMATICTIMER, 3000);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.notices.empty());
}

TEST_F(ReadingAtCreate, ANonNumericCounterGivesTheMessageThenTheNoticeAndStaysZero) {
    EXPECT_TRUE(read("RBRR=sedam\r\n"));
    EXPECT_EQ(state.BrojRacuna, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Neki od brojeva racuna je neispravan!");
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_EQ(ui.notices[0].title, "");
    EXPECT_EQ(ui.notices[0].text, "Ne moze se procitati pocetni knjigovodstveni broj racuna!");
    EXPECT_GE(ui.eventPasses, 1);
}

TEST_F(ReadingAtCreate, AnErrorAfterTheRegisterNumbersSkipsTheCounter) {
    EXPECT_FALSE(read("RBRR=17\r\nTARVOREZERVNOVRIJEME=pola\r\n"));
    EXPECT_EQ(state.BrojRacuna, 0);
    EXPECT_EQ(ui.errors.size(), 1u);
    EXPECT_TRUE(ui.notices.empty());
}

}  // namespace
}  // namespace fm

#include <gtest/gtest.h>

#include <tuple>

#include "app/Startup.h"
#include "config/Postavke.h"
#include "config/Settings.h"
#include "journal/JournalStore.h"
#include "platform/FileSystem.h"
#include "tests/support/FailureOf.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

using test::failureOf;

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

// Today's counts at start come from the journal; a missing one is not created, a damaged one noticed.
TEST(TodaysCounts, ComeFromTheJournalAtStart) {
    test::TempDir dir;
    const std::string path = dir.file("MerilonDnevnik.db");
    test::RecordingUserInterface ui;
    Activity activity;
    const auto counts = [&] {
        countTodayFromJournal(path, activity, ui, nowEpochMs());
        return std::tuple(activity.today.ok, activity.today.no, activity.today.er);
    };
    EXPECT_EQ(counts(), std::tuple(0, 0, 0));
    EXPECT_FALSE(files::fileExists(path));
    dir.write("MerilonDnevnik.db", std::string(4096, 'x'));
    counts();
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_NE(ui.notices[0].text.find("premjesten u " + path + ".neispravan"), std::string::npos);

    JournalStore store(path);
    for (const int outcome : {0, 0, -2, -4}) {
        JobEntry e;
        e.outcome = outcome;
        ASSERT_EQ(failureOf(store.add(e)), "");
    }
    EXPECT_EQ(counts(), std::tuple(2, 1, 1));
}

}  // namespace
}  // namespace fm

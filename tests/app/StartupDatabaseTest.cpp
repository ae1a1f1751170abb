// The database at start-up on an embedded database that is not there at first.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ActivityPresenter.h"
#include "app/Startup.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "tests/support/FreshDatabase.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

TEST(DatabaseAtStart, OneNoticeWhenItCannotBeOpenedThenQuietRetriesUntilPollingStarts) {
    FreshDatabase database;
    std::filesystem::rename(database.path(), database.path() + ".away");  // the server not up yet
    TempDir program;
    program.write("database.ini", FreshDatabase::iniText(database.path()));
    Settings settings(program.file("MerilonSettings.ini"));
    ProcessState state;
    state.BrojRacunaUcitan = true;
    state.postavke.TARVOLOCALDIR = program.path();
    RecordingUserInterface ui;
    Tdm_db dm(state, ui);
    ActivityPresenter activity(ui);

    EXPECT_EQ(openDatabaseAndPolling(dm, settings, state, ui, activity, program.path(), [] {}),
              DatabaseAtStart::Retrying);
    EXPECT_FALSE(state.BazaOtvorena);
    EXPECT_FALSE(dm.timer1Enabled());
    EXPECT_EQ(activity.activity().doing, Activity::Doing::DatabaseRetry);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_EQ(ui.notices[0].text.rfind(
                  "GRESKA! NE MOGU OTVORITI  BAZU PODATAKA\r\nNovi pokusaj svakih 30 sekundi", 0),
              0u)
        << ui.notices[0].text;

    EXPECT_FALSE(openDatabaseAgain(dm, settings, state, ui, activity, [] {}));
    EXPECT_EQ(ui.notices.size(), 1u);

    std::filesystem::rename(database.path() + ".away", database.path());
    EXPECT_TRUE(openDatabaseAgain(dm, settings, state, ui, activity, [] {}));
    EXPECT_TRUE(state.BazaOtvorena);
    EXPECT_TRUE(dm.timer1Enabled());
    EXPECT_EQ(activity.activity().doing, Activity::Doing::Ready);
    EXPECT_EQ(ui.notices.size(), 1u);
}

}  // namespace
}  // namespace fm::test

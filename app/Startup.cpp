#include "app/Startup.h"

#include "config/ReceiptCounter.h"
#include "config/Settings.h"
#include "config/SetupMistakes.h"
#include "config/StartupSettings.h"
#include "db/DM_db_source.h"
#include "journal/JournalStore.h"
#include "platform/FileSystem.h"
#include "platform/UserInterface.h"
#include "platform/desktop/Log.h"

namespace fm {

bool readSettingsAtCreate(const Settings& settings, ProcessState& state, UserInterface& ui) {
    if (!readStartupSettings(settings, state.postavke, ui)) return false;
    if (!CitajBrojRacuna(settings, state, ui)) {
        Obavijesti(ui, "Ne moze se procitati pocetni knjigovodstveni broj racuna!");
    }
    tellSettingsMistakes(settings, state.postavke, ui);
    return true;
}

bool fiscalRegisterNumberValid(const std::string& fBrojKase) { return fBrojKase.size() == 6; }

void countTodayFromJournal(const std::string& journalPath, Activity& activity, UserInterface& ui,
                           std::int64_t nowMs) {
    activity.today = DayCounts();
    activity.countedDay = localDay(nowMs);
    if (!files::fileExists(journalPath)) return;
    JournalStore store(journalPath);
    if (const Result<DayCounts> counts = store.countsSince(startOfLocalDay(nowMs))) {
        activity.today = *counts;
    } else if (!store.setAsidePath().empty()) {
        Obavijesti(ui, counts.error());
    } else {
        desktop::logLine("dogadjaj", "danasnji poslovi se ne mogu procitati iz dnevnika: " + counts.error());
    }
}

namespace {

void startPolling(Tdm_db& dm_db, Settings& settings, ProcessState& state, UserInterface& ui,
                  std::function<void()> onTimer1) {
    if (!state.BrojRacunaUcitan) {
        // Numbering from 0 would put new jobs under numbers that earlier jobs used.
        dm_db.setTimer1Enabled(false);
        Obavijesti(ui, kNoJobNumberNotice);
        return;
    }
    settings.setTableLookup(
        [&dm_db](const std::string& upperKey) { return dm_db.settingFromTable(upperKey); });
    dm_db.setTimer1Interval(toWholeNumber(settings.CitajPostavku("TARVODBDRIVERAUTOMATICTIMER", "3000")));
    dm_db.onTimer1(std::move(onTimer1));
    if (const std::string mistake = inputDirectoryMistake(state.postavke.TARVOLOCALDIR); !mistake.empty())
        Obavijesti(ui, mistake);
}

}  // namespace

DatabaseAtStart openDatabaseAndPolling(Tdm_db& dm_db, Settings& settings, ProcessState& state,
                                       UserInterface& ui, ActivityReport& activity,
                                       const std::string& directory, std::function<void()> onTimer1) {
    const std::string iniPath = directory + "database.ini";
    if (!files::fileExists(iniPath)) return DatabaseAtStart::Settled;
    const Result<bool> opened = dm_db.openForRetry(iniPath);
    state.BazaOtvorena = opened.value_or(false);
    if (!state.BazaOtvorena) {
        if (opened) return DatabaseAtStart::Settled;
        Obavijesti(ui, "GRESKA! NE MOGU OTVORITI  BAZU PODATAKA\r\nNovi pokusaj svakih " +
                           std::to_string(kDatabaseRetryMs / 1000) +
                           " sekundi; obrada pocinje cim se baza otvori.\r\n" + opened.error());
        activity.doing(Activity::Doing::DatabaseRetry);
        return DatabaseAtStart::Retrying;
    }
    startPolling(dm_db, settings, state, ui, std::move(onTimer1));
    return DatabaseAtStart::Settled;
}

bool openDatabaseAgain(Tdm_db& dm_db, Settings& settings, ProcessState& state, UserInterface& ui,
                       ActivityReport& activity, std::function<void()> onTimer1) {
    state.BazaOtvorena = bool(dm_db.openAgain());
    if (!state.BazaOtvorena) return false;
    activity.doing(Activity::Doing::Ready);
    startPolling(dm_db, settings, state, ui, std::move(onTimer1));
    return true;
}

}  // namespace fm

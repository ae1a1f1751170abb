#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/Postavke.h"
#include "platform/Activity.h"

namespace fm {

class Settings;
class Tdm_db;
class UserInterface;

// FormCreate's reading: every setting in start-up order, then the receipt counter,
// with the notice "Ne moze se procitati pocetni knjigovodstveni broj racuna!" when it
// cannot be loaded, then one notice per set-up mistake of the settings (unknown keys, the
// error and the replies' directories). False when an error ended the reading of the
// settings early: the counter stays unloaded and the rest of FormCreate is skipped.
bool readSettingsAtCreate(const Settings& settings, ProcessState& state, UserInterface& ui);

// The fiscal register number (IBFK), trimmed when read, has exactly six characters.
bool fiscalRegisterNumberValid(const std::string& fBrojKase);

// FormShow's database step. With "database.ini" in the directory: OtvoriBazuPodataka,
// its result into BazaOtvorena; once open, the settings table answers CitajPostavku,
// TARVODBDRIVERAUTOMATICTIMER is read again as Timer1's interval, onTimer1 becomes
// Timer1's work and a missing input directory is noticed. Without the file nothing
// happens. A database that cannot be opened gives one notice instead of the message box
// and is left for openDatabaseAgain, every kDatabaseRetryMs. Without a loaded job number
// the database opens but Timer1 stays off, with the notice kNoJobNumberNotice. Throws
// std::invalid_argument when the interval read again is not a whole number.
inline constexpr const char* kNoJobNumberNotice =
    "Komandni fajlovi se ne obradjuju: knjigovodstveni broj racuna nije ucitan!";
inline constexpr int kDatabaseRetryMs = 30000;

enum class DatabaseAtStart {
    Settled,   // open, or none for good: no "database.ini", the no-database driver, an unreadable file
    Retrying,  // could not be opened: one notice, the tray hint tells of the retries
};

DatabaseAtStart openDatabaseAndPolling(Tdm_db& dm_db, Settings& settings, ProcessState& state,
                                       UserInterface& ui, ActivityReport& activity,
                                       const std::string& directory, std::function<void()> onTimer1);

// A retry after DatabaseAtStart::Retrying, showing nothing when it fails. True once the
// database is open, with everything that openDatabaseAndPolling does after the opening.
bool openDatabaseAgain(Tdm_db& dm_db, Settings& settings, ProcessState& state, UserInterface& ui,
                       ActivityReport& activity, std::function<void()> onTimer1);

// Today's OK, No and Er from the job journal into the activity, so that a start during the
// day counts on. A journal not there yet counts nothing and is not created; a damaged one
// is moved aside with a notice, any other failure is only logged (the journal gives its
// own notice when a job cannot be written).
void countTodayFromJournal(const std::string& journalPath, Activity& activity, UserInterface& ui,
                           std::int64_t nowMs);

}  // namespace fm

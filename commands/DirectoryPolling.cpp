#include "commands/DirectoryPolling.h"

#include <exception>

#include "commands/AnalRacuniKomande.h"
#include "db/DM_db_source.h"
#include "platform/FileSystem.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

// The configured directory as a prefix of file names: a closing separator supplied.
std::string asPrefix(std::string directory) {
    if (!directory.empty() && !files::isPathSeparator(directory.back())) directory += files::pathSeparator();
    return directory;
}

// Switches Timer1 on again however the scan ends.
class Timer1Pause {
public:
    explicit Timer1Pause(Tdm_db& dm_db) : dm_db_(dm_db) { dm_db_.setTimer1Enabled(false); }
    ~Timer1Pause() { dm_db_.setTimer1Enabled(true); }
    Timer1Pause(const Timer1Pause&) = delete;
    Timer1Pause& operator=(const Timer1Pause&) = delete;

private:
    Tdm_db& dm_db_;
};

}  // namespace

DirectoryPoller::DirectoryPoller(Tdm_db& dm_db, const Settings& settings) : dm_db_(dm_db), settings_(settings) {}

void DirectoryPoller::Timer1Timer() {
    const Timer1Pause pause(dm_db_);
    try {
        PregledajFajloveUDirektoriju(asPrefix(dm_db_.state().postavke.TARVOLOCALDIR));
    } catch (const std::exception& e) {
        Obavijesti(dm_db_.ui(), std::string("Greska pri pregledu direktorija:\r\n") + e.what());
    }
    dm_db_.ui().processPendingEvents();
}

void DirectoryPoller::PregledajFajloveUDirektoriju(const std::string& directory) {
    CommandProcessor processor(dm_db_, settings_);
    for (const files::DirectoryEntry& entry : files::findEntries(directory + dm_db_.state().postavke.TARVORACUN)) {
        if (entry.isDirectory) continue;
        const std::string fileName = directory + entry.name;
        if (!files::fileExists(fileName)) continue;  // gone since the search
        if (!dm_db_.ensureConnected()) return;  // the files wait for the database
        try {
            processor.AnalRacuniKomande(fileName);
        } catch (const std::exception& e) {
            Obavijesti(dm_db_.ui(), "Greska pri obradi fajla " + fileName + "\r\n" + e.what());
        }
    }
}

}  // namespace fm

#include "commands/DirectoryPolling.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <string_view>
#include <unordered_set>

#include "config/Postavke.h"
#include "db/DM_db_source.h"
#include "platform/DirectoryWatcher.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

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

class ScanInProgress {
  public:
    explicit ScanInProgress(bool& scanning) : scanning_(scanning) { scanning_ = true; }
    ~ScanInProgress() { scanning_ = false; }
    ScanInProgress(const ScanInProgress&) = delete;
    ScanInProgress& operator=(const ScanInProgress&) = delete;

  private:
    bool& scanning_;
};

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool unchanged(const files::DirectoryEntry& a, const files::DirectoryEntry& b) {
    return a.size == b.size && a.modifiedMs == b.modifiedMs;
}

template <class Map>
void eraseAllBut(Map& map, const std::vector<files::DirectoryEntry>& listing) {
    if (map.empty()) return;
    std::unordered_set<std::string_view> names;
    names.reserve(listing.size());
    for (const files::DirectoryEntry& entry : listing) names.insert(entry.name);
    std::erase_if(map, [&](const auto& item) { return !names.count(item.first); });
}

}  // namespace

std::string inputDirectoryOf(const Postavke& postavke) {
    return files::withClosingSeparator(postavke.TARVOLOCALDIR);
}

bool isInputFilePath(const std::string& path, const Postavke& postavke) {
    const std::string directory = inputDirectoryOf(postavke);
    if (path.size() <= directory.size() || path.compare(0, directory.size(), directory) != 0) return false;
    const std::string name = path.substr(directory.size());
    return name != "." && name != ".." && std::none_of(name.begin(), name.end(), files::isPathSeparator) &&
           files::matchesMask(name, postavke.TARVORACUN);
}

// ---- processed files ----

bool ProcessedFiles::contains(const files::DirectoryEntry& entry) const {
    const auto found = files_.find(entry.name);
    return found != files_.end() && found->second.size == entry.size &&
           found->second.modifiedMs == entry.modifiedMs;
}

void ProcessedFiles::remember(const files::DirectoryEntry& entry) {
    files_.insert_or_assign(entry.name, Seen{entry.size, entry.modifiedMs});
}

void ProcessedFiles::keepOnly(const std::vector<files::DirectoryEntry>& listing) {
    eraseAllBut(files_, listing);
}

// ---- settling files ----

bool SettlingFiles::settled(const files::DirectoryEntry& entry, std::int64_t now) {
    const auto [seen, added] = files_.try_emplace(entry.name, Seen{entry.size, entry.modifiedMs, now});
    if (!added && (seen->second.size != entry.size || seen->second.modifiedMs != entry.modifiedMs)) {
        seen->second = Seen{entry.size, entry.modifiedMs, now};
    }
    return now - seen->second.sinceMs >= kSettleMs;
}

std::optional<int> SettlingFiles::nextDue(std::int64_t now) const {
    std::optional<int> due;
    for (const auto& [name, seen] : files_) {
        const std::int64_t left = seen.sinceMs + kSettleMs - now;
        if (left > 0 && (!due || left < *due)) due = int(left);
    }
    return due;
}

void SettlingFiles::keepOnly(const std::vector<files::DirectoryEntry>& listing) {
    eraseAllBut(files_, listing);
}

// ---- the poller ----

DirectoryPoller::DirectoryPoller(Tdm_db& dm_db, const Settings& settings, JobJournal* journal,
                                 ActivityReport* activity)
    : DirectoryPoller(dm_db, RecordContext(dm_db), settings, journal, activity) {}

DirectoryPoller::DirectoryPoller(Tdm_db& timer1, const RecordContext& db, const Settings& settings,
                                 JobJournal* journal, ActivityReport* activity)
    : timer1_(timer1), db_(db), processor_(db, settings, journal, activity) {}

DirectoryPoller::~DirectoryPoller() = default;

std::string DirectoryPoller::inputDirectory() const { return inputDirectoryOf(db_.state.postavke); }

void DirectoryPoller::Timer1Timer() {
    if (scanning_) return;  // Timer1 switched on again by a step inside the scan
    {
        const ScanInProgress inProgress(scanning_);
        const Timer1Pause pause(timer1_);
        try {
            PregledajFajloveUDirektoriju(inputDirectory());
        } catch (const std::exception& e) {
            Obavijesti(db_.ui, std::string("Greska pri pregledu direktorija:\r\n") + e.what());
        }
        db_.ui.processPendingEvents();
    }
    if (watcher_ && !watcher_->watching() && watcher_->watch(inputDirectory())) watcher_->recheckAfter(0);
    endOfScan();
}

void DirectoryPoller::PregledajFajloveUDirektoriju(const std::string& directory) {
    scan(directory, Trigger::Timer1);
}

void DirectoryPoller::watchInputDirectory(ScanRunner runScan) {
    runScan_ = std::move(runScan);
    watcher_ = std::make_unique<DirectoryWatcher>();
    watcher_->onChange([this] { changeScan(); });
    watcher_->watch(inputDirectory());
    watcher_->recheckAfter(0);  // for the files that are there already
}

void DirectoryPoller::changeScan() {
    if (scanning_) {
        changeScanWanted_ = true;
        return;
    }
    runScan_([this] {
        {
            const ScanInProgress inProgress(scanning_);
            try {
                scan(inputDirectory(), Trigger::DirectoryChange);
            } catch (const std::exception& e) {
                Obavijesti(db_.ui, std::string("Greska pri pregledu direktorija:\r\n") + e.what());
            }
        }
        if (const std::optional<int> due = settling_.nextDue(nowMs())) watcher_->recheckAfter(*due);
        endOfScan();
    });
}

void DirectoryPoller::endOfScan() {
    if (!changeScanWanted_ || !watcher_) return;
    changeScanWanted_ = false;
    watcher_->recheckAfter(0);
}

// Files found processed before and unchanged since are counted as met without being
// read. After a change notification only settled files are taken up, and Timer1 is
// off from the first of them to the end of the scan, as in its own ticks.
void DirectoryPoller::scan(const std::string& directory, Trigger trigger) {
    const std::vector<files::DirectoryEntry> listing =
        files::findEntries(directory + db_.state.postavke.TARVORACUN);
    processed_.keepOnly(listing);
    if (trigger == Trigger::DirectoryChange) settling_.keepOnly(listing);

    std::optional<Timer1Pause> timer1Off;
    bool connectionChecked = false;  // since the last job; a file found processed needs no database
    std::unordered_set<std::string> unreachable;
    for (const files::DirectoryEntry& listed : listing) {
        if (listed.isDirectory) continue;
        if (listed.nameOutsideCodePage) {  // told once while it stays
            if (!unreachable_.count(listed.name))
                Obavijesti(db_.ui, "Fajl " + directory + listed.name +
                                       " ima ime sa znakovima izvan kodne stranice sistema i ne uzima se u"
                                       " obradu; treba ga preimenovati.");
            unreachable.insert(listed.name);
            continue;
        }
        if (processed_.contains(listed)) {
            advanceBrojacObrade(db_.state);
            continue;
        }
        const std::string fileName = directory + listed.name;
        const std::optional<files::DirectoryEntry> current = files::entryOf(fileName);
        if (!current || current->isDirectory) continue;  // gone since the search
        if (trigger == Trigger::DirectoryChange) {
            if (!settling_.settled(*current, nowMs())) continue;  // a recheck comes for it
            settling_.forget(listed.name);
            if (!timer1Off) timer1Off.emplace(timer1_);
        }
        // A database that cannot be reached fails the file, as any job whose database is gone.
        if (!connectionChecked) db_.sql.ensureConnected();
        connectionChecked = !takeUp(fileName, *current);
    }
    unreachable_ = std::move(unreachable);
    processor_.endOfScan();
    if (timer1Off) db_.ui.processPendingEvents();
}

// A file that AnalRacuniKomande found complete and processed already (no job number
// used) is remembered as it was, unless it changed meanwhile. True when a job ran, or may have.
bool DirectoryPoller::takeUp(const std::string& fileName, const files::DirectoryEntry& before) {
    using Step = ProcessedFile::Step;
    Step step = Step::NotYet;
    try {
        step = processor_.AnalRacuniKomande(fileName).step;
    } catch (const std::exception& e) {
        Obavijesti(db_.ui, "Greska pri obradi fajla " + fileName + "\r\n" + e.what());
        return true;
    }
    if (step != Step::Skipped) return step == Step::JobRan;
    const std::optional<files::DirectoryEntry> after = files::entryOf(fileName);
    if (after && unchanged(*after, before)) processed_.remember(*after);
    return false;
}

}  // namespace fm

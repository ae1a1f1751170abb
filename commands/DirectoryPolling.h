#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "commands/AnalRacuniKomande.h"
#include "platform/FileSystem.h"

namespace fm {

class Tdm_db;
class JobJournal;
class Settings;
class DirectoryWatcher;
struct Postavke;

// The input directory as the prefix of its files' paths: a closing separator supplied.
std::string inputDirectoryOf(const Postavke& postavke);

// Whether the path is one that a scan takes up: a name matching the file mask, directly
// in the input directory.
bool isInputFilePath(const std::string& path, const Postavke& postavke);

// Command files that a scan found processed already, with the size and modification
// time they had then. Met again unchanged, such a file is counted without being read.
class ProcessedFiles {
  public:
    bool contains(const files::DirectoryEntry& entry) const;
    void remember(const files::DirectoryEntry& entry);
    // Forgets the names that the listing of the directory no longer holds.
    void keepOnly(const std::vector<files::DirectoryEntry>& listing);
    std::size_t size() const { return files_.size(); }

  private:
    struct Seen {
        std::uint64_t size;
        std::int64_t modifiedMs;
    };
    std::unordered_map<std::string, Seen> files_;
};

// Files that a scan after a change notification has seen, each with the moment from
// which it has kept its size and modification time: it is taken up once they have
// stayed so for kSettleMs, so that a file still being written is left alone.
class SettlingFiles {
  public:
    static constexpr int kSettleMs = 200;

    // Notes the entry as seen at nowMs; true when it has not changed for kSettleMs.
    bool settled(const files::DirectoryEntry& entry, std::int64_t nowMs);
    // Milliseconds until the next file noted can have settled; nullopt when none waits.
    std::optional<int> nextDue(std::int64_t nowMs) const;
    void forget(const std::string& name) { files_.erase(name); }
    void keepOnly(const std::vector<files::DirectoryEntry>& listing);

  private:
    struct Seen {
        std::uint64_t size;
        std::int64_t modifiedMs;
        std::int64_t sinceMs;
    };
    std::unordered_map<std::string, Seen> files_;
};

// The scans of the input directory: Timer1's, every tick, and the ones that a change
// of the directory brings about. Each matching file is processed to its end before
// the next one; no scan starts inside another.
class DirectoryPoller {
  public:
    // Runs one scan, for the caller to wrap (a stop waits for the scan's end).
    using ScanRunner = std::function<void(const std::function<void()>&)>;

    // The journal, when given, is told the end of every job; the activity, what is being done.
    DirectoryPoller(Tdm_db& dm_db, const Settings& settings, JobJournal* journal = nullptr,
                    ActivityReport* activity = nullptr);
    // Timer1 stays timer1's; the jobs, the connection check and the notices go to db.
    DirectoryPoller(Tdm_db& timer1, const RecordContext& db, const Settings& settings,
                    JobJournal* journal = nullptr, ActivityReport* activity = nullptr);
    ~DirectoryPoller();

    // One tick: Timer1 off, scan TARVOLOCALDIR, pending events, Timer1 on again.
    void Timer1Timer();

    void PregledajFajloveUDirektoriju(const std::string& directory);

    // From now on a change of TARVOLOCALDIR brings a scan within moments, which takes
    // up the files that have settled; Timer1 stays as the fallback (and watches again
    // a directory that went away and came back).
    void watchInputDirectory(ScanRunner runScan);

    const ProcessedFiles& processedFiles() const { return processed_; }

  private:
    enum class Trigger { Timer1, DirectoryChange };

    void changeScan();
    void scan(const std::string& directory, Trigger trigger);
    bool takeUp(const std::string& fileName, const files::DirectoryEntry& before);
    void endOfScan();
    std::string inputDirectory() const;

    Tdm_db& timer1_;
    RecordContext db_;
    CommandProcessor processor_;  // with the job tracker of the run
    ProcessedFiles processed_;
    SettlingFiles settling_;
    std::unique_ptr<DirectoryWatcher> watcher_;
    ScanRunner runScan_;
    bool scanning_ = false;
    bool changeScanWanted_ = false;                // a change came in during a scan
    std::unordered_set<std::string> unreachable_;  // listed names no path reaches, told already
};

}  // namespace fm

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/OpenedFile.h"
#include "platform/Result.h"

namespace fm {

// How far the job in flight has come.
enum class JobStage {
    Rows,  // its number is reserved, rows may be written; a hand-over with an F_PREDAJA row
           // may have been committed: that row tells
    // A hand-over without an F_PREDAJA row (the table cannot be used):
    HandingOver,  // its F_SEMAFOR row is being committed: the PARTNER's traces tell whether it was
    HandedOver,   // its F_SEMAFOR row is committed: the PARTNER has the job (also at the end
                  // of a job handed over with an F_PREDAJA row, while that row is removed)
};

// The one job taken up and not yet finished.
struct JobInFlight {
    std::string fileName;
    // The command file as it was taken up, so that a new file of the same name is not
    // taken for it.
    FileIdentity file;
    int number = 0;
    JobStage stage = JobStage::Rows;
    int bookingType = 0;  // from HandingOver on
    int budget = 0;       // the wait budget in ms, from HandingOver on
};

// A file whose job is over but which could be neither marked nor deleted, as it was
// then: it is never taken up again while it stays so.
struct UnmarkedFile {
    std::string fileName;
    int outcome = 0;
    FileIdentity file;
    std::optional<int> number;  // of its job; not in records of older versions
};

// "MerilonPosao.ini" beside the settings file: the job in flight and the unmarked
// files. Written whole through an atomic replace, removed when it holds nothing.
class JobRecord {
  public:
    explicit JobRecord(std::string path) : path_(std::move(path)) {}

    // The record's path for a settings file path.
    static std::string besideSettings(const std::string& settingsFilePath);

    const std::string& path() const { return path_; }

    // A missing file is an empty record. The message why not when the file cannot be read
    // or is damaged (a job without a number or numbered 2147483647 included); the record
    // is then empty.
    Result<void> load();

    // The message for a record damaged in that way.
    std::string damaged(const std::string& why) const;

    // The file moved to asidePath() (replacing an earlier one there), where it can be
    // read but is never loaded; the message why not when it cannot be moved.
    Result<void> setAside() const;
    std::string asidePath() const { return path_ + ".neispravan"; }

    // The message why not when the file cannot be written or removed.
    Result<void> save() const;

    std::optional<JobInFlight> job;
    std::vector<UnmarkedFile> unmarked;

  private:
    std::string path_;
};

}  // namespace fm

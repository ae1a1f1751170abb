#include "commands/JobTracker.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "commands/CommandFile.h"
#include "commands/CrashPoint.h"
#include "commands/DirectoryPolling.h"
#include "commands/HandOver.h"
#include "commands/JobContext.h"
#include "commands/JobJournal.h"
#include "commands/Marking.h"
#include "commands/Outcome.h"
#include "config/ReceiptCounter.h"
#include "config/Settings.h"
#include "db/RecordWriters.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

// The command file with its bytes as far as they can be read, while its entry is still
// the file of that identity.
std::optional<files::FileContent> stillTheFile(const std::string& fileName, const FileIdentity& file) {
    using Result = files::FileContent::Result;
    files::FileContent content = readCommandBytes(fileName);
    if (content.result != Result::Read && content.result != Result::OverLimit) {
        const files::Entry entry = files::entryAt(fileName);  // there, but not readable
        if (entry.kind != files::EntryKind::Regular) return std::nullopt;
        content.identity = entry.identity;
        content.bytes.clear();
    }
    if (!sameFile(content.identity, file)) return std::nullopt;
    return content;
}

// A free name beside the file that no scan takes up: its name with ".izmijenjen".
std::optional<std::string> asideName(const std::string& fileName, const Postavke& postavke) {
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string name = fileName + ".izmijenjen" + (attempt == 1 ? "" : std::to_string(attempt));
        if (!isInputFilePath(name, postavke) && files::entryAt(name).kind == files::EntryKind::Missing &&
            !files::directoryExists(name))
            return name;
    }
    return std::nullopt;
}

}  // namespace

JobTracker::JobTracker(const JobContext& context, JobJournal* journal)
    : context_(context), journal_(journal), record_(JobRecord::besideSettings(context.settings.filePath())) {
    if (const Result<void> loaded = record_.load(); !loaded) {
        setAside(loaded.error());
        return;
    }
    const Postavke& p = context_.state.postavke;
    std::string outside;
    if (record_.job && !isInputFilePath(record_.job->fileName, p)) outside = record_.job->fileName;
    for (const UnmarkedFile& u : record_.unmarked)
        if (!isInputFilePath(u.fileName, p)) outside = u.fileName;
    if (outside.empty()) return;
    if (record_.job) passNumber(record_.job->number);
    record_.job.reset();
    record_.unmarked.clear();
    setAside(record_.damaged("fajl " + outside + " nije komandni fajl ulaznog direktorija"));
}

// Nothing named in a damaged record is touched; the record is kept aside for a look.
void JobTracker::setAside(const std::string& damage) {
    if (const Result<void> moved = record_.setAside())
        Obavijesti(context_.ui, damage + "\r\nZapis je premjesten u " + record_.asidePath());
    else
        Obavijesti(context_.ui, damage + "\r\n" + moved.error());
}

// Rows may stand under the number of a job in flight: it is never used again.
void JobTracker::passNumber(int number) {
    if (context_.state.BrojRacuna > number) return;
    context_.state.BrojRacuna = number + 1;
    saveNumber(number + 1);
}

bool JobTracker::finishInterruptedJob() {
    if (!record_.job) return true;
    JobInFlight& job = *record_.job;
    passNumber(job.number);

    const HandOverState handOver =
        job.stage == JobStage::HandedOver ? HandOverState::Committed : interruptedHandOver(context_, job);
    if (handOver == HandOverState::Unknown) return false;
    // The PARTNER's traces change as it works: their answer is kept.
    if (job.stage == JobStage::HandingOver && handOver == HandOverState::Committed) {
        job.stage = JobStage::HandedOver;
        if (!save()) return false;
    }
    if (handOver == HandOverState::Committed)
        finishHandedOverJob(job);
    else
        discardRows(job);
    // The F_PREDAJA row goes while the record still names the job: a restart in between
    // finishes the job again (its file marked, nothing more) and removes the row then.
    if (handOver == HandOverState::Committed) forgetHandOver(context_, job.number);
    record_.job.reset();
    save();
    return true;
}

// The job never reached the PARTNER: its item and payment rows go, as after a failure.
// Its file, when still waiting, is taken up again by the scan, and the job is journalled
// as interrupted. A file changed since was marked already (an invalid one, journalled
// then) or replaced by the till.
void JobTracker::discardRows(const JobInFlight& job) {
    ObrisiPlacanja(context_, job.number, job.bookingType);
    ObrisiStavkeRacuna(context_, job.number, job.bookingType);
    if (!files::entryIs(job.fileName, job.file)) return;
    Job interrupted = restoredJob(job);
    interrupted.message = "Posao broj " + integerNumeral(job.number) + " (fajl " + job.fileName +
                          ") je prekinut prije predaje PARTNERU; njegovi redovi su obrisani.";
    interrupted.times.marked = nowEpochMs();
    Obavijesti(context_.ui, interrupted.message);
    if (journal_)
        journal_->jobEnded(journalEntryOf(interrupted, context_.state.postavke.FID_RACUNA, FileAction::None));
}

// The PARTNER has the job: its handshake is taken up again, and its file, when it is
// still the one taken up and waiting, is marked or deleted with the outcome.
void JobTracker::finishHandedOverJob(const JobInFlight& inFlight) {
    std::optional<files::FileContent> file = stillTheFile(inFlight.fileName, inFlight.file);
    if (!file) return;
    Job job = restoredJob(inFlight);
    takeContent(job, std::move(*file));
    job.times.handedOver = nowEpochMs();  // the wait taken up again
    if (finishJob(context_, job, journal_) == FileAction::NotMarked) rememberUnmarked(job);
}

bool JobTracker::retryMarking(const std::string& fileName) {
    const auto unmarked = std::find_if(record_.unmarked.begin(), record_.unmarked.end(),
                                       [&](const UnmarkedFile& u) { return u.fileName == fileName; });
    if (unmarked == record_.unmarked.end()) return false;
    std::optional<files::FileContent> file = stillTheFile(fileName, unmarked->file);
    if (!file) {  // gone, or changed since
        const bool changed = files::entryAt(fileName).kind != files::EntryKind::Missing;
        if (changed && !setChangedFileAside(*unmarked)) return true;  // stays remembered, never taken up
        record_.unmarked.erase(unmarked);
        save();
        return changed;
    }
    Job job;
    job.fileName = fileName;
    job.outcome = unmarked->outcome;
    takeContent(job, std::move(*file));
    if (const FileAction action = markOrDelete(context_, job, false); action != FileAction::NotMarked) {
        record_.unmarked.erase(unmarked);
        save();
        if (journal_) journal_->fileSettledLater(fileName, action, nowEpochMs());
    }
    return true;
}

// The job's number was used for the file as it was taken up: a till that rewrote it in place
// would get its receipt twice if it were taken up again.
bool JobTracker::setChangedFileAside(const UnmarkedFile& unmarked) {
    const std::string& fileName = unmarked.fileName;
    const std::string job = "Fajl " + fileName + " posla broj " +
                            (unmarked.number ? integerNumeral(*unmarked.number) : std::string("(nepoznat)")) +
                            " (status " + jobStatusText(unmarked.outcome) +
                            ") je izmijenjen nakon preuzimanja";
    const std::optional<std::string> aside = asideName(fileName, context_.state.postavke);
    const Result<void> moved = aside ? files::renameEntry(fileName, *aside)
                                     : unexpected("nema slobodnog imena koje maska " +
                                                  context_.state.postavke.TARVORACUN + " ne obuhvata");
    if (moved) {
        setAsideFailuresNoticed_.erase(fileName);
        Obavijesti(context_.ui, job + "; premjesten je u " + *aside + " i ne uzima se ponovo u obradu.");
        if (journal_) journal_->fileSettledLater(fileName, FileAction::SetAside, nowEpochMs());
        return true;
    }
    if (setAsideFailuresNoticed_.insert(fileName).second)
        Obavijesti(context_.ui,
                   job + " i ne uzima se ponovo u obradu; ne moze se premjestiti: " + moved.error());
    return false;
}

void JobTracker::reserveNumber(const Job& job) {
    record_.job = savedJob(job);
    tracedHandOver_ = false;
    // Without its record a restart would not know the number: the counter keeps it then.
    if (!save()) saveNumber(job.number + 1);
    crashPoint(CrashAt::Reserved);
}

// With an F_PREDAJA row the record stays as it is: the row tells a restart of the hand-over.
Result<void, sql::Error> JobTracker::handOver(const Job& job,
                                              const std::function<Result<void, sql::Error>()>& writeSemafor) {
    JobInFlight& inFlight = *record_.job;
    inFlight.bookingType = job.bookingType;
    inFlight.budget = job.budget;
    tracedHandOver_ = beginTracedHandOver(context_, job.number, job.bookingType, inFlight.budget);
    const auto noteStage = [&](JobStage stage) {
        if (tracedHandOver_) return;
        inFlight.stage = stage;
        save();
    };
    noteStage(JobStage::HandingOver);
    crashPoint(CrashAt::Handing);
    Result<void, sql::Error> written = writeSemafor();
    if (!written) {
        noteStage(JobStage::Rows);
        tracedHandOver_ = false;
        return written;
    }
    crashPoint(CrashAt::Handed);
    noteStage(JobStage::HandedOver);
    return written;
}

void JobTracker::endJob(const Job& job, FileAction action) {
    if (action == FileAction::NotMarked) rememberUnmarked(job);
    const int number = job.number;
    crashPoint(CrashAt::Counter);
    saveNumber(number + 1);  // before the record goes: the number is never used again
    // The F_PREDAJA row goes while the record says the PARTNER had the job, so that a
    // restart in between neither takes the job for one never handed over nor keeps the row.
    if (tracedHandOver_) {
        record_.job->stage = JobStage::HandedOver;
        if (save()) {
            crashPoint(CrashAt::Ending);
            forgetHandOver(context_, number);
        }
    }
    record_.job.reset();
    save();
}

// As it was taken up: a file that has changed since is not this job's file any more.
void JobTracker::rememberUnmarked(const Job& job) {
    std::erase_if(record_.unmarked, [&](const UnmarkedFile& u) { return u.fileName == job.fileName; });
    if (files::entryAt(job.fileName).kind != files::EntryKind::Missing)
        record_.unmarked.push_back({job.fileName, job.outcome, job.file, job.number});
}

void JobTracker::saveNumber(int nextNumber) {
    if (!SnimiBrojRacuna(context_.settings, nextNumber)) {
        context_.ui.showMessage("Ne moze se povecati knjigovodstveni broj racuna!");
    }
}

// Files remembered as unmarked that are gone meanwhile are dropped on the way.
bool JobTracker::save() {
    std::erase_if(record_.unmarked, [](const UnmarkedFile& u) {
        return files::entryAt(u.fileName).kind == files::EntryKind::Missing;
    });
    const Result<void> saved = record_.save();
    if (saved) return true;
    Obavijesti(context_.ui, "Ne moze se upisati zapis o poslu u toku\r\n" + saved.error());
    return false;
}

}  // namespace fm

#include "journal/Journal.h"

#include <exception>

#include "platform/UserInterface.h"

namespace fm {

std::string jobEndLine(const JobEntry& entry) {
    std::string line = "posao " + std::to_string(entry.number) + ", fajl " + entry.fileName + ", status " +
                       entry.status() + " (fajl " + fileActionText(entry.action) + "), cekano " +
                       std::to_string(entry.waitedMs) + " ms";
    if (entry.recovered) line += ", zavrsen nakon ponovnog pokretanja";
    if (entry.fiscalNumbersUnknown) line += ", fiskalni broj nepoznat (F_LOG_RACUN se ne moze procitati)";
    return line;
}

std::string lateOutcomeLine(const JobEntry& entry) {
    std::string line = "posao " + std::to_string(entry.number) + ", fajl " + entry.fileName + ": " +
                       lateOutcomeText(entry.late);
    if (const std::string fiscal = fiscalNumbersText(entry); !fiscal.empty())
        line += ", fiskalni broj " + fiscal;
    if (entry.printedTwice) line += ", ODSTAMPAN DVA PUTA";
    return line;
}

Journal::Journal(const std::string& path, UserInterface& ui, Log log, JournalBounds bounds)
    : store_(path, bounds), ui_(ui), log_(std::move(log)) {}

void Journal::jobEnded(const JobEntry& entry) {
    const bool over = !entry.outcome;  // interrupted before its hand-over: nothing follows
    if (over && log_) log_(jobEndLine(entry));
    waiting_.push_back(entry);
    if (waiting_.size() > kMaxWaiting) waiting_.pop_front();
    writeWaiting(over);
}

void Journal::jobMarked(const JobEntry& entry) {
    if (log_) log_(jobEndLine(entry));
    if (JobEntry* waiting = waitingEntry(entry)) {
        waiting->action = entry.action;
        waiting->times.marked = entry.times.marked;
    } else {
        later([entry](JournalStore& store) { return store.setMarking(entry); });
    }
    writeWaiting(true);
}

JobEntry* Journal::waitingEntry(const JobEntry& job) {
    for (auto waiting = waiting_.rbegin(); waiting != waiting_.rend(); ++waiting) {
        if (waiting->number == job.number && waiting->cashRegister == job.cashRegister &&
            waiting->fileName == job.fileName)
            return &*waiting;
    }
    return nullptr;
}

void Journal::later(Update update) {
    updates_.push_back(std::move(update));
    if (updates_.size() > kMaxWaiting) updates_.pop_front();
}

// The waiting entries, each in its transaction, then the updates, then (between jobs) the pruning.
void Journal::writeWaiting(bool prune) {
    while (!waiting_.empty()) {
        const Result<void> added = store_.add(waiting_.front());
        noteSetAside();
        if (!added) return noteFailure(added.error());
        waiting_.pop_front();
    }
    while (!updates_.empty()) {
        const Result<void> updated = updates_.front()(store_);
        if (!updated) return noteFailure(updated.error());
        updates_.pop_front();
    }
    const Result<void> pruned = prune ? store_.prune(nowEpochMs()) : Result<void>();
    if (!pruned) return noteFailure(pruned.error());
    noteSuccess();
}

void Journal::fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) {
    later([=](JournalStore& store) { return store.settleLater(fileName, action, atMs); });
    writeWaiting(false);
}

std::optional<std::vector<JobEntry>> Journal::openJobs(int registerNumber) {
    writeWaiting(false);
    std::string error;
    try {
        Result<std::vector<JobEntry>> open = store_.openJobs(registerNumber);
        if (open) return std::move(*open);
        error = open.error();
    } catch (const std::exception& e) {
        error = "Dnevnik poslova " + store_.path() + " (citanje): " + e.what();
    }
    noteFailure(error);
    return std::nullopt;
}

void Journal::jobSettledLate(const JobEntry& job) {
    if (log_) log_(lateOutcomeLine(job));
    if (JobEntry* waiting = waitingEntry(job)) {  // goes in with its late outcome
        waiting->open = false;
        waiting->late = job.late;
        waiting->lateMs = job.lateMs;
        waiting->fiscalNumbers = job.fiscalNumbers;
        waiting->printedTwice = job.printedTwice;
    } else {
        later([job](JournalStore& store) { return store.settleLate(job); });
    }
    writeWaiting(false);
}

void Journal::noteSetAside() {
    if (store_.setAsidePath() == setAsideNoticed_) return;
    setAsideNoticed_ = store_.setAsidePath();
    Obavijesti(ui_, "Dnevnik poslova " + store_.path() + " je ostecen; premjesten je u " + setAsideNoticed_ +
                        " i pocinje novi.");
}

void Journal::noteFailure(const std::string& error) {
    if (failing_) return;
    failing_ = true;
    Obavijesti(ui_, error + "\r\nPoslovi se obradjuju dalje; dnevnik se upisuje cim bude moguce.");
}

void Journal::noteSuccess() {
    if (!failing_) return;
    failing_ = false;
    Obavijesti(ui_, "Dnevnik poslova " + store_.path() + " se ponovo upisuje.");
}

}  // namespace fm

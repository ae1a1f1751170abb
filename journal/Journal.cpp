#include "journal/Journal.h"

#include "platform/UserInterface.h"

namespace fm {

std::string jobEndLine(const JobEntry& entry) {
    std::string line = "posao " + std::to_string(entry.number) + ", fajl " + entry.fileName + ", status " +
                       entry.status() + " (fajl " + fileActionText(entry.action) + "), cekano " +
                       std::to_string(entry.waitedMs) + " ms";
    if (entry.recovered) line += ", zavrsen nakon ponovnog pokretanja";
    return line;
}

std::string lateOutcomeLine(const JobEntry& entry) {
    std::string line = "posao " + std::to_string(entry.number) + ", fajl " + entry.fileName + ": " +
                       lateOutcomeText(entry.late);
    for (std::size_t i = 0; i < entry.fiscalNumbers.size(); ++i)
        line += (i == 0 ? ", fiskalni broj " : ", ") + std::to_string(entry.fiscalNumbers[i]);
    if (entry.printedTwice) line += ", ODSTAMPAN DVA PUTA";
    return line;
}

Journal::Journal(const std::string& path, UserInterface& ui, Log log, JournalBounds bounds)
    : store_(path, bounds), ui_(ui), log_(std::move(log)) {}

void Journal::jobEnded(const JobEntry& entry) {
    if (log_) log_(jobEndLine(entry));
    waiting_.push_back(entry);
    if (waiting_.size() > kMaxWaiting) waiting_.pop_front();
    writeWaiting();
}

// Between jobs: the waiting entries, each in its transaction, then the pruning.
void Journal::writeWaiting() {
    std::string error;
    while (!waiting_.empty()) {
        const bool added = store_.add(waiting_.front(), &error);
        noteSetAside();
        if (!added) return noteFailure(error);
        waiting_.pop_front();
    }
    while (!waitingLate_.empty()) {
        if (!store_.settleLate(waitingLate_.front(), &error)) return noteFailure(error);
        waitingLate_.pop_front();
    }
    if (!store_.prune(nowEpochMs(), &error)) return noteFailure(error);
    noteSuccess();
}

void Journal::fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) {
    writeWaiting();  // the file's own job first
    std::string error;
    if (!store_.settleLater(fileName, action, atMs, &error)) return noteFailure(error);
}

std::vector<JobEntry> Journal::openJobs(int registerNumber) {
    writeWaiting();
    std::string error;
    if (std::optional<std::vector<JobEntry>> open = store_.openJobs(registerNumber, &error)) return *open;
    noteFailure(error);
    return {};
}

void Journal::jobSettledLate(const JobEntry& job) {
    if (log_) log_(lateOutcomeLine(job));
    // Still waiting to be written itself: it goes in with its late outcome.
    for (JobEntry& waiting : waiting_) {
        if (waiting.open && waiting.number == job.number && waiting.cashRegister == job.cashRegister) {
            waiting = job;
            return writeWaiting();
        }
    }
    waitingLate_.push_back(job);
    if (waitingLate_.size() > kMaxWaiting) waitingLate_.pop_front();
    writeWaiting();
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

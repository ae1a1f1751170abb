#include "commands/Outcome.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "commands/CrashPoint.h"
#include "commands/JobContext.h"
#include "commands/JobJournal.h"
#include "commands/Marking.h"
#include "db/JobSql.h"
#include "db/RecordWriters.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

constexpr int kPollInterval = 500;
constexpr int kLastChancePause = 2000;

// Polls F_SEMAFOR until the job is gone or the budget is spent; the last answer.
int waitForPartner(const JobContext& db, const Job& job) {
    const int polls = std::max(job.budget / kPollInterval, job.times.handedOver != 0 ? 1 : 0);
    int result = kDone;
    for (int poll = 0; poll < polls; ++poll) {
        if (db.activity) db.activity->waiting(job.budget, poll * kPollInterval);
        result = ProvjeriSemafor(db, job.number, job.bookingType);
        if (result == kDone) break;
        crashPoint(CrashAt::Waiting);
        db.ui.pause(kPollInterval);
    }
    return result;
}

// A receipt not finished in time: names the first item, or else the first
// payment, that the PARTNER left; with neither left, gives it one more poll. Items
// and payments are counted before each of the two looks.
void diagnoseReceiptTimeout(const RecordContext& db, Job& job) {
    const auto countRows = [&] {
        const int items = BrojStavkiRacuna(db, job.number, job.bookingType);
        return std::pair{items, BrojPlacanja(db, job.number, job.bookingType)};
    };

    if (countRows().first == 0) {
        db.ui.pause(kLastChancePause);
        job.outcome = ProvjeriSemafor(db, job.number, job.bookingType);
    } else if (const auto left =
                   db.sql.select3(statement::itemsLeft(db.state.postavke, job.number, job.bookingType));
               left && (*left)->hasRow()) {
        const ScratchQuery& item = **left;
        job.outcome = kItemsLeft;
        job.message =
            "Proces nije izvrsen!\r\nProblem pri prodaji artikla sifra=" + item.text("F_SIFRA_ROBE") +
            "\r\n" + "Storno stavka=" + item.text("F_STORNO_STAVKA") + "," +
            "Kolicina=" + item.text("F_KOLICINA");
    }
    if (job.outcome != kNotFinished) return;

    const auto [items, payments] = countRows();
    if (items != 0 || payments <= 0) return;
    if (const auto left =
            db.sql.select3(statement::paymentsLeft(db.state.postavke, job.number, job.bookingType));
        left && (*left)->hasRow()) {
        const ScratchQuery& payment = **left;
        job.outcome = kPaymentsLeft;
        job.message =
            "Proces nije izvrsen!\r\nProblem pri placanju tip =" + payment.text("F_NACIN_PLACANJA") + "," +
            "Uplaceno=" + payment.text("F_UPLACENO");
    }
}

void setFixedMessage(Job& job) {
    switch (job.outcome) {
        case kSemaforUnreadable:
            job.message = "Proces nije izvrsen!\r\nNe moze se otvoriti tabela F_SEMAFOR!";
            break;
        case kNotFinished:
            job.message = "Proces nije izvrsen!\r\nPARTNER nije zavrsio proces u predvidjenom vremenu!";
            break;
        case kPartnerError:
            job.message = "Proces nije izvrsen!\r\nDetektovana greska pri obradi procesa!";
            break;
        default:
            break;  // success has none; the others carry theirs
    }
}

// Tarvo.err holds the message of the last failed job; success removes it.
void reportToErrorFile(const RecordContext& db, const Job& job) {
    const std::string& directory = db.state.postavke.TARVOLOGGRESKE;
    Result<void> written;
    if (job.outcome != kDone) {
        written = UpisiGresku(directory, job.message);
    } else {
        const std::string path = errorFilePath(directory);
        if (!path.empty() && files::fileExists(path)) written = files::removeFile(path);
    }
    if (!written) Obavijesti(db.ui, written.error());
}

}  // namespace

FileAction markOrDelete(const RecordContext& db, const Job& job, bool showFailures) {
    const ProcessState& state = db.state;
    const std::string& fileName = job.fileName;
    if (state.postavke.TARVOOBRISI_FAJL) {
        const std::string notThisFile = notTheFileRead(fileName, job.file);
        const Result<void> removed =
            notThisFile.empty() ? files::removeFile(fileName)
                                : unexpected("Ne moze se obrisati fajl " + fileName + ": " + notThisFile);
        if (removed) return FileAction::Deleted;
        if (showFailures) Obavijesti(db.ui, removed.error());
        if (!files::fileExists(fileName)) return FileAction::Deleted;
        if (!notThisFile.empty()) return FileAction::NotMarked;  // marking it would fail alike
    }
    const Result<void> marked = OznaciFajl(fileName, job.file, job.bytes, job.outcome, state.BrojacObrade,
                                           state.postavke.F_BROJ_KASE);
    if (marked) return markFor(job.outcome);
    if (showFailures) Obavijesti(db.ui, "Ne moze se oznaciti fajl " + fileName + "\r\n" + marked.error());
    return files::fileExists(fileName) ? FileAction::NotMarked : FileAction::Deleted;
}

FileAction finishJob(const JobContext& db, Job& job, JobJournal* journal) {
    try {
        if (job.outcome != kInvalidFile) {
            job.outcome = waitForPartner(db, job);
            if (job.outcome == kNotFinished && job.bookingType < kPriceChanges)
                diagnoseReceiptTimeout(db, job);
            setFixedMessage(job);
        }
        job.times.decided = nowEpochMs();
        reportToErrorFile(db, job);
        crashPoint(CrashAt::Reported);
    } catch (const std::exception& e) {
        Obavijesti(db.ui,
                   "Greska pri zavrsetku posla broj " + integerNumeral(job.number) + "\r\n" + e.what());
        // An outcome that could not be made sure of is never marked as a success.
        if (job.outcome == kDone) job.outcome = kInvalidFile;
        job.times.decided = nowEpochMs();
    }
    const Postavke& p = db.state.postavke;
    // Journalled once decided, with the action intended; completed once the file is marked.
    JobEntry entry;
    try {
        entry = journalEntryOf(job, p.FID_RACUNA,
                               p.TARVOOBRISI_FAJL ? FileAction::Deleted : markFor(job.outcome));
        if (journal) journal->jobEnded(entry);
    } catch (const std::exception& e) {
        Obavijesti(db.ui,
                   "Greska pri upisu posla broj " + integerNumeral(job.number) + " u dnevnik\r\n" + e.what());
    }
    entry.action = markOrDelete(db, job, true);
    job.times.marked = entry.times.marked = nowEpochMs();
    crashPoint(CrashAt::Marked);
    if (journal) journal->jobMarked(entry);
    return entry.action;
}

}  // namespace fm

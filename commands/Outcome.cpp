#include "commands/Outcome.h"

#include <exception>
#include <utility>

#include "commands/CrashPoint.h"
#include "commands/Marking.h"
#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

constexpr int kPollInterval = 500;
constexpr int kLastChancePause = 2000;

// Polls F_SEMAFOR until the job is gone or the budget is spent; the last answer.
int waitForPartner(Tdm_db& dm_db, const Job& job) {
    const int polls = dm_db.state().VrijemeCekanja / kPollInterval;
    int result = kDone;
    for (int poll = 0; poll < polls; ++poll) {
        result = ProvjeriSemafor(dm_db, job.number, job.bookingType);
        if (result == kDone) break;
        crashPoint("waiting");
        dm_db.ui().pause(kPollInterval);
    }
    return result;
}

// A receipt not finished in time: names the first item, or else the first
// payment, that the PARTNER left; with neither left, gives it one more poll. Items
// and payments are counted before each of the two looks.
void diagnoseReceiptTimeout(Tdm_db& dm_db, Job& job) {
    const Postavke& p = dm_db.state().postavke;
    const auto number = [&](long long value) { return SqlBroj(integerNumeral(value), p.K71B3); };
    const std::string jobRows = " Where F_ID_KASE=" + number(p.FID_RACUNA) +
                                " AND F_RBR=" + number(job.number) +
                                " AND TIPKNJIZENJA=" + number(rowBookingType(job.bookingType));
    const auto countRows = [&] {
        const int items = BrojStavkiRacuna(dm_db, job.number, job.bookingType);
        return std::pair{items, BrojPlacanja(dm_db, job.number, job.bookingType)};
    };

    if (countRows().first == 0) {
        dm_db.ui().pause(kLastChancePause);
        job.outcome = ProvjeriSemafor(dm_db, job.number, job.bookingType);
    } else if (dm_db.sqlopen3("Select F_SIFRA_ROBE,F_STORNO_STAVKA,F_KOLICINA From F_RACUN" + jobRows +
                              " Order By F_SIFRA_ROBE,TIPKNJIZENJA,F_STORNO_STAVKA") &&
               dm_db.up3().hasRow()) {
        const ScratchQuery& item = dm_db.up3();
        job.outcome = kItemsLeft;
        job.message =
            "Proces nije izvrsen!\r\nProblem pri prodaji artikla sifra=" + item.text("F_SIFRA_ROBE") +
            "\r\n" + "Storno stavka=" + item.text("F_STORNO_STAVKA") + "," +
            "Kolicina=" + item.text("F_KOLICINA");
    }
    if (job.outcome != kNotFinished) return;

    const auto [items, payments] = countRows();
    if (items == 0 && payments > 0 &&
        dm_db.sqlopen3("Select F_NACIN_PLACANJA,F_UPLACENO From F_PLACANJE" + jobRows +
                       " Order By TIPKNJIZENJA") &&
        dm_db.up3().hasRow()) {
        const ScratchQuery& payment = dm_db.up3();
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
void reportToErrorFile(Tdm_db& dm_db, const Job& job) {
    const std::string& directory = dm_db.state().postavke.TARVOLOGGRESKE;
    std::string error;
    bool written = true;
    if (job.outcome != kDone) {
        written = UpisiGresku(directory, job.message, &error);
    } else {
        const std::string path = errorFilePath(directory);
        if (!path.empty() && files::fileExists(path)) written = files::removeFile(path, &error);
    }
    if (!written) Obavijesti(dm_db.ui(), error);
}

}  // namespace

bool markOrDelete(Tdm_db& dm_db, const std::string& fileName, const FileIdentity& file,
                  const std::string& bytes, int outcome, bool showFailures) {
    const ProcessState& state = dm_db.state();
    std::string error;
    if (state.postavke.TARVOOBRISI_FAJL) {
        const std::string notThisFile = notTheFileRead(fileName, file);
        if (notThisFile.empty() && files::removeFile(fileName, &error)) return true;
        if (!notThisFile.empty()) error = "Ne moze se obrisati fajl " + fileName + ": " + notThisFile;
        if (showFailures) Obavijesti(dm_db.ui(), error);
        if (!files::fileExists(fileName)) return true;
        if (!notThisFile.empty()) return false;  // marking it would fail alike
    }
    if (OznaciFajl(fileName, file, bytes, outcome, state.BrojacObrade, state.postavke.F_BROJ_KASE, &error))
        return true;
    if (showFailures) Obavijesti(dm_db.ui(), "Ne moze se oznaciti fajl " + fileName + "\r\n" + error);
    return !files::fileExists(fileName);
}

bool finishJob(Tdm_db& dm_db, const std::string& fileName, Job& job) {
    try {
        if (job.outcome != kInvalidFile) {
            job.outcome = waitForPartner(dm_db, job);
            if (job.outcome == kNotFinished && job.bookingType < 2) diagnoseReceiptTimeout(dm_db, job);
            setFixedMessage(job);
        }
        job.times.decided = nowEpochMs();
        reportToErrorFile(dm_db, job);
        crashPoint("reported");
        return markOrDelete(dm_db, fileName, job.file, job.bytes, job.outcome, true);
    } catch (const std::exception& e) {
        Obavijesti(dm_db.ui(),
                   "Greska pri zavrsetku posla broj " + integerNumeral(job.number) + "\r\n" + e.what());
        // An outcome that could not be made sure of is never marked as a success.
        if (job.outcome == kDone) job.outcome = kInvalidFile;
        job.times.decided = nowEpochMs();
        return markOrDelete(dm_db, fileName, job.file, job.bytes, job.outcome, true);
    }
}

}  // namespace fm

#include "commands/AnalRacuniKomande.h"

#include <exception>
#include <limits>
#include <optional>
#include <set>
#include <stdexcept>
#include <variant>
#include <vector>

#include "commands/CommandFile.h"
#include "commands/CommandJob.h"
#include "commands/CrashPoint.h"
#include "commands/Job.h"
#include "commands/JobContext.h"
#include "commands/Outcome.h"
#include "commands/WaitBudget.h"
#include "db/RecordWriters.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

// A writer or query that failed inside a job. When it failed because the connection was
// lost on the way, the database's own words tell why.
[[noreturn]] void fail(std::string message, const sql::Error* cause = nullptr) {
    if (cause && cause->kind == sql::Failure::ConnectionLost && !cause->text.empty() &&
        message.find(cause->text) == std::string::npos)
        message += "\r\n" + cause->text;
    throw std::runtime_error(message);
}

// Writes the rows of a job read from its file, and its F_SEMAFOR row; the row goes to
// the PARTNER through the job tracker's hand-over.
class JobWriter {
  public:
    JobWriter(const RecordContext& db, const CommandJob& command, Job& job, JobTracker& tracker)
        : db_(db), sql_(db.sql), p_(db.state.postavke), command_(command), job_(job), tracker_(tracker) {}

    void write() {
        switch (command_.kind) {
            case JobKind::Receipt:
                receipt();
                break;
            case JobKind::PriceChanges:
                priceChanges();
                break;
            case JobKind::DeleteArticle:
                job_.bookingType = command_.bookingType;
                setBudget(0);
                handOver(0, command_.article, command_.article, std::string(),
                         "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nkomande za brisanje artikla broj " +
                             integerNumeral(command_.article));
                break;
            case JobKind::OfficialDeposit:
                job_.bookingType = command_.bookingType;
                setBudget(0);
                handOver(0, 0, 0, command_.memo,
                         "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nza sluzbeni unos/iznos broj " +
                             integerNumeral(job_.number));
                break;
            case JobKind::ReportZ:
            case JobKind::ReportX:
                job_.bookingType = command_.bookingType;
                setBudget(0);
                handOver(0, 0, 0, std::string(), "Ne moze se izvrsiti Dnevni izvjestaj!");
                break;
            case JobKind::None:
                break;  // no command: nothing to hand over
        }
    }

  private:
    void receipt() {
        job_.bookingType = command_.bookingType;
        for (const ReceiptLine& line : command_.receipt) {
            if (const SaleItem* item = std::get_if<SaleItem>(&line))
                saleItem(*item);
            else
                payment(std::get<Payment>(line));
        }
        const int items = BrojStavkiRacuna(db_, job_.number, job_.bookingType);
        const int payments = BrojPlacanja(db_, job_.number, job_.bookingType);
        setBudget(items == -1 || payments == -1 ? -1 : static_cast<long long>(items) + payments);
        const double printMemo = text::trim(command_.memo).empty() ? 0 : 1;
        handOver(
            command_.referredReceipt, printMemo, 1, command_.memo,
            "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nza racun broj " + integerNumeral(job_.number));
    }

    void priceChanges() {
        for (const PriceChange& change : command_.priceChanges) {
            const auto written = UpisiNivelaciju(db_, job_.number, change.code, change.group, change.tax, " ",
                                                 change.name, change.price);
            if (!written) fail("Ne moze se insertovati stavka nivelacije!", &written.error());
            crashPoint(CrashAt::Row);
            job_.bookingType = kPriceChanges;
        }
        if (!command_.priceChanges.empty()) {
            const auto counted = sql_.sumaRacuna(statement::nivelacijaCount(p_, job_.number));
            if (!counted) fail(counted.error().text, &counted.error());
            setBudget((*counted)->integer("broj"));
        }
        handOver(0, 0, 0, std::string(), "Ne moze se izvrsiti upis u tabelu f_semafor!");
    }

    // VrijemeCekanja shows the budget of the job at hand.
    void setBudget(long long rows) {
        job_.budget = db_.state.VrijemeCekanja = waitBudget(command_.kind, rows, p_);
    }

    void handOver(int reklBroj, double printMemo, double printRacun, const std::string& memo,
                  const std::string& failure) {
        noteFiscalNumbersBefore();
        job_.times.handingOver = nowEpochMs();
        const auto written = tracker_.handOver(job_, [&] {
            return UpisiSemafor(db_, job_.number, job_.bookingType, 0, reklBroj, printMemo, printRacun, memo);
        });
        if (!written) fail(failure, &written.error());
        job_.times.handedOver = nowEpochMs();
    }

    // F_LOG_RACUN's rows of this number from before (a job number used again) are not the job's.
    void noteFiscalNumbersBefore() {
        try {
            job_.fiscalBefore = loggedFiscalNumbers(db_, job_.number).value_or(std::vector<long long>());
        } catch (const std::exception&) {
            job_.fiscalBefore.clear();
        }
    }

    void saleItem(const SaleItem& item) {
        std::optional<int> code = item.codeIsNumber ? std::optional(item.code) : knownArticle(item.codeText);
        if (!code || *code == -1) code = addArticle(item);
        const auto written =
            UpisiStavkuRacuna(db_, job_.number, job_.bookingType, item.storno() ? 1 : 0, *code, item.group,
                              item.tax, std::string(), item.name, item.price, item.quantity);
        if (!written)
            fail("Ne moze se insertovati stavka racuna,\r\nza racun broj " + integerNumeral(job_.number),
                 &written.error());
        crashPoint(CrashAt::Row);
    }

    // F_SIFRA_ROBE of an article code that the database looks up, nullopt when no article
    // has it. A look-up that fails fails the job: it adds no article.
    std::optional<int> knownArticle(const std::string& codeText) {
        const auto found =
            p_.TARVOSLOVNESIFRE ? sql_.articleByKnjigSifra(codeText) : articleByBarCode(db_, codeText);
        if (!found) fail("Ne moze se dodati stavka robe!", &found.error());
        return *found;
    }

    // A new article under the next free code. A till sharing the article register may
    // take that code at the same moment: then the code text is looked up again (that
    // till may have added this very article) before the next free code is tried.
    int addArticle(const SaleItem& item) {
        constexpr int attempts = 10;
        for (int attempt = 1;; ++attempt) {
            const auto highest = sql_.highest("f_roba", "f_sifra_robe");
            if (!highest) fail("Ne moze se dodati stavka robe!", &highest.error());
            if (*highest == std::numeric_limits<int>::max())
                fail("Nova stavka robe se ne moze dodati: sifra robe je dosla do najvece vrijednosti " +
                     integerNumeral(*highest));
            const int code = *highest + 1;
            const auto added = UpisiRobu(db_, code, item.group, item.tax, std::string(), item.name,
                                         item.codeText, item.price);
            if (added) return code;
            if (attempt == attempts || added.error().kind != sql::Failure::KeyViolation)
                fail("Ne moze se dodati stavka robe!", &added.error());
            if (item.codeIsNumber) continue;  // -1 itself: no look-up finds it
            if (const std::optional<int> added = knownArticle(item.codeText)) return *added;
        }
    }

    void payment(const Payment& payment) {
        if (!payment.ofTotal) return writePayment(payment.method, payment.amount);
        const auto total = sql_.sumaRacuna(statement::racunTotal(p_, job_.number, job_.bookingType));
        if (!total) fail(total.error().text, &total.error());
        writePayment(0, (*total)->real("F_TOTAL"));
    }

    void writePayment(int method, double amount) {
        const auto written = UpisiPlacanje(db_, job_.number, job_.bookingType, method, amount);
        if (!written)
            fail("Ne moze se insertovati stavka placanja,\r\nza racun broj " + integerNumeral(job_.number),
                 &written.error());
        crashPoint(CrashAt::Row);
    }

    const RecordContext& db_;
    JobSql& sql_;
    const Postavke& p_;
    const CommandJob& command_;
    Job& job_;
    JobTracker& tracker_;
};

}  // namespace

std::optional<files::FileContent> CommandProcessor::readForTakeUp(const std::string& fileName) {
    std::set<std::string>& noticed = context_.state.unreadableFilesNoticed;
    files::FileContent content = readCommandBytes(fileName);
    using Result = files::FileContent::Result;
    if (content.result == Result::Read || content.result == Result::OverLimit) {
        noticed.erase(fileName);
        return content;
    }
    if (content.result == Result::Missing) {  // gone since the scan
        noticed.erase(fileName);
    } else if (noticed.insert(fileName).second) {
        Obavijesti(context_.ui, unreadableMessage(fileName, content));
    }
    return std::nullopt;
}

std::string CommandProcessor::duplicateOfOpenJob(const CommandJob& command) {
    if (!context_.state.postavke.TARVOZASTITADUPLIKATA) return {};
    const JobEntry* open = followUp_.lateOutcomes().openReceipt(receiptKey(command), nowEpochMs());
    if (!open) return {};
    return "Racun nije poslan PARTNERU: isti je kao racun posla broj " + integerNumeral(open->number) +
           " (fajl " + open->fileName +
           "), koji PARTNER jos nije zavrsio.\r\nProvjerite da li je taj racun odstampan prije "
           "ponovnog slanja.";
}

// The job's rows and its hand-over; on a failure the rows written so far are removed
// and the job ends with the invalid file's outcome.
void CommandProcessor::writeRows(Job& job, JobTracker& tracker) {
    try {
        if (!job.command.invalid.empty()) {
            job.bookingType = job.command.bookingType;
            throw CommandFileError(job.command.invalid);
        }
        JobWriter(context_, job.command, job, tracker).write();
    } catch (const std::exception& e) {
        job.outcome = kInvalidFile;
        job.message = "Neispravan fajl " + job.fileName + "\r\n" + "Greska:" + e.what();
        Obavijesti(context_.ui, job.message);
        ObrisiPlacanja(context_, job.number, job.bookingType);
        ObrisiStavkeRacuna(context_, job.number, job.bookingType);
        ObrisiSemafor(context_, job.number, job.bookingType);
    }
}

ProcessedFile CommandProcessor::AnalRacuniKomande(const std::string& fileName) {
    using Step = ProcessedFile::Step;
    ProcessState& state = context_.state;
    state.VrijemeCekanja = 0;
    advanceBrojacObrade(state);

    if (!tracker_) tracker_.emplace(context_, &followUp_);
    JobTracker& tracker = *tracker_;
    if (!tracker.finishInterruptedJob()) return {};
    if (tracker.retryMarking(fileName)) return {};

    const std::int64_t takenUp = nowEpochMs();
    std::optional<files::FileContent> file = readForTakeUp(fileName);
    if (!file) return {};
    Job job;
    job.fileName = fileName;
    takeContent(job, std::move(*file));
    job.command = readCommand(job, state.postavke.TARVOSLOVNESIFRE, state.BrojRacuna);
    if (job.command.verdict == CommandJob::Verdict::NotYet) return {};
    if (job.command.verdict == CommandJob::Verdict::ProcessedAlready) return {Step::Skipped};

    // The number after the last one could not be saved: the file waits.
    if (state.BrojRacuna == std::numeric_limits<int>::max()) {
        Obavijesti(context_.ui, "Knjigovodstveni broj racuna je dosao do najvece vrijednosti " +
                                    integerNumeral(state.BrojRacuna) + "; fajl " + fileName + " ceka.");
        return {};
    }
    job.number = state.BrojRacuna;
    job.times.takenUp = takenUp;
    job.times.read = nowEpochMs();
    tracker.reserveNumber(job);
    if (context_.activity) context_.activity->writing(job.number, fileName);
    const std::string duplicate = duplicateOfOpenJob(job.command);
    if (duplicate.empty()) {
        writeRows(job, tracker);
    } else {
        job.bookingType = job.command.bookingType;
        job.outcome = kInvalidFile;
        job.message = duplicate;
        Obavijesti(context_.ui, job.message);
    }
    tracker.endJob(job, finishJob(context_, job, &followUp_));
    ++state.BrojRacuna;  // saved in the settings file by the tracker
    return {Step::JobRan, job.outcome};
}

}  // namespace fm

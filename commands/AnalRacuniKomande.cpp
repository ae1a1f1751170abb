#include "commands/AnalRacuniKomande.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <limits>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

#include "commands/CommandFile.h"
#include "commands/CrashPoint.h"
#include "commands/JobTracker.h"
#include "commands/Outcome.h"
#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

enum : int {
    kReferringReceipt = 1,
    kPriceChanges = 2,
    kReportZ = 4,
    kReportX = 5,
    kOfficialDeposit = 50,
    kDeleteArticle = 80,
};

// A writer or query that failed inside a job.
[[noreturn]] void fail(const std::string& message) { throw std::runtime_error(message); }

// The rows of one job and its F_SEMAFOR row, built from the file's lines; the row goes
// to the PARTNER through the job tracker's hand-over.
class JobBuilder {
  public:
    JobBuilder(Tdm_db& dm_db, const std::vector<std::string>& lines, Job& job, JobTracker& tracker)
        : dm_db_(dm_db), p_(dm_db.state().postavke), lines_(lines), job_(job), tracker_(tracker) {}

    void receipt(std::size_t header, std::string memo) {
        memo_ = std::move(memo);
        std::size_t body = header;
        CommandRecord head(lines_[header]);
        if (head.letter() == 'K') {
            job_.bookingType = kReferringReceipt;
            reklBroj_ = head.nextInteger();
            ++body;
        }
        for (std::size_t i = body; i < lines_.size(); ++i) {
            if (lines_[i].empty()) continue;
            CommandRecord record(lines_[i]);
            switch (record.letter()) {
                case 'V':
                    takeMemo(record);
                    break;
                case 'S':
                    saleItem(record);
                    break;
                case 'T':
                    payment(record);
                    break;
                default:
                    fail("Nekorektan format racuna/komande broj " + integerNumeral(job_.number));
            }
        }
        const int items = BrojStavkiRacuna(dm_db_, job_.number, job_.bookingType);
        const int payments = BrojPlacanja(dm_db_, job_.number, job_.bookingType);
        const double printMemo = text::trim(memo_).empty() ? 0 : 1;
        setBudget(items == -1 || payments == -1
                      ? p_.TARVOREZERVNOVRIJEME + 6000LL
                      : (items + payments) * (p_.TARVOBRZINASTAMPANJASTAVKI + 600LL) +
                            (p_.TARVOVREMESTAMPANJAZAGLAVLJA + 2000LL) +
                            (p_.TARVOVREMESTAMPANJAZAVRSETKA + 1500LL));
        handOver(
            reklBroj_, printMemo, 1, memo_,
            "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nza racun broj " + integerNumeral(job_.number));
    }

    void priceChanges() {
        bool anyWritten = false;
        for (const std::string& line : lines_) {
            if (line.empty() || line[0] != 'U') continue;
            CommandRecord record(line);
            const std::string name = record.nextText();
            const double price = record.nextDecimal();
            record.nextDecimal();  // checked, not stored
            record.skipField();
            const int group = record.nextInteger();
            const int tax = record.nextInteger();
            const int code = record.nextInteger();
            if (!UpisiNivelaciju(dm_db_, job_.number, code, group, tax, " ", name, price)) {
                fail("Ne moze se insertovati stavka nivelacije!");
            }
            crashPoint("row");
            job_.bookingType = kPriceChanges;
            anyWritten = true;
        }
        if (anyWritten) {
            const std::string sql =
                "SELECT count(*)  AS broj  FROM F_NIVELACIJA WHERE F_ID_KASE=" + number(p_.FID_RACUNA) +
                " and F_RBR=" + number(job_.number);
            if (!dm_db_.openSumaRacuna(sql)) fail(dm_db_.ZadnjaGreska());
            setBudget(dm_db_.F_SUMA_RACUNA().integer("broj") * 500 + p_.TARVOREZERVNOVRIJEME);
        }
        handOver(0, 0, 0, std::string(), "Ne moze se izvrsiti upis u tabelu f_semafor!");
    }

    void deleteArticle() {
        CommandRecord record(lines_.front());
        const int article = record.nextInteger();
        job_.bookingType = kDeleteArticle;
        setBudget(p_.TARVOREZERVNOVRIJEME + 2000LL);
        handOver(0, article, article, std::string(),
                 "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nkomande za brisanje artikla broj " +
                     integerNumeral(article));
    }

    void officialDeposit() {
        CommandRecord record(lines_.front());
        const int kind = record.nextInteger();
        const double amount = record.nextDecimal();
        if (kind > std::numeric_limits<int>::max() - kOfficialDeposit) {
            fail("Vrsta sluzbenog unosa/iznosa " + integerNumeral(kind) + " je izvan opsega");
        }
        job_.bookingType = kOfficialDeposit + kind;
        setBudget(p_.TARVOREZERVNOVRIJEME + 2000LL);
        handOver(0, 0, 0, realNumeral(amount),
                 "Ne moze se izvrsiti upis u tabelu f_semafor,\r\nza sluzbeni unos/iznos broj " +
                     integerNumeral(job_.number));
    }

    void dailyReport(int bookingType) {
        job_.bookingType = bookingType;
        setBudget(p_.TARVOREZERVNOVRIJEME + 5000LL);
        handOver(0, 0, 0, std::string(), "Ne moze se izvrsiti Dnevni izvjestaj!");
    }

  private:
    std::string number(long long value) const { return SqlBroj(integerNumeral(value), p_.K71B3); }

    // Settings may be any int: the budget is summed wide and kept within an int.
    void setBudget(long long milliseconds) {
        const long long budget = milliseconds + p_.TARVODBDRIVERAUTOMATICTIMER;
        dm_db_.state().VrijemeCekanja = int(std::clamp<long long>(budget, INT_MIN, INT_MAX));
    }

    void handOver(int reklBroj, double printMemo, double printRacun, const std::string& memo,
                  const std::string& failure) {
        const bool written = tracker_.handOver(job_, [&] {
            return UpisiSemafor(dm_db_, job_.number, job_.bookingType, 0, reklBroj, printMemo, printRacun,
                                memo);
        });
        if (!written) fail(failure);
    }

    void takeMemo(CommandRecord& record) {
        const std::string memo = text::trim(record.nextText());
        if (!memo.empty() && memo[0] == '+') memo_ = memo;
    }

    void saleItem(CommandRecord& record) {
        const std::string name = record.nextText();
        const double price = record.nextDecimal();
        const double quantity = record.nextDecimal();
        record.skipField();
        const int group = record.nextInteger();
        const int tax = record.nextInteger();
        record.skipField();
        const std::string codeText = record.nextText();

        int code = articleCode(codeText);
        if (code == -1) code = addArticle(codeText, group, tax, name, price);
        const int storno = quantity < 0 ? 1 : 0;
        if (!UpisiStavkuRacuna(dm_db_, job_.number, job_.bookingType, storno, code, group, tax, std::string(),
                               name, price, quantity)) {
            fail("Ne moze se insertovati stavka racuna,\r\nza racun broj " + integerNumeral(job_.number));
        }
        crashPoint("row");
    }

    // F_SIFRA_ROBE for the code of a sale item, -1 when no article has it.
    int articleCode(const std::string& codeText) {
        if (p_.TARVOSLOVNESIFRE) return NadjiSifruPoKnjigSifri(dm_db_, codeText);
        if (codeText.size() < 6) return toInteger(codeText);
        return NadjiSifruPoBarKodu(dm_db_, codeText);
    }

    // A new article under the next free code. A till sharing the article register may
    // take that code at the same moment: then the code text is looked up again (that
    // till may have added this very article) before the next free code is tried.
    int addArticle(const std::string& codeText, int group, int tax, const std::string& name, double price) {
        constexpr int attempts = 10;
        for (int attempt = 1;; ++attempt) {
            const int code = dm_db_.max("f_roba", "f_sifra_robe") + 1;
            if (UpisiRobu(dm_db_, code, group, tax, std::string(), name, codeText, price)) return code;
            if (attempt == attempts || !dm_db_.lastErrorIsKeyViolation())
                fail("Ne moze se dodati stavka robe!");
            if (const int added = articleCode(codeText); added != -1) return added;
        }
    }

    void payment(CommandRecord& record) {
        const std::string rest = record.restAfterStatus();
        if (rest.empty()) {
            const std::string sql =
                "SELECT SUM(F_KOLICINA*F_CIJENA_ROBE)  AS F_TOTAL  FROM F_RACUN WHERE F_ID_KASE=" +
                number(p_.FID_RACUNA) + " and F_RBR=" + number(job_.number) +
                " and TIPKNJIZENJA=" + number(rowBookingType(job_.bookingType));
            if (!dm_db_.openSumaRacuna(sql)) fail(dm_db_.ZadnjaGreska());
            writePayment(0, dm_db_.F_SUMA_RACUNA().real("F_TOTAL"));
        } else if (rest.size() >= 3) {
            const int method = record.nextInteger();
            writePayment(method, record.nextDecimal());
        }
    }

    void writePayment(int method, double amount) {
        if (!UpisiPlacanje(dm_db_, job_.number, job_.bookingType, method, amount)) {
            fail("Ne moze se insertovati stavka placanja,\r\nza racun broj " + integerNumeral(job_.number));
        }
        crashPoint("row");
    }

    Tdm_db& dm_db_;
    const Postavke& p_;
    const std::vector<std::string>& lines_;
    Job& job_;
    JobTracker& tracker_;
    std::string memo_;
    int reklBroj_ = 0;
};

std::string memoOf(const std::string& vRecord) {
    CommandRecord record(vRecord);
    const std::string memo = text::trim(record.nextText());
    return !memo.empty() && memo[0] == '+' ? memo : std::string();
}

// What the first records of a file say about taking it up.
struct Acceptance {
    enum Kind { NotYet, ProcessedAlready, TakeUp } kind = TakeUp;
    std::size_t header = 0;
    char letter = 0;
    std::string memo;
    std::string invalid;  // not empty: taken up only to be reported invalid
};

Acceptance accept(const std::vector<std::string>& lines) {
    Acceptance acceptance;
    std::optional<std::size_t> header = nextRecord(lines, 0);
    if (!header) {
        acceptance.invalid = "fajl ne sadrzi nijedan zapis";
        return acceptance;
    }
    if (*header + 1 == lines.size())
        acceptance.kind = Acceptance::NotYet;
    else if (text::trim(CommandRecord(lines[*header]).status()) != "__")
        acceptance.kind = Acceptance::ProcessedAlready;
    if (acceptance.kind != Acceptance::TakeUp) return acceptance;

    char letter = lines[*header][0];
    if (letter == 'V') {
        acceptance.memo = memoOf(lines[*header]);
        header = nextRecord(lines, *header + 1);
        if (!header) {
            acceptance.invalid = "iza memo zapisa nema racuna";
            return acceptance;
        }
        if (*header + 1 == lines.size()) {
            acceptance.kind = Acceptance::NotYet;
            return acceptance;
        }
        letter = lines[*header][0];
        if (letter != 'K' && letter != 'S') letter = 'V';
    }
    acceptance.header = *header;
    acceptance.letter = letter;
    return acceptance;
}

}  // namespace

std::optional<files::FileContent> CommandProcessor::readForTakeUp(const std::string& fileName) {
    std::set<std::string>& noticed = dm_db_.state().unreadableFilesNoticed;
    files::FileContent content = files::readFileOnce(fileName, kCommandFileLimit);
    using Result = files::FileContent::Result;
    if (content.result == Result::Read || content.result == Result::OverLimit) {
        noticed.erase(fileName);
        return content;
    }
    if (content.result == Result::Missing) {  // gone since the scan
        noticed.erase(fileName);
    } else if (noticed.insert(fileName).second) {
        Obavijesti(dm_db_.ui(), unreadableMessage(fileName, content));
    }
    return std::nullopt;
}

bool CommandProcessor::AnalRacuniKomande(const std::string& fileName) {
    ProcessState& state = dm_db_.state();
    state.VrijemeCekanja = 0;
    advanceBrojacObrade(state);

    JobTracker tracker(dm_db_, settings_);
    if (!tracker.finishInterruptedJob()) return false;
    if (tracker.retryMarking(fileName)) return false;

    std::optional<files::FileContent> file = readForTakeUp(fileName);
    if (!file) return false;
    // Over a limit: invalid, and never split into lines.
    const std::string overLimit = file->result == files::FileContent::Result::OverLimit
                                      ? overLimitMessage()
                                      : tooManyLinesMessage(file->bytes);
    const std::vector<std::string> lines =
        overLimit.empty() ? parseCommandLines(file->bytes) : std::vector<std::string>();
    Acceptance acceptance;
    if (!overLimit.empty())
        acceptance.invalid = overLimit;
    else
        acceptance = accept(lines);
    if (acceptance.kind == Acceptance::NotYet) return false;
    if (acceptance.kind == Acceptance::ProcessedAlready) return true;

    // The number after the last one could not be saved: the file waits.
    if (state.BrojRacuna == std::numeric_limits<int>::max()) {
        Obavijesti(dm_db_.ui(), "Knjigovodstveni broj racuna je dosao do najvece vrijednosti " +
                                    integerNumeral(state.BrojRacuna) + "; fajl " + fileName + " ceka.");
        return false;
    }
    Job job;
    job.number = state.BrojRacuna;
    job.file = file->identity;
    job.bytes = std::move(file->bytes);
    tracker.reserveNumber(fileName, job.file, job.number);
    try {
        if (!acceptance.invalid.empty()) throw CommandFileError(acceptance.invalid);
        rejectNulBytes(lines);
        rejectOverlongLines(lines);
        JobBuilder builder(dm_db_, lines, job, tracker);
        switch (acceptance.letter) {
            case 'K':
            case 'S':
                builder.receipt(acceptance.header, acceptance.memo);
                break;
            case 'U':
                builder.priceChanges();
                break;
            case 'O':
                builder.deleteArticle();
                break;
            case 'I':
                builder.officialDeposit();
                break;
            case 'Z':
                builder.dailyReport(kReportZ);
                break;
            case 'X':
                builder.dailyReport(kReportX);
                break;
            default:
                break;  // no command: nothing to hand over
        }
    } catch (const std::exception& e) {
        job.outcome = kInvalidFile;
        job.message = "Neispravan fajl " + fileName + "\r\n" + "Greska:" + e.what();
        // A connection lost on the way: the database's own words tell why.
        if (dm_db_.connectionLost() && !dm_db_.ZadnjaGreska().empty() &&
            job.message.find(dm_db_.ZadnjaGreska()) == std::string::npos)
            job.message += "\r\n" + dm_db_.ZadnjaGreska();
        Obavijesti(dm_db_.ui(), job.message);
        ObrisiPlacanja(dm_db_, job.number, job.bookingType);
        ObrisiStavkeRacuna(dm_db_, job.number, job.bookingType);
        ObrisiSemafor(dm_db_, job.number, job.bookingType);
    }
    const bool settled = finishJob(dm_db_, fileName, job);
    crashPoint("marked");
    tracker.endJob(fileName, job.outcome, settled);
    ++state.BrojRacuna;  // saved in the settings file by the tracker
    return job.outcome == kDone;
}

}  // namespace fm

#include "tools/fmerilon-check/FileCheck.h"

#include <cstdio>
#include <variant>

#include "commands/CommandFile.h"
#include "commands/WaitBudget.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/OpenedFile.h"
#include "platform/Text.h"
#include "tools/fmerilon-check/Findings.h"

namespace fm::check {

namespace {

std::string quoted(const std::string& text) { return "'" + text + "'"; }

const char* kindName(JobKind kind) {
    switch (kind) {
        case JobKind::Receipt:
            return "racun";
        case JobKind::PriceChanges:
            return "nivelacija";
        case JobKind::DeleteArticle:
            return "brisanje artikla";
        case JobKind::OfficialDeposit:
            return "sluzbeni unos/iznos";
        case JobKind::ReportZ:
            return "dnevni izvjestaj Z";
        case JobKind::ReportX:
            return "presjek stanja X";
        case JobKind::None:
            break;
    }
    return "bez komande";
}

// The verdict in words, and its key in JSON.
struct Verdict {
    const char* words;
    const char* key;
};

Verdict verdictOf(const FileCheck& check) {
    if (!check.unreadable.empty()) return {"ne moze se procitati", "unreadable"};
    if (check.job.verdict == CommandJob::Verdict::NotYet)
        return {"jos se ne uzima (zaglavlje je zadnja linija)", "not-yet"};
    if (check.job.verdict == CommandJob::Verdict::ProcessedAlready)
        return {"vec obradjen (status zaglavlja nije __)", "processed"};
    return check.passes() ? Verdict{"ispravan", "valid"} : Verdict{"neispravan", "invalid"};
}

std::string articleOf(const SaleItem& item, const Postavke& p) {
    if (item.codeIsNumber && item.code != -1) return "artikl " + integerNumeral(item.code);
    if (item.codeIsNumber) return "novi artikl u F_ROBA (sifra -1)";
    return std::string("artikl po ") + (p.TARVOSLOVNESIFRE ? "knjigovodstvenoj sifri " : "bar kodu ") +
           quoted(item.codeText) + " iz baze, novi u F_ROBA ako ga nema";
}

std::string semaforRow(const CommandJob& job, int jobNumber, const Postavke& p) {
    int printMemo = 0, printRacun = 0;
    if (job.kind == JobKind::Receipt) {
        printMemo = text::trim(job.memo).empty() ? 0 : 1;
        printRacun = 1;
    } else if (job.kind == JobKind::DeleteArticle) {
        printMemo = printRacun = job.article;
    }
    return "F_SEMAFOR: F_ID_KASE=" + integerNumeral(p.FID_RACUNA) + " F_RBR=" + integerNumeral(jobNumber) +
           " TIPKNJIZENJA=" + integerNumeral(job.bookingType) + " PRINTMEMO=" + integerNumeral(printMemo) +
           " PRINTRACUN=" + integerNumeral(printRacun) +
           " F_REKL_BROJ=" + integerNumeral(job.referredReceipt) + " MEMO=" + quoted(job.memo);
}

void addReceiptRows(const CommandJob& job, const Postavke& p, std::vector<std::string>& rows) {
    double total = 0;
    for (const ReceiptLine& line : job.receipt) {
        if (const SaleItem* item = std::get_if<SaleItem>(&line)) {
            total += item->price * item->quantity;
            rows.push_back("F_RACUN (linija " + std::to_string(item->line) + "): " + quoted(item->name) +
                           " cijena " + realNumeral(item->price) + " kolicina " +
                           realNumeral(item->quantity) + (item->storno() ? " storno" : "") + " grupa " +
                           integerNumeral(item->group) + " poreska stopa " + integerNumeral(item->tax) +
                           ", " + articleOf(*item, p));
            continue;
        }
        const Payment& payment = std::get<Payment>(line);
        rows.push_back(
            "F_PLACANJE (linija " + std::to_string(payment.line) + "): nacin placanja " +
            integerNumeral(payment.method) + " iznos " +
            (payment.ofTotal ? realNumeral(total) + " (zbir stavki iznad)" : realNumeral(payment.amount)));
    }
}

std::string listed(const char* title, const std::vector<std::string>& lines) {
    if (lines.empty()) return std::string();
    std::string out = std::string("  ") + title + ":\n";
    for (const std::string& line : lines) out += "    " + line + "\n";
    return out;
}

std::string jsonArray(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) out += std::string(i ? "," : "") + jsonString(texts[i]);
    return out + "]";
}

}  // namespace

std::string FileCheck::programMessage() const {
    if (!unreadable.empty()) return unreadable;
    if (job.invalid.empty()) return std::string();
    return "Neispravan fajl " + programPath + "\r\nGreska:" + job.invalid;
}

FileCheck checkBytes(const std::string& path, std::string_view bytes, const Postavke& p, int jobNumber,
                     bool overSizeLimit) {
    FileCheck check;
    check.path = path;
    const std::string directory = files::withClosingSeparator(p.TARVOLOCALDIR);
    const std::size_t slash = path.find_last_of("/\\");
    check.programPath = directory + (slash == std::string::npos ? path : path.substr(slash + 1));
    check.jobNumber = jobNumber;
    check.job = readCommandFile(bytes, overSizeLimit, p.TARVOSLOVNESIFRE, jobNumber);
    if (check.job.valid()) {
        const std::size_t rows = check.job.kind == JobKind::PriceChanges ? check.job.priceChanges.size()
                                                                         : check.job.receipt.size();
        check.budget = waitBudget(check.job.kind, static_cast<long long>(rows), p);
        check.refusals = databaseRefusals(check.job, p.TARVOSLOVNESIFRE);
        check.warnings = printingWarnings(check.job, parseCommandLines(bytes));
    }
    return check;
}

FileCheck checkFile(const std::string& path, const Postavke& p, int jobNumber) {
    const files::FileContent content = readCommandBytes(path);
    using Result = files::FileContent::Result;
    if (content.result == Result::Read || content.result == Result::OverLimit)
        return checkBytes(path, content.bytes, p, jobNumber, content.result == Result::OverLimit);
    FileCheck check;
    check.path = path;
    check.unreadable = unreadableMessage(path, content);
    return check;
}

std::vector<std::string> rowsOf(const FileCheck& check, const Postavke& p) {
    std::vector<std::string> rows;
    const CommandJob& job = check.job;
    if (!check.passes() || job.kind == JobKind::None) return rows;
    if (job.kind == JobKind::Receipt) addReceiptRows(job, p, rows);
    for (const PriceChange& change : job.priceChanges) {
        rows.push_back("F_NIVELACIJA i F_ROBA (linija " + std::to_string(change.line) + "): artikl " +
                       integerNumeral(change.code) + " " + quoted(change.name) + " nova cijena " +
                       realNumeral(change.price) + " grupa " + integerNumeral(change.group) +
                       " poreska stopa " + integerNumeral(change.tax));
    }
    rows.push_back(semaforRow(job, check.jobNumber, p));
    return rows;
}

// Names and fields come from the file: shown printable, so that none acts on the terminal
// or starts a line of its own.
std::string textReport(const FileCheck& check, const Postavke& p) {
    std::string out = text::printable(check.path) + ": " + verdictOf(check).words + "\n";
    if (!check.unreadable.empty()) return out + "  " + text::printable(check.unreadable) + "\n";
    const CommandJob& job = check.job;
    if (job.verdict == CommandJob::Verdict::TakeUp) {
        out += "  posao broj " + integerNumeral(check.jobNumber) + ": " + kindName(job.kind) +
               ", tip knjizenja " + integerNumeral(job.bookingType) + "\n";
    }
    for (const ReadRecord& record : job.records) {
        out += "  linija " + std::to_string(record.line) + ": " + std::string(1, record.letter) + " (" +
               record.role + ")\n";
        for (const ReadField& field : record.fields) {
            out += "    polje " + std::to_string(field.number) + " (" + field.meaning +
                   "): " + quoted(text::printable(field.text)) + "\n";
        }
    }
    if (!job.invalid.empty()) {
        out += "  poruka programa:\n";
        for (const std::string& line : text::splitLines(check.programMessage()))
            out += "    " + text::printable(line) + "\n";
        return out;
    }
    if (job.verdict != CommandJob::Verdict::TakeUp) return out;
    out += listed("baza ce odbiti", check.refusals) + listed("upozorenja", check.warnings);
    if (!check.refusals.empty()) return out;
    const std::vector<std::string> rows = rowsOf(check, p);
    if (rows.empty()) out += "  redovi: nijedan (posao zavrsava uspjesno bez PARTNERA)\n";
    for (const std::string& row : rows) out += "  red " + text::printable(row) + "\n";
    out += "  cekanje na PARTNERA: " + integerNumeral(check.budget) + " ms\n";
    if (job.kind == JobKind::Receipt)
        out += "  bez baze nije provjereno: trazenje i dodavanje artikala, upis redova\n";
    else if (job.kind != JobKind::None)
        out += "  bez baze nije provjereno: upis redova\n";
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string jsonReport(const FileCheck& check, const Postavke& p) {
    const CommandJob& job = check.job;
    std::string out = "{\"file\":" + jsonString(check.path) + ",\"verdict\":\"" + verdictOf(check).key + "\"";
    out += ",\"message\":" + jsonString(check.programMessage());
    if (!check.unreadable.empty()) return out + "}";
    out += ",\"jobNumber\":" + integerNumeral(check.jobNumber) +
           ",\"kind\":" + jsonString(kindName(job.kind)) +
           ",\"bookingType\":" + integerNumeral(job.bookingType) + ",\"records\":[";
    for (std::size_t r = 0; r < job.records.size(); ++r) {
        const ReadRecord& record = job.records[r];
        out += std::string(r ? "," : "") + "{\"line\":" + std::to_string(record.line) +
               ",\"letter\":" + jsonString(std::string(1, record.letter)) +
               ",\"role\":" + jsonString(record.role) + ",\"fields\":[";
        for (std::size_t f = 0; f < record.fields.size(); ++f) {
            const ReadField& field = record.fields[f];
            out += std::string(f ? "," : "") + "{\"number\":" + std::to_string(field.number) +
                   ",\"meaning\":" + jsonString(field.meaning) + ",\"text\":" + jsonString(field.text) + "}";
        }
        out += "]}";
    }
    out += "],\"rows\":" + jsonArray(rowsOf(check, p)) + ",\"budgetMs\":" + integerNumeral(check.budget);
    out += ",\"errors\":" + jsonArray(check.refusals) + ",\"warnings\":" + jsonArray(check.warnings);
    out +=
        ",\"needsDatabase\":" + std::string(check.passes() && job.kind != JobKind::None ? "true" : "false");
    return out + "}";
}

}  // namespace fm::check

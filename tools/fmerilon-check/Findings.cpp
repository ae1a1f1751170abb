#include "tools/fmerilon-check/Findings.h"

#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <set>
#include <utility>
#include <variant>

#include "commands/CommandFile.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "platform/Text.h"

namespace fm::check {

namespace {

std::string atLine(std::size_t line) { return "linija " + std::to_string(line) + ": "; }

// The length the database keeps: trailing blanks beyond a column are dropped, not refused.
std::size_t storedLength(const std::string& text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? 0 : end + 1;
}

std::size_t sizeOf(const char* table, const char* column) {
    for (const schema::Column& c : schema::table(table).columns)
        if (c.name == column) return std::size_t(c.size);
    return 0;
}

using Columns = std::initializer_list<std::pair<const char*, const char*>>;  // table, column

// A text written to several columns: against the narrowest of them.
void checkLength(std::size_t line, const char* field, const std::string& text, Columns columns,
                 std::vector<std::string>& out) {
    std::size_t size = 0;
    std::string narrowest;
    for (const auto& [table, column] : columns) {
        const std::size_t columnSize = sizeOf(table, column);
        if (!narrowest.empty() && columnSize >= size) continue;
        size = columnSize;
        narrowest = std::string(table) + "." + column;
    }
    if (storedLength(text) <= size) return;
    out.push_back(atLine(line) + field + " ima " + std::to_string(storedLength(text)) + " znakova, a " +
                  narrowest + " prima najvise " + std::to_string(size) + ": baza odbija upis");
}

// A code the database looks up and, not finding it, adds as a new article's bookkeeping code.
void checkArticleCode(const SaleItem& item, bool letterCodes, std::vector<std::string>& out) {
    if (item.codeIsNumber) return;
    const std::string trimmed = text::trim(item.codeText);
    if (!letterCodes && trimmed.size() <= sizeOf("F_ROBA", "F_BAR_CODE")) return;  // may be found
    checkLength(item.line, "polje 12 (sifra artikla)", item.codeText, {{"F_ROBA", "F_KNJIG_SIFRA"}}, out);
}

std::string money(double amount) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", amount);
    return text;
}

bool isUtf8(const std::string& text) {
    bool multiByte = false;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                    ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

void headerWarning(const std::vector<std::string>& lines, std::vector<std::string>& out) {
    const std::optional<std::size_t> header = nextRecord(lines, 0);
    if (!header) return;
    const char letter = lines[*header][0];
    const std::string named = "zaglavlje '" + std::string(1, letter) + "'";
    const std::string nothing = ": program oznacava fajl OK, a nista se ne stampa";
    if (letter == 'V') {
        out.push_back(atLine(*header + 1) + "iza memo zapisa nema zaglavlja racuna K ili S" + nothing);
    } else if (std::string("vksuoizx").find(letter) != std::string::npos) {
        out.push_back(atLine(*header + 1) + named + " je malo slovo, program poznaje samo '" +
                      std::string(1, char(std::toupper(static_cast<unsigned char>(letter)))) + "'" + nothing);
    } else {
        out.push_back(atLine(*header + 1) + named + " nije komanda (V, K, S, U, O, I, Z, X)" + nothing);
    }
}

void paymentWarnings(const CommandJob& job, const std::vector<std::string>& lines,
                     std::vector<std::string>& out) {
    for (const ReadRecord& record : job.records) {
        if (record.letter != 'T') continue;
        const std::size_t rest = CommandRecord(lines[record.line - 1]).restAfterStatus().size();
        if (rest > 0 && rest < 3)
            out.push_back(atLine(record.line) + "placanje s jednim ili dva znaka iza statusa se preskace");
    }
    double total = 0, paid = 0;
    bool paidBefore = false;
    for (const ReceiptLine& line : job.receipt) {
        if (const SaleItem* item = std::get_if<SaleItem>(&line)) {
            total += item->price * item->quantity;
            continue;
        }
        const Payment& payment = std::get<Payment>(line);
        if (payment.ofTotal && paidBefore)
            out.push_back(atLine(payment.line) + "placanje ukupnog iznosa iza ranijeg placanja placa " +
                          money(total) + " jos jednom");
        paid += payment.ofTotal ? total : payment.amount;
        paidBefore = true;
    }
    if (total - paid >= 0.005)  // short by a cent or more
        out.push_back("placanja (" + money(paid) + ") ne pokrivaju iznos racuna (" + money(total) + ")");
}

void utf8Warnings(const CommandJob& job, std::vector<std::string>& out) {
    for (const ReadRecord& record : job.records)
        for (const ReadField& field : record.fields)
            if (isUtf8(field.text))
                out.push_back(atLine(record.line) + "polje " + std::to_string(field.number) + " (" +
                              field.meaning +
                              ") je u UTF-8: program ga upisuje bajt po bajt, pa se svako slovo van ASCII "
                              "stampa kao dva ili vise znakova");
}

}  // namespace

std::vector<std::string> databaseRefusals(const CommandJob& job, bool letterCodes) {
    std::vector<std::string> out;
    for (const ReceiptLine& line : job.receipt) {
        const SaleItem* item = std::get_if<SaleItem>(&line);
        if (!item) continue;
        checkLength(item->line, "polje 5 (naziv artikla)", item->name,
                    {{"F_RACUN", "F_NAZIV_ROBE"}, {"F_ROBA", "F_NAZIV_ROBE"}}, out);
        checkArticleCode(*item, letterCodes, out);
    }
    std::set<int> changed;
    for (const PriceChange& change : job.priceChanges) {
        checkLength(change.line, "polje 5 (naziv artikla)", change.name,
                    {{"F_ROBA", "F_NAZIV_ROBE"}, {"F_NIVELACIJA", "F_NAZIV_ROBE"}}, out);
        if (!changed.insert(change.code).second)
            out.push_back(atLine(change.line) + "artikl " + integerNumeral(change.code) +
                          " je vec u ovoj nivelaciji: baza odbija drugi red F_NIVELACIJA za isti artikl");
    }
    return out;
}

std::vector<std::string> printingWarnings(const CommandJob& job, const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    if (job.kind == JobKind::None) headerWarning(lines, out);
    if (job.kind == JobKind::Receipt) paymentWarnings(job, lines, out);
    utf8Warnings(job, out);
    return out;
}

}  // namespace fm::check

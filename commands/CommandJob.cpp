#include "commands/CommandJob.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>

#include "commands/CommandFile.h"
#include "db/SqlText.h"
#include "platform/Text.h"

namespace fm {

namespace {

// One record read field by field; a field that is no number fails the file with its place.
class RecordReading {
  public:
    RecordReading(const std::vector<std::string>& lines, std::size_t index, CommandJob& job, std::string role)
        : record_(lines[index]), job_(job) {
        ReadRecord read;
        read.line = index + 1;
        read.letter = record_.letter();
        read.role = std::move(role);
        read.fields.push_back({4, "status", record_.status()});
        job_.records.push_back(std::move(read));
    }

    std::size_t line() const { return current().line; }
    const CommandRecord& record() const { return record_; }

    // The next field, noted with its meaning.
    std::string text(const char* meaning) {
        std::string field = record_.nextText();
        current().fields.push_back({number_++, meaning, field});
        return field;
    }
    void skip() {
        record_.skipField();
        ++number_;
    }

    // The field's number; a field that is none fails the file.
    template <class Convert>
    auto converted(const std::string& field, Convert convert) const {
        try {
            return convert(field);
        } catch (const CommandFileError& e) {
            fail(e.what());
        }
    }
    int integer(const char* meaning) { return converted(text(meaning), toInteger); }
    double decimal(const char* meaning) { return converted(text(meaning), toDecimal); }
    [[noreturn]] void fail(const std::string& what) const {
        const ReadField& field = current().fields.back();
        throw CommandFileError("linija " + std::to_string(line()) + ", polje " +
                               std::to_string(field.number) + " (" + field.meaning + "): " + what);
    }

  private:
    ReadRecord& current() { return job_.records.back(); }
    const ReadRecord& current() const { return job_.records.back(); }

    CommandRecord record_;
    CommandJob& job_;
    std::size_t number_ = 5;
};

std::string memoOf(const std::string& field) {
    const std::string memo = text::trim(field);
    return !memo.empty() && memo[0] == '+' ? memo : std::string();
}

class JobReader {
  public:
    JobReader(const std::vector<std::string>& lines, bool letterCodes, int jobNumber, CommandJob& job)
        : lines_(lines), letterCodes_(letterCodes), jobNumber_(jobNumber), job_(job) {}

    void receipt(std::size_t header) {
        job_.kind = JobKind::Receipt;
        std::size_t body = header;
        if (lines_[header][0] == 'K') {
            RecordReading k(lines_, header, job_, "zaglavlje racuna uz raniji racun");
            job_.referredReceipt = k.integer("broj ranijeg racuna");
            job_.bookingType = kReferringReceipt;
            ++body;
        }
        for (std::size_t i = body; i < lines_.size(); ++i) {
            if (lines_[i].empty()) continue;
            switch (lines_[i][0]) {
                case 'V': {
                    RecordReading v(lines_, i, job_, "memo");
                    if (std::string memo = memoOf(v.text("memo")); !memo.empty()) job_.memo = memo;
                    break;
                }
                case 'S':
                    saleItem(i);
                    break;
                case 'T':
                    payment(i);
                    break;
                default:
                    RecordReading other(lines_, i, job_, "zapis koji ne pripada racunu");
                    throw CommandFileError("Nekorektan format racuna/komande broj " +
                                           integerNumeral(jobNumber_) + " (linija " + std::to_string(i + 1) +
                                           ": zapis '" + std::string(1, lines_[i][0]) +
                                           "' ne pripada racunu)");
            }
        }
    }

    void priceChanges() {
        job_.kind = JobKind::PriceChanges;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].empty() || lines_[i][0] != 'U') continue;
            RecordReading u(lines_, i, job_, "promjena cijene");
            PriceChange change;
            change.line = u.line();
            change.name = u.text("naziv artikla");
            change.price = u.decimal("nova cijena");
            u.decimal("kolicina, ne upisuje se");
            u.skip();
            change.group = u.integer("grupa artikla");
            change.tax = u.integer("poreska stopa");
            change.code = u.integer("sifra artikla");
            // Stored, the highest code would leave no code for the next new article.
            if (change.code == std::numeric_limits<int>::max())
                u.fail("sifra robe " + integerNumeral(change.code) +
                       " je najveca vrijednost; artikal s njom se ne moze upisati");
            job_.priceChanges.push_back(change);
            job_.bookingType = kPriceChanges;
        }
    }

    void deleteArticle() {
        job_.kind = JobKind::DeleteArticle;
        RecordReading o(lines_, 0, job_, "brisanje artikla");
        job_.article = o.integer("broj artikla");
        job_.bookingType = kDeleteArticle;
    }

    void officialDeposit() {
        job_.kind = JobKind::OfficialDeposit;
        RecordReading i(lines_, 0, job_, "sluzbeni unos/iznos");
        const int kind = i.integer("vrsta unosa/iznosa");
        // Other kinds would give the booking type of another command (a report, a deletion).
        if (kind < 0 || kind > kLastOfficialDepositKind) {
            i.fail("Vrsta sluzbenog unosa/iznosa " + integerNumeral(kind) + " je izvan opsega 0 do " +
                   integerNumeral(kLastOfficialDepositKind));
        }
        job_.amount = i.decimal("iznos");
        job_.bookingType = kOfficialDeposit + kind;
        job_.memo = realNumeral(job_.amount);
    }

    void dailyReport(std::size_t header, JobKind kind) {
        job_.kind = kind;
        RecordReading(lines_, header, job_,
                      kind == JobKind::ReportZ ? "dnevni izvjestaj Z" : "presjek stanja X");
        job_.bookingType = kind == JobKind::ReportZ ? kReportZ : kReportX;
    }

  private:
    void saleItem(std::size_t index) {
        RecordReading s(lines_, index, job_, "stavka racuna");
        SaleItem item;
        item.line = s.line();
        item.name = s.text("naziv artikla");
        item.price = s.decimal("cijena");
        item.quantity = s.decimal("kolicina");
        s.skip();
        item.group = s.integer("grupa artikla");
        item.tax = s.integer("poreska stopa");
        s.skip();
        item.codeText = s.text("sifra artikla");
        item.codeIsNumber = !letterCodes_ && item.codeText.size() < 6;
        if (item.codeIsNumber) item.code = s.converted(item.codeText, toInteger);
        job_.receipt.emplace_back(item);
    }

    void payment(std::size_t index) {
        RecordReading t(lines_, index, job_, "placanje");
        const std::size_t rest = t.record().restAfterStatus().size();
        if (rest > 0 && rest < 3) return;  // one or two characters: ignored
        Payment payment;
        payment.line = t.line();
        payment.ofTotal = rest == 0;
        if (!payment.ofTotal) {
            payment.method = t.integer("nacin placanja");
            payment.amount = t.decimal("iznos");
        }
        job_.receipt.emplace_back(payment);
    }

    const std::vector<std::string>& lines_;
    bool letterCodes_;
    int jobNumber_;
    CommandJob& job_;
};

// The first records of the file: whether it is taken up and which record heads the job.
// Returns that header, or nullopt when the job stops here.
std::optional<std::size_t> accept(const std::vector<std::string>& lines, CommandJob& job, char& letter) {
    // The next record from that line when a line follows it; else the job stops.
    const auto complete = [&](std::size_t from, const char* noRecord) -> std::optional<std::size_t> {
        const std::optional<std::size_t> found = nextRecord(lines, from);
        if (!found)
            job.invalid = noRecord;
        else if (*found + 1 == lines.size())
            job.verdict = CommandJob::Verdict::NotYet;
        else
            return found;
        return std::nullopt;
    };
    std::optional<std::size_t> header = complete(0, "fajl ne sadrzi nijedan zapis");
    if (!header) return header;
    if (text::trim(CommandRecord(lines[*header]).status()) != "__") {
        job.verdict = CommandJob::Verdict::ProcessedAlready;
        return std::nullopt;
    }
    letter = lines[*header][0];
    if (letter != 'V') return header;

    RecordReading v(lines, *header, job, "memo");
    job.memo = memoOf(v.text("memo"));
    header = complete(*header + 1, "iza memo zapisa nema racuna");
    if (!header) return header;
    letter = lines[*header][0];
    if (letter != 'K' && letter != 'S') letter = 'V';
    return header;
}

}  // namespace

std::size_t CommandJob::itemCount() const {
    return std::size_t(std::count_if(receipt.begin(), receipt.end(),
                                     [](const ReceiptLine& line) { return line.index() == 0; }));
}

std::size_t CommandJob::paymentCount() const { return receipt.size() - itemCount(); }

CommandJob readCommandJob(const std::vector<std::string>& lines, bool letterCodes, int jobNumber) {
    CommandJob job;
    char letter = 0;
    const std::optional<std::size_t> header = accept(lines, job, letter);
    if (!header) return job;
    try {
        rejectNulBytes(lines);
        rejectOverlongLines(lines);
        JobReader reader(lines, letterCodes, jobNumber, job);
        switch (letter) {
            case 'K':
            case 'S':
                reader.receipt(*header);
                break;
            case 'U':
                reader.priceChanges();
                break;
            case 'O':
                reader.deleteArticle();
                break;
            case 'I':
                reader.officialDeposit();
                break;
            case 'Z':
                reader.dailyReport(*header, JobKind::ReportZ);
                break;
            case 'X':
                reader.dailyReport(*header, JobKind::ReportX);
                break;
            default:
                break;  // no command: nothing to hand over
        }
    } catch (const CommandFileError& e) {
        job.invalid = e.what();
    }
    return job;
}

CommandJob readCommandFile(std::string_view bytes, bool overSizeLimit, bool letterCodes, int jobNumber) {
    std::string overLimit = overSizeLimit ? overLimitMessage() : tooManyLinesMessage(bytes);
    if (overLimit.empty()) return readCommandJob(parseCommandLines(bytes), letterCodes, jobNumber);
    // Its header alone tells whether it was processed already.
    CommandJob job;
    const std::vector<std::string> head = parseCommandLines(bytes.substr(0, kCommandLineLimit));
    if (const std::optional<std::size_t> header = nextRecord(head, 0);
        header && text::trim(CommandRecord(head[*header]).status()) != "__")
        job.verdict = CommandJob::Verdict::ProcessedAlready;
    else
        job.invalid = std::move(overLimit);
    return job;
}

ReceiptKey::ReceiptKey(long long bookingType, long long referredReceipt, const std::string& memo)
    : header_(integerNumeral(bookingType) + ";" + integerNumeral(referredReceipt) + ";" + text::trim(memo)) {}

void ReceiptKey::item(const std::string& name, double price, double quantity, long long group,
                      long long tax) {
    rows_.push_back("S;" + text::trim(name) + ";" + realNumeral(price) + ";" + realNumeral(quantity) + ";" +
                    integerNumeral(group) + ";" + integerNumeral(tax));
}

void ReceiptKey::payment(long long method, double amount) {
    rows_.push_back("T;" + integerNumeral(method) + ";" + realNumeral(amount));
}

std::string ReceiptKey::text() const {
    std::vector<std::string> rows = rows_;
    std::sort(rows.begin(), rows.end());
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    const auto add = [&](std::string_view bytes) {
        for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
        hash = (hash ^ '\n') * 1099511628211ull;
    };
    add(header_);
    for (const std::string& row : rows) add(row);
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
    return key;
}

std::string receiptKey(const CommandJob& job) {
    if (job.kind != JobKind::Receipt || !job.valid()) return {};
    ReceiptKey key(job.bookingType, job.referredReceipt, job.memo);
    double total = 0;  // of the items so far, as a payment of the total finds it
    for (const ReceiptLine& line : job.receipt) {
        if (const SaleItem* item = std::get_if<SaleItem>(&line)) {
            key.item(item->name, item->price, item->quantity, item->group, item->tax);
            total += item->quantity * item->price;
        } else {
            const Payment& payment = std::get<Payment>(line);
            key.payment(payment.method, payment.ofTotal ? total : payment.amount);
        }
    }
    return key.text();
}

}  // namespace fm

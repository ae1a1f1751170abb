#include "commands/LateOutcomes.h"

#include <algorithm>
#include <exception>
#include <set>
#include <utility>

#include "commands/CommandJob.h"
#include "config/Postavke.h"
#include "db/JobCodes.h"
#include "db/JobSql.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

std::string jobName(const JobEntry& job) {
    return "Posao " + std::to_string(job.number) + " (fajl " + job.fileName + ")";
}

// A job the PARTNER had to wait for: it was handed over with a budget.
bool waitedFor(const JobEntry& job) { return job.outcome && job.times.handedOver != 0 && job.budgetMs > 0; }

}  // namespace

LateOutcomes::LateOutcomes(const RecordContext& db, JobJournal* journal) : db_(db), journal_(journal) {}

// The journal's open jobs, read again at the next call while it cannot tell; jobs ended
// meanwhile stay after them.
void LateOutcomes::load() {
    if (loaded_) return;
    std::optional<std::vector<JobEntry>> kept;
    if (journal_ && !(kept = journal_->openJobs(db_.state.postavke.FID_RACUNA))) return;
    loaded_ = true;
    if (!kept) return;
    std::erase_if(*kept, [&](const JobEntry& job) {
        return std::any_of(open_.begin(), open_.end(),
                           [&](const JobEntry& o) { return o.number == job.number; });
    });
    open_.insert(open_.begin(), kept->begin(), kept->end());
}

JobEntry LateOutcomes::jobEnded(const JobEntry& entry) {
    load();
    lastLook_.reset();  // the job's own F_SEMAFOR row came and may still be there
    JobEntry job = entry;
    if (job.outcome && job.times.handedOver != 0) readFiscalNumbers(job, true);
    // A job decided again by the start after a crash replaces the one it had left open.
    std::erase_if(open_, [&](const JobEntry& o) { return o.number == job.number; });
    const bool finished = job.outcome == kDone || job.outcome == kPartnerError;
    const bool unfinished =
        job.outcome == kNotFinished || job.outcome == kItemsLeft || job.outcome == kPaymentsLeft;
    // A slow PARTNER may have finished an earlier job while this one waited.
    if (waitedFor(job) && unfinished && db_.reachable())
        checkOpenJobs(nowEpochMs());
    if (job.open) open_.push_back(job);
    if (waitedFor(job) && (finished || unfinished))
        watchdogSays(watchdog_.jobEnded(finished, job.times.decided, int(open_.size())));
    return job;
}

void LateOutcomes::jobMarked(const JobEntry& entry) {
    for (JobEntry& open : open_) {
        if (open.number == entry.number) {
            open.action = entry.action;
            open.times.marked = entry.times.marked;
        }
    }
}

std::optional<std::vector<JobEntry>> LateOutcomes::openJobs(int registerNumber) {
    load();
    if (registerNumber != db_.state.postavke.FID_RACUNA) return std::vector<JobEntry>{};
    return open_;
}

bool LateOutcomes::endOfScan(std::int64_t nowMs) {
    load();
    const bool connected = db_.reachable();
    if (connected) checkOpenJobs(nowMs);
    return connected;
}

// Between this program's own hand-overs the register's F_SEMAFOR rows can only go or
// turn into error rows (their number negated): while their count and the sum of their
// numbers stay as at the last look, so do the rows, and they are not read again. False
// when F_SEMAFOR cannot be read (looked at again later).
bool LateOutcomes::lookAtSemafor() {
    const auto counted = db_.sql.selectEveryScan(statement::semaforSummary(db_.state.postavke));
    if (!counted) return false;
    const SemaforSummary summary{(*counted)->integer("N"), (*counted)->integer("S")};
    if (summary == lastLook_) return true;
    const auto rows = db_.sql.select3(statement::semaforRows(db_.state.postavke));
    if (!rows) return false;
    rows_.clear();
    ScratchQuery& row = **rows;
    if (row.hasRow()) {
        do rows_.insert({row.integer("F_RBR"), int(row.integer("TIPKNJIZENJA"))});
        while (row.next());
    }
    std::erase_if(rowKeys_, [&](const auto& known) { return !rows_.count(known.first); });
    lastLook_ = summary;
    return true;
}

void LateOutcomes::checkOpenJobs(std::int64_t nowMs) {
    if (open_.empty() || !lookAtSemafor()) return;
    std::vector<std::pair<JobEntry, LateOutcome>> settled;
    for (const JobEntry& job : open_) {
        if (!rows_.count({job.number, job.bookingType}))
            settled.emplace_back(job, rows_.count({-job.number, job.bookingType}) ? LateOutcome::Failed
                                                                                  : LateOutcome::Printed);
        else if (nowMs - job.times.decided >= kOpenAtMostMs)
            settled.emplace_back(job, LateOutcome::Unknown);
    }
    for (const auto& [job, late] : settled) settle(job, late, nowMs);
    std::int64_t oldest = 0;
    for (const JobEntry& job : open_)
        if (job.times.decided > watchdog_.lastWorkedMs() && (oldest == 0 || job.times.decided < oldest))
            oldest = job.times.decided;
    watchdogSays(watchdog_.openJobsChecked(oldest, int(open_.size()), nowMs));
}

void LateOutcomes::settle(JobEntry job, LateOutcome late, std::int64_t nowMs) {
    std::erase_if(open_, [&](const JobEntry& o) { return o.number == job.number; });
    const bool flaggedBefore = job.printedTwice;
    job.open = false;
    job.late = late;
    job.lateMs = nowMs;
    if (late != LateOutcome::Unknown) readFiscalNumbers(job, false);
    if (late == LateOutcome::Printed) {
        std::string notice =
            jobName(job) +
            " je PARTNER ipak odstampao, nakon isteka vremena cekanja (fajl: " + fileActionText(job.action) +
            ").\r\nNe saljite ga ponovo!";
        if (const std::string fiscal = fiscalNumbersText(job); !fiscal.empty())
            notice += " Fiskalni broj: " + fiscal + ".";
        if (job.printedTwice && !flaggedBefore) notice += "\r\nOdstampan je DVA PUTA.";
        Obavijesti(db_.ui, notice);
    } else if (late == LateOutcome::Failed) {
        Obavijesti(db_.ui, jobName(job) +
                               ": PARTNER je nakon isteka vremena cekanja javio gresku; posao nije "
                               "odstampan.");
    }
    if (journal_) journal_->jobSettledLate(job);
    if (late != LateOutcome::Unknown) watchdogSays(watchdog_.lateOutcomeFound(nowMs));
}

std::optional<std::vector<long long>> loggedFiscalNumbers(const RecordContext& db, long long jobNumber,
                                                          const std::vector<long long>& before) {
    const auto logged = db.sql.select3(statement::loggedFiscalNumbers(db.state.postavke, jobNumber));
    if (!logged) return std::nullopt;
    std::vector<long long> numbers;
    ScratchQuery& row = **logged;
    if (row.hasRow()) {
        do {
            const long long fiscal = row.integer("F_FISK_BROJ");
            if (std::find(before.begin(), before.end(), fiscal) != before.end()) continue;
            if (numbers.empty() || numbers.back() != fiscal) numbers.push_back(fiscal);
        } while (row.next());
    }
    return numbers;
}

// The job's own fiscal numbers; none where the table cannot be read, unknown where a
// value cannot. Two different ones: the job was printed twice.
void LateOutcomes::readFiscalNumbers(JobEntry& job, bool noticeTwice) {
    std::optional<std::vector<long long>> numbers;
    try {
        numbers = loggedFiscalNumbers(db_, job.number, job.fiscalBefore);
    } catch (const std::exception&) {
        job.fiscalNumbers.clear();
        job.fiscalNumbersUnknown = true;
        return;
    }
    if (!numbers) return;
    job.fiscalNumbers = std::move(*numbers);
    job.fiscalNumbersUnknown = false;
    const bool twice = job.fiscalNumbers.size() > 1;
    if (twice && !job.printedTwice && noticeTwice)
        Obavijesti(db_.ui,
                   jobName(job) + " je odstampan DVA PUTA: fiskalni brojevi " + fiscalNumbersText(job) + ".");
    job.printedTwice = job.printedTwice || twice;
}

const JobEntry* LateOutcomes::withKey(const std::string& key) const {
    const auto found =
        std::find_if(open_.begin(), open_.end(), [&](const JobEntry& job) { return job.receiptKey == key; });
    return found == open_.end() ? nullptr : &*found;
}

const JobEntry* LateOutcomes::openReceipt(const std::string& key, std::int64_t nowMs) {
    load();
    if (key.empty()) return nullptr;
    checkOpenJobs(nowMs);
    if (const JobEntry* job = withKey(key)) return job;
    return unlistedWithKey(key);
}

// A receipt whose F_SEMAFOR row is there though no open job with a key stands for it.
const JobEntry* LateOutcomes::unlistedWithKey(const std::string& key) {
    if (!lookAtSemafor()) return nullptr;
    for (const auto& row : rows_) {
        const auto& [number, bookingType] = row;
        if (number < 0 || bookingType >= kPriceChanges) continue;
        const bool listed = std::any_of(open_.begin(), open_.end(), [&row](const JobEntry& job) {
            return job.number == row.first && job.bookingType == row.second && !job.receiptKey.empty();
        });
        if (listed) continue;
        auto known = rowKeys_.find({number, bookingType});
        if (known == rowKeys_.end()) {
            const std::optional<std::string> rowsKey = keyOfRows(number, bookingType);
            if (!rowsKey) continue;
            known = rowKeys_.emplace(std::pair{number, bookingType}, *rowsKey).first;
        }
        if (known->second != key) continue;
        unlisted_ = JobEntry();
        unlisted_.number = int(number);
        unlisted_.bookingType = bookingType;
        unlisted_.fileName = "nepoznat";
        for (const JobEntry& job : open_)
            if (job.number == number) unlisted_.fileName = job.fileName;
        return &unlisted_;
    }
    return nullptr;
}

// The key of a receipt handed over, from its F_SEMAFOR row and its item and payment rows;
// nullopt when they cannot be read.
std::optional<std::string> LateOutcomes::keyOfRows(long long number, int bookingType) {
    const Postavke& p = db_.state.postavke;
    try {
        const auto semafor = db_.sql.select3(statement::semaforKeyRow(p, number, bookingType));
        if (!semafor || !(*semafor)->hasRow()) return std::nullopt;
        ReceiptKey key(bookingType, (*semafor)->integer("F_REKL_BROJ"), (*semafor)->text("MEMO"));
        const auto items = db_.sql.select3(statement::racunKeyRows(p, number, bookingType));
        if (!items) return std::nullopt;
        for (ScratchQuery& row = **items; row.hasRow(); row.next())
            key.item(row.text("F_NAZIV_ROBE"), row.real("F_CIJENA_ROBE"), row.real("F_KOLICINA"),
                     row.integer("F_SIFRA_GRUPA"), row.integer("F_SIFRA_POR_STOPE"));
        const auto payments = db_.sql.select3(statement::placanjeKeyRows(p, number, bookingType));
        if (!payments) return std::nullopt;
        for (ScratchQuery& row = **payments; row.hasRow(); row.next())
            key.payment(row.integer("F_NACIN_PLACANJA"), row.real("F_UPLACENO"));
        return key.text();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void LateOutcomes::watchdogSays(const std::optional<std::string>& notice) {
    if (notice) Obavijesti(db_.ui, *notice);
}

}  // namespace fm

#include "commands/JobFollowUp.h"

#include <algorithm>
#include <set>
#include <utility>

#include "config/Postavke.h"
#include "db/JobCodes.h"
#include "db/JobSql.h"
#include "db/SqlText.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

std::string jobName(const JobEntry& job) {
    return "Posao " + std::to_string(job.number) + " (fajl " + job.fileName + ")";
}

// A job the PARTNER had to wait for: it was handed over with a budget.
bool waitedFor(const JobEntry& job) { return job.outcome && job.times.handedOver != 0 && job.budgetMs > 0; }

}  // namespace

JobFollowUp::JobFollowUp(const RecordContext& db, JobJournal* journal) : db_(db), journal_(journal) {}

void JobFollowUp::load() {
    if (loaded_) return;
    loaded_ = true;
    if (journal_) open_ = journal_->openJobs(db_.state.postavke.FID_RACUNA);
}

void JobFollowUp::jobEnded(const JobEntry& entry) {
    load();
    lastLook_.reset();  // the job's own F_SEMAFOR row came and may still be there
    JobEntry job = entry;
    if (job.outcome && job.times.handedOver != 0) readFiscalNumbers(job, true);
    // A job decided again by the start after a crash replaces the one it had left open.
    std::erase_if(open_, [&](const JobEntry& o) { return o.number == job.number; });
    if (job.open) open_.push_back(job);
    const bool finished = job.outcome == kDone || job.outcome == kPartnerError;
    if (waitedFor(job) && (finished || job.open))
        watchdogSays(watchdog_.jobEnded(finished, job.times.decided, int(open_.size())));
    Activity& activity = db_.state.activity;
    activity.doing = Activity::Doing::Ready;
    countJob(activity, job.status(), job.times.marked ? job.times.marked : nowEpochMs());
    if (journal_) journal_->jobEnded(job);
    showActivity();
}

void JobFollowUp::jobMarked(const JobEntry& entry) {
    for (JobEntry& open : open_) {
        if (open.number == entry.number) {
            open.action = entry.action;
            open.times.marked = entry.times.marked;
        }
    }
    if (journal_) journal_->jobMarked(entry);
}

void JobFollowUp::fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) {
    if (journal_) journal_->fileSettledLater(fileName, action, atMs);
}

std::vector<JobEntry> JobFollowUp::openJobs(int registerNumber) {
    load();
    if (registerNumber != db_.state.postavke.FID_RACUNA) return {};
    return open_;
}

void JobFollowUp::jobSettledLate(const JobEntry& job) {
    if (journal_) journal_->jobSettledLate(job);
}

void JobFollowUp::endOfScan(std::int64_t nowMs) {
    load();
    const bool connected = db_.state.BazaOtvorena && !db_.sql.connectionLost();
    if (connected) checkOpenJobs(nowMs);
    db_.state.activity.doing = connected ? Activity::Doing::Ready : Activity::Doing::NoDatabase;
    showActivity();
}

// Between this program's own hand-overs the register's F_SEMAFOR rows can only go or
// turn into error rows (their number negated): while their count and the sum of their
// numbers stay as at the last look, so do the rows, and they are not read again.
void JobFollowUp::checkOpenJobs(std::int64_t nowMs) {
    if (open_.empty()) return;
    const std::string registerRows =
        " from F_SEMAFOR where F_ID_KASE=" + sqlNumber(db_, db_.state.postavke.FID_RACUNA);
    if (!db_.sql.sqlopen3("select count(*) as N, sum(F_RBR) as S" + registerRows))
        return;  // looked at again by the next scan
    const SemaforSummary summary{db_.sql.up3().integer("N"), db_.sql.up3().integer("S")};
    if (summary != lastLook_) {
        if (!db_.sql.sqlopen3("select F_RBR, TIPKNJIZENJA" + registerRows)) return;
        rows_.clear();
        ScratchQuery& row = db_.sql.up3();
        if (row.hasRow()) {
            do rows_.insert({row.integer("F_RBR"), int(row.integer("TIPKNJIZENJA"))});
            while (row.next());
        }
        lastLook_ = summary;
    }
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

void JobFollowUp::settle(JobEntry job, LateOutcome late, std::int64_t nowMs) {
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
        if (!job.fiscalNumbers.empty()) notice += " Fiskalni broj: " + fiscalNumbersText(job) + ".";
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

// F_LOG_RACUN's fiscal numbers of the job's register and number; none where the table
// cannot be read. Two different ones: the job was printed twice.
void JobFollowUp::readFiscalNumbers(JobEntry& job, bool noticeTwice) {
    if (!db_.sql.sqlopen3("select F_FISK_BROJ from F_LOG_RACUN where F_ID_KASE=" +
                          sqlNumber(db_, db_.state.postavke.FID_RACUNA) +
                          " and F_RBR=" + sqlNumber(db_, job.number) + " order by F_FISK_BROJ"))
        return;
    std::vector<long long> numbers;
    ScratchQuery& row = db_.sql.up3();
    if (row.hasRow()) {
        do {
            const long long fiscal = row.integer("F_FISK_BROJ");
            if (numbers.empty() || numbers.back() != fiscal) numbers.push_back(fiscal);
        } while (row.next());
    }
    job.fiscalNumbers = std::move(numbers);
    const bool twice = job.fiscalNumbers.size() > 1;
    if (twice && !job.printedTwice && noticeTwice)
        Obavijesti(db_.ui,
                   jobName(job) + " je odstampan DVA PUTA: fiskalni brojevi " + fiscalNumbersText(job) + ".");
    job.printedTwice = job.printedTwice || twice;
}

const JobEntry* JobFollowUp::withKey(const std::string& key) const {
    const auto found =
        std::find_if(open_.begin(), open_.end(), [&](const JobEntry& job) { return job.receiptKey == key; });
    return found == open_.end() ? nullptr : &*found;
}

const JobEntry* JobFollowUp::openReceipt(const std::string& key, std::int64_t nowMs) {
    load();
    if (key.empty() || !withKey(key)) return nullptr;
    checkOpenJobs(nowMs);
    return withKey(key);
}

void JobFollowUp::watchdogSays(const std::optional<std::string>& notice) {
    if (notice) Obavijesti(db_.ui, *notice);
}

void JobFollowUp::showActivity() {
    Activity& activity = db_.state.activity;
    activity.partnerStalled = watchdog_.stalled();
    activity.stalledSinceMs = watchdog_.stalledSinceMs();
    activity.jobsWaiting = int(open_.size());
    db_.ui.showActivity(activity);
}

}  // namespace fm

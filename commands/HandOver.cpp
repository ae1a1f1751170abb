#include "commands/HandOver.h"

#include "commands/JobContext.h"
#include "commands/Outcome.h"
#include "db/Schema.h"
#include "db/SqlText.h"

namespace fm {

namespace {

std::string jobRow(const RecordContext& db, int jobNumber) {
    return jobRowCondition(db.state.postavke, " where ", "and", jobNumber);
}

bool createTable(const RecordContext& db) {
    for (const std::string& statement :
         schema::createTableStatements(schema::handOverTable(), db.sql.dialect())) {
        if (!db.sql.sqlexec(statement)) return false;
    }
    return true;
}

}  // namespace

bool beginTracedHandOver(const RecordContext& db, int jobNumber, int bookingType, int budget) {
    const std::string insert = "insert into F_PREDAJA (F_ID_KASE,F_RBR,TIPKNJIZENJA,CEKANJE) values (" +
                               sqlNumber(db, db.state.postavke.FID_RACUNA) + "," + sqlNumber(db, jobNumber) +
                               "," + sqlNumber(db, bookingType) + "," + sqlNumber(db, budget) + ")";
    const auto begin = [&] {
        return db.sql.sqlexecWithNext("delete from F_PREDAJA" + jobRow(db, jobNumber)) &&
               db.sql.sqlexecWithNext(insert);
    };
    if (begin()) return true;
    // Missing on the first hand-over into this database (or made by another till meanwhile).
    createTable(db);
    return begin();
}

HandOverState interruptedHandOver(const RecordContext& db, JobInFlight& job) {
    if (job.stage == JobStage::Rows) {
        if (!db.sql.sqlopen3("select TIPKNJIZENJA, CEKANJE from F_PREDAJA" + jobRow(db, job.number))) {
            // A table that cannot be read took no row: the hand-over would have gone without it.
            const bool answered = db.state.BazaOtvorena && !db.sql.connectionLost();
            return answered ? HandOverState::NotCommitted : HandOverState::Unknown;
        }
        if (!db.sql.up3().hasRow()) return HandOverState::NotCommitted;
        job.bookingType = int(db.sql.up3().integer("TIPKNJIZENJA"));
        job.budget = int(db.sql.up3().integer("CEKANJE"));
        return HandOverState::Committed;
    }
    const int semafor = ProvjeriSemafor(db, job.number, job.bookingType);
    if (semafor == kSemaforUnreadable) return HandOverState::Unknown;
    if (semafor != kDone) return HandOverState::Committed;  // the job's row or its error row
    if (job.bookingType < kPriceChanges) {                  // a receipt
        const int items = BrojStavkiRacuna(db, job.number, job.bookingType);
        const int payments = BrojPlacanja(db, job.number, job.bookingType);
        if (items < 0 || payments < 0) return HandOverState::Unknown;
        if (items + payments > 0) return HandOverState::NotCommitted;
    }
    return HandOverState::Committed;
}

void forgetHandOver(const RecordContext& db, int jobNumber) {
    db.sql.sqlexec("delete from F_PREDAJA" + jobRow(db, jobNumber));
}

}  // namespace fm

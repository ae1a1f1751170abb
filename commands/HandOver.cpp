#include "commands/HandOver.h"

#include "commands/JobContext.h"
#include "commands/Outcome.h"

namespace fm {

bool beginTracedHandOver(const RecordContext& db, int jobNumber, int bookingType, int budget) {
    const Postavke& p = db.state.postavke;
    const auto begin = [&] {
        return db.sql.execWithNext(statement::predajaDelete(p, jobNumber)) &&
               db.sql.execWithNext(statement::predajaInsert(p, jobNumber, bookingType, budget));
    };
    if (begin()) return true;
    // Missing on the first hand-over into this database (or made by another till meanwhile).
    createHandOverTable(db);
    return begin();
}

HandOverState interruptedHandOver(const RecordContext& db, JobInFlight& job) {
    if (job.stage == JobStage::Rows) {
        const auto row = db.sql.select3(statement::predajaSelect(db.state.postavke, job.number));
        if (!row) {
            // A table that cannot be read took no row: the hand-over would have gone without it.
            const bool answered = db.state.BazaOtvorena && row.error().kind != sql::Failure::ConnectionLost;
            return answered ? HandOverState::NotCommitted : HandOverState::Unknown;
        }
        if (!(*row)->hasRow()) return HandOverState::NotCommitted;
        job.bookingType = int((*row)->integer("TIPKNJIZENJA"));
        job.budget = int((*row)->integer("CEKANJE"));
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
    db.sql.exec(statement::predajaDelete(db.state.postavke, jobNumber));
}

}  // namespace fm

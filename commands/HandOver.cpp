#include "commands/HandOver.h"

#include "commands/Outcome.h"
#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "db/Schema.h"
#include "db/SqlText.h"

namespace fm {

namespace {

std::string number(Tdm_db& dm_db, long long value) {
    return SqlBroj(integerNumeral(value), dm_db.state().postavke.K71B3);
}

std::string jobRow(Tdm_db& dm_db, int jobNumber) {
    return " where F_ID_KASE=" + number(dm_db, dm_db.state().postavke.FID_RACUNA) +
           " and F_RBR=" + number(dm_db, jobNumber);
}

bool createTable(Tdm_db& dm_db) {
    const auto column = [](const char* name) {
        return schema::Column{name, schema::ColumnType::Float, 0, false};
    };
    const schema::Table table{
        "F_PREDAJA", {column("F_ID_KASE"), column("F_RBR"), column("TIPKNJIZENJA"), column("CEKANJE")}, {}};
    for (const std::string& statement : schema::createTableStatements(table, dm_db.dialect())) {
        if (!dm_db.sqlexec(statement)) return false;
    }
    return true;
}

bool receipt(int bookingType) { return bookingType < 2; }

}  // namespace

bool beginTracedHandOver(Tdm_db& dm_db, int jobNumber, int bookingType, int budget) {
    const std::string insert = "insert into F_PREDAJA (F_ID_KASE,F_RBR,TIPKNJIZENJA,CEKANJE) values (" +
                               number(dm_db, dm_db.state().postavke.FID_RACUNA) + "," +
                               number(dm_db, jobNumber) + "," + number(dm_db, bookingType) + "," +
                               number(dm_db, budget) + ")";
    const auto begin = [&] {
        return dm_db.sqlexecWithNext("delete from F_PREDAJA" + jobRow(dm_db, jobNumber)) &&
               dm_db.sqlexecWithNext(insert);
    };
    if (begin()) return true;
    // Missing on the first hand-over into this database (or made by another till meanwhile).
    createTable(dm_db);
    return begin();
}

HandOverState interruptedHandOver(Tdm_db& dm_db, JobInFlight& job) {
    if (job.stage == JobStage::Rows) {
        if (!dm_db.sqlopen3("select TIPKNJIZENJA, CEKANJE from F_PREDAJA" + jobRow(dm_db, job.number))) {
            // A table that cannot be read took no row: the hand-over would have gone without it.
            const bool answered = dm_db.state().BazaOtvorena && !dm_db.connectionLost();
            return answered ? HandOverState::NotCommitted : HandOverState::Unknown;
        }
        if (!dm_db.up3().hasRow()) return HandOverState::NotCommitted;
        job.bookingType = int(dm_db.up3().integer("TIPKNJIZENJA"));
        job.budget = int(dm_db.up3().integer("CEKANJE"));
        return HandOverState::Committed;
    }
    const int semafor = ProvjeriSemafor(dm_db, job.number, job.bookingType);
    if (semafor == kSemaforUnreadable) return HandOverState::Unknown;
    if (semafor != kDone) return HandOverState::Committed;  // the job's row or its error row
    if (receipt(job.bookingType)) {
        const int items = BrojStavkiRacuna(dm_db, job.number, job.bookingType);
        const int payments = BrojPlacanja(dm_db, job.number, job.bookingType);
        if (items < 0 || payments < 0) return HandOverState::Unknown;
        if (items + payments > 0) return HandOverState::NotCommitted;
    }
    return HandOverState::Committed;
}

void forgetHandOver(Tdm_db& dm_db, int jobNumber) {
    dm_db.sqlexec("delete from F_PREDAJA" + jobRow(dm_db, jobNumber));
}

}  // namespace fm

#include "db/DataModule.h"
#include "db/SqlText.h"

// The scratch queries up..up4 and F_SUMA_RACUNA with their helpers; a failure leaves the
// database's text in ZadnjaGreska.
namespace fm {

bool Tdm_db::remember(const sql::Outcome& outcome) {
    impl_->lastHelperFailure = outcome.failure;
    ZadnjaGreska_ = outcome.error;
    return bool(outcome);
}

bool Tdm_db::queryOn(int index, const std::string& sql) {
    return remember(impl_->db_f.select(sql, impl_->up[std::size_t(index)]));
}

bool Tdm_db::execOn(int index, const std::string& sql) {
    impl_->up[std::size_t(index)].reset(sql);
    try {
        return remember(impl_->runInTransaction(sql));
    } catch (const std::exception& e) {
        impl_->db_f.rollback();
        return remember({sql::Failure::Other, e.what()});
    }
}

bool Tdm_db::lastErrorIsKeyViolation() const {
    return !ZadnjaGreska_.empty() && impl_->lastHelperFailure == sql::Failure::KeyViolation;
}

bool Tdm_db::sqlopen(const std::string& sql) { return queryOn(0, sql); }
bool Tdm_db::sqlopen1(const std::string& sql) { return queryOn(1, sql); }
bool Tdm_db::sqlopen2(const std::string& sql) { return queryOn(2, sql); }
bool Tdm_db::sqlopen3(const std::string& sql) { return queryOn(3, sql); }
bool Tdm_db::sqlopen4(const std::string& sql) { return queryOn(4, sql); }
bool Tdm_db::sqlexec(const std::string& sql) { return execOn(0, sql); }
bool Tdm_db::sqlexec1(const std::string& sql) { return execOn(1, sql); }
bool Tdm_db::sqlexec2(const std::string& sql) { return execOn(2, sql); }
bool Tdm_db::sqlexec3(const std::string& sql) { return execOn(3, sql); }
ScratchQuery& Tdm_db::up() { return impl_->up[0]; }
ScratchQuery& Tdm_db::up1() { return impl_->up[1]; }
ScratchQuery& Tdm_db::up2() { return impl_->up[2]; }
ScratchQuery& Tdm_db::up3() { return impl_->up[3]; }

ScratchQuery& Tdm_db::up4() { return impl_->up[4]; }

sql::Error Tdm_db::lastError() const { return {impl_->lastHelperFailure, ZadnjaGreska_}; }

Result<void, sql::Error> Tdm_db::exec(const std::string& sql) {
    return sqlexec(sql) ? Result<void, sql::Error>() : unexpected(lastError());
}

Result<void, sql::Error> Tdm_db::execWithNext(const std::string& sql) {
    sql::Connection& db = impl_->db_f;
    sql::Outcome done;
    try {
        if (!db.inTransaction()) done = db.beginTransaction();
        if (done) done = db.execute(sql);
    } catch (const std::exception& e) {
        done = {sql::Failure::Other, e.what()};
    }
    if (!done) db.rollback();
    return remember(done) ? Result<void, sql::Error>() : unexpected(lastError());
}

Result<ScratchQuery*, sql::Error> Tdm_db::select3(const std::string& sql) {
    return sqlopen3(sql) ? Result<ScratchQuery*, sql::Error>(&up3()) : unexpected(lastError());
}

Result<ScratchQuery*, sql::Error> Tdm_db::selectEveryScan(const std::string& sql) {
    if (!remember(impl_->db_f.selectKept(sql, impl_->up[3]))) return unexpected(lastError());
    return &up3();
}

Result<ScratchQuery*, sql::Error> Tdm_db::sumaRacuna(const std::string& sql) {
    if (!openSumaRacuna(sql)) return unexpected(lastError());
    return &F_SUMA_RACUNA();
}

int Tdm_db::max(const std::string& table, const std::string& column) {
    return highest(table, column).value_or(0);
}

Result<int, sql::Error> Tdm_db::highest(const std::string& table, const std::string& column) {
    if (!sqlopen("Select max(" + column + ") as mx from " + table)) return unexpected(lastError());
    if (!up().hasRow()) return 0;
    try {
        return int(up().integer("mx"));
    } catch (const std::exception& e) {
        ZadnjaGreska_ = e.what();
        return unexpected(sql::Error{sql::Failure::Other, e.what()});
    }
}

sql::Outcome Tdm_db::Impl::runSumaRacuna() { return db_f.select(sumaRacuna.sql(), sumaRacuna); }

bool Tdm_db::openSumaRacuna(const std::string& sql) {
    impl_->sumaRacuna.reset(sql);
    impl_->sumaRacunaReplaced = true;
    return remember(impl_->runSumaRacuna());
}

ScratchQuery& Tdm_db::F_SUMA_RACUNA() { return impl_->sumaRacuna; }

std::optional<std::string> Tdm_db::settingFromTable(const std::string& upperKey) {
    if (!state_.BazaOtvorena) return std::nullopt;
    if (!sqlopen("select * from settings where NAZIV =" + SqlTekst(upperKey)) || !up().hasRow())
        return std::nullopt;
    try {
        return up().text("VRIJEDNOST");
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace fm

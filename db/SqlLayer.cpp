#include "db/SqlLayer.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#include <cmath>
#include <stdexcept>

#ifdef FMERILON_FIREBIRD_CLIENT
#include "db/KeptFirebirdSelect.h"
#endif
#include "db/SqlDriver.h"
#include "db/SqlText.h"
#include "db/TextTransport.h"
#include "platform/Text.h"

namespace fm::sql {

namespace {

const Outcome notOpen{Failure::ConnectionLost, "Database is not open"};

}  // namespace

bool ResultSet::next() {
    if (row_ < rows_.size()) ++row_;
    return hasRow();
}

void ResultSet::reset(const std::string& sql) {
    sql_ = sql;
    columns_.clear();
    rows_.clear();
    row_ = 0;
}

const ResultSet::Value* ResultSet::value(const std::string& column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (text::equalsIgnoringCase(columns_[i], column)) return hasRow() ? &rows_[row_][i] : nullptr;
    }
    throw std::runtime_error("Field '" + column + "' not found");
}

std::string ResultSet::text(const std::string& column) const {
    const Value* v = value(column);
    if (!v || v->kind == Value::Kind::Null) return {};
    if (v->kind == Value::Kind::Real) return realNumeral(v->real);
    return v->kind == Value::Kind::Integer ? integerNumeral(v->integer) : v->text;
}

double ResultSet::real(const std::string& column) const {
    const Value* v = value(column);
    if (!v || v->kind == Value::Kind::Null) return 0;
    if (v->kind == Value::Kind::Real) return v->real;
    if (v->kind == Value::Kind::Integer) return double(v->integer);
    // Read whatever the process locale: the engines write a decimal point.
    const std::string trimmed = text::trim(v->text);
    const char* begin = trimmed.data() + (trimmed.rfind('+', 0) == 0 ? 1 : 0);
    const char* const end = trimmed.data() + trimmed.size();
    double number = 0;
    const auto [stop, problem] = std::from_chars(begin, end, number);
    if (begin == end || problem != std::errc() || stop != end)
        throw std::runtime_error("'" + v->text + "' is not a valid floating point value");
    return number;
}

long long ResultSet::integer(const std::string& column) const {
    const Value* v = value(column);
    if (v && v->kind == Value::Kind::Integer) return v->integer;
    return std::llround(real(column));
}

Connection::Connection(std::string name)
    : name_(std::move(name)), engine_(Engine::forDriver({})), db_(std::make_unique<QSqlDatabase>()) {}

Connection::~Connection() { close(); }

Outcome Connection::fail(Outcome outcome) {
    if (outcome.failure == Failure::ConnectionLost) lost_ = true;
    return outcome;
}

Outcome Connection::open(const std::string& driverName, const ParameterList& parameters) {
    close();
    engine_ = Engine::forDriver(driverName);
    *db_ = QSqlDatabase::addDatabase(QString::fromLatin1(engine_.qtDriver.c_str()),
                                     QString::fromStdString(name_));
    QSqlDatabase& db = *db_;
    engine_.describe(db, parameters);
    db.setUserName(latin1(parameters.value("USER NAME")));
    db.setPassword(latin1(parameters.value("PASSWORD")));

    lost_ = false;
    if (!db.open()) {
        Outcome outcome = fail(engine_.failed(db.lastError()));
        if (std::string missing = missingDriverNotice(engine_.qtDriver); !missing.empty())
            outcome.error = std::move(missing);
        else if (const std::string hint = engine_.missingDriverHint(db.isValid(), db.lastError());
                 !hint.empty())
            outcome.error = hint + "\r\n" + outcome.error;
        close();
        return outcome;
    }
    if (db.driver()->dbmsType() == QSqlDriver::MySqlServer && engine_.dialect != schema::Dialect::MariaDB)
        engine_ = Engine::mariaDbReachedBy(engine_);
    Outcome ready;
    for (auto statement = engine_.sessionStatements.begin();
         ready && statement != engine_.sessionStatements.end(); ++statement)
        ready = execute(*statement);
    if (ready && engine_.sessionFault) ready = checkSession();
    if (!ready) close();
    return ready;
}

// A session that the driver opened again on its own has lost its settings: the ping
// finds that out, and the connection then counts as lost, to be opened again.
Outcome Connection::checkSession() {
    QSqlQuery query(*db_);
    if (!query.exec(latin1(engine_.ping))) return fail(engine_.failed(query.lastError()));
    const std::string answer =
        query.next() ? toValue(query.value(0), engine_.coding, engine_.textBlobsInUtf8).text : std::string();
    const std::optional<std::string> fault = engine_.sessionFault(answer);
    if (!fault) return {};
    sessionFault_ = *fault;
    return fail({Failure::ConnectionLost, *fault});
}

void Connection::close() {
    kept_.reset();  // before the attachment it was prepared on goes
    if (!db_->isValid()) return;
    db_->close();
    *db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(QString::fromStdString(name_));
    inTransaction_ = false;
    sessionFault_.clear();
}

bool Connection::isOpen() const { return db_->isValid() && db_->isOpen(); }

Outcome Connection::beginTransaction() {
    if (!isOpen()) return fail(notOpen);
    if (!db_->transaction()) return fail(engine_.failed(db_->lastError()));
    inTransaction_ = true;
    return {};
}

Outcome Connection::commit() {
    if (!isOpen()) return fail(notOpen);
    if (!db_->commit()) return fail(engine_.failed(db_->lastError()));
    inTransaction_ = false;
    return {};
}

void Connection::rollback() {
    if (inTransaction_ && isOpen()) db_->rollback();
    inTransaction_ = false;
}

// Both drivers hand the statement over as a C string: a NUL byte would end it there.
Outcome Connection::refusal(const std::string& sql) {
    if (!isOpen()) return fail(notOpen);
    if (!sessionFault_.empty()) return fail({Failure::ConnectionLost, sessionFault_});
    if (sql.find('\0') == std::string::npos) return {};
    return {Failure::Other, "SQL naredba sadrzi znak NUL (kod 0), na kojem bi je baza prekinula"};
}

Outcome Connection::execute(const std::string& sql) {
    const std::string statement = engine_.inDialect(sql);
    if (observer_) observer_(statement);
    if (const Outcome refused = refusal(statement); !refused) return refused;
    QSqlQuery query(*db_);
    if (!query.exec(toQt(statement, engine_.coding))) return fail(engine_.failed(query.lastError()));
    return {};
}

Outcome Connection::select(const std::string& sql, ResultSet& result) {
    result.reset(sql);
    if (observer_) observer_(sql);
    if (const Outcome refused = refusal(sql); !refused) return refused;
    // Read whole and let the query go, so that no read transaction stays open.
    const TextCoding coding = engine_.coding;
    QSqlQuery query(*db_);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.exec(toQt(sql, coding))) return fail(engine_.failed(query.lastError()));
    const QSqlRecord record = query.record();
    std::vector<std::string> columns;
    for (int i = 0; i < record.count(); ++i) columns.push_back(fromQt(record.fieldName(i), coding));
    result.setColumns(std::move(columns));
    while (query.next()) {
        std::vector<ResultSet::Value> row;
        for (int i = 0; i < record.count(); ++i)
            row.push_back(toValue(query.value(i), coding, engine_.textBlobsInUtf8));
        result.addRow(std::move(row));
    }
    if (query.lastError().isValid()) {
        result.reset(sql);
        return fail(engine_.failed(query.lastError()));
    }
    return {};
}

Outcome Connection::selectKept(const std::string& sql, ResultSet& result) {
#ifdef FMERILON_FIREBIRD_CLIENT
    // In a transaction of this connection the select has to see its rows: run it there.
    if (engine_.dialect != schema::Dialect::Firebird || inTransaction_) return select(sql, result);
    result.reset(sql);
    if (observer_) observer_(sql);
    if (const Outcome refused = refusal(sql); !refused) return refused;
    if (!kept_ || kept_->sql() != sql) {
        kept_.reset();
        auto prepared = KeptFirebirdSelect::prepare(*db_, engine_, sql);
        if (!prepared) return fail(prepared.error());
        kept_ = std::move(*prepared);
    }
    const Outcome outcome = kept_->run(result);
    if (!outcome) kept_.reset();  // prepared anew next time
    return fail(outcome);
#else
    return select(sql, result);
#endif
}

Outcome Connection::ping() {
    if (!isOpen()) return fail(notOpen);
    if (engine_.sessionFault) return checkSession();
    QSqlQuery query(*db_);
    if (!query.exec(latin1(engine_.ping))) return fail(engine_.failed(query.lastError()));
    return {};
}

Outcome Connection::probe(const std::string& table, const std::string& columns) {
    ResultSet result;
    return select(engine_.probeStatement(table, columns), result);
}

}  // namespace fm::sql

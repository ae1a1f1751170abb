#include "db/KeptFirebirdSelect.h"

#include <ibase.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "db/Engine.h"
#include "db/SqlLayer.h"
#include "db/TextTransport.h"

namespace fm::sql {

namespace {

// Read-only and read committed: each run sees what is committed at that moment.
const char kReadCommitted[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};

// The engine's failure as Qt's driver words it: SQLCODE and the messages joined by " - ".
Outcome failureOf(const Engine& engine, const ISC_STATUS* status) {
    const ISC_LONG sqlcode = isc_sqlcode(status);
    QString text;
    char buffer[512];
    const ISC_STATUS* next = status;
    while (fb_interpret(buffer, sizeof buffer, &next)) {
        if (!text.isEmpty()) text += QLatin1String(" - ");
        text += QString::fromUtf8(buffer);
    }
    return engine.failed(QSqlError(QString(), text, QSqlError::StatementError, QString::number(sqlcode)));
}

bool failed(const ISC_STATUS* status) { return status[0] == 1 && status[1] > 0; }

template <class T>
T read(const char* data) {
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// A column of the row fetched; nullopt for a type this select does not read. Texts come
// in the connection's character set, UTF-8 as Qt's driver opens it.
std::optional<Value> valueOf(const XSQLVAR& var, TextCoding coding) {
    Value value;
    if ((var.sqltype & 1) && *var.sqlind < 0) return value;
    long long whole = 0;
    switch (var.sqltype & ~1) {
        case SQL_SHORT:
            whole = read<short>(var.sqldata);
            break;
        case SQL_LONG:
            whole = read<ISC_LONG>(var.sqldata);
            break;
        case SQL_INT64:
            whole = read<ISC_INT64>(var.sqldata);
            break;
        case SQL_DOUBLE:
        case SQL_FLOAT:
            value.kind = Value::Kind::Real;
            value.real =
                (var.sqltype & ~1) == SQL_DOUBLE ? read<double>(var.sqldata) : read<float>(var.sqldata);
            return value;
        case SQL_TEXT:
            value.kind = Value::Kind::Text;
            value.text = fromQt(QString::fromUtf8(var.sqldata, var.sqllen), coding);
            return value;
        case SQL_VARYING:
            value.kind = Value::Kind::Text;
            value.text =
                fromQt(QString::fromUtf8(var.sqldata + sizeof(short), read<short>(var.sqldata)), coding);
            return value;
        default:
            return std::nullopt;
    }
    if (var.sqlscale < 0) {
        value.kind = Value::Kind::Real;
        value.real = double(whole) * std::pow(10.0, var.sqlscale);
    } else {
        value.kind = Value::Kind::Integer;
        value.integer = whole;
    }
    return value;
}

struct Column {
    std::string name;
    std::vector<char> data;
    short null = 0;
};

}  // namespace

struct KeptFirebirdSelect::Handles {
    Handles(Engine engine, std::string sql) : engine(std::move(engine)), sql(std::move(sql)) {}

    Engine engine;
    std::string sql;
    isc_db_handle db = 0;
    isc_tr_handle transaction = 0;  // read-only read committed: holds back no garbage collection
    isc_stmt_handle statement = 0;
    XSQLDA* out = nullptr;
    std::vector<Column> columns;

    ~Handles() {
        ISC_STATUS_ARRAY status;
        if (statement) isc_dsql_free_statement(status, &statement, DSQL_drop);
        if (transaction) isc_commit_transaction(status, &transaction);
        std::free(out);
    }

    Outcome describe(ISC_STATUS* status) {
        out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(1)));
        out->version = SQLDA_VERSION1;
        out->sqln = 1;
        isc_dsql_prepare(status, &transaction, &statement, 0, sql.c_str(), SQL_DIALECT_V6, out);
        if (failed(status)) return failureOf(engine, status);
        if (out->sqld > out->sqln) {
            const short count = out->sqld;
            std::free(out);
            out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(count)));
            out->version = SQLDA_VERSION1;
            out->sqln = count;
            isc_dsql_describe(status, &statement, SQL_DIALECT_V6, out);
            if (failed(status)) return failureOf(engine, status);
        }
        columns.resize(std::size_t(out->sqld));
        for (short i = 0; i < out->sqld; ++i) {
            XSQLVAR& var = out->sqlvar[i];
            Column& column = columns[std::size_t(i)];
            column.name.assign(var.aliasname, std::size_t(var.aliasname_length));
            column.data.resize(std::size_t(var.sqllen) + sizeof(short));
            var.sqldata = column.data.data();
            var.sqlind = &column.null;
        }
        return {};
    }
};

KeptFirebirdSelect::KeptFirebirdSelect(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
KeptFirebirdSelect::~KeptFirebirdSelect() = default;

const std::string& KeptFirebirdSelect::sql() const { return handles_->sql; }

Result<std::shared_ptr<KeptFirebirdSelect>, Outcome> KeptFirebirdSelect::prepare(QSqlDatabase& db,
                                                                                 const Engine& engine,
                                                                                 const std::string& sql) {
    const QVariant handle = db.driver()->handle();
    if (handle.metaType() != QMetaType::fromType<isc_db_handle>())
        return unexpected(
            Outcome{Failure::Other, std::string("Veza nije Firebird veza: ") + handle.typeName()});
    auto handles = std::make_unique<Handles>(engine, sql);
    handles->db = *static_cast<const isc_db_handle*>(handle.constData());
    ISC_STATUS_ARRAY status;
    isc_start_transaction(status, &handles->transaction, 1, &handles->db, short(sizeof kReadCommitted),
                          kReadCommitted);
    if (failed(status)) return unexpected(failureOf(engine, status));
    isc_dsql_allocate_statement(status, &handles->db, &handles->statement);
    if (failed(status)) return unexpected(failureOf(engine, status));
    if (Outcome described = handles->describe(status); !described) return unexpected(described);
    return std::shared_ptr<KeptFirebirdSelect>(new KeptFirebirdSelect(std::move(handles)));
}

Outcome KeptFirebirdSelect::run(ResultSet& result) {
    Handles& h = *handles_;
    result.reset(h.sql);
    ISC_STATUS_ARRAY status;
    Outcome outcome;
    isc_dsql_execute(status, &h.transaction, &h.statement, SQL_DIALECT_V6, nullptr);
    if (failed(status)) outcome = failureOf(h.engine, status);
    std::vector<std::string> names;
    for (const Column& column : h.columns) names.push_back(column.name);
    result.setColumns(std::move(names));
    while (outcome) {
        const ISC_STATUS fetched = isc_dsql_fetch(status, &h.statement, SQL_DIALECT_V6, h.out);
        if (fetched == 100) break;
        if (fetched != 0) {
            outcome = failureOf(h.engine, status);
            break;
        }
        std::vector<Value> row;
        for (short i = 0; i < h.out->sqld && outcome; ++i) {
            if (const std::optional<Value> value = valueOf(h.out->sqlvar[i], h.engine.coding))
                row.push_back(*value);
            else
                outcome = {Failure::Other, "Nepoznat tip kolone u: " + h.sql};
        }
        if (outcome) result.addRow(std::move(row));
    }
    isc_dsql_free_statement(status, &h.statement, DSQL_close);
    if (!outcome) result.reset(h.sql);
    return outcome;
}

}  // namespace fm::sql

#include "db/SqlLayer.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "db/SqlText.h"
#include "platform/Text.h"

namespace fm::sql {

using schema::Dialect;

// ---- parameter list ----

namespace {

bool namesLine(const std::string& line, const std::string& name) {
    const std::size_t equals = line.find('=');
    return equals != std::string::npos && text::equalsIgnoringCase(line.substr(0, equals), name);
}

}  // namespace

std::string ParameterList::value(const std::string& name) const {
    for (const std::string& line : lines_)
        if (namesLine(line, name)) return line.substr(line.find('=') + 1);
    return {};
}

void ParameterList::set(const std::string& name, const std::string& value) {
    for (std::string& line : lines_) {
        if (namesLine(line, name)) {
            line = name + "=" + value;
            return;
        }
    }
    lines_.push_back(name + "=" + value);
}

// ---- results ----

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
    if (!v) return {};
    switch (v->kind) {
        case Value::Kind::Null:
            return {};
        case Value::Kind::Real:
            return realNumeral(v->real);
        case Value::Kind::Integer:
            return integerNumeral(v->integer);
        case Value::Kind::Text:
            return v->text;
    }
    return {};
}

double ResultSet::real(const std::string& column) const {
    const Value* v = value(column);
    if (!v) return 0;
    switch (v->kind) {
        case Value::Kind::Null:
            return 0;
        case Value::Kind::Real:
            return v->real;
        case Value::Kind::Integer:
            return double(v->integer);
        case Value::Kind::Text: {
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
    }
    return 0;
}

long long ResultSet::integer(const std::string& column) const {
    const Value* v = value(column);
    if (v && v->kind == Value::Kind::Integer) return v->integer;
    return std::llround(real(column));
}

// ---- text between single bytes and Qt ----

namespace {

// The MariaDB ODBC connector on Linux takes any UTF-16 unit whose low byte is 0xD8 to 0xDB
// for the head of a surrogate pair: statements holding such a unit are measured too long
// and read past their end (failing at random or carrying garbage). So statements travel
// as KOI8-R, whose 128 upper characters all avoid those units: the connector's character
// set is KOI8-R and the session takes the bytes it receives for latin1, the columns' own.
constexpr std::array<char16_t, 128> koi8rUpperHalf = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524, 0x252C, 0x2534, 0x253C, 0x2580, 0x2584,
    0x2588, 0x258C, 0x2590, 0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248, 0x2264, 0x2265,
    0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7, 0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555,
    0x2556, 0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E, 0x255F, 0x2560, 0x2561, 0x0401,
    0x2562, 0x2563, 0x2564, 0x2565, 0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9, 0x044E,
    0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433, 0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C,
    0x043D, 0x043E, 0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432, 0x044C, 0x044B, 0x0437,
    0x0448, 0x044D, 0x0449, 0x0447, 0x044A, 0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x042F, 0x0420, 0x0421, 0x0422,
    0x0423, 0x0416, 0x0412, 0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A};

QString toQt(const std::string& bytes, TextCoding coding) {
    if (coding == TextCoding::Latin1) return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    QString result(qsizetype(bytes.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        result[qsizetype(i)] = c < 0x80 ? QChar(c) : QChar(koi8rUpperHalf[c - 0x80]);
    }
    return result;
}

QString latin1(const std::string& bytes) { return toQt(bytes, TextCoding::Latin1); }

std::string fromQt(const QString& text, TextCoding coding) {
    if (coding == TextCoding::Latin1) {
        const QByteArray bytes = text.toLatin1();
        return std::string(bytes.constData(), std::size_t(bytes.size()));
    }
    std::string result;
    result.reserve(std::size_t(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        char byte = '?';
        if (u < 0x80) {
            byte = char(u);
        } else {
            const auto found = std::find(koi8rUpperHalf.begin(), koi8rUpperHalf.end(), u);
            if (found != koi8rUpperHalf.end()) byte = char(0x80 + (found - koi8rUpperHalf.begin()));
        }
        result += byte;
    }
    return result;
}

ResultSet::Value toValue(const QVariant& v, Dialect dialect, TextCoding coding) {
    ResultSet::Value value;
    if (v.isNull()) return value;
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            value.kind = ResultSet::Value::Kind::Real;
            value.real = v.toDouble();
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            value.kind = ResultSet::Value::Kind::Integer;
            value.integer = v.toLongLong();
            break;
        case QMetaType::QByteArray: {
            // Texts from MariaDB come as their bytes; Firebird hands text blobs over in the
            // connection's character set, UTF-8.
            const QByteArray bytes = v.toByteArray();
            value.kind = ResultSet::Value::Kind::Text;
            value.text.assign(bytes.constData(), std::size_t(bytes.size()));
            if (dialect == Dialect::Firebird) {
                auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                const QString decoded = decoder.decode(bytes);
                const bool singleByte =
                    std::all_of(decoded.begin(), decoded.end(), [](QChar c) { return c.unicode() <= 0xFF; });
                if (!decoder.hasError() && singleByte) value.text = fromQt(decoded, coding);
            }
            break;
        }
        case QMetaType::QDateTime:
            value.kind = ResultSet::Value::Kind::Text;
            value.text = v.toDateTime().toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")).toStdString();
            break;
        case QMetaType::QDate:
            value.kind = ResultSet::Value::Kind::Text;
            value.text = v.toDate().toString(QStringLiteral("dd-MM-yyyy")).toStdString();
            break;
        default:
            value.kind = ResultSet::Value::Kind::Text;
            value.text = fromQt(v.toString(), coding);
            break;
    }
    return value;
}

bool isMissingTable(const QSqlError& error, const QString& text, Dialect dialect) {
    if (dialect == Dialect::Firebird)
        return error.nativeErrorCode() == QLatin1String("-204") &&
               text.contains(QLatin1String("Table unknown"));
    static const QRegularExpression mariaDb(QStringLiteral("Table '[^']*' doesn't exist"));
    return text.contains(mariaDb);
}

std::string errorText(const QSqlError& error, Dialect dialect, TextCoding coding) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.driverText().trimmed();
    if (text.isEmpty()) text = error.text();
    // The ODBC driver fails statements on a dropped connection without a word.
    if (text.isEmpty()) text = QStringLiteral("Database connection is not open");
    std::string message = fromQt(text, coding);
    if (isMissingTable(error, text, dialect)) message = "Table does not exist. " + message;
    return message;
}

// Firebird reports SQLCODE -803 for a duplicate key and -902 for a connection that is
// gone; MariaDB its error numbers. An error without a code is the ODBC driver's
// silence on a dropped connection.
Connection::Failure failureOf(const QSqlError& error, Dialect dialect) {
    using Failure = Connection::Failure;
    if (error.type() == QSqlError::NoError) return Failure::ConnectionLost;
    const QString code = error.nativeErrorCode().section(QLatin1Char(';'), 0, 0).trimmed();
    if (dialect == Dialect::Firebird) {
        if (code == QLatin1String("-803")) return Failure::KeyViolation;
        if (code == QLatin1String("-902")) return Failure::ConnectionLost;
        return Failure::Other;
    }
    if (dialect == Dialect::MariaDB) {
        switch (code.toInt()) {
            case 1062:  // duplicate entry
            case 1586:
                return Failure::KeyViolation;
            case 1053:  // server shutdown in progress
            case 1927:  // connection killed
            case 2002:  // cannot connect
            case 2003:
            case 2006:  // server has gone away
            case 2013:  // lost connection during query
            case 2055:
            case 4031:
                return Failure::ConnectionLost;  // disconnected for inactivity
            default:
                return Failure::Other;
        }
    }
    return error.type() == QSqlError::ConnectionError ? Failure::ConnectionLost : Failure::Other;
}

// Firebird's index statement in the grammar of other engines.
std::string inDialect(const std::string& sql, Dialect dialect) {
    if (dialect == Dialect::Firebird) return sql;
    static const QRegularExpression ascendingIndex(
        QStringLiteral(R"(^\s*CREATE\s+ASCENDING\s+INDEX\s+(\w+)\s+ON\s+(\w+)\s*\(\s*([^)]*?)\s*\)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match =
        ascendingIndex.match(QString::fromLatin1(sql.data(), qsizetype(sql.size())));
    if (!match.hasMatch()) return sql;
    QStringList columns = match.captured(3).split(QLatin1Char(','));
    for (QString& column : columns) column = column.trimmed() + QStringLiteral(" ASC");
    return (QStringLiteral("CREATE INDEX ") + match.captured(1) + QStringLiteral(" ON ") + match.captured(2) +
            QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QStringLiteral(")"))
        .toStdString();
}

std::string odbcValue(const std::string& value) {
    return value.find_first_of(";{}") == std::string::npos ? value : "{" + value + "}";
}

std::string quoted(const std::string& name) { return SqlTekst(name); }

// Both drivers hand the statement over as a C string: a NUL byte would end it there.
bool refusedNul(const std::string& sql, std::string* error) {
    if (sql.find('\0') == std::string::npos) return false;
    if (error) *error = "SQL naredba sadrzi znak NUL (kod 0), na kojem bi je baza prekinula";
    return true;
}

// Without these modes a backslash would escape inside a literal and a text too long would
// be cut: the message for a session that lacks them, nullopt when it has both.
std::optional<std::string> sessionModeFault(const std::string& sqlMode) {
    const QStringList modes = latin1(sqlMode).split(QLatin1Char(','));
    std::string missing;
    for (const char* mode : {"NO_BACKSLASH_ESCAPES", "STRICT_ALL_TABLES"}) {
        if (!modes.contains(QLatin1String(mode), Qt::CaseInsensitive))
            missing += missing.empty() ? mode : std::string(", ") + mode;
    }
    if (missing.empty()) return std::nullopt;
    return "Sesija baze podataka nema sql_mode " + missing + " (sql_mode je '" + sqlMode +
           "'): SQL naredbe se ne izvrsavaju";
}

}  // namespace

std::string qtDriverFor(const std::string& driverName) {
    if (driverName == "INTRBASE") return "QIBASE";
    if (driverName == "MySQL ODBC 3.51 Driver") return "QODBC";
    return driverName;
}

// ---- connection ----

struct Connection::Qt {
    QSqlDatabase db;

    // Names from the Qt driver's own catalogue, for engines without a catalogue query here.
    static std::optional<std::vector<std::string>> driverCatalogue(
        Connection& connection, std::string* error, const std::function<QStringList(QSqlDatabase&)>& read) {
        if (!connection.isOpen()) {
            if (error) *error = "Database is not open";
            return std::nullopt;
        }
        std::vector<std::string> names;
        for (const QString& name : read(connection.qt_->db))
            names.push_back(fromQt(name, connection.coding_));
        return names;
    }

    // The engine's error as the call's failure.
    static bool failed(Connection& connection, const QSqlError& error, std::string* text) {
        return connection.fail(failureOf(error, connection.dialect_),
                               errorText(error, connection.dialect_, connection.coding_), text);
    }
};

bool Connection::fail(Failure failure, const std::string& message, std::string* error) {
    lastFailure_ = failure;
    if (failure == Failure::ConnectionLost) lost_ = true;
    if (error) *error = message;
    return false;
}

Connection::Connection(std::string name) : name_(std::move(name)), qt_(std::make_unique<Qt>()) {}

Connection::~Connection() { close(); }

bool Connection::open(const std::string& driverName, const ParameterList& parameters, std::string* error) {
    close();
    const QString connectionName = QString::fromStdString(name_);
    const std::string qtDriver = qtDriverFor(driverName);
    qt_->db = QSqlDatabase::addDatabase(QString::fromLatin1(qtDriver.c_str()), connectionName);
    QSqlDatabase& db = qt_->db;
    const std::string database = parameters.value("Database");
    const std::string server = parameters.value("Server");
    const std::string port = parameters.value("Port");

    dialect_ = Dialect::Standard;
    if (qtDriver == "QIBASE") dialect_ = Dialect::Firebird;
    if (qtDriver == "QMYSQL" || qtDriver == "QMARIADB" || driverName == "MySQL ODBC 3.51 Driver")
        dialect_ = Dialect::MariaDB;
    coding_ = TextCoding::Latin1;

    if (qtDriver == "QODBC") {
        std::string connection = "DRIVER={" + driverName + "}";
        if (!server.empty()) connection += ";SERVER=" + odbcValue(server);
        if (!port.empty()) connection += ";PORT=" + odbcValue(port);
        if (!database.empty()) connection += ";DATABASE=" + odbcValue(database);
        if (dialect_ == Dialect::MariaDB) {
            connection += ";CHARSET=koi8r";
            coding_ = TextCoding::Koi8r;
        }
        db.setDatabaseName(latin1(connection));
    } else {
        // Firebird takes the server in the location itself: host:path or host/port:path.
        db.setDatabaseName(QString::fromLocal8Bit(database.c_str()));
        if (qtDriver != "QIBASE" && !server.empty()) db.setHostName(latin1(server));
        if (qtDriver != "QIBASE" && !port.empty()) db.setPort(std::atoi(port.c_str()));
    }
    db.setUserName(latin1(parameters.value("USER NAME")));
    db.setPassword(latin1(parameters.value("PASSWORD")));

    lastFailure_ = Failure::None;
    lost_ = false;
    if (!db.open()) {
        Qt::failed(*this, db.lastError(), error);
        close();
        return false;
    }
    if (db.driver()->dbmsType() == QSqlDriver::MySqlServer) dialect_ = Dialect::MariaDB;
    if (dialect_ == Dialect::MariaDB) {
        // Quote doubling is the only escape in string literals, as in Firebird, and a text
        // too long for its column fails the statement instead of being cut. Results come as
        // the stored bytes: the ODBC connector would miscount texts in their wide form (see
        // koi8rUpperHalf), and it hands statements over in KOI8-R that hold latin1 bytes.
        std::vector<std::string> settings = {
            "SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES,STRICT_ALL_TABLES')",
            "SET SESSION character_set_results = binary"};
        if (coding_ == TextCoding::Koi8r)
            settings.push_back(
                "SET SESSION character_set_client = latin1, character_set_connection = latin1");
        for (const std::string& setting : settings) {
            if (!execute(setting, error)) {
                close();
                return false;
            }
        }
        if (!checkSessionMode(error)) {
            close();
            return false;
        }
    }
    return true;
}

// A session that the driver opened again on its own has lost its settings: the ping
// finds that out, and the connection then counts as lost, to be opened again.
bool Connection::checkSessionMode(std::string* error) {
    QSqlQuery query(qt_->db);
    if (!query.exec(QStringLiteral("select @@SESSION.sql_mode")))
        return Qt::failed(*this, query.lastError(), error);
    const std::string mode = query.next() ? toValue(query.value(0), dialect_, coding_).text : std::string();
    const std::optional<std::string> fault = sessionModeFault(mode);
    if (!fault) return true;
    sessionFault_ = *fault;
    return fail(Failure::ConnectionLost, *fault, error);
}

void Connection::close() {
    if (!qt_->db.isValid()) return;
    qt_->db.close();
    qt_->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QString::fromStdString(name_));
    inTransaction_ = false;
    sessionFault_.clear();
}

bool Connection::isOpen() const { return qt_->db.isValid() && qt_->db.isOpen(); }

bool Connection::beginTransaction(std::string* error) {
    lastFailure_ = Failure::None;
    if (!isOpen()) return fail(Failure::ConnectionLost, "Database is not open", error);
    if (!qt_->db.transaction()) return Qt::failed(*this, qt_->db.lastError(), error);
    inTransaction_ = true;
    return true;
}

bool Connection::commit(std::string* error) {
    lastFailure_ = Failure::None;
    if (!isOpen()) return fail(Failure::ConnectionLost, "Database is not open", error);
    if (!qt_->db.commit()) return Qt::failed(*this, qt_->db.lastError(), error);
    inTransaction_ = false;
    return true;
}

void Connection::rollback() {
    if (inTransaction_ && isOpen()) qt_->db.rollback();
    inTransaction_ = false;
}

bool Connection::execute(const std::string& sql, std::string* error) {
    const std::string statement = inDialect(sql, dialect_);
    if (observer_) observer_(statement);
    lastFailure_ = Failure::None;
    if (!isOpen()) return fail(Failure::ConnectionLost, "Database is not open", error);
    if (!sessionFault_.empty()) return fail(Failure::ConnectionLost, sessionFault_, error);
    if (refusedNul(statement, error)) return false;
    QSqlQuery query(qt_->db);
    if (!query.exec(toQt(statement, coding_))) return Qt::failed(*this, query.lastError(), error);
    return true;
}

bool Connection::select(const std::string& sql, ResultSet& result, std::string* error) {
    result.reset(sql);
    if (observer_) observer_(sql);
    lastFailure_ = Failure::None;
    if (!isOpen()) return fail(Failure::ConnectionLost, "Database is not open", error);
    if (!sessionFault_.empty()) return fail(Failure::ConnectionLost, sessionFault_, error);
    if (refusedNul(sql, error)) return false;
    // Read whole and let the query go, so that no read transaction stays open.
    QSqlQuery query(qt_->db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.exec(toQt(sql, coding_))) return Qt::failed(*this, query.lastError(), error);
    const QSqlRecord record = query.record();
    std::vector<std::string> columns;
    for (int i = 0; i < record.count(); ++i) columns.push_back(fromQt(record.fieldName(i), coding_));
    result.setColumns(std::move(columns));
    while (query.next()) {
        std::vector<ResultSet::Value> row;
        for (int i = 0; i < record.count(); ++i) row.push_back(toValue(query.value(i), dialect_, coding_));
        result.addRow(std::move(row));
    }
    if (query.lastError().isValid()) {
        result.reset(sql);
        return Qt::failed(*this, query.lastError(), error);
    }
    return true;
}

bool Connection::ping(std::string* error) {
    lastFailure_ = Failure::None;
    if (!isOpen()) return fail(Failure::ConnectionLost, "Database is not open", error);
    if (dialect_ == Dialect::MariaDB) return checkSessionMode(error);
    QSqlQuery query(qt_->db);
    const QString sql = dialect_ == Dialect::Firebird ? QStringLiteral("select 1 from rdb$database")
                                                      : QStringLiteral("select 1");
    if (!query.exec(sql)) return Qt::failed(*this, query.lastError(), error);
    return true;
}

bool Connection::probe(const std::string& table, const std::string& columns, std::string* error) {
    // Engines scan the whole table for "where 1=0"; a row limit of zero reads nothing.
    std::string sql = "select " + columns + " from " + table + " where 1=0";
    if (dialect_ == Dialect::Firebird) sql = "select first 0 " + columns + " from " + table;
    if (dialect_ == Dialect::MariaDB) sql = "select " + columns + " from " + table + " limit 0";
    ResultSet result;
    return select(sql, result, error);
}

std::optional<std::vector<std::string>> Connection::names(const std::string& sql, std::string* error) {
    ResultSet result;
    if (!select(sql, result, error)) return std::nullopt;
    std::vector<std::string> list;
    for (; result.hasRow(); result.next()) list.push_back(text::trim(result.text("NAME")));
    return list;
}

std::optional<std::vector<std::string>> Connection::userTables(std::string* error) {
    switch (dialect_) {
        case Dialect::Firebird:
            return names(
                "select rdb$relation_name as name from rdb$relations "
                "where rdb$system_flag = 0 and rdb$view_blr is null",
                error);
        case Dialect::MariaDB:
            return names(
                "select table_name as name from information_schema.tables "
                "where table_schema = database() and table_type = 'BASE TABLE'",
                error);
        case Dialect::Standard:
            break;
    }
    return Qt::driverCatalogue(*this, error, [](QSqlDatabase& db) { return db.tables(QSql::Tables); });
}

std::optional<std::vector<std::string>> Connection::columnNames(const std::string& table,
                                                                std::string* error) {
    switch (dialect_) {
        case Dialect::Firebird:
            return names("select rdb$field_name as name from rdb$relation_fields where rdb$relation_name = " +
                             quoted(table) + " order by rdb$field_position",
                         error);
        case Dialect::MariaDB:
            return names(
                "select column_name as name from information_schema.columns "
                "where table_schema = database() and table_name = " +
                    quoted(table) + " order by ordinal_position",
                error);
        case Dialect::Standard:
            break;
    }
    return Qt::driverCatalogue(*this, error, [&](QSqlDatabase& db) {
        const QSqlRecord record = db.record(toQt(table, coding_));
        QStringList columns;
        for (int i = 0; i < record.count(); ++i) columns.append(record.fieldName(i));
        return columns;
    });
}

std::optional<std::vector<std::string>> Connection::indexNames(const std::string& table, std::string* error) {
    switch (dialect_) {
        case Dialect::Firebird:
            return names(
                "select rdb$index_name as name from rdb$indices where rdb$relation_name = " + quoted(table),
                error);
        case Dialect::MariaDB:
            return names(
                "select distinct index_name as name from information_schema.statistics "
                "where table_schema = database() and table_name = " +
                    quoted(table),
                error);
        case Dialect::Standard:
            break;
    }
    return Qt::driverCatalogue(*this, error, [&](QSqlDatabase& db) {
        const QString primary = db.primaryIndex(toQt(table, coding_)).name();
        return primary.isEmpty() ? QStringList() : QStringList{primary};
    });
}

}  // namespace fm::sql

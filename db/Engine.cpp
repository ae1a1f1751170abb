#include "db/Engine.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>
#include <cstdlib>

#include "db/SqlText.h"
#include "platform/Text.h"

namespace fm::sql {

namespace {

bool namesLine(const std::string& line, const std::string& name) {
    const std::size_t equals = line.find('=');
    return equals != std::string::npos && text::equalsIgnoringCase(line.substr(0, equals), name);
}

Engine firebird(const std::string& driverName, const char* user, const char* password) {
    return {.driverName = driverName,
            .qtDriver = "QIBASE",
            .dialect = schema::Dialect::Firebird,
            .textBlobsInUtf8 = true,  // in the connection's character set, UTF-8
            .firebirdClient = true,
            .defaultUser = user,
            .defaultPassword = password,
            .location = Engine::Location::InDatabase,
            .ping = "select 1 from rdb$database",
            .probe = "select first 0 %c from %t",
            .userTables =
                "select rdb$relation_name as name from rdb$relations "
                "where rdb$system_flag = 0 and rdb$view_blr is null",
            .columns =
                "select rdb$field_name as name from rdb$relation_fields where rdb$relation_name = %t "
                "order by rdb$field_position",
            .indexes = "select rdb$index_name as name from rdb$indices where rdb$relation_name = %t",
            .failureOf = firebirdFailure,
            .isMissingTable = isFirebirdMissingTable,
            .firebirdIndexGrammar = true};
}

// Without these modes a backslash would escape inside a literal and a text too long would
// be cut: the message for a session that lacks them.
std::optional<std::string> sqlModeFault(const std::string& sqlMode) {
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

// Quote doubling is the only escape in string literals, as in Firebird, and a text too
// long for its column fails the statement instead of being cut. Results come as the
// stored bytes: the ODBC connector would miscount texts in their wide form (see
// TextTransport.cpp), and it hands statements over in KOI8-R that hold latin1 bytes.
// A session that the driver opened again on its own has lost these settings.
Engine mariaDb(const std::string& driverName, const std::string& qtDriver, bool throughOdbcConnector) {
    Engine engine{.driverName = driverName,
                  .qtDriver = qtDriver,
                  .dialect = schema::Dialect::MariaDB,
                  .coding = throughOdbcConnector ? TextCoding::Koi8r : TextCoding::Latin1,
                  .location = throughOdbcConnector ? Engine::Location::Odbc : Engine::Location::Parameters,
                  .odbcOptions = ";CHARSET=koi8r",
                  .sessionStatements =
                      {"SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES,STRICT_ALL_TABLES')",
                       "SET SESSION character_set_results = binary"},
                  .ping = "select @@SESSION.sql_mode",
                  .sessionFault = sqlModeFault,
                  .probe = "select %c from %t limit 0",
                  .userTables =
                      "select table_name as name from information_schema.tables "
                      "where table_schema = database() and table_type = 'BASE TABLE'",
                  .columns =
                      "select column_name as name from information_schema.columns "
                      "where table_schema = database() and table_name = %t order by ordinal_position",
                  .indexes =
                      "select distinct index_name as name from information_schema.statistics "
                      "where table_schema = database() and table_name = %t",
                  .failureOf = mariaDbFailure,
                  .keepsDailyReportDate = !throughOdbcConnector};
    if (throughOdbcConnector)
        engine.sessionStatements.push_back(
            "SET SESSION character_set_client = latin1, character_set_connection = latin1");
    return engine;
}

std::string odbcValue(const std::string& value) {
    return value.find_first_of(";{}") == std::string::npos ? value : "{" + value + "}";
}

std::string filled(std::string statement, const char* placeholder, const std::string& value) {
    const std::size_t at = statement.find(placeholder);
    return at == std::string::npos ? statement : statement.replace(at, 2, value);
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

// An error without a code is the ODBC driver's silence on a dropped connection.
Outcome Engine::failed(const QSqlError& error) const {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) text = error.driverText().trimmed();
    if (text.isEmpty()) text = error.text();
    if (text.isEmpty()) text = QStringLiteral("Database connection is not open");
    std::string message = fromQt(text, coding);
    if (isMissingTable(error, text)) message = "Table does not exist. " + message;
    return {error.type() == QSqlError::NoError ? Failure::ConnectionLost : failureOf(error), message};
}

Engine Engine::forDriver(const std::string& driverName) {
    if (driverName == "INTRBASE") return firebird(driverName, "opkasa", "lumbrico");
    if (driverName == "QIBASE") return firebird(driverName, "", "");
    if (driverName == "MySQL ODBC 3.51 Driver") return mariaDb(driverName, "QODBC", true);
    if (driverName == "QMYSQL" || driverName == "QMARIADB") return mariaDb(driverName, driverName, false);
    return {.driverName = driverName,
            .location = driverName == "QODBC" ? Location::Odbc : Location::Parameters};
}

std::string Engine::missingDriverHint(bool driverLoaded, const QSqlError& openError) const {
    if (!driverLoaded && firebirdClient)
        return "Nije ucitan drajver QIBASE: instalirajte Firebird 3 klijent (fbclient.dll)";
    if (!driverLoaded) return "Nije ucitan drajver " + qtDriver + ": instalirajte ga uz program";
    // SQLSTATE IM002: the driver manager knows no driver of that name.
    const auto said = [&openError](const char* text) {
        return openError.nativeErrorCode().contains(QLatin1String(text)) ||
               openError.databaseText().contains(QLatin1String(text));
    };
    if (location == Location::Odbc && (said("IM002") || said("Data source name not found")))
        return "ODBC drajver \"" + driverName +
               "\" nije instaliran: instalirajte MariaDB (ili MySQL) ODBC drajver pod tim imenom";
    return {};
}

Engine Engine::mariaDbReachedBy(const Engine& opened) {
    return mariaDb(opened.driverName, opened.qtDriver, false);
}

void Engine::addDefaultCredentials(ParameterList& parameters) const {
    if (!defaultUser.empty() && parameters.value("USER NAME").empty())
        parameters.set("USER NAME", defaultUser);
    if (!defaultPassword.empty() && parameters.value("PASSWORD").empty())
        parameters.set("PASSWORD", defaultPassword);
}

void Engine::describe(QSqlDatabase& db, const ParameterList& parameters) const {
    if (location == Location::Odbc) {
        std::string connection = "DRIVER={" + driverName + "}";
        const std::pair<const char*, const char*> keys[] = {
            {"Server", "SERVER"}, {"Port", "PORT"}, {"Database", "DATABASE"}};
        for (const auto& [name, key] : keys) {
            const std::string value = parameters.value(name);
            if (!value.empty()) connection += std::string(";") + key + "=" + odbcValue(value);
        }
        return db.setDatabaseName(latin1(connection + odbcOptions));
    }
    db.setDatabaseName(QString::fromLocal8Bit(parameters.value("Database").c_str()));
    if (location == Location::InDatabase) return;
    const std::string server = parameters.value("Server");
    const std::string port = parameters.value("Port");
    if (!server.empty()) db.setHostName(latin1(server));
    if (!port.empty()) db.setPort(std::atoi(port.c_str()));
}

std::string Engine::probeStatement(const std::string& table, const std::string& columns) const {
    return filled(filled(probe, "%c", columns), "%t", table);
}

std::string Engine::catalogueStatement(const std::string& query, const std::string& table) const {
    return filled(query, "%t", SqlTekst(table));
}

std::string Engine::inDialect(const std::string& sql) const {
    if (firebirdIndexGrammar) return sql;
    static const QRegularExpression ascendingIndex(
        QStringLiteral(R"(^\s*CREATE\s+ASCENDING\s+INDEX\s+(\w+)\s+ON\s+(\w+)\s*\(\s*([^)]*?)\s*\)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = ascendingIndex.match(latin1(sql));
    if (!match.hasMatch()) return sql;
    QStringList columns = match.captured(3).split(QLatin1Char(','));
    for (QString& column : columns) column = column.trimmed() + QStringLiteral(" ASC");
    return (QStringLiteral("CREATE INDEX ") + match.captured(1) + QStringLiteral(" ON ") + match.captured(2) +
            QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QStringLiteral(")"))
        .toStdString();
}

schema::Table Engine::asKept(const schema::Table& table) const {
    return keepsDailyReportDate || table.name != "F_DNEV_IZV" ? table : table.withoutColumn("F_DATUM");
}

}  // namespace fm::sql

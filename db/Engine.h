#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/Schema.h"
#include "db/SqlFailure.h"
#include "db/TextTransport.h"

class QSqlDatabase;

namespace fm::sql {

// A NAME=VALUE parameter list ("database.ini"): a value is looked up by the text
// before the first "=" of a line, letter case ignored, without trimming.
class ParameterList {
  public:
    ParameterList() = default;
    explicit ParameterList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    std::string value(const std::string& name) const;  // empty when no line names it
    void set(const std::string& name, const std::string& value);
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
};

// What the program knows of one engine, chosen by the driver name when the connection
// opens. In statement templates %c stands for the columns and %t for the table (a string
// literal in the catalogue queries); no catalogue query: the Qt driver's own catalogue.
struct Engine {
    // "INTRBASE" is Firebird through QIBASE, "MySQL ODBC 3.51 Driver" MariaDB through
    // QODBC; any other name is a Qt driver name.
    static Engine forDriver(const std::string& driverName);
    // The description once a connection of another engine turned out to reach MariaDB.
    static Engine mariaDbReachedBy(const Engine& opened);

    std::string driverName{};
    std::string qtDriver = driverName;
    schema::Dialect dialect = schema::Dialect::Standard;  // grammar of the DDL
    TextCoding coding = TextCoding::Latin1;
    bool textBlobsInUtf8 = false;
    bool firebirdClient = false;                   // the client library needs prepareFirebirdClient
    std::string defaultUser{}, defaultPassword{};  // when database.ini names none
    // "Database", "Server" and "Port": as they are, the server inside "Database"
    // (host:path), or in an ODBC connection string with these options added.
    enum class Location { Parameters, InDatabase, Odbc } location = Location::Parameters;
    std::string odbcOptions{};
    std::vector<std::string> sessionStatements{};  // set up each new session
    // A statement that asks the engine for nothing; with sessionFault its answer tells
    // why the session cannot be used (nullopt when it can).
    std::string ping = "select 1";
    std::optional<std::string> (*sessionFault)(const std::string& answer) = nullptr;
    std::string probe = "select %c from %t where 1=0";              // reads no row
    std::optional<std::string> userTables{}, columns{}, indexes{};  // one column NAME
    Failure (*failureOf)(const QSqlError& error) = driverFailure;
    bool (*isMissingTable)(const QSqlError& error, const QString& text) = isMissingTableByText;
    bool firebirdIndexGrammar = false;  // CREATE ASCENDING INDEX as the program writes it
    bool keepsDailyReportDate = true;   // F_DATUM of F_DNEV_IZV

    void addDefaultCredentials(ParameterList& parameters) const;
    void describe(QSqlDatabase& db, const ParameterList& parameters) const;
    std::string probeStatement(const std::string& table, const std::string& columns) const;
    std::string catalogueStatement(const std::string& query, const std::string& table) const;
    // A statement of the program (written for Firebird) in this engine's grammar.
    std::string inDialect(const std::string& sql) const;
    // A table of the schema as this engine keeps it.
    schema::Table asKept(const schema::Table& table) const;
    // What to install when a connection failed for want of the Qt driver, the Firebird
    // client it loads or the ODBC driver it names; empty when it failed otherwise.
    std::string missingDriverHint(bool driverLoaded, const QSqlError& openError) const;
    // The engine's error as a failure; a missing table reads "Table does not exist. ..."
    Outcome failed(const QSqlError& error) const;
};

}  // namespace fm::sql

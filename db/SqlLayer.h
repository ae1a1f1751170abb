#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/DM_db_source.h"
#include "db/Schema.h"

// The program's side of Qt SQL: one named connection chosen by a driver name and a
// NAME=VALUE parameter list, literal SQL in single-byte text, results read whole.
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

// The rows of one statement, read whole; columns by name, letter case ignored.
class ResultSet : public ScratchQuery {
  public:
    struct Value {
        enum class Kind { Null, Real, Integer, Text } kind = Kind::Null;
        double real = 0;
        long long integer = 0;
        std::string text;
    };

    const std::string& sql() const override { return sql_; }
    bool hasRow() const override { return row_ < rows_.size(); }
    bool next() override;
    std::string text(const std::string& column) const override;
    long long integer(const std::string& column) const override;
    double real(const std::string& column) const override;

    // The current row's values by position.
    std::size_t columnCount() const { return columns_.size(); }
    const Value& valueAt(std::size_t column) const { return rows_.at(row_).at(column); }

    // Closed with the new text and no rows.
    void reset(const std::string& sql);
    void setColumns(std::vector<std::string> columns) { columns_ = std::move(columns); }
    void addRow(std::vector<Value> values) { rows_.push_back(std::move(values)); }

  private:
    // Null when there is no current row; throws std::runtime_error for an unknown column.
    const Value* value(const std::string& column) const;

    std::string sql_;
    std::vector<std::string> columns_;
    std::vector<std::vector<Value>> rows_;
    std::size_t row_ = 0;
};

// Qt driver behind a driver name: "INTRBASE" is QIBASE (Firebird), "MySQL ODBC 3.51 Driver"
// is QODBC with that ODBC driver; any other name goes to Qt SQL unchanged.
std::string qtDriverFor(const std::string& driverName);

// How texts cross over to the driver, one character a byte: as Latin-1, or as KOI8-R for
// MariaDB through its ODBC connector.
enum class TextCoding { Latin1, Koi8r };

class Connection {
  public:
    explicit Connection(std::string name);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Parameters understood: "Database" (a file path, host:path or host/port:path for
    // Firebird; the database name for ODBC and others), "Server" and "Port" (ODBC and
    // others), "USER NAME", "PASSWORD".
    bool open(const std::string& driverName, const ParameterList& parameters, std::string* error);
    void close();
    bool isOpen() const;
    schema::Dialect dialect() const { return dialect_; }

    // What the latest failed call met: a duplicate key, a connection that is gone (or a
    // failure the driver could not word), or anything else. None after a call that worked.
    enum class Failure { None, KeyViolation, ConnectionLost, Other };
    Failure lastFailure() const { return lastFailure_; }
    // Since it was opened, a call has found the connection gone.
    bool lost() const { return lost_; }
    // A statement that asks the engine for nothing: false when it does not answer. On
    // MariaDB it reads the session's sql_mode: without NO_BACKSLASH_ESCAPES and
    // STRICT_ALL_TABLES (a session the driver opened again on its own) the connection
    // counts as lost and every statement is refused until it is opened again.
    bool ping(std::string* error);

    bool inTransaction() const { return inTransaction_; }
    bool beginTransaction(std::string* error);
    bool commit(std::string* error);
    void rollback();

    // Errors come as the engine's text; a missing table reads "Table does not exist. ..."
    bool execute(const std::string& sql, std::string* error);
    bool select(const std::string& sql, ResultSet& result, std::string* error);

    // Whether the table has those columns ("*" for any), reading no row.
    bool probe(const std::string& table, const std::string& columns, std::string* error);

    // Catalogue: user tables (system tables excluded) and a table's columns and indexes.
    std::optional<std::vector<std::string>> userTables(std::string* error);
    std::optional<std::vector<std::string>> columnNames(const std::string& table, std::string* error);
    std::optional<std::vector<std::string>> indexNames(const std::string& table, std::string* error);

    // Sees every SQL text before it goes to the engine.
    void setStatementObserver(std::function<void(const std::string&)> observer) {
        observer_ = std::move(observer);
    }

  private:
    struct Qt;
    std::optional<std::vector<std::string>> names(const std::string& sql, std::string* error);
    bool fail(Failure failure, const std::string& message, std::string* error);
    bool checkSessionMode(std::string* error);

    std::string name_;
    schema::Dialect dialect_ = schema::Dialect::Standard;
    TextCoding coding_ = TextCoding::Latin1;
    bool inTransaction_ = false;
    Failure lastFailure_ = Failure::None;
    bool lost_ = false;
    std::string sessionFault_;  // not empty: the session lacks its modes, statements are refused
    std::function<void(const std::string&)> observer_;
    std::unique_ptr<Qt> qt_;
};

}  // namespace fm::sql

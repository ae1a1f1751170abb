#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/Engine.h"
#include "db/JobSql.h"
#include "db/SqlFailure.h"

class QSqlDatabase;

// The program's side of Qt SQL: one named connection chosen by a driver name and a
// NAME=VALUE parameter list, literal SQL in single-byte text, results read whole.
namespace fm::sql {

class KeptFirebirdSelect;

// The rows of one statement, read whole; columns by name, letter case ignored.
class ResultSet : public ScratchQuery {
  public:
    using Value = sql::Value;

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

// Every call returns how it ended; errors come as the engine's text, a missing table
// reads "Table does not exist. ..."
class Connection {
  public:
    explicit Connection(std::string name);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The engine is chosen by the driver name (see Engine::forDriver). Parameters
    // understood: "Database" (a file path, host:path or host/port:path for Firebird; the
    // database name for ODBC and others), "Server" and "Port" (ODBC and others),
    // "USER NAME", "PASSWORD".
    Outcome open(const std::string& driverName, const ParameterList& parameters);
    void close();
    bool isOpen() const;
    const Engine& engine() const { return engine_; }
    schema::Dialect dialect() const { return engine_.dialect; }

    // Since it was opened, a call has found the connection gone.
    bool lost() const { return lost_; }
    // A statement that asks the engine for nothing: fails when it does not answer. On
    // MariaDB it reads the session's sql_mode: without NO_BACKSLASH_ESCAPES and
    // STRICT_ALL_TABLES (a session the driver opened again on its own) the connection
    // counts as lost and every statement is refused until it is opened again.
    Outcome ping();

    bool inTransaction() const { return inTransaction_; }
    Outcome beginTransaction();
    Outcome commit();
    void rollback();

    Outcome execute(const std::string& sql);
    Outcome select(const std::string& sql, ResultSet& result);
    // A select run every scan: on Firebird prepared once while the connection lasts (the
    // last text only), elsewhere as select.
    Outcome selectKept(const std::string& sql, ResultSet& result);

    // Whether the table has those columns ("*" for any), reading no row.
    Outcome probe(const std::string& table, const std::string& columns);

    // Catalogue: user tables (system tables excluded) and a table's columns and indexes.
    Outcome userTables(std::vector<std::string>& names);
    Outcome columnNames(const std::string& table, std::vector<std::string>& names);
    Outcome indexNames(const std::string& table, std::vector<std::string>& names);

    // Sees every SQL text before it goes to the engine.
    void setStatementObserver(std::function<void(const std::string&)> observer) {
        observer_ = std::move(observer);
    }

  private:
    Outcome fail(Outcome outcome);
    // Why a statement is not sent: not open, a session without its modes, a NUL byte.
    Outcome refusal(const std::string& sql);
    Outcome checkSession();

    std::string name_;
    Engine engine_;
    bool inTransaction_ = false;
    bool lost_ = false;
    std::string sessionFault_;  // not empty: the session lacks its modes, statements are refused
    std::function<void(const std::string&)> observer_;
    std::unique_ptr<QSqlDatabase> db_;
    std::shared_ptr<KeptFirebirdSelect> kept_;  // its deleter comes with it: none without the client
};

}  // namespace fm::sql

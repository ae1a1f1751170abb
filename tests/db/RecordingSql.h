#pragma once

#include <map>
#include <string>
#include <vector>

#include "config/Postavke.h"
#include "db/JobSql.h"
#include "db/RecordWriters.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TillSettings.h"

namespace fm::test {

// One answer of a query: no row, or one row of columns by name.
class AnswerRow : public ScratchQuery {
  public:
    static AnswerRow withRow(std::map<std::string, std::string> columns = {}) {
        AnswerRow answer;
        answer.row = true;
        answer.columns = std::move(columns);
        return answer;
    }

    std::string sql_;
    bool row = false;
    std::map<std::string, std::string> columns;

    const std::string& sql() const override { return sql_; }
    bool hasRow() const override { return row; }
    bool next() override { return row = false; }
    std::string text(const std::string& column) const override {
        const auto found = columns.find(column);
        return found == columns.end() ? std::string() : found->second;
    }
    long long integer(const std::string& column) const override {
        const std::string value = text(column);
        return value.empty() ? 0 : std::stoll(value);
    }
    double real(const std::string& column) const override {
        const std::string value = text(column);
        return value.empty() ? 0 : std::stod(value);
    }
};

// The job SQL without an engine: records every statement in order and answers queries
// from `answers` (in turn; no row once they run out). failing: every statement fails;
// failsOn: the statements that hold this text fail.
class RecordingSql : public JobSql {
  public:
    std::vector<std::string> statements;
    std::vector<std::string> laterCleanUps;
    std::vector<AnswerRow> answers;
    bool failing = false;
    std::string failsOn;
    std::string error = "veza prekinuta";
    sql::Failure failure = sql::Failure::Other;  // the kind of every failure

    Result<void, sql::Error> exec(const std::string& sql) override { return done(run(sql)); }
    Result<void, sql::Error> execWithNext(const std::string& sql) override { return done(run(sql)); }
    Result<ScratchQuery*, sql::Error> select3(const std::string& sql) override { return rows(query(sql)); }
    Result<ScratchQuery*, sql::Error> sumaRacuna(const std::string& sql) override { return rows(query(sql)); }
    const std::string& ZadnjaGreska() const override { return failing ? error : none_; }
    bool connectionLost() const override { return false; }
    bool ensureConnected() override { return true; }
    void cleanUpLater(const std::string& sql) override { laterCleanUps.push_back(sql); }
    schema::Dialect dialect() const override { return schema::Dialect::Firebird; }
    int max(const std::string&, const std::string&) override { return 0; }
    bool articleExists(int, int) override { return false; }
    Result<std::optional<int>, sql::Error> articleByKnjigSifra(const std::string&) override {
        return std::optional<int>();
    }
    void refreshArticleView() override {}
    void reopenRacunView() override {}
    void reopenPlacanjeView() override {}

  private:
    Result<void, sql::Error> done(bool ok) const {
        if (!ok) return unexpected(sql::Error{failure, error});
        return {};
    }
    Result<ScratchQuery*, sql::Error> rows(bool ok) {
        if (!ok) return unexpected(sql::Error{failure, error});
        return &current_;
    }
    bool run(const std::string& sql) {
        statements.push_back(sql);
        return !failing && (failsOn.empty() || sql.find(failsOn) == std::string::npos);
    }
    bool query(const std::string& sql) {
        current_ = answers.empty() ? AnswerRow{} : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        current_.sql_ = sql;
        return run(sql);
    }
    AnswerRow current_;
    std::string none_;
};

// A recording database with the process state of an open database and its notices.
struct RecordingDatabase {
    RecordingSql sql;
    ProcessState state = [] {
        ProcessState open;
        setOneTill(open.postavke);
        open.BazaOtvorena = true;
        return open;
    }();
    RecordingUserInterface ui = [] {
        RecordingUserInterface recorded;
        recorded.realPauses = false;
        return recorded;
    }();
    RecordContext context{sql, state, ui};
};

}  // namespace fm::test

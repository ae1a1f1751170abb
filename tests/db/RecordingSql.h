#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/Postavke.h"
#include "db/JobSql.h"
#include "db/RecordWriters.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TillSettings.h"

namespace fm::test {

// One answer of a query: its rows (none, one or more) of columns by name, read in order.
// A value that is no number throws std::runtime_error when read as one.
class AnswerRow : public ScratchQuery {
  public:
    using Columns = std::map<std::string, std::string>;

    static AnswerRow withRow(Columns columns = {}) { return withRows({std::move(columns)}); }
    static AnswerRow withRows(std::vector<Columns> rows) {
        AnswerRow answer;
        answer.rows_ = std::move(rows);
        return answer;
    }

    std::string sql_;

    const std::string& sql() const override { return sql_; }
    bool hasRow() const override { return at_ < rows_.size(); }
    bool next() override {
        if (hasRow()) ++at_;
        return hasRow();
    }
    std::string text(const std::string& column) const override {
        if (!hasRow()) return {};
        const auto found = rows_[at_].find(column);
        return found == rows_[at_].end() ? std::string() : found->second;
    }
    long long integer(const std::string& column) const override { return std::llround(real(column)); }
    double real(const std::string& column) const override {
        const std::string value = text(column);
        if (value.empty()) return 0;
        std::size_t used = 0;
        double number = 0;
        try {
            number = std::stod(value, &used);
        } catch (const std::exception&) {
        }
        if (used != value.size()) throw std::runtime_error("no number: '" + value + "'");
        return number;
    }

  private:
    std::vector<Columns> rows_;
    std::size_t at_ = 0;
};

// The job SQL without an engine: records every statement in order and answers queries
// with the answer of the first text of `answersTo` that they hold (each time), else from
// `answers` (in turn; no row once they run out). failing: every statement fails;
// failsOn: the statements that hold this text fail; onStatement sees each one as it is sent.
class RecordingSql : public JobSql {
  public:
    std::vector<std::string> statements;
    std::vector<std::string> laterCleanUps;
    std::vector<AnswerRow> answers;
    std::map<std::string, AnswerRow> answersTo;
    bool failing = false;
    std::string failsOn;
    std::string error = "veza prekinuta";
    sql::Failure failure = sql::Failure::Other;  // the kind of every failure
    std::function<void(const std::string&)> onStatement;

    Result<void, sql::Error> exec(const std::string& sql) override { return done(run(sql)); }
    Result<void, sql::Error> execWithNext(const std::string& sql) override { return done(run(sql)); }
    Result<ScratchQuery*, sql::Error> select3(const std::string& sql) override { return rows(query(sql)); }
    Result<ScratchQuery*, sql::Error> sumaRacuna(const std::string& sql) override { return rows(query(sql)); }
    const std::string& ZadnjaGreska() const override { return failing ? error : none_; }
    bool connectionLost() const override { return false; }
    bool ensureConnected() override { return true; }
    void cleanUpLater(const std::string& sql) override { laterCleanUps.push_back(sql); }
    schema::Dialect dialect() const override { return schema::Dialect::Firebird; }
    // Not recorded: fails like a statement that holds failsOn.
    Result<int, sql::Error> highest(const std::string& table, const std::string& column) override {
        const std::string sql = "Select max(" + column + ") as mx from " + table;
        if (failsFor(sql)) return unexpected(sql::Error{failure, error});
        return 0;
    }
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
        if (onStatement) onStatement(sql);
        return !failsFor(sql);
    }
    bool failsFor(const std::string& sql) const {
        return failing || (!failsOn.empty() && sql.find(failsOn) != std::string::npos);
    }
    bool query(const std::string& sql) {
        const auto chosen = std::find_if(answersTo.begin(), answersTo.end(), [&](const auto& answer) {
            return sql.find(answer.first) != std::string::npos;
        });
        if (chosen != answersTo.end()) {
            current_ = chosen->second;
        } else {
            current_ = answers.empty() ? AnswerRow{} : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
        }
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

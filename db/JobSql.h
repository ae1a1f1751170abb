#pragma once

#include <optional>
#include <string>

#include "db/Schema.h"
#include "db/SqlFailure.h"
#include "platform/Result.h"

namespace fm {

// The result of the latest helper call on one scratch query: the current row of
// the result, columns read by name. Numbers read as text are in the general form
// of realNumeral (12, 1.5, -1); a missing (null) value reads as 0 through integer()
// and real() and as "" through text(), as does any column of an empty result.
// An unknown column throws std::runtime_error.
class ScratchQuery {
  public:
    virtual ~ScratchQuery() = default;
    virtual const std::string& sql() const = 0;
    virtual bool hasRow() const = 0;  // false for an empty result (or none yet)
    virtual bool next() = 0;          // to the following row; false past the last
    virtual std::string text(const std::string& column) const = 0;
    virtual long long integer(const std::string& column) const = 0;  // rounded to nearest
    virtual double real(const std::string& column) const = 0;
};

// What a job asks of the fiscal database: the scratch statements, each with its failure,
// and the article view and document views that its rows touch. Tdm_db is
// the one of the program; tests record statements through a fake.
class JobSql {
  public:
    virtual ~JobSql() = default;

    // A statement in a transaction of its own.
    virtual Result<void, sql::Error> exec(const std::string& sql) = 0;
    // Committed with the next exec, or rolled back with it.
    virtual Result<void, sql::Error> execWithNext(const std::string& sql) = 0;
    // A query through the scratch query up3: its rows, or the failure.
    virtual Result<ScratchQuery*, sql::Error> select3(const std::string& sql) = 0;
    // The same for a query run every scan, which the engine may keep prepared.
    virtual Result<ScratchQuery*, sql::Error> selectEveryScan(const std::string& sql) { return select3(sql); }
    // The receipt-total query F_SUMA_RACUNA with this text instead: its row, or the failure.
    virtual Result<ScratchQuery*, sql::Error> sumaRacuna(const std::string& sql) = 0;
    virtual const std::string& ZadnjaGreska() const = 0;

    virtual bool connectionLost() const = 0;
    virtual bool ensureConnected() = 0;
    virtual void cleanUpLater(const std::string& sql) = 0;
    virtual schema::Dialect dialect() const = 0;

    // The highest value of a column over all registers, 0 when the table has no row.
    virtual Result<int, sql::Error> highest(const std::string& table, const std::string& column) = 0;
    virtual bool articleExists(int fidRoba, int sifraRobe) = 0;
    // nullopt when no article of the view has the code.
    virtual Result<std::optional<int>, sql::Error> articleByKnjigSifra(const std::string& knjigSifra) = 0;
    virtual void refreshArticleView() = 0;
    virtual void reopenRacunView() = 0;
    virtual void reopenPlacanjeView() = 0;
};

}  // namespace fm

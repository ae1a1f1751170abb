#pragma once

#include <memory>
#include <string>

#include "db/SqlFailure.h"
#include "platform/Result.h"

class QSqlDatabase;

namespace fm::sql {

class ResultSet;
struct Engine;

// A select that runs every scan on a Firebird connection: prepared once, in a read-only
// read-committed transaction kept with it, so that each run sees what others committed
// since and starts no transaction of its own (a start writes the header page). Qt's
// driver would keep a prepared select in the snapshot it was prepared in; this goes to
// the client library past it.
class KeptFirebirdSelect {
  public:
    // Prepared on the connection's own attachment; a failure comes as the engine's.
    static Result<std::shared_ptr<KeptFirebirdSelect>, Outcome> prepare(QSqlDatabase& db,
                                                                        const Engine& engine,
                                                                        const std::string& sql);
    ~KeptFirebirdSelect();
    KeptFirebirdSelect(const KeptFirebirdSelect&) = delete;
    KeptFirebirdSelect& operator=(const KeptFirebirdSelect&) = delete;

    const std::string& sql() const;
    Outcome run(ResultSet& result);

  private:
    struct Handles;
    explicit KeptFirebirdSelect(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> handles_;
};

}  // namespace fm::sql

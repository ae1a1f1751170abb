#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "tests/support/FreshDatabase.h"
#include "tests/support/TempDir.h"

namespace fm::test {

enum class Engine { Embedded, FirebirdServer, MariaDB };

std::string engineName(Engine engine);
inline void PrintTo(Engine engine, std::ostream* out) { *out << engineName(engine); }

// Why the engine cannot be tested here (its server is not named in the environment), or nullopt.
std::optional<std::string> engineUnavailable(Engine engine);

// A fresh, empty database on an engine with a "database.ini" for it: an embedded file,
// a database on the Firebird server of FMERILON_TEST_FIREBIRD_SERVER, or one on the
// MariaDB server of FMERILON_TEST_MARIADB. Server databases are dropped at the end.
class EngineDatabase {
  public:
    EngineDatabase(Engine engine, FreshDatabase::PartnerTables partnerTables);
    ~EngineDatabase();
    EngineDatabase(const EngineDatabase&) = delete;
    EngineDatabase& operator=(const EngineDatabase&) = delete;

    Engine engine() const { return engine_; }
    const std::string& iniPath() const { return iniPath_; }
    // The parameter file with other credentials.
    std::string iniText(const std::string& user, const std::string& password) const;

  private:
    Engine engine_;
    TempDir dir_;
    std::unique_ptr<FreshDatabase> embedded_;
    std::string serverDatabase_;  // host:path on the Firebird server, the database name on MariaDB
    std::string host_;
    std::string port_;
    std::string iniPath_;
};

}  // namespace fm::test

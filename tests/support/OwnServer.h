#pragma once

#include <optional>
#include <string>

#include "tests/support/EngineDatabase.h"
#include "tests/support/TempDir.h"

namespace fm::test {

// A database server of the test's own on a free port of 127.0.0.1, run by
// scripts/own-server: a Firebird server with its own configuration and lock directory,
// or a MariaDB server with its own data directory. The test may stop it and start it
// again without disturbing anyone; it is removed at the end.
class OwnServer {
  public:
    explicit OwnServer(Engine engine);  // FirebirdServer or MariaDB; started
    ~OwnServer();
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    // Why such a server cannot run here, or nullopt: the tests of an engine's server run
    // where its shared server is named (scripts/services), as the other server tests do.
    static std::optional<std::string> unavailable(Engine engine);

    void stop();   // returns once the port is closed
    void start();  // returns once the server answers

    // A new, empty database on the server: the text of the "database.ini" that opens it.
    std::string createDatabase();

  private:
    std::string run(const std::string& arguments) const;
    void remove();

    Engine engine_;
    TempDir dir_;
    int port_;
    int databases_ = 0;
};

}  // namespace fm::test

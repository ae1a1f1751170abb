#pragma once

#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace fm::test {

// Runs a shell command; its exit status, with stdout and stderr appended to *output.
int runCommand(const std::string& command, std::string* output);
// The text in single quotes for a POSIX shell.
std::string shellQuoted(const std::string& text);

// A new, empty embedded Firebird database in a temporary directory of its own, made by
// scripts/create-database, with a "database.ini" beside it that opens it. With
// partner tables, F_RACUN, F_PLACANJE and F_SEMAFOR exist as the fiscal-printer
// driver creates them. Points the Firebird client at the shared-access configuration
// first, so that this process and its children can all open the file.
class FreshDatabase {
  public:
    enum class PartnerTables { No, Yes };

    explicit FreshDatabase(PartnerTables partnerTables = PartnerTables::Yes);

    const TempDir& dir() const { return dir_; }
    const std::string& path() const { return path_; }             // the database file
    const std::string& iniPath() const { return iniPath_; }       // its "database.ini"
    static std::string iniText(const std::string& databasePath);  // DRIVERNAME=INTRBASE, Database=...

    // Runs the statements through isql-fb as OPKASA, committed after the last one;
    // throws std::runtime_error with isql's output when one fails.
    void run(const std::vector<std::string>& statements) const;

  private:
    TempDir dir_;
    std::string path_;
    std::string iniPath_;
};

}  // namespace fm::test

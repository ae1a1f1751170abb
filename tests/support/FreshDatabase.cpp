#include "tests/support/FreshDatabase.h"

#include <cstdio>
#include <stdexcept>

#include "db/FirebirdClient.h"
#include "db/Schema.h"

namespace fm::test {

int runCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    char buffer[512];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output->append(buffer, n);
    return pclose(pipe);
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

FreshDatabase::FreshDatabase(PartnerTables partnerTables)
    : path_(dir_.file("fiscal.fdb")), iniPath_(dir_.file("database.ini")) {
    prepareFirebirdClient();
    std::string output;
    if (runCommand(
            shellQuoted(std::string(FMERILON_SCRIPTS_DIR) + "/create-database") + " " + shellQuoted(path_),
            &output) != 0)
        throw std::runtime_error("create-database failed: " + output);
    dir_.write("database.ini", iniText(path_));
    if (partnerTables == PartnerTables::Yes) {
        std::vector<std::string> statements;
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            for (std::string& s : schema::createTableStatements(table, schema::Dialect::Firebird))
                statements.push_back(std::move(s));
        run(statements);
    }
}

std::string FreshDatabase::iniText(const std::string& databasePath) {
    return "DRIVERNAME=INTRBASE\r\nDatabase=" + databasePath + "\r\n";
}

void FreshDatabase::run(const std::vector<std::string>& statements) const {
    std::string script = "SET BAIL ON;\nCONNECT '" + path_ + "' USER 'OPKASA';\n";
    for (const std::string& statement : statements) script += statement + ";\n";
    script += "COMMIT;\n";
    dir_.write("script.sql", script);
    std::string output;
    if (runCommand("isql-fb -quiet -input " + shellQuoted(dir_.file("script.sql")), &output) != 0 ||
        output.find("Statement failed") != std::string::npos)
        throw std::runtime_error("isql-fb failed: " + output);
}

}  // namespace fm::test

#include "tests/support/EngineDatabase.h"

#include <cstdlib>
#include <random>
#include <stdexcept>

#include "db/Schema.h"
#include "db/SqlLayer.h"

namespace fm::test {

namespace {

const char* const firebirdServerVariable = "FMERILON_TEST_FIREBIRD_SERVER";
const char* const mariaDbVariable = "FMERILON_TEST_MARIADB";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string uniqueSuffix() {
    std::random_device random;
    return std::to_string(random()) + std::to_string(random() % 1000);
}

void run(const std::string& command) {
    std::string output;
    if (runCommand(command, &output) != 0) throw std::runtime_error(command + " failed: " + output);
}

std::string mariaDbClient(const std::string& host, const std::string& port) {
    return "mariadb --no-defaults -h" + host + " -P" + port + " -uopkasa -plumbrico -e ";
}

}  // namespace

std::string engineName(Engine engine) {
    switch (engine) {
        case Engine::Embedded:
            return "Embedded";
        case Engine::FirebirdServer:
            return "FirebirdServer";
        case Engine::MariaDB:
            return "MariaDB";
    }
    return "";
}

std::optional<std::string> engineUnavailable(Engine engine) {
    const char* variable = engine == Engine::FirebirdServer ? firebirdServerVariable
                           : engine == Engine::MariaDB      ? mariaDbVariable
                                                            : nullptr;
    if (!variable || !environment(variable).empty()) return std::nullopt;
    return std::string(variable) + " is not set (scripts/services start)";
}

EngineDatabase::EngineDatabase(Engine engine, FreshDatabase::PartnerTables partnerTables)
    : engine_(engine), iniPath_(dir_.file("database.ini")) {
    if (engine == Engine::Embedded) {
        embedded_ = std::make_unique<FreshDatabase>(partnerTables);
        dir_.write("database.ini", FreshDatabase::iniText(embedded_->path()));
        return;
    }
    std::string location = environment(engine == Engine::MariaDB ? mariaDbVariable : firebirdServerVariable);
    if (engine == Engine::MariaDB && location.find(':') == std::string::npos) location = "127.0.0.1:3307";
    const std::size_t colon = location.find(':');
    host_ = location.substr(0, colon);
    if (engine == Engine::FirebirdServer) {
        serverDatabase_ = location + "/fmerilon-test-" + uniqueSuffix() + ".fdb";
        dir_.write("create.sql",
                   "CREATE DATABASE '" + serverDatabase_ +
                       "' USER 'opkasa' PASSWORD 'lumbrico' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;\n");
        run("isql-fb -quiet -input " + shellQuoted(dir_.file("create.sql")));
    } else {
        port_ = location.substr(colon + 1);
        serverDatabase_ = "fiscal_test_" + uniqueSuffix();
        run(mariaDbClient(host_, port_) +
            shellQuoted("CREATE DATABASE " + serverDatabase_ + " CHARACTER SET latin1"));
    }
    dir_.write("database.ini", iniText("opkasa", "lumbrico"));

    if (partnerTables == FreshDatabase::PartnerTables::Yes) {
        sql::Connection connection("partner-tables");
        const std::vector<std::string> ini = {"Database=" + serverDatabase_, "Server=" + host_,
                                              "Port=" + port_, "USER NAME=opkasa", "PASSWORD=lumbrico"};
        const sql::Outcome opened = connection.open(
            engine == Engine::MariaDB ? "MySQL ODBC 3.51 Driver" : "INTRBASE", sql::ParameterList(ini));
        if (!opened) throw std::runtime_error("cannot open the new database: " + opened.error);
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            for (const std::string& statement : schema::createTableStatements(table, connection.dialect()))
                if (const sql::Outcome done = connection.execute(statement); !done)
                    throw std::runtime_error(statement + ": " + done.error);
    }
}

EngineDatabase::~EngineDatabase() {
    std::string output;
    if (engine_ == Engine::FirebirdServer) {
        dir_.write("drop.sql",
                   "CONNECT '" + serverDatabase_ + "' USER 'opkasa' PASSWORD 'lumbrico';\nDROP DATABASE;\n");
        runCommand("isql-fb -quiet -input " + shellQuoted(dir_.file("drop.sql")), &output);
    } else if (engine_ == Engine::MariaDB) {
        runCommand(mariaDbClient(host_, port_) + shellQuoted("DROP DATABASE IF EXISTS " + serverDatabase_),
                   &output);
    }
}

std::string EngineDatabase::iniText(const std::string& user, const std::string& password) const {
    switch (engine_) {
        case Engine::Embedded:
            return FreshDatabase::iniText(embedded_->path()) + "USER NAME=" + user +
                   "\r\nPASSWORD=" + password + "\r\n";
        case Engine::FirebirdServer:
            return "DRIVERNAME=INTRBASE\r\nDatabase=" + serverDatabase_ + "\r\nUSER NAME=" + user +
                   "\r\nPASSWORD=" + password + "\r\n";
        case Engine::MariaDB:
            return "DRIVERNAME=MySQL ODBC 3.51 Driver\r\nServer=" + host_ + "\r\nPort=" + port_ +
                   "\r\nDatabase=" + serverDatabase_ + "\r\nUSER NAME=" + user + "\r\nPASSWORD=" + password +
                   "\r\n";
    }
    return "";
}

}  // namespace fm::test

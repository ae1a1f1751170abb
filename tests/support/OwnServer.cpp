#include "tests/support/OwnServer.h"

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <random>
#include <stdexcept>

namespace fm::test {

namespace {

// A port that nothing listens on just now, below the ephemeral ports: while the server
// is stopped, a client trying to reach it could otherwise be given that very port as its
// own end and connect to itself, and the server could not listen there again.
int freePort() {
#ifdef _WIN32
    throw std::runtime_error("scripts/own-server runs on Linux only");
#else
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port = 20000 + int(random() % 12000);
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0) break;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(std::uint16_t(port));
        const bool free = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(s);
        if (free) return port;
    }
    throw std::runtime_error("no free port");
#endif
}

const char* kindOf(Engine engine) { return engine == Engine::MariaDB ? "mariadb" : "firebird"; }

}  // namespace

std::optional<std::string> OwnServer::unavailable(Engine engine) {
    if (engine == Engine::Embedded) return std::string("an embedded database has no server");
    if (const auto why = engineUnavailable(engine)) return why;
#ifdef _WIN32
    return std::string("scripts/own-server runs on Linux only");
#else
    const char* server = engine == Engine::MariaDB ? "/usr/sbin/mariadbd" : "/usr/sbin/firebird";
    if (access(server, X_OK) != 0) return std::string(server) + " is not installed";
    return std::nullopt;
#endif
}

OwnServer::OwnServer(Engine engine) : engine_(engine), port_(freePort()) {
    if (engine == Engine::Embedded) throw std::invalid_argument("an embedded database has no server");
    try {
        start();
    } catch (...) {
        remove();  // a server that began but did not get ready
        throw;
    }
}

OwnServer::~OwnServer() { remove(); }

void OwnServer::remove() {
    std::string output;
    runCommand(shellQuoted(std::string(FMERILON_SCRIPTS_DIR) + "/own-server") + " remove " + kindOf(engine_) +
                   " " + shellQuoted(dir_.file("server")),
               &output);
}

std::string OwnServer::run(const std::string& arguments) const {
    const std::string command =
        shellQuoted(std::string(FMERILON_SCRIPTS_DIR) + "/own-server") + " " + arguments;
    std::string output;
    if (runCommand(command, &output) != 0) throw std::runtime_error(command + " failed: " + output);
    return output;
}

void OwnServer::stop() {
    run(std::string("stop ") + kindOf(engine_) + " " + shellQuoted(dir_.file("server")));
}

void OwnServer::start() {
    run(std::string("start ") + kindOf(engine_) + " " + shellQuoted(dir_.file("server")) + " " +
        std::to_string(port_));
}

std::string OwnServer::createDatabase() {
    const std::string output =
        run(std::string("create-database ") + kindOf(engine_) + " " + shellQuoted(dir_.file("server")) +
            " fiscal_" + std::to_string(++databases_));
    const std::size_t ini = output.find("DRIVERNAME=");
    if (ini == std::string::npos)
        throw std::runtime_error("create-database printed no database.ini: " + output);
    return output.substr(ini);
}

}  // namespace fm::test

#include "commands/CrashPoint.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace fm {

namespace {

struct Armed {
    bool on = false;
    std::string name;
    long passesLeft = 0;
};

Armed readEnvironment() {
    Armed armed;
    const char* value = std::getenv("FMERILON_CRASH_AT");
    if (!value || !*value) return armed;
    const char* colon = std::strrchr(value, ':');
    armed.on = true;
    armed.name = colon ? std::string(value, colon) : std::string(value);
    armed.passesLeft = colon ? std::strtol(colon + 1, nullptr, 10) : 1;
    return armed;
}

}  // namespace

void crashPoint(CrashAt point) {
    static Armed armed = readEnvironment();
    if (!armed.on || armed.name != kCrashPointNames[std::size_t(point)] || --armed.passesLeft > 0) return;
    std::_Exit(137);
}

}  // namespace fm

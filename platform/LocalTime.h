#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace fm {

// The local time of a moment given in ms since the epoch.
std::tm localTime(std::int64_t ms);

// That local time in a strftime format, e.g. "%d.%m.%Y %H:%M:%S".
std::string localTimeText(std::int64_t ms, const char* format);

}  // namespace fm

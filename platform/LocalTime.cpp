#include "platform/LocalTime.h"

namespace fm {

std::tm localTime(std::int64_t ms) {
    const std::time_t seconds = std::time_t(ms / 1000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return local;
}

std::string localTimeText(std::int64_t ms, const char* format) {
    const std::tm local = localTime(ms);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

}  // namespace fm

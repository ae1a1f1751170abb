#pragma once

#include <string_view>

namespace fm::desktop {

// One line on stderr: time, "[FMerilon <kind>]", the text with its line breaks shown as " | "
// and its other control bytes as \xHH.
// Everything the program tells its user is logged this way, shown or not.
void logLine(std::string_view kind, std::string_view text);

}  // namespace fm::desktop

#pragma once

#include <string>
#include <string_view>
#include <vector>

// Single-byte text helpers shared by the settings, command files and SQL text.
namespace fm::text {

// Removes every leading and trailing character with a code of 32 or less.
std::string trim(std::string_view s);

// Letters a to z to capitals; every other byte unchanged.
std::string toUpperAscii(std::string_view s);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Lines ended by CR LF, a lone LF or a lone CR; a break at the very end starts no further line.
std::vector<std::string> splitLines(std::string_view bytes);

// Every line followed by CR LF.
std::string joinLinesCrLf(const std::vector<std::string>& lines);

// The text on one line that cannot act on a terminal: each line break (CR LF, LF or CR)
// reads " | ", every other control byte \xHH.
std::string printable(std::string_view text);

// The UTF-8 byte order mark that some editors write before the first line.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The byte order mark at the start of the bytes, if any ("" or kUtf8Bom).
std::string_view leadingBom(std::string_view bytes);

}  // namespace fm::text

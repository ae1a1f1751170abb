#pragma once

#include <string>

namespace fm::test {

// The locale of a machine whose regional settings write "1,5": bs_BA.UTF-8, built into
// the directory (for LOCPATH). False where localedef cannot build it (always on Windows).
bool buildCommaLocale(const std::string& directory);
constexpr const char* kCommaLocale = "bs_BA.UTF-8";

// Puts this process's C library under such a locale, built in the directory where it must be;
// false where none can be had. leaveCommaLocale goes back to "C".
bool enterCommaLocale(const std::string& directory);
void leaveCommaLocale();

}  // namespace fm::test

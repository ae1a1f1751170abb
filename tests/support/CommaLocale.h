#pragma once

#include <string>

namespace fm::test {

// The locale of a machine whose regional settings write "1,5": bs_BA.UTF-8, built into
// the directory (for LOCPATH). False where localedef cannot build it.
bool buildCommaLocale(const std::string& directory);
constexpr const char* kCommaLocale = "bs_BA.UTF-8";

}  // namespace fm::test

#include "tests/support/CommaLocale.h"

#include <cstdlib>

namespace fm::test {

bool buildCommaLocale(const std::string& directory) {
    const std::string command =
        "localedef -i bs_BA -f UTF-8 " + directory + kCommaLocale + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace fm::test

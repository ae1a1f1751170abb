#include "tests/support/CommaLocale.h"

#include <QByteArray>
#include <QtGlobal>
#include <clocale>
#include <cstdlib>

namespace fm::test {

#ifdef _WIN32

bool buildCommaLocale(const std::string&) { return false; }

// A Windows locale that writes "1,5", known to the C runtime by its long name.
bool enterCommaLocale(const std::string&) { return std::setlocale(LC_ALL, "German_Germany") != nullptr; }

#else

bool buildCommaLocale(const std::string& directory) {
    const std::string command =
        "localedef -i bs_BA -f UTF-8 " + directory + kCommaLocale + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool enterCommaLocale(const std::string& directory) {
    if (!buildCommaLocale(directory)) return false;
    qputenv("LOCPATH", QByteArray::fromStdString(directory));
    return std::setlocale(LC_ALL, kCommaLocale) != nullptr;
}

#endif

void leaveCommaLocale() {
    std::setlocale(LC_ALL, "C");
    qunsetenv("LOCPATH");
}

}  // namespace fm::test

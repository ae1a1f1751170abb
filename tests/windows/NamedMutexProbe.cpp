// A second copy of the program as far as the mutex goes: exit code 0 when it took the
// mutex named on the command line, 1 when another process holds it, 2 on an error.
#include <windows.h>

#include <exception>

#include "platform/NamedMutex.h"

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 2) return 2;
    try {
        return fm::takeNamedMutex(arguments[1]) ? 0 : 1;
    } catch (const std::exception&) {
        return 2;
    }
}

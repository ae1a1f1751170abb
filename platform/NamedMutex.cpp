#include "platform/NamedMutex.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace fm {

bool takeNamedMutex(const wchar_t* name) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!mutex) throw std::runtime_error("CreateMutex: " + std::to_string(GetLastError()));
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    CloseHandle(mutex);
    return false;
}

}  // namespace fm

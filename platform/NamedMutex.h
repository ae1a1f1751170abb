#pragma once

// Windows only.
namespace fm {

// Creates the named kernel mutex and keeps it for the rest of the process (the handle
// is never closed). False when it existed already: another copy holds it. Throws
// std::runtime_error when it can be neither created nor opened.
bool takeNamedMutex(const wchar_t* name);

}  // namespace fm

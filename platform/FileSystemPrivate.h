#pragma once

#include <cstddef>
#include <string>

// What the POSIX and the Windows halves of the file-system services share.
namespace fm::files {

// Where the name of a path starts, after its directory part.
std::size_t nameStart(const std::string& path);

// Appended to the target's name, a name beside it that nobody can plant in advance:
// the temporary file is created new under it, another suffix drawn while one exists.
std::string temporarySuffix();

inline constexpr int kTemporaryNameAttempts = 100;

}  // namespace fm::files

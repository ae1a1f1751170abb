#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Result.h"

namespace fm {

// What tells one file from another of the same name: the file itself (device and inode;
// on Windows the volume serial number and the file index) and its state.
struct FileIdentity {
    std::uint64_t device = 0;  // device and inode both 0: not known (an older job record)
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // ticks of the file clock (std::filesystem::file_time_type)
};

// The same file, unchanged: size and time equal, device and inode too where both are known.
bool sameFile(const FileIdentity& a, const FileIdentity& b);

}  // namespace fm

// Files opened once, by a descriptor: a link is never followed, a FIFO or device never opened.
namespace fm::files {

enum class EntryKind {
    Missing,  // nothing there, or a directory
    Link,     // a symbolic link (on Windows any reparse point)
    Special,  // a FIFO, a socket, a device
    Regular,
};

struct Entry {
    EntryKind kind = EntryKind::Missing;
    FileIdentity identity;  // of a regular file
};

// The directory entry itself, a link not followed.
Entry entryAt(const std::string& path);

// True when the entry is still the regular file of that identity.
bool entryIs(const std::string& path, const FileIdentity& identity);

struct FileContent {
    enum class Result {
        Read,
        Missing,     // gone before it was opened
        Link,        // the entry is a link: not opened
        NotRegular,  // a FIFO, socket or device: not read
        OverLimit,   // larger than the limit: bytes its first ones (up to headOverLimit), identity set
        Failed,      // cannot be opened or read: error says why
    };
    Result result = Result::Missing;
    FileIdentity identity;  // of the opened file (Read, OverLimit)
    std::string bytes;
    std::string error;
};

// Opens the entry once, without following a link and without blocking, checks on that
// descriptor that it is a regular file and reads it; never more than limit + 1 bytes, and
// of a file over the limit its first headOverLimit bytes at most.
FileContent readFileOnce(const std::string& path, std::uint64_t limit, std::size_t headOverLimit = 0);

// Writes the bytes over the file's own at the offset, inside the file, through the entry
// opened once (a link never followed) while it is the regular file of that identity.
// The message why not otherwise or when writing fails.
Result<void> overwriteInPlace(const std::string& path, const FileIdentity& identity, std::uint64_t offset,
                              std::string_view bytes);

}  // namespace fm::files

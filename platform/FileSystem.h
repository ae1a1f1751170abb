#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Result.h"

// File-system services on single-byte paths: on Linux the bytes of the names as they
// are, on Windows the names in the ANSI code page. A name from findEntries opens,
// replaces and removes that same entry.
namespace fm::files {

struct DirectoryEntry {
    std::string name;  // bare name, no directory part
    bool isDirectory = false;
    std::uint64_t size = 0;
    std::int64_t modifiedMs = 0;  // modification time, ms since the epoch
    // Windows: the name holds characters the ANSI code page cannot, shown as '?'; no path
    // reaches that entry.
    bool nameOutsideCodePage = false;
};

// The directory of the running executable, with a trailing separator.
std::string executableDirectory();

bool fileExists(const std::string& path);  // an existing entry that is not a directory
bool directoryExists(const std::string& path);

// The entry of one path as a directory search gives it; nullopt when there is none.
std::optional<DirectoryEntry> entryOf(const std::string& path);

// Whole file as bytes, or the message why it cannot be read.
Result<std::string> readWholeFile(const std::string& path);

// Replaces the file with the bytes through a temporary file in the same directory,
// created new under a name of its own with the old file's permission bits, flushed to
// disk and renamed over the directory entry (a link there is replaced, never followed),
// so a crash or a full disk never leaves it half-written. On failure the message, the old
// file whole and no temporary file left.
Result<void> writeFileAtomically(const std::string& path, const std::string& bytes);

// Removes the directory entry (a link, not its target).
Result<void> removeFile(const std::string& path);

// Gives the directory entry (a link, not its target) a new path on the same volume; never
// replaces an entry there.
Result<void> renameEntry(const std::string& from, const std::string& to);

// Entries matching a pattern of a directory prefix followed by a name mask with
// '*' and '?' ("C:\RACUNI\*.inp"); the mask is matched without regard to letter case,
// as the Windows search does. Order as the file system gives it.
std::vector<DirectoryEntry> findEntries(const std::string& pattern);

// Whether a bare name matches a mask of '*' (any run of characters) and '?' (one
// character), letters compared without regard to case.
bool matchesMask(const std::string& name, const std::string& mask);

// True when c separates path components on this platform ('/' everywhere, '\' on Windows too).
bool isPathSeparator(char c);
char pathSeparator();

// The name of a path without its directory part.
std::string bareName(const std::string& path);
// The directory part of a path, its closing separator included; empty for a bare name.
std::string directoryPart(const std::string& path);

// The directory as a prefix of file names: its closing separator supplied when missing.
std::string withClosingSeparator(std::string directory);

}  // namespace fm::files

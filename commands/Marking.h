#pragma once

#include <string>

#include "platform/OpenedFile.h"
#include "platform/Result.h"

// What a finished job leaves in files: the marked command file and "Tarvo.err".
namespace fm {

// One line as OznaciFajl writes it back: trimmed, the placeholders ",______," and
// ",_," filled with brojKase and brojacObrade, every status ",__;" replaced.
std::string markedLine(const std::string& line, int outcome, int brojacObrade, const std::string& brojKase);

// Empty while the entry is still the file of that identity; otherwise why it is not.
std::string notTheFileRead(const std::string& fileName, const FileIdentity& file);

// Rewrites the command file from the bytes read at its take-up, every line marked and
// ended by CR LF (a leading byte order mark kept), through an atomic replace, once the
// entry is found to be still that file. A file over a limit of its size (the bytes its
// head) or lines is never rewritten: the status of its header is written in place of its
// "__". The message why not when the entry is another file or the file changed, when it
// cannot be written, or holds no record (over a limit: no waiting header).
Result<void> OznaciFajl(const std::string& fileName, const FileIdentity& file, const std::string& bytes,
                        int outcome, int brojacObrade, const std::string& brojKase);

// "Tarvo.err" in the directory TARVOLOGGRESKE names (trimmed, its closing separator
// dropped); empty when that leaves no directory name.
std::string errorFilePath(const std::string& tarvologgreske);

// Writes the message and CR LF into the error file when the message is not empty and
// the directory exists; the message why not when writing fails.
Result<void> UpisiGresku(const std::string& tarvologgreske, const std::string& message);

}  // namespace fm

#pragma once

#include <string>

// What a finished job leaves in files: the marked command file and "Tarvo.err".
namespace fm {

// Status written for an outcome code: "OK" for 0, "No" for -2, "Er" otherwise.
const char* statusText(int outcome);

// One line as OznaciFajl writes it back: trimmed, the placeholders ",______," and
// ",_," filled with brojKase and brojacObrade, every status ",__;" replaced.
std::string markedLine(const std::string& line, int outcome, int brojacObrade, const std::string& brojKase);

// Rewrites the command file, every line marked and ended by CR LF, through an atomic
// replace. False with a message in *error when the file cannot be read or replaced, or
// holds no record.
bool OznaciFajl(const std::string& fileName, int outcome, int brojacObrade, const std::string& brojKase,
                std::string* error);

// "Tarvo.err" in the directory TARVOLOGGRESKE names (trimmed, its closing separator
// dropped); empty when that leaves no directory name.
std::string errorFilePath(const std::string& tarvologgreske);

// Writes the message and CR LF into the error file when the message is not empty and
// the directory exists. False with a message in *error when writing fails.
bool UpisiGresku(const std::string& tarvologgreske, const std::string& message, std::string* error);

}  // namespace fm

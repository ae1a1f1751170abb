#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "commands/CommandJob.h"
#include "config/Postavke.h"

// What FMerilon will do with a command file, told without a database.
namespace fm::check {

struct FileCheck {
    std::string path;         // as given
    std::string programPath;  // as the program names it: the input directory and the file name
    std::string unreadable;   // not empty: the file cannot be read, and why
    CommandJob job;
    int jobNumber = 0;
    int budget = 0;                     // ms, with every row of the job written
    std::vector<std::string> refusals;  // what the database will refuse of a file read validly
    std::vector<std::string> warnings;  // accepted, but printed otherwise than the file reads

    // Taken up at the next scan and valid as far as a check without a database can tell.
    bool passes() const { return unreadable.empty() && job.valid() && refusals.empty(); }
    // The outcome message of an invalid file, as the program gives it.
    std::string programMessage() const;
};

FileCheck checkBytes(const std::string& path, std::string_view bytes, const Postavke& p, int jobNumber,
                     bool overSizeLimit = false);
FileCheck checkFile(const std::string& path, const Postavke& p, int jobNumber);

// The rows the job writes, one line each.
std::vector<std::string> rowsOf(const FileCheck& check, const Postavke& p);

std::string textReport(const FileCheck& check, const Postavke& p);
std::string jsonReport(const FileCheck& check, const Postavke& p);

// A JSON string literal; bytes above 0x7F are taken as Latin-1 letters.
std::string jsonString(std::string_view text);

}  // namespace fm::check

#pragma once

#include <string>
#include <vector>

#include "commands/CommandJob.h"

// What the reading of a command file does not tell: what the database will refuse, and
// what the program accepts but prints otherwise than the file reads.
namespace fm::check {

// Texts longer than the columns they are written to, and price changes of one article
// twice (one F_NIVELACIJA row per article and job). The job must have been read validly.
std::vector<std::string> databaseRefusals(const CommandJob& job, bool letterCodes);

// The job's lines as read: a header that is no command, payments ignored, paid twice or
// short of the total, texts in UTF-8.
std::vector<std::string> printingWarnings(const CommandJob& job, const std::vector<std::string>& lines);

}  // namespace fm::check

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/JobEntry.h"

namespace fm {

// A moment as local time "yyyy-MM-dd HH:mm:ss.zzz"; empty for 0.
std::string formatMoment(std::int64_t epochMs);

// A message on one line: its line breaks read " | ".
std::string oneLine(const std::string& text);

// Jobs as CSV (RFC 4180, CR LF), a header line first: every field and the stages' durations.
std::string journalCsv(const std::vector<JobEntry>& entries);

// Jobs as a plain table, one line each: taken up, number, status, file action, waited, file, message.
std::string journalTable(const std::vector<JobEntry>& entries);

}  // namespace fm

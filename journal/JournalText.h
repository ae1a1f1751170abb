#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/JobEntry.h"

namespace fm {

// A moment as local time "yyyy-MM-dd HH:mm:ss.zzz"; empty for 0.
std::string formatMoment(std::int64_t epochMs);

// A message on one line: its line breaks read " | ", its other control bytes \xHH.
std::string oneLine(const std::string& text);

// What became of the job after its file was marked: the late outcome with its moment
// ("odstampan kasnije 2026-12-09 14:03:12.345"), "otvoren" while it waits for one, else empty.
std::string lateOutcomeOf(const JobEntry& entry);

inline constexpr const char* kPrintedTwiceText = "ODSTAMPAN DVA PUTA";

// Jobs as CSV (RFC 4180, CR LF), a header line first: every field and the stages' durations,
// then the late outcome, its moment, the fiscal numbers, whether it was printed twice or is open,
// and the stored values that could not be read.
std::string journalCsv(const std::vector<JobEntry>& entries);

// Jobs as a plain table, one line each: taken up, number, status, file action, waited, file, fiscal
// numbers, late outcome, message, values that could not be read; names and texts shown printable.
std::string journalTable(const std::vector<JobEntry>& entries);

}  // namespace fm

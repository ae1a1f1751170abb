#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/OpenedFile.h"

// Reading command files: lines, records and their fields.
namespace fm {

// A command file that cannot be used; the text goes after "Greska:" in the outcome.
class CommandFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The largest command file and the longest line, in bytes, and the most lines: far
// above any real receipt or price list. A file over any is invalid; of one over the file
// limit or with too many lines only the first kCommandLineLimit bytes are split into lines,
// for its header, and it is never rewritten.
constexpr std::uint64_t kCommandFileLimit = 4 * 1024 * 1024;
constexpr std::size_t kCommandLineLimit = 1024 * 1024;
constexpr std::size_t kCommandLinesLimit = 100000;

// The command file read once (files::readFileOnce); of a file over the size limit the
// first kCommandLineLimit bytes, which hold its header.
files::FileContent readCommandBytes(const std::string& path);

// "fajl je veci od ..." for a file over kCommandFileLimit.
std::string overLimitMessage();

// "fajl ima vise od ... linija" for bytes of more than kCommandLinesLimit lines; else empty.
std::string tooManyLinesMessage(std::string_view bytes);

// Why a command file could not be read ("Fajl ... nije obican fajl ...", or that it is not
// there); empty when it was read or is over the limit.
std::string unreadableMessage(const std::string& path, const files::FileContent& content);

// The file's lines, each trimmed of spaces and control characters; a blank line is "".
// Throws CommandFileError when the file cannot be read or is over the limit.
std::vector<std::string> readCommandLines(const std::string& path);

// The same lines from the file's bytes; a leading UTF-8 byte order mark is no part of them.
std::vector<std::string> parseCommandLines(std::string_view bytes);

// A NUL byte inside a line would end the SQL text at that point in the database
// drivers: throws CommandFileError naming the line of the first one.
void rejectNulBytes(const std::vector<std::string>& lines);

// A line over kCommandLineLimit: throws CommandFileError naming the line and the limit.
void rejectOverlongLines(const std::vector<std::string>& lines);

// Index of the first record (non-blank line) at or after `from`.
std::optional<std::size_t> nextRecord(const std::vector<std::string>& lines, std::size_t from);

// Strict numbers of the record fields: decimal digits with one optional sign, the
// decimal ones with '.' as the point; blanks around the number are allowed.
// Throws CommandFileError ("'1,5' nije ispravan broj") otherwise.
int toInteger(const std::string& field);
double toDecimal(const std::string& field);

// The shared field reader: fields of `record` from `start` (1-based) up to the next
// Razdvajac; PozicijaPolja is left where the next field starts.
struct FieldReader {
    std::size_t PozicijaPolja = 3;
    char Razdvajac = ',';

    std::string UzmiPolje(const std::string& record, std::size_t start);
};

// One record read up to its status: letter, fields 1 to 3 (","), the status (";").
// The fields after the status are taken in order with the next* calls.
class CommandRecord {
  public:
    explicit CommandRecord(std::string record);

    char letter() const { return record_.empty() ? '\0' : record_[0]; }
    const std::string& status() const { return status_; }  // as written, not trimmed
    std::size_t statusOffset() const { return statusStart_ - 1; }

    // What follows the ';' that closes the status.
    std::string restAfterStatus() const;

    std::string nextText();
    int nextInteger();
    double nextDecimal();
    void skipField() { nextText(); }

  private:
    std::string record_;
    FieldReader reader_;
    std::string status_;
    std::size_t statusStart_ = 0;  // PozicijaPolja where the status starts
    std::size_t afterStatus_ = 0;  // and right after it
};

}  // namespace fm

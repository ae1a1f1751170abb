#include "commands/CommandFile.h"

#include <charconv>
#include <cmath>

#include "platform/Text.h"

namespace fm {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number text without the blanks around it and without a leading '+'; a second
// sign stays and makes the text no number.
std::string numberBody(const std::string& field) {
    std::size_t begin = field.find_first_not_of(' ');
    if (begin == std::string::npos) return std::string();
    const std::size_t end = field.find_last_not_of(' ');
    std::string body = field.substr(begin, end - begin + 1);
    if (body.size() > 1 && body[0] == '+' && body[1] != '-') body.erase(0, 1);
    return body;
}

std::size_t skipDigits(const std::string& s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

// Digits with an optional fraction after '.', and an optional exponent.
bool isDecimalSyntax(const std::string& body) {
    std::size_t i = (!body.empty() && body[0] == '-') ? 1 : 0;
    const std::size_t intStart = i;
    i = skipDigits(body, i);
    bool digits = i > intStart;
    if (i < body.size() && body[i] == '.') {
        const std::size_t fracStart = ++i;
        i = skipDigits(body, i);
        digits = digits || i > fracStart;
    }
    if (!digits) return false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
        const std::size_t expStart = i;
        i = skipDigits(body, i);
        if (i == expStart) return false;
    }
    return i == body.size();
}

std::string notANumber(const std::string& field) { return "'" + field + "' nije ispravan broj"; }

}  // namespace

files::FileContent readCommandBytes(const std::string& path) {
    return files::readFileOnce(path, kCommandFileLimit, kCommandLineLimit);
}

std::string overLimitMessage() {
    return "fajl je veci od najvise dozvoljenih " + std::to_string(kCommandFileLimit / (1024 * 1024)) +
           " MiB (" + std::to_string(kCommandFileLimit) + " bajtova)";
}

std::string tooManyLinesMessage(std::string_view bytes) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size() && lines <= kCommandLinesLimit; ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        ++lines;
    }
    if (lines <= kCommandLinesLimit) return std::string();
    return "fajl ima vise od najvise dozvoljenih " + std::to_string(kCommandLinesLimit) + " linija";
}

std::string unreadableMessage(const std::string& path, const files::FileContent& content) {
    using Result = files::FileContent::Result;
    switch (content.result) {
        case Result::Missing:
            return "Ne moze se otvoriti fajl " + path + ": fajl ne postoji";
        case Result::Link:
            return "Fajl " + path + " je simbolicki link i ne uzima se u obradu";
        case Result::NotRegular:
            return "Fajl " + path + " nije obican fajl i ne moze se procitati";
        case Result::Failed:
            return content.error;
        default:
            return std::string();
    }
}

std::vector<std::string> readCommandLines(const std::string& path) {
    const files::FileContent content = readCommandBytes(path);
    switch (content.result) {
        case files::FileContent::Result::Read:
            if (const std::string tooMany = tooManyLinesMessage(content.bytes); !tooMany.empty())
                throw CommandFileError(tooMany);
            return parseCommandLines(content.bytes);
        case files::FileContent::Result::OverLimit:
            throw CommandFileError(overLimitMessage());
        default:
            throw CommandFileError(unreadableMessage(path, content));
    }
}

std::vector<std::string> parseCommandLines(std::string_view bytes) {
    std::vector<std::string> lines = text::splitLines(bytes.substr(text::leadingBom(bytes).size()));
    for (std::string& line : lines) line = text::trim(line);
    return lines;
}

void rejectNulBytes(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find('\0') != std::string::npos) {
            throw CommandFileError("linija " + std::to_string(i + 1) +
                                   " sadrzi nedozvoljen znak NUL (kod 0)");
        }
    }
}

void rejectOverlongLines(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kCommandLineLimit) {
            throw CommandFileError("linija " + std::to_string(i + 1) + " je duza od najvise dozvoljenih " +
                                   std::to_string(kCommandLineLimit / 1024) + " KiB (" +
                                   std::to_string(kCommandLineLimit) + " bajtova)");
        }
    }
}

std::optional<std::size_t> nextRecord(const std::vector<std::string>& lines, std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (!lines[i].empty()) return i;
    }
    return std::nullopt;
}

int toInteger(const std::string& field) {
    const std::string body = numberBody(field);
    const bool negative = !body.empty() && body[0] == '-';
    if (body.size() == std::size_t(negative) || skipDigits(body, negative) != body.size()) {
        throw CommandFileError("'" + field + "' nije ispravan cijeli broj");
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc() || end != body.data() + body.size()) {
        throw CommandFileError("'" + field + "' je izvan opsega cijelog broja");
    }
    return value;
}

double toDecimal(const std::string& field) {
    const std::string body = numberBody(field);
    if (!isDecimalSyntax(body)) throw CommandFileError(notANumber(field));
    double value = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc() || end != body.data() + body.size() || !std::isfinite(value)) {
        throw CommandFileError(notANumber(field));
    }
    return value;
}

std::string FieldReader::UzmiPolje(const std::string& record, std::size_t start) {
    const std::size_t from = start > 0 ? start - 1 : 0;
    if (from >= record.size()) {
        PozicijaPolja = record.size() + 1;
        return std::string();
    }
    const std::size_t separator = record.find(Razdvajac, from);
    if (separator == std::string::npos) {
        PozicijaPolja = record.size() + 1;
        return record.substr(from);
    }
    PozicijaPolja = separator + 2;
    return record.substr(from, separator - from);
}

CommandRecord::CommandRecord(std::string record) : record_(std::move(record)) {
    reader_.PozicijaPolja = 3;
    reader_.Razdvajac = ',';
    for (std::size_t field = 1; field <= 3; ++field) reader_.UzmiPolje(record_, reader_.PozicijaPolja);
    reader_.Razdvajac = ';';
    statusStart_ = reader_.PozicijaPolja;
    status_ = reader_.UzmiPolje(record_, reader_.PozicijaPolja);
    afterStatus_ = reader_.PozicijaPolja;
}

std::string CommandRecord::restAfterStatus() const {
    const std::size_t from = afterStatus_ - 1;
    return from < record_.size() ? record_.substr(from) : std::string();
}

std::string CommandRecord::nextText() { return reader_.UzmiPolje(record_, reader_.PozicijaPolja); }

int CommandRecord::nextInteger() { return toInteger(nextText()); }

double CommandRecord::nextDecimal() { return toDecimal(nextText()); }

}  // namespace fm

#include "platform/Text.h"

namespace fm::text {

namespace {
bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string trim(std::string_view s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && isBlankOrControl(s[begin])) ++begin;
    while (end > begin && isBlankOrControl(s[end - 1])) --end;
    return std::string(s.substr(begin, end - begin));
}

std::string toUpperAscii(std::string_view s) {
    std::string result(s);
    for (char& c : result) c = upper(c);
    return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string joinLinesCrLf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::string printable(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            line += " | ";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c < 0x20 || c == 0x7F) {
            line += "\\x";
            line += hex[c >> 4];
            line += hex[c & 0xF];
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

std::string_view leadingBom(std::string_view bytes) {
    return bytes.substr(0, bytes.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0);
}

}  // namespace fm::text

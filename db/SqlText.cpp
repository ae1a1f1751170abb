#include "db/SqlText.h"

#include <charconv>
#include <cmath>

namespace fm {

std::string integerNumeral(long long value) { return std::to_string(value); }

std::string realNumeral(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    // Rounded to 15 significant places: "d.dddddddddddddde[+-]x", whatever the process locale.
    char buffer[40];
    const char* const end =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14)
            .ptr;
    std::string digits;
    const char* p = buffer;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    int exponent = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string result = value < 0 ? "-" : "";
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            result += "0." + std::string(-exponent - 1, '0') + digits;
        } else {
            const std::size_t wholeDigits = std::size_t(exponent) + 1;
            if (digits.size() <= wholeDigits) {
                result += digits + std::string(wholeDigits - digits.size(), '0');
            } else {
                result += digits.substr(0, wholeDigits) + "." + digits.substr(wholeDigits);
            }
        }
    } else {
        result += digits.substr(0, 1);
        if (digits.size() > 1) result += "." + digits.substr(1);
        result += "E" + std::to_string(exponent);
    }
    return result;
}

std::string SqlBroj(const std::string& numeral, int k71b3) {
    return k71b3 == 1 ? numeral : "'" + numeral + "'";
}

std::string SqlTekst(const std::string& text) {
    std::string literal = "'";
    for (char c : text) {
        literal += c;
        if (c == '\'') literal += '\'';
    }
    return literal + "'";
}

}  // namespace fm

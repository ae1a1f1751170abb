// Arbitrary bytes as a text and as numbers on their way into SQL text: a text is one
// well-formed literal holding exactly its bytes; a numeral reads back as its value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "db/SqlText.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

// The text inside a literal that opens and closes with a quote and doubles every
// quote between; false when the literal is not of that form.
bool unquote(const std::string& literal, std::string* text) {
    if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'') return false;
    text->clear();
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        if (literal[i] == '\'') {
            if (i + 2 >= literal.size() || literal[i + 1] != '\'') return false;
            ++i;
        }
        *text += literal[i];
    }
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// -?digits(.digits)? or -?d(.digits)?E-?digits, without a trailing zero in a fraction.
bool isNumeral(const std::string& s) {
    std::size_t i = s.size() > 0 && s[0] == '-' ? 1 : 0;
    const std::size_t start = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i == start) return false;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == fraction || s[i - 1] == '0') return false;
    }
    if (i < s.size() && s[i] == 'E') {
        ++i;
        if (i < s.size() && s[i] == '-') ++i;
        const std::size_t exponent = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == exponent || s[exponent] == '0') return false;
    }
    return i == s.size();
}

void checkReal(double value) {
    if (!std::isfinite(value)) return;
    const std::string numeral = fm::realNumeral(value);
    FUZZ_CHECK(isNumeral(numeral));
    char rounded[40];
    std::snprintf(rounded, sizeof rounded, "%.14e", value);
    FUZZ_CHECK(std::strtod(numeral.c_str(), nullptr) == std::strtod(rounded, nullptr));
    FUZZ_CHECK(fm::SqlBroj(numeral, 1) == numeral);
    FUZZ_CHECK(fm::SqlBroj(numeral, 0) == "'" + numeral + "'");
}

void checkInteger(long long value) {
    const std::string numeral = fm::integerNumeral(value);
    FUZZ_CHECK(isNumeral(numeral));
    FUZZ_CHECK(std::strtoll(numeral.c_str(), nullptr, 10) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string inner;
    FUZZ_CHECK(unquote(fm::SqlTekst(bytes), &inner));
    FUZZ_CHECK(inner == bytes);

    if (size >= sizeof(double)) {
        double real;
        std::memcpy(&real, data, sizeof real);
        checkReal(real);
        long long whole;
        std::memcpy(&whole, data, sizeof whole);
        checkInteger(whole);
    }
    return 0;
}

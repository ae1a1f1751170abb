#pragma once

#include <string>

// How numbers and texts become part of literal SQL text.
namespace fm {

// Decimal integer, '-' when negative, no grouping.
std::string integerNumeral(long long value);

// General form of a real: 15 significant places, trailing zeros removed, '.' as the
// decimal point; positional from 0.0001 up to 10^15, otherwise d.dddE[-]x (5E-5, 2.5E15).
std::string realNumeral(double value);

// The numeral as it enters a statement: bare when k71b3 is 1, else in single quotes.
std::string SqlBroj(const std::string& numeral, int k71b3);

// A string literal: single quotes around the text, inner quotes doubled.
std::string SqlTekst(const std::string& text);

}  // namespace fm

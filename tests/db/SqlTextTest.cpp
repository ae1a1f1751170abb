#include <gtest/gtest.h>

#include "db/SqlText.h"

namespace fm {
namespace {

TEST(RealNumeral, GeneralFormWithFifteenSignificantPlaces) {
    EXPECT_EQ("1.5", realNumeral(1.5));
    EXPECT_EQ("1234.5", realNumeral(1234.5));
    EXPECT_EQ("3", realNumeral(3.0));
    EXPECT_EQ("-2", realNumeral(-2.0));
    EXPECT_EQ("57", realNumeral(57.0));
    EXPECT_EQ("0", realNumeral(0.0));
    EXPECT_EQ("0", realNumeral(-0.0));
    EXPECT_EQ("0.1", realNumeral(0.1));
    EXPECT_EQ("0.333333333333333", realNumeral(1.0 / 3.0));
    EXPECT_EQ("0.666666666666667", realNumeral(2.0 / 3.0));
    EXPECT_EQ("0.3", realNumeral(0.1 + 0.2));
    EXPECT_EQ("1.6", realNumeral(1.6));
    EXPECT_EQ("100", realNumeral(100.0));
}

TEST(RealNumeral, PositionalFromOneTenThousandthUpToTenToTheFifteen) {
    EXPECT_EQ("0.0001", realNumeral(0.0001));
    EXPECT_EQ("-0.00012", realNumeral(-0.00012));
    EXPECT_EQ("999999999999999", realNumeral(999999999999999.0));
    EXPECT_EQ("123456789012.345", realNumeral(123456789012.345));
}

TEST(RealNumeral, ScientificOutsideThatRange) {
    EXPECT_EQ("5E-5", realNumeral(0.00005));
    EXPECT_EQ("1.2E-5", realNumeral(0.000012));
    EXPECT_EQ("-1.2E-5", realNumeral(-0.000012));
    EXPECT_EQ("2.5E15", realNumeral(2500000000000000.0));
    EXPECT_EQ("1E15", realNumeral(1e15));
    EXPECT_EQ("1E100", realNumeral(1e100));
    // Rounding to 15 places can carry into the next power of ten.
    EXPECT_EQ("1E15", realNumeral(999999999999999.9));
    EXPECT_EQ("0.0001", realNumeral(0.00009999999999999999));
}

TEST(SqlBroj, BareOnlyWhenK71B3IsOne) {
    EXPECT_EQ("57", SqlBroj("57", 1));
    EXPECT_EQ("'57'", SqlBroj("57", 0));
    EXPECT_EQ("'1.5'", SqlBroj("1.5", 2));
    EXPECT_EQ("'-2'", SqlBroj("-2", -1));
}

TEST(SqlTekst, QuotesDoubledNothingElseTouched) {
    EXPECT_EQ("''", SqlTekst(""));
    EXPECT_EQ("'O''NEIL'", SqlTekst("O'NEIL"));
    EXPECT_EQ("''''''", SqlTekst("''"));
    EXPECT_EQ("'a\\b \xE8\x9A'", SqlTekst("a\\b \xE8\x9A"));
}

TEST(IntegerNumeral, DecimalWithSign) {
    EXPECT_EQ("-57", integerNumeral(-57));
    EXPECT_EQ("2147483647", integerNumeral(2147483647));
}

}  // namespace
}  // namespace fm

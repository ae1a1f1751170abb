#include <gtest/gtest.h>

#include "commands/CommandFile.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

TEST(CommandLines, EveryLineEndCountsAndAFinalBreakStartsNoLine) {
    test::TempDir dir;
    dir.write("a.inp", "one\r\ntwo\nthree\rfour");
    EXPECT_EQ(readCommandLines(dir.file("a.inp")), (std::vector<std::string>{"one", "two", "three", "four"}));

    dir.write("b.inp", "S,P1,_,______,__;x\r\n");
    EXPECT_EQ(readCommandLines(dir.file("b.inp")).size(), 1u);
    dir.write("c.inp", "S,P1,_,______,__;x\r\n\r\n");
    EXPECT_EQ(readCommandLines(dir.file("c.inp")), (std::vector<std::string>{"S,P1,_,______,__;x", ""}));
}

TEST(CommandLines, LinesAreTrimmedAndBytesKeptAsTheyAre) {
    test::TempDir dir;
    dir.write("a.inp",
              " \tS,P1,_,______,__;\xC8"
              "evapi \x01\r\n   \r\n");
    EXPECT_EQ(readCommandLines(dir.file("a.inp")), (std::vector<std::string>{"S,P1,_,______,__;\xC8"
                                                                             "evapi",
                                                                             ""}));
}

TEST(CommandLines, AMissingFileIsAnErrorNamingIt) {
    test::TempDir dir;
    try {
        readCommandLines(dir.file("gone.inp"));
        FAIL();
    } catch (const CommandFileError& e) {
        EXPECT_NE(std::string(e.what()).find("gone.inp"), std::string::npos);
    }
}

TEST(CommandLines, NextRecordSkipsBlankLines) {
    const std::vector<std::string> lines{"", "", "Z,P1,_,______,__;", ""};
    EXPECT_EQ(nextRecord(lines, 0), 2u);
    EXPECT_EQ(nextRecord(lines, 3), std::nullopt);
}

TEST(UzmiPolje, CutsUpToTheSeparatorAndMovesThePosition) {
    FieldReader reader;
    reader.Razdvajac = ';';
    EXPECT_EQ(reader.UzmiPolje("ab;;cd", 1), "ab");
    EXPECT_EQ(reader.PozicijaPolja, 4);
    EXPECT_EQ(reader.UzmiPolje("ab;;cd", reader.PozicijaPolja), "");
    EXPECT_EQ(reader.PozicijaPolja, 5);
    EXPECT_EQ(reader.UzmiPolje("ab;;cd", reader.PozicijaPolja), "cd");
    EXPECT_EQ(reader.PozicijaPolja, 7);
    EXPECT_EQ(reader.UzmiPolje("ab;;cd", reader.PozicijaPolja), "");
    EXPECT_EQ(reader.PozicijaPolja, 7);
}

TEST(CommandRecordTest, ReadsTheWorkedSaleItem) {
    CommandRecord item("S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001");
    EXPECT_EQ(item.letter(), 'S');
    EXPECT_EQ(item.status(), "__");
    EXPECT_EQ(item.nextText(), "Mlijeko 1l");
    EXPECT_DOUBLE_EQ(item.nextDecimal(), 1.2);
    EXPECT_DOUBLE_EQ(item.nextDecimal(), 2);
    item.skipField();
    EXPECT_EQ(item.nextInteger(), 1);
    EXPECT_EQ(item.nextInteger(), 2);
    item.skipField();
    EXPECT_EQ(item.nextText(), "1001");
    EXPECT_EQ(item.nextText(), "");
}

TEST(CommandRecordTest, CommasEndOnlyTheFirstFieldsAndSemicolonsTheRest) {
    CommandRecord record("S,a;b,c,d, __ ;Kafa, mljevena;x;y");
    EXPECT_EQ(record.status(), " __ ");
    EXPECT_EQ(record.nextText(), "Kafa, mljevena");
    CommandRecord shifted("S,P1,_,______,__;Kafa;mljevena;1.5");
    EXPECT_EQ(shifted.nextText(), "Kafa");
    EXPECT_THROW(shifted.nextDecimal(), CommandFileError);
}

TEST(CommandRecordTest, MissingFieldsAreEmptyAndFailAsNumbers) {
    CommandRecord record("O,P1,_,______,__");
    EXPECT_EQ(record.status(), "__");
    EXPECT_EQ(record.nextText(), "");
    EXPECT_THROW(record.nextInteger(), CommandFileError);
    CommandRecord shortRecord("Z");
    EXPECT_EQ(shortRecord.status(), "");
}

TEST(CommandRecordTest, WhatFollowsThePaymentStatusChoosesItsForm) {
    EXPECT_EQ(CommandRecord("T,P1,_,______,__;").restAfterStatus(), "");
    EXPECT_EQ(CommandRecord("T,P1,_,______,__").restAfterStatus(), "");
    EXPECT_EQ(CommandRecord("T,P1,_,______,__;1;").restAfterStatus(), "1;");
    CommandRecord explicitPayment("T,P1,_,______,__;1;5");
    EXPECT_EQ(explicitPayment.restAfterStatus(), "1;5");
    EXPECT_EQ(explicitPayment.nextInteger(), 1);
    EXPECT_DOUBLE_EQ(explicitPayment.nextDecimal(), 5);
}

TEST(StrictNumbers, AcceptSignedDecimalsWithAPoint) {
    EXPECT_EQ(toInteger("-12"), -12);
    EXPECT_EQ(toInteger("+7"), 7);
    EXPECT_EQ(toInteger(" 3 "), 3);
    EXPECT_DOUBLE_EQ(toDecimal("-1"), -1);
    EXPECT_DOUBLE_EQ(toDecimal("0.90"), 0.9);
    EXPECT_DOUBLE_EQ(toDecimal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(toDecimal("2."), 2);
    EXPECT_DOUBLE_EQ(toDecimal("1.5E2"), 150);
}

TEST(StrictNumbers, RejectEverythingElseWithTheText) {
    for (const char* bad : {"", " ", "1,5", "1.2.3", "12abc", "-", ".", "nan", "inf", "1e", "0x10", "1 2",
                            "+-5", "++5", "-+5", "+"}) {
        EXPECT_THROW(toDecimal(bad), CommandFileError) << bad;
    }
    for (const char* bad : {"", "1.5", "1,5", "abc", "--1", "1e3", "+-5", "++5", "-+5", "+ 5"}) {
        EXPECT_THROW(toInteger(bad), CommandFileError) << bad;
    }
    try {
        toDecimal("1,5");
        FAIL();
    } catch (const CommandFileError& e) {
        EXPECT_STREQ(e.what(), "'1,5' nije ispravan broj");
    }
    EXPECT_THROW(toInteger("99999999999"), CommandFileError);
    EXPECT_THROW(toDecimal("1e999"), CommandFileError);
}

}  // namespace
}  // namespace fm

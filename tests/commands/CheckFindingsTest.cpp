// fmerilon-check's errors for what the database refuses and its warnings for what the
// program accepts but prints otherwise than the file reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fuzz/Agreement.h"
#include "tools/fmerilon-check/FileCheck.h"

namespace fm::check {
namespace {

const std::string kName32 = "Kafa s mlijekom i secerom, 0.2 l";

std::vector<std::string> refusals(const std::string& bytes, bool letterCodes = false) {
    Postavke p;
    p.TARVOSLOVNESIFRE = letterCodes;
    return checkBytes("r.inp", bytes, p, 5).refusals;
}

std::vector<std::string> warnings(const std::string& bytes) {
    return checkBytes("r.inp", bytes, Postavke(), 5).warnings;
}

std::string warned(const std::string& bytes) {
    std::string all;
    for (const std::string& warning : warnings(bytes)) all += warning + "\n";
    return all;
}

std::string sale(const std::string& name, const std::string& code = "7") {
    return "S,P1,_,______,__;" + name + ";1;1;;1;2;;" + code + "\r\nT,P1,_,______,__;\r\n";
}

TEST(CheckFindings, TextsLongerThanTheirColumnsAreErrorsTrailingBlanksAreNot) {
    ASSERT_EQ(kName32.size(), 32u);
    EXPECT_TRUE(refusals(sale(kName32 + "   ")).empty());
    const std::vector<std::string> longName = refusals(sale(kName32 + "x"));
    ASSERT_EQ(longName.size(), 1u);
    EXPECT_EQ(longName[0],
              "linija 1: polje 5 (naziv artikla) ima 33 znakova, a F_RACUN.F_NAZIV_ROBE prima najvise 32: "
              "baza odbija upis");
    EXPECT_FALSE(checkBytes("r.inp", sale(kName32 + "x"), Postavke(), 5).passes());

    // A code looked up and, when not found, added as the article's bookkeeping code.
    EXPECT_TRUE(refusals(sale("Kafa", "ABCDEFGHIJKLMNOP"), true).empty());
    EXPECT_EQ(refusals(sale("Kafa", "ABCDEFGHIJKLMNOPQ"), true).size(), 1u);
    EXPECT_EQ(refusals(sale("Kafa", "1234567890123456789")).size(), 1u);
    EXPECT_TRUE(refusals(sale("Kafa", "   12345678901234")).empty());  // may be found as a bar code

    const std::string change =
        "U,P1,_,______,__;" + kName32 + "x;1;0;;1;2;7\r\nU,P1,_,______,__;Caj;1;0;;1;2;7\r\n";
    const std::vector<std::string> changes = refusals(change);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_NE(changes[0].find("F_ROBA.F_NAZIV_ROBE prima najvise 32"), std::string::npos) << changes[0];
    EXPECT_EQ(
        changes[1],
        "linija 2: artikl 7 je vec u ovoj nivelaciji: baza odbija drugi red F_NIVELACIJA za isti artikl");
}

TEST(CheckFindings, HeadersThatPrintNothingAreWarnings) {
    EXPECT_EQ(warned("s,P1,_,______,__;Kafa;1;1;;1;2;;7\r\n\r\n"),
              "linija 1: zaglavlje 's' je malo slovo, program poznaje samo 'S': program oznacava fajl OK, a "
              "nista se ne stampa\n");
    EXPECT_NE(warned("\r\nQ,P1,_,______,__;\r\n\r\n").find("linija 2: zaglavlje 'Q' nije komanda"),
              std::string::npos);
    EXPECT_NE(warned("V,P1,_,______,__;+Hvala\r\nZ,P1,_,______,__;\r\n\r\n").find("iza memo zapisa"),
              std::string::npos);
}

TEST(CheckFindings, PaymentsIgnoredPaidTwiceOrShortOfTheTotalAreWarnings) {
    const std::string item = "S,P1,_,______,__;Kafa;2.50;2;;1;2;;7\r\n";
    EXPECT_EQ(warnings(item + "T,P1,_,______,__;1;\r\nT,P1,_,______,__;\r\n"),
              std::vector<std::string>{"linija 2: placanje s jednim ili dva znaka iza statusa se preskace"});
    EXPECT_EQ(warnings(item + "T,P1,_,______,__;1;2\r\nT,P1,_,______,__;\r\n"),
              std::vector<std::string>{
                  "linija 3: placanje ukupnog iznosa iza ranijeg placanja placa 5.00 jos jednom"});
    EXPECT_EQ(warnings(item + "T,P1,_,______,__;1;4.99\r\n"),
              std::vector<std::string>{"placanja (4.99) ne pokrivaju iznos racuna (5.00)"});
    EXPECT_TRUE(warnings(item + "T,P1,_,______,__;1;3\r\nT,P1,_,______,__;2;2.00\r\n").empty());
    EXPECT_TRUE(warnings("S,P1,_,______,__;Kafa;2.50;-1;;1;2;;7\r\n\r\n").empty());  // a refund owes nothing
}

TEST(CheckFindings, TextsInUtf8AreWarningsSingleByteLettersAreNot) {
    const std::vector<std::string> utf8 = warnings(sale("Kola\xC4\x8D"));
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_EQ(utf8[0].rfind("linija 1: polje 5 (naziv artikla) je u UTF-8", 0), 0u) << utf8[0];
    EXPECT_TRUE(warnings(sale("Kola\xE8")).empty());
    EXPECT_TRUE(warnings(sale("\xC4\xC4")).empty());  // no UTF-8 sequence
}

TEST(CheckFindings, TheSamplesHaveNeitherErrorsNorWarnings) {
    for (const auto& entry : std::filesystem::directory_iterator(FMERILON_SOURCE_DIR "/samples")) {
        if (entry.path().extension() != ".inp") continue;
        const FileCheck check = checkBytes("r.inp", agreement::readAll(entry.path().string()), Postavke(), 5);
        EXPECT_TRUE(check.passes()) << entry.path();
        EXPECT_TRUE(check.warnings.empty()) << entry.path() << ": " << check.warnings.front();
    }
}

}  // namespace
}  // namespace fm::check

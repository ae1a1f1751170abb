#include <gtest/gtest.h>

#include <stdexcept>

#include "config/Settings.h"
#include "tests/support/SettingsFile.h"

namespace fm {
namespace {

class SettingsTest : public ::testing::Test {
  protected:
    Settings withFile(const std::string& bytes) { return file.write(bytes); }
    test::SettingsFile file;
};

TEST_F(SettingsTest, KeysIgnoreLetterCaseAndValuesKeepIt) {
    Settings settings = withFile("  tarvoracun = *.inp \r\nTarvoLocalDir=/var/Racuni/\r\n");
    EXPECT_EQ(settings.CitajPostavku("TARVORACUN", "*.inp"), "*.inp");
    EXPECT_EQ(settings.CitajPostavku("tarvolocaldir", "C:\\RACUNI"), "/var/Racuni/");
}

TEST_F(SettingsTest, DefaultsAreUpperCasedAndTrimmed) {
    Settings settings = withFile("OTHER=1\n");
    EXPECT_EQ(settings.CitajPostavku("TARVORACUN", "*.inp"), "*.INP");
    EXPECT_EQ(settings.CitajPostavku("TARVOLOGGRESKE", " c:\\log\\ "), "C:\\LOG\\");
}

TEST_F(SettingsTest, ValueMayHoldFurtherEqualsSigns) {
    Settings settings = withFile("TARVOLOCALDIR=/data/a=b/\n");
    EXPECT_EQ(settings.CitajPostavku("TARVOLOCALDIR", ""), "/data/a=b/");
}

TEST_F(SettingsTest, FirstLineOfAKeyWins) {
    Settings settings = withFile("K71B3=0\nk71b3=1\n");
    EXPECT_EQ(settings.CitajPostavku("K71B3", "1"), "0");
}

TEST_F(SettingsTest, LinesWithoutKeyOrValueAreIgnored) {
    Settings settings = withFile("RBRR=\n=5\nRBRR\n;RBRR=7\n[RBRR]=8\nRBRR= 9\n");
    EXPECT_EQ(settings.CitajPostavku("RBRR", "1"), "9");
    Settings empty = withFile("RBRR=\r\n");
    EXPECT_EQ(empty.CitajPostavku("RBRR", "1"), "1");
}

TEST_F(SettingsTest, MissingFileGivesDefaults) {
    Settings settings(file.path());
    EXPECT_EQ(settings.CitajPostavku("TARVOOBRISI_FAJL", "NE"), "NE");
}

TEST_F(SettingsTest, TableAnswersOnlyForKeysMissingFromTheFile) {
    Settings settings = withFile("TARVODBDRIVERAUTOMATICTIMER=3000\n");
    std::vector<std::string> asked;
    settings.setTableLookup([&](const std::string& key) -> std::optional<std::string> {
        asked.push_back(key);
        if (key == "TARVOREZERVNOVRIJEME") return std::string("250");
        return std::nullopt;
    });
    EXPECT_EQ(settings.CitajPostavku("TARVODBDRIVERAUTOMATICTIMER", "3000"), "3000");
    EXPECT_EQ(settings.CitajPostavku("tarvorezervnovrijeme", "0"), "250");
    EXPECT_EQ(settings.CitajPostavku("K71B3", "1"), "1");
    EXPECT_EQ(asked, (std::vector<std::string>{"TARVOREZERVNOVRIJEME", "K71B3"}));
}

TEST(WholeNumberTest, AcceptsSignedDecimalsOnly) {
    EXPECT_EQ(toWholeNumber("57"), 57);
    EXPECT_EQ(toWholeNumber("-3"), -3);
    EXPECT_EQ(toWholeNumber("+4"), 4);
    for (const char* bad : {"", "abc", "1.5", "12a", " 1", "99999999999", "-", "0x10"}) {
        EXPECT_THROW(toWholeNumber(bad), std::invalid_argument) << bad;
    }
}

}  // namespace
}  // namespace fm

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "config/ReceiptCounter.h"
#include "config/Settings.h"
#include "config/SetupMistakes.h"
#include "config/StartupSettings.h"
#include "platform/FileSystem.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

// A key read but missing from the list would be called unknown in every file that sets it.
TEST(SettingKeys, AreExactlyTheKeysTheStartUpReads) {
    test::TempDir dir;
    Settings settings(dir.file("MerilonSettings.ini"));  // no file: every key reaches the lookup
    std::set<std::string> asked;
    settings.setTableLookup([&](const std::string& key) {
        asked.insert(key);
        return std::nullopt;
    });
    test::RecordingUserInterface ui;
    ProcessState state;
    ASSERT_TRUE(readStartupSettings(settings, state.postavke, ui));
    ASSERT_TRUE(CitajBrojRacuna(settings, state, ui));
    EXPECT_EQ(asked, std::set<std::string>(settingKeys().begin(), settingKeys().end()));
}

TEST(SetupMistakes, UnknownKeysByLineNotCommentsNorKeysInOtherLetterCase) {
    const std::vector<std::string> mistakes = unknownKeyMistakes(
        "tarvolocaldir=/in/\r\nTARVOLOCALDIRR=/in/\r\n;TARVOX=1\r\n[FMerilon]\r\n# a=b\r\nbez znaka\r\n"
        "RBRR=\r\n F_BROJ_KAS = AB1234\r\n");
    ASSERT_EQ(mistakes.size(), 2u);
    EXPECT_EQ(mistakes[0],
              "Nepoznat kljuc u MerilonSettings.ini, linija 2: TARVOLOCALDIRR (program ga ne cita; "
              "provjerite naziv)");
    EXPECT_NE(mistakes[1].find("linija 8: F_BROJ_KAS "), std::string::npos) << mistakes[1];
}

TEST(SetupMistakes, DirectoriesThatLeaveTheErrorFileOrTheRepliesUnwritten) {
    test::TempDir dir;
    EXPECT_EQ(errorDirectoryMistake(""), "");
    EXPECT_EQ(errorDirectoryMistake(dir.path()), "");
    EXPECT_EQ(errorDirectoryMistake(" " + dir.file("log") + " "),
              "TARVOLOGGRESKE=" + dir.file("log") + " nema zavrsni separator direktorija (" +
                  files::pathSeparator() + "): Tarvo.err se ne upisuje");
    EXPECT_EQ(errorDirectoryMistake(dir.file("nema/")),
              "Direktorij " + dir.file("nema/") + " (TARVOLOGGRESKE) ne postoji: Tarvo.err se ne upisuje");
    EXPECT_NE(inputDirectoryMistake(dir.file("ulaz")).find("(TARVOLOCALDIR) ne postoji"), std::string::npos);
    EXPECT_EQ(inputDirectoryMistake(dir.path()), "");

    Postavke replies;
    replies.TARVOODGOVORDIR = dir.file("odgovori");
    EXPECT_EQ(replyDirectoryMistake(replies), "");  // replies off
    replies.TARVOODGOVOR = true;
    EXPECT_NE(replyDirectoryMistake(replies).find("(TARVOODGOVORDIR) ne postoji"), std::string::npos);
    std::filesystem::create_directory(dir.file("odgovori"));
    EXPECT_EQ(replyDirectoryMistake(replies), "");
}

}  // namespace
}  // namespace fm

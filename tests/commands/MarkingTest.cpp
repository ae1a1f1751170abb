#include <gtest/gtest.h>

#include <filesystem>

#include "commands/CommandFile.h"
#include "commands/Marking.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

using test::failureOf;

// Marks the file from its bytes as read now, as a job does after its wait.
Result<void> markAsRead(const std::string& path, int outcome, int brojacObrade) {
    const files::FileContent read = readCommandBytes(path);
    return OznaciFajl(path, read.identity, read.bytes, outcome, brojacObrade, "AB1234");
}

TEST(OznaciFajlTest, MarksTheWorkedExampleByteForByte) {
    test::TempDir dir;
    dir.write("r.inp",
              "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\n"
              "  S,P1,_,______,__;Hljeb;0.90;-1;;1;2;;1002\n"
              "T,P1,_,______,__;");
    ASSERT_EQ(failureOf(markAsRead(dir.file("r.inp"), 0, 3)), "");
    EXPECT_EQ(dir.read("r.inp"),
              "S,P1,3,AB1234,OK;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
              "S,P1,3,AB1234,OK;Hljeb;0.90;-1;;1;2;;1002\r\n"
              "T,P1,3,AB1234,OK;\r\n");
}

TEST(OznaciFajlTest, KeepsBlankLinesAndOtherFieldTextAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    dir.write("z.inp", "Z,_P,_x,__,__;\r\n\r\n");
    ASSERT_TRUE(markAsRead(dir.file("z.inp"), -2, 0));
    EXPECT_EQ(dir.read("z.inp"), "Z,_P,_x,__,No;\r\n\r\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(MarkedLine, StatusByOutcome) {
    const std::string line = "O,P1,_,______,__;1001";
    EXPECT_EQ(markedLine(line, 0, 9, "XY0001"), "O,P1,9,XY0001,OK;1001");
    EXPECT_EQ(markedLine(line, -2, 9, "XY0001"), "O,P1,9,XY0001,No;1001");
    for (int outcome : {-1, -3, -4, -5, -255})
        EXPECT_EQ(markedLine(line, outcome, 9, "XY0001"), "O,P1,9,XY0001,Er;1001");
}

// A waiting status the ",__;" pattern misses is still replaced, so that the
// file is not taken up again and printed twice.
TEST(MarkedLine, AWaitingStatusWithoutItsSemicolonOrWithBlanksIsMarkedToo) {
    EXPECT_EQ(markedLine("Z,P1,_,______,__", 0, 1, "AB1234"), "Z,P1,1,AB1234,OK");
    EXPECT_EQ(markedLine("S,P1,_,______, __ ;Hljeb", -3, 1, "AB1234"), "S,P1,1,AB1234,Er;Hljeb");
    EXPECT_EQ(markedLine("X,P1,_,______,OK;", -3, 1, "AB1234"), "X,P1,1,AB1234,OK;");
}

TEST(OznaciFajlTest, AFileWithoutRecordsIsNotRewritten) {
    test::TempDir dir;
    dir.write("e.inp", "\n\n");
    EXPECT_EQ(failureOf(markAsRead(dir.file("e.inp"), -255, 1)),
              "u fajlu nema nijednog zapisa koji bi se oznacio");
    EXPECT_EQ(dir.read("e.inp"), "\n\n");
}

TEST(OznaciFajlTest, AMissingFileIsReported) {
    test::TempDir dir;
    EXPECT_EQ(failureOf(markAsRead(dir.file("gone.inp"), 0, 1)), "fajl vise ne postoji");
}

// A file over a limit is never rewritten: its header's waiting status is written in place.
TEST(OznaciFajlTest, AFileOverALimitGetsItsStatusWhereItStands) {
    test::TempDir dir;
    const std::string lines(kCommandLinesLimit + 1, '\n');
    dir.write("lines.inp", "\xEF\xBB\xBF\r\n\n  V,P1,_,______, __ ;+memo\r\n" + lines);
    ASSERT_EQ(failureOf(markAsRead(dir.file("lines.inp"), -3, 1)), "");
    EXPECT_EQ(dir.read("lines.inp"), "\xEF\xBB\xBF\r\n\n  V,P1,_,______, Er ;+memo\r\n" + lines);

    const std::string big = "Z,P1,_,______,__;\r\n" + std::string(kCommandFileLimit, '\n');
    dir.write("big.inp", big);
    ASSERT_EQ(failureOf(markAsRead(dir.file("big.inp"), 0, 1)), "");
    EXPECT_EQ(dir.read("big.inp"), "Z,P1,_,______,OK;\r\n" + big.substr(19));

    dir.write("none.inp", lines);
    EXPECT_EQ(failureOf(markAsRead(dir.file("none.inp"), 0, 1)),
              "u pocetku fajla nema zaglavlja sa statusom koji bi se oznacio");
}

// Whatever stands at the entry after the read, unless it is the same file unchanged, is
// left as it is: the file changed in place, another file renamed over it, a link.
TEST(OznaciFajlTest, OnlyTheFileReadIsMarkedFromItsBytes) {
    test::TempDir dir;
    const std::string waiting = "Z,P1,_,______,__;\r\n\r\n";
    const std::string path = dir.file("z.inp");
    const auto readNow = [&] {
        dir.write("z.inp", waiting);
        return files::readFileOnce(path, kCommandFileLimit);
    };

    files::FileContent read = readNow();
    dir.write("z.inp", waiting + "Z,P1,_,______,__;\r\n");
    EXPECT_EQ(failureOf(OznaciFajl(path, read.identity, read.bytes, 0, 1, "AB1234")),
              "fajl je u medjuvremenu izmijenjen ili zamijenjen drugim");
    EXPECT_EQ(dir.read("z.inp"), waiting + "Z,P1,_,______,__;\r\n");

    read = readNow();
    dir.write("other.inp", waiting);
    std::filesystem::rename(dir.file("other.inp"), path);
    EXPECT_FALSE(OznaciFajl(path, read.identity, read.bytes, 0, 1, "AB1234"));
    EXPECT_EQ(dir.read("z.inp"), waiting);

    read = readNow();
    std::filesystem::rename(path, dir.file("moved.inp"));
    // Links need a privilege on Windows.
#ifndef _WIN32
    std::filesystem::create_symlink(dir.file("moved.inp"), path);  // the very file, through a link
    EXPECT_FALSE(OznaciFajl(path, read.identity, read.bytes, 0, 1, "AB1234"));
    EXPECT_EQ(dir.read("moved.inp"), waiting);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    std::filesystem::remove(path);
#endif

    // Unchanged and back in place: marked.
    std::filesystem::rename(dir.file("moved.inp"), path);
    EXPECT_EQ(failureOf(OznaciFajl(path, read.identity, read.bytes, 0, 1, "AB1234")), "");
    EXPECT_EQ(dir.read("z.inp"), "Z,P1,1,AB1234,OK;\r\n\r\n");
}

TEST(ErrorFile, WrittenInTheConfiguredDirectoryWithALineBreak) {
    test::TempDir dir;
    const std::string setting = "  " + dir.path() + " ";
    EXPECT_EQ(errorFilePath(setting), dir.file("Tarvo.err"));
    ASSERT_TRUE(UpisiGresku(setting, "Proces nije izvrsen!\r\nX"));
    EXPECT_EQ(dir.read("Tarvo.err"), "Proces nije izvrsen!\r\nX\r\n");
    ASSERT_TRUE(UpisiGresku(setting, "Drugi"));
    EXPECT_EQ(dir.read("Tarvo.err"), "Drugi\r\n");
}

TEST(ErrorFile, NothingForAnEmptyMessageSettingOrMissingDirectory) {
    test::TempDir dir;
    EXPECT_TRUE(UpisiGresku(dir.path(), ""));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Tarvo.err")));
    EXPECT_EQ(errorFilePath(""), "");
    EXPECT_TRUE(UpisiGresku("", "poruka"));
    EXPECT_TRUE(UpisiGresku(dir.file("nema/"), "poruka"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("nema")));
}

}  // namespace
}  // namespace fm

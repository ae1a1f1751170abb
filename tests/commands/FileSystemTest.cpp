#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace fm {
namespace {

std::vector<std::string> names(const std::vector<files::DirectoryEntry>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries) result.push_back(entry.name + (entry.isDirectory ? "/" : ""));
    std::sort(result.begin(), result.end());
    return result;
}

TEST(FindEntries, MatchesTheMaskWithoutLetterCaseAndFlagsDirectories) {
    test::TempDir dir;
    dir.write("a.inp", "");
    dir.write("B.INP", "");
    dir.write("c.inpx", "");
    dir.write(".hidden.inp", "");
    dir.write("d.txt", "");
    std::filesystem::create_directory(dir.file("sub.inp"));
    EXPECT_EQ(names(files::findEntries(dir.path() + "*.INP")),
              (std::vector<std::string>{".hidden.inp", "B.INP", "a.inp", "sub.inp/"}));
    EXPECT_EQ(names(files::findEntries(dir.path() + "?.inp")), (std::vector<std::string>{"B.INP", "a.inp"}));
    EXPECT_TRUE(files::findEntries(dir.file("missing/") + "*.inp").empty());
}

TEST(WriteFileAtomically, ReplacesTheWholeFileAndLeavesNothingElse) {
    test::TempDir dir;
    dir.write("f.ini", "old and longer content");
    std::string error;
    ASSERT_TRUE(files::writeFileAtomically(dir.file("f.ini"), "new\r\n", &error)) << error;
    EXPECT_EQ(dir.read("f.ini"), "new\r\n");
    EXPECT_EQ(names(files::findEntries(dir.path() + "*")), std::vector<std::string>{"f.ini"});
}

TEST(WriteFileAtomically, FailsWithAMessageInAMissingDirectory) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(files::writeFileAtomically(dir.file("none/f.ini"), "x", &error));
    EXPECT_NE(error.find("none/f.ini"), std::string::npos);
}

TEST(FileServices, ExistenceReadingAndRemoval) {
    test::TempDir dir;
    dir.write("f", std::string("a\0b", 3));
    EXPECT_TRUE(files::fileExists(dir.file("f")));
    EXPECT_FALSE(files::fileExists(dir.path()));
    EXPECT_TRUE(files::directoryExists(dir.path()));
    EXPECT_EQ(files::readWholeFile(dir.file("f"), nullptr), std::string("a\0b", 3));
    std::string error;
    EXPECT_TRUE(files::removeFile(dir.file("f"), &error));
    EXPECT_FALSE(files::readWholeFile(dir.file("f"), &error));
    EXPECT_FALSE(files::removeFile(dir.file("f"), &error));
}

TEST(FileServices, ExecutableDirectoryHoldsTheRunningProgram) {
    const std::string directory = files::executableDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_TRUE(files::isPathSeparator(directory.back()));
    EXPECT_TRUE(files::fileExists(directory + "commandfile_tests"));
}

}  // namespace
}  // namespace fm

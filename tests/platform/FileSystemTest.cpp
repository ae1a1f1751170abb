#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "platform/FileSystem.h"
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

TEST(FindEntries, GiveSizeAndModificationTimeAsTheEntryOfOnePathDoes) {
    test::TempDir dir;
    dir.write("a.inp", "12345");
    using namespace std::chrono;
    const auto time = floor<milliseconds>(system_clock::now() - hours(30)) + microseconds(700);
    std::filesystem::last_write_time(dir.file("a.inp"), file_clock::from_sys(time));
    std::filesystem::create_symlink(dir.file("a.inp"), dir.file("link.inp"));
    std::filesystem::create_symlink(dir.file("none"), dir.file("dangling.inp"));

    const std::vector<files::DirectoryEntry> entries = files::findEntries(dir.path() + "*.inp");
    ASSERT_EQ(names(entries), (std::vector<std::string>{"a.inp", "link.inp"}));
    for (const files::DirectoryEntry& entry : entries) {
        const std::optional<files::DirectoryEntry> one = files::entryOf(dir.file(entry.name));
        ASSERT_TRUE(one);
        EXPECT_EQ(one->name, entry.name);
        EXPECT_EQ(entry.size, 5u);
        EXPECT_EQ(one->modifiedMs, entry.modifiedMs);
        EXPECT_EQ(milliseconds(entry.modifiedMs), floor<milliseconds>(time).time_since_epoch());
    }
    EXPECT_FALSE(files::entryOf(dir.file("dangling.inp")));
    EXPECT_TRUE(files::entryOf(dir.path())->isDirectory);
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

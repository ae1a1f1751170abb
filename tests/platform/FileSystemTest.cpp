#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/FileSystem.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

using test::failureOf;

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

#ifndef _WIN32  // links need a privilege on Windows
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
#endif

TEST(WriteFileAtomically, ReplacesTheWholeFileAndLeavesNothingElse) {
    test::TempDir dir;
    dir.write("f.ini", "old and longer content");
    ASSERT_EQ(failureOf(files::writeFileAtomically(dir.file("f.ini"), "new\r\n")), "");
    EXPECT_EQ(dir.read("f.ini"), "new\r\n");
    EXPECT_EQ(names(files::findEntries(dir.path() + "*")), std::vector<std::string>{"f.ini"});
}

TEST(WriteFileAtomically, FailsWithAMessageInAMissingDirectory) {
    test::TempDir dir;
    std::string error;
    EXPECT_NE(error = failureOf(files::writeFileAtomically(dir.file("none/f.ini"), "x")), "");
    EXPECT_NE(error.find("none/f.ini"), std::string::npos);
}

TEST(WriteFileAtomically, LeavesNoTemporaryFileWhenTheRenameFails) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("taken.inp"));
    std::string error;
    EXPECT_NE(error = failureOf(files::writeFileAtomically(dir.file("taken.inp"), "x")), "");
    EXPECT_EQ(error.rfind("Ne moze se upisati fajl " + dir.file("taken.inp") + ": ", 0), 0u) << error;
    EXPECT_EQ(names(files::findEntries(dir.path() + "*")), std::vector<std::string>{"taken.inp/"});
}

#ifndef _WIN32
TEST(WriteFileAtomically, ReplacesALinkAndLeavesItsTargetAlone) {
    test::TempDir dir;
    dir.write("target", "kept");
    std::filesystem::create_symlink(dir.file("target"), dir.file("Tarvo.err"));
    std::filesystem::create_symlink(dir.file("nowhere"), dir.file("dangling.ini"));
    ASSERT_EQ(failureOf(files::writeFileAtomically(dir.file("Tarvo.err"), "message\r\n")), "");
    ASSERT_EQ(failureOf(files::writeFileAtomically(dir.file("dangling.ini"), "RBRR=5\r\n")), "");

    EXPECT_EQ(dir.read("target"), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.file("nowhere")));
    for (const char* name : {"Tarvo.err", "dangling.ini"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.file(name))))
            << name;
    }
    EXPECT_EQ(dir.read("Tarvo.err"), "message\r\n");
    EXPECT_EQ(names(files::findEntries(dir.path() + "*")),
              (std::vector<std::string>{"Tarvo.err", "dangling.ini", "target"}));
}

TEST(WriteFileAtomically, KeepsThePermissionBitsThatTheUmaskWouldTake) {
    test::TempDir dir;
    const mode_t umask = ::umask(022);
    for (const mode_t bits : {mode_t(0600), mode_t(0666), mode_t(0751)}) {
        dir.write("f.ini", "old");
        ASSERT_EQ(::chmod(dir.file("f.ini").c_str(), bits), 0);
        ASSERT_TRUE(files::writeFileAtomically(dir.file("f.ini"), "new"));
        struct stat status;
        ASSERT_EQ(::stat(dir.file("f.ini").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, bits);
    }
    ASSERT_TRUE(files::writeFileAtomically(dir.file("new.ini"), "new"));
    struct stat status;
    ASSERT_EQ(::stat(dir.file("new.ini").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    ::umask(umask);
}

// A name that is no UTF-8 is the same entry from the listing to the removal, and a
// name that would decode alike is never taken for it.
TEST(FileServices, ANameThatIsNoUtf8TravelsAsItsBytes) {
    test::TempDir dir;
    const std::string name = "ra\xe8un-\xff.inp";
    dir.write(name, "S;old");
    dir.write("ra\xef\xbf\xbdun-\xef\xbf\xbd.inp", "other");  // U+FFFD in place of each byte
    std::vector<files::DirectoryEntry> listed = files::findEntries(dir.path() + "ra?un-?.inp");
    ASSERT_EQ(listed.size(), 1u);
    ASSERT_EQ(listed[0].name, name);
    const std::string path = dir.path() + listed[0].name;
    EXPECT_EQ(files::entryOf(path)->size, 5u);
    EXPECT_EQ(files::readWholeFile(path).value_or(""), "S;old");
    ASSERT_TRUE(files::writeFileAtomically(path, "S;new"));
    EXPECT_EQ(dir.read(name), "S;new");
    ASSERT_TRUE(files::removeFile(path));
    EXPECT_FALSE(files::fileExists(path));
    EXPECT_EQ(dir.read("ra\xef\xbf\xbdun-\xef\xbf\xbd.inp"), "other");
}
#endif

TEST(FileServices, ExistenceReadingAndRemoval) {
    test::TempDir dir;
    dir.write("f", std::string("a\0b", 3));
    EXPECT_TRUE(files::fileExists(dir.file("f")));
    EXPECT_FALSE(files::fileExists(dir.path()));
    EXPECT_TRUE(files::directoryExists(dir.path()));
    EXPECT_EQ(files::readWholeFile(dir.file("f")).value_or(""), std::string("a\0b", 3));
    EXPECT_TRUE(files::removeFile(dir.file("f")));
    EXPECT_FALSE(files::readWholeFile(dir.file("f")));
    EXPECT_FALSE(files::removeFile(dir.file("f")));
}

TEST(FileServices, ExecutableDirectoryHoldsTheRunningProgram) {
    const std::string directory = files::executableDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_TRUE(files::isPathSeparator(directory.back()));
#ifdef _WIN32
    EXPECT_TRUE(files::fileExists(directory + "commandfile_tests.exe"));
#else
    EXPECT_TRUE(files::fileExists(directory + "commandfile_tests"));
#endif
}

}  // namespace
}  // namespace fm

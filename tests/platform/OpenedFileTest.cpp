// Opening a file once: what is refused unopened, the limit, and an identity that an older
// job record (std::filesystem's size and time) still recognises.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "platform/OpenedFile.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

using test::failureOf;

using Result = files::FileContent::Result;

TEST(ReadFileOnce, ReadsARegularFileUpToItsLimitAndRefusesTheRestUnopened) {
    test::TempDir dir;
    dir.write("f", std::string("12345\0", 6));
    const files::FileContent read = files::readFileOnce(dir.file("f"), 6);
    EXPECT_EQ(read.result, Result::Read);
    EXPECT_EQ(read.bytes, std::string("12345\0", 6));
    EXPECT_TRUE(files::entryIs(dir.file("f"), read.identity));
    const files::FileContent over = files::readFileOnce(dir.file("f"), 5);
    EXPECT_EQ(over.result, Result::OverLimit);
    EXPECT_TRUE(over.bytes.empty());
    EXPECT_TRUE(sameFile(over.identity, read.identity));
    EXPECT_EQ(files::readFileOnce(dir.file("f"), 5, 3).bytes, "123");  // its head, when asked for

    // FIFOs, and links that need no special rights: not on Windows.
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0666), 0);  // no writer: opening it would wait
    EXPECT_EQ(files::readFileOnce(dir.file("fifo"), 6).result, Result::NotRegular);
    std::filesystem::create_symlink(dir.file("f"), dir.file("link"));
    EXPECT_EQ(files::readFileOnce(dir.file("link"), 6).result, Result::Link);
    EXPECT_EQ(files::entryAt(dir.file("link")).kind, files::EntryKind::Link);
    EXPECT_FALSE(files::entryIs(dir.file("link"), read.identity));
#endif
    EXPECT_EQ(files::readFileOnce(dir.file("gone"), 6).result, Result::Missing);
    EXPECT_EQ(files::readFileOnce(dir.path(), 6).result, Result::Missing);
#ifndef _WIN32
    if (::geteuid() != 0) {
        std::filesystem::permissions(dir.file("f"), std::filesystem::perms::none);
        const files::FileContent locked = files::readFileOnce(dir.file("f"), 6);
        EXPECT_EQ(locked.result, Result::Failed);
        EXPECT_EQ(locked.error.rfind("Ne moze se otvoriti fajl " + dir.file("f") + ": ", 0), 0u);
    }
#endif
}

TEST(OverwriteInPlace, WritesOnlyInsideTheFileOfThatIdentity) {
    test::TempDir dir;
    dir.write("f", "ab__cd");
    const FileIdentity f = files::entryAt(dir.file("f")).identity;
    std::string error;
    ASSERT_EQ(failureOf(files::overwriteInPlace(dir.file("f"), f, 2, "OK")), "");
    EXPECT_EQ(dir.read("f"), "abOKcd");
    const FileIdentity marked = files::entryAt(dir.file("f")).identity;
    EXPECT_FALSE(files::overwriteInPlace(dir.file("f"), marked, 5, "Er"));  // past its end
    EXPECT_EQ(dir.read("f"), "abOKcd");

    dir.write("g", "ab__cd");
    std::filesystem::rename(dir.file("g"), dir.file("f"));
    EXPECT_NE(error = failureOf(files::overwriteInPlace(dir.file("f"), marked, 2, "Er")), "");
    EXPECT_EQ(error, "Ne moze se upisati u fajl " + dir.file("f") +
                         ": fajl je u medjuvremenu izmijenjen ili zamijenjen drugim");
    EXPECT_EQ(dir.read("f"), "ab__cd");
}

TEST(ReadFileOnce, SizeAndTimeAreThoseOfStdFilesystem) {
    test::TempDir dir;
    dir.write("f", "abc");
    const files::Entry entry = files::entryAt(dir.file("f"));
    ASSERT_EQ(entry.kind, files::EntryKind::Regular);
    EXPECT_EQ(entry.identity.size, std::filesystem::file_size(dir.file("f")));
#ifndef __MINGW32__  // mingw's std::filesystem keeps whole seconds only
    EXPECT_EQ(entry.identity.modified,
              std::filesystem::last_write_time(dir.file("f")).time_since_epoch().count());
#endif
    FileIdentity recordedByAnOlderVersion{0, 0, entry.identity.size, entry.identity.modified};
    EXPECT_TRUE(sameFile(recordedByAnOlderVersion, entry.identity));
    FileIdentity anotherInode = entry.identity;
    ++anotherInode.inode;
    EXPECT_FALSE(sameFile(anotherInode, entry.identity));
}

}  // namespace
}  // namespace fm

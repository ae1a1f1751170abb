// Where the copies of one user meet without a private runtime directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "platform/desktop/SingleInstance.h"
#include "tests/support/TempDir.h"

namespace fm::desktop {
namespace {

namespace fs = std::filesystem;

void putBack(const char* name, const QByteArray& value) {
    value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
}

// XDG_RUNTIME_DIR unset and TMPDIR a directory of the test's own while it runs.
class MeetingDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp.path()));
    }
    void TearDown() override {
        putBack("XDG_RUNTIME_DIR", runtime_);
        putBack("TMPDIR", temporary_);
    }
    std::string fallback() const { return tmp.file("fmerilon-" + std::to_string(::geteuid())); }

    test::TempDir tmp;

  private:
    const QByteArray runtime_ = qgetenv("XDG_RUNTIME_DIR"), temporary_ = qgetenv("TMPDIR");
};

TEST_F(MeetingDirectory, WithoutAPrivateRuntimeDirectoryItIsAPrivateOneOfItsOwn) {
    EXPECT_EQ(meetingDirectory().toStdString(), fallback());
    struct stat status {};
    ASSERT_EQ(::lstat(fallback().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(meetingDirectory().toStdString(), fallback());  // found again

    test::TempDir runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all, fs::perm_options::replace);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    EXPECT_EQ(meetingDirectory().toStdString(), runtime.path());
    fs::permissions(runtime.path(), fs::perms::group_read | fs::perms::group_exec, fs::perm_options::add);
    EXPECT_EQ(meetingDirectory().toStdString(), fallback());  // others may read it: not used
}

TEST_F(MeetingDirectory, AFallbackThatIsNotThisUsersPrivateDirectoryIsRefused) {
    fs::create_directory(fallback());
    fs::permissions(fallback(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    EXPECT_THROW(meetingDirectory(), std::runtime_error);

    fs::remove(fallback());
    test::TempDir elsewhere;
    fs::permissions(elsewhere.path(), fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory_symlink(elsewhere.path(), fallback());
    EXPECT_THROW(meetingDirectory(), std::runtime_error);

    if (::geteuid() != 0) return;  // only root can give a directory away
    fs::remove(fallback());
    ASSERT_TRUE(meetingDirectory().endsWith(QString::number(::geteuid())));
    ASSERT_EQ(::chown(fallback().c_str(), 65534, 65534), 0);
    EXPECT_THROW(meetingDirectory(), std::runtime_error);
}

// Copies of one program directory keep to one through the lock beside them.
TEST(LockBeside, TheFirstTakesItTheNextDoNotAndWhereNoneCanBeTakenItIsAnError) {
    test::TempDir dir;
    SingleInstance first, second;
    EXPECT_TRUE(first.acquireBeside(dir.path()));
    EXPECT_FALSE(second.acquireBeside(dir.path()));
    EXPECT_THROW(second.acquireBeside(dir.file("missing/")), std::runtime_error);
}

}  // namespace
}  // namespace fm::desktop

// Where the copies of one user meet when there is no private runtime directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/desktop/SingleInstance.h"
#include "tests/support/TempDir.h"

namespace fm::desktop {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the test's time.
class EnvironmentVariable {
  public:
    EnvironmentVariable(const char* name, const std::optional<std::string>& value)
        : name_(name),
          before_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        set(value ? std::optional(QByteArray::fromStdString(*value)) : std::nullopt);
    }
    ~EnvironmentVariable() { set(before_); }
    void set(const std::optional<QByteArray>& value) const {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<QByteArray> before_;
};

class MeetingDirectory : public ::testing::Test {
  protected:
    std::string fallback() const { return tmp.file("fmerilon-" + std::to_string(::geteuid())); }

    test::TempDir tmp;
    EnvironmentVariable runtimeDirectory{"XDG_RUNTIME_DIR", std::nullopt};
    EnvironmentVariable temporaryDirectory{"TMPDIR", tmp.path()};
};

TEST_F(MeetingDirectory, WithoutAPrivateRuntimeDirectoryItIsAPrivateOneOfItsOwn) {
    EXPECT_EQ(meetingDirectory().toStdString(), fallback());
    struct stat status {};
    ASSERT_EQ(::lstat(fallback().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(status.st_uid, ::geteuid());
    EXPECT_EQ(meetingDirectory().toStdString(), fallback());  // found again

    test::TempDir runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all, fs::perm_options::replace);
    runtimeDirectory.set(QByteArray::fromStdString(runtime.path()));
    EXPECT_EQ(meetingDirectory().toStdString(), runtime.path());
    fs::permissions(runtime.path(), fs::perms::group_read | fs::perms::group_exec, fs::perm_options::add);
    EXPECT_EQ(meetingDirectory().toStdString(), fallback());  // one that others can read is not used
}

TEST_F(MeetingDirectory, AFallbackThatIsNotThisUsersPrivateDirectoryIsRefused) {
    fs::create_directory(fallback());
    fs::permissions(fallback(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);
    EXPECT_THROW(meetingDirectory(), std::runtime_error);

    fs::remove(fallback());
    test::TempDir elsewhere;
    fs::permissions(elsewhere.path(), fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory_symlink(elsewhere.path(), fallback());
    EXPECT_THROW(meetingDirectory(), std::runtime_error);

    if (::geteuid() != 0) return;  // only root can give a directory away
    fs::remove(fallback());
    fs::create_directory(fallback());
    fs::permissions(fallback(), fs::perms::owner_all, fs::perm_options::replace);
    ASSERT_EQ(::chown(fallback().c_str(), 65534, 65534), 0);
    EXPECT_THROW(meetingDirectory(), std::runtime_error);
}

}  // namespace
}  // namespace fm::desktop

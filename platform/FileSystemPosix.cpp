#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/FileSystemPrivate.h"

namespace fm::files {

namespace {

std::string systemError(int code) { return std::strerror(code); }

// A directory's entry by the status its name leads to (links followed); nullopt when
// it is gone.
std::optional<DirectoryEntry> entryAt(int directory, const char* path, std::string name) {
    struct stat status;
    if (::fstatat(directory, path, &status, 0) != 0) return std::nullopt;
    return DirectoryEntry{std::move(name), S_ISDIR(status.st_mode), std::uint64_t(status.st_size),
                          std::int64_t(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000};
}

// The permission bits of the regular file that a replacement takes over; in place of
// anything else (nothing, a link) it is created as any new file.
std::optional<mode_t> permissionsOf(const std::string& path) {
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) return status.st_mode & 0777;
    return std::nullopt;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        done += std::size_t(written);
    }
    return true;
}

// A rename is durable only once the directory that holds the entry is synced.
bool syncDirectoryOf(const std::string& path) {
    const std::size_t start = nameStart(path);
    const std::string directory = start == 0 ? "." : path.substr(0, start);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

std::string executableDirectory() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0) return "./";
    const std::string program(buffer, std::size_t(length));
    return withClosingSeparator(program.substr(0, nameStart(program)));
}

bool fileExists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat status;
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<DirectoryEntry> entryOf(const std::string& path) {
    return entryAt(AT_FDCWD, path.c_str(), path.substr(nameStart(path)));
}

Result<std::string> readWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return unexpected("Ne moze se otvoriti fajl " + path + ": " + systemError(errno));
    std::string bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        bytes.append(buffer, std::size_t(got));
    }
    const int readError = errno;
    ::close(fd);
    if (got < 0) return unexpected("Ne moze se procitati fajl " + path + ": " + systemError(readError));
    return bytes;
}

Result<void> writeFileAtomically(const std::string& path, const std::string& bytes) {
    const std::optional<mode_t> permissions = permissionsOf(path);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = path + temporarySuffix();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    permissions.value_or(0666));
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return unexpected("Ne moze se upisati fajl " + path + ": " + systemError(errno));
    // The umask may have taken bits the old file had; a failure leaves fewer, never more.
    if (permissions) (void)::fchmod(fd, *permissions);
    bool done = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int failure = errno;
    done = ::close(fd) == 0 && done;
    if (done && ::rename(temporary.c_str(), path.c_str()) != 0) {
        done = false;
        failure = errno;
    }
    if (!done) {
        ::unlink(temporary.c_str());
        return unexpected("Ne moze se upisati fajl " + path + ": " + systemError(failure));
    }
    if (!syncDirectoryOf(path)) return unexpected("Ne moze se sinhronizovati direktorij fajla " + path);
    return {};
}

Result<void> removeFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return {};
    return unexpected("Ne moze se obrisati fajl " + path + ": " + systemError(errno));
}

Result<void> renameEntry(const std::string& from, const std::string& to) {
    int result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {  // a file system without it
        struct stat status;
        if (::lstat(to.c_str(), &status) == 0)
            errno = EEXIST;
        else
            result = ::rename(from.c_str(), to.c_str());
    }
    if (result == 0) {
        syncDirectoryOf(to);
        return {};
    }
    return unexpected("Ne moze se premjestiti fajl " + from + " u " + to + ": " + systemError(errno));
}

std::vector<DirectoryEntry> findEntries(const std::string& pattern) {
    const std::size_t split = nameStart(pattern);
    const std::string directory = pattern.substr(0, split);
    const std::string mask = pattern.substr(split);
    std::vector<DirectoryEntry> entries;
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return entries;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !matchesMask(name, mask)) continue;
        if (std::optional<DirectoryEntry> found = entryAt(::dirfd(dir), entry->d_name, std::move(name))) {
            entries.push_back(std::move(*found));
        }
    }
    ::closedir(dir);
    return entries;
}

bool isPathSeparator(char c) { return c == '/'; }

char pathSeparator() { return '/'; }

}  // namespace fm::files

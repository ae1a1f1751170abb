#include "platform/OpenedFile.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace fm {

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    const bool bothKnown = (a.device != 0 || a.inode != 0) && (b.device != 0 || b.inode != 0);
    return a.size == b.size && a.modified == b.modified &&
           (!bothKnown || (a.device == b.device && a.inode == b.inode));
}

}  // namespace fm

namespace fm::files {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

// The file clock's ticks of a time since the Unix epoch, as std::filesystem gives them.
std::int64_t fileClockTicks(std::chrono::nanoseconds sinceUnixEpoch) {
    using namespace std::chrono;
    const auto fileTime = file_clock::from_sys(sys_time<nanoseconds>(sinceUnixEpoch));
    return std::int64_t(
        time_point_cast<std::filesystem::file_time_type::duration>(fileTime).time_since_epoch().count());
}

#ifdef _WIN32

std::wstring widePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), wide.data(), length);
    return wide;
}

std::string lastErrorText() { return "greska " + std::to_string(GetLastError()); }

// The entry itself (FILE_FLAG_OPEN_REPARSE_POINT: a link is opened, not followed).
HANDLE openEntry(const std::string& path, DWORD access, DWORD flags) {
    return CreateFileW(widePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
}

// What the handle leads to; nullopt when the system cannot tell.
std::optional<Entry> entryOfHandle(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return Entry{EntryKind::Special, {}};
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Entry{EntryKind::Link, {}};
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Entry{EntryKind::Missing, {}};
    constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;  // FILETIME counts from 1601
    const std::int64_t written = std::int64_t((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                              info.ftLastWriteTime.dwLowDateTime);
    Entry entry{EntryKind::Regular, {}};
    entry.identity.device = info.dwVolumeSerialNumber;
    entry.identity.inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    entry.identity.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    entry.identity.modified = fileClockTicks(std::chrono::nanoseconds((written - kUnixEpochIn100ns) * 100));
    return entry;
}

// An opened command file, closed at the end of its scope.
class Opened {
  public:
    explicit Opened(const std::string& path, bool forWriting = false)
        : handle_(openEntry(path, forWriting ? GENERIC_WRITE : GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN)),
          error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {}
    ~Opened() {
        if (isOpen()) CloseHandle(handle_);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool missing() const { return error_ == ERROR_FILE_NOT_FOUND || error_ == ERROR_PATH_NOT_FOUND; }
    bool isLink() const { return false; }  // a link opens as itself: entry() tells
    std::string errorText() const { return "greska " + std::to_string(error_); }
    std::optional<Entry> entry() const { return entryOfHandle(handle_); }

    // Bytes read, 0 at the end, -1 on failure.
    long long read(char* buffer, std::size_t size) const {
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, DWORD(std::min<std::size_t>(size, kReadChunk)), &got, nullptr))
            return -1;
        return got;
    }

    // All the bytes written at the offset.
    bool writeAt(std::uint64_t offset, std::string_view bytes) const {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD written = 0;
        return WriteFile(handle_, bytes.data(), DWORD(bytes.size()), &written, &at) &&
               written == bytes.size();
    }

  private:
    HANDLE handle_;
    DWORD error_;
};

#else

std::string lastErrorText() { return std::strerror(errno); }

Entry entryOfStatus(const struct stat& status) {
    if (S_ISLNK(status.st_mode)) return {EntryKind::Link, {}};
    if (S_ISDIR(status.st_mode)) return {EntryKind::Missing, {}};
    if (!S_ISREG(status.st_mode)) return {EntryKind::Special, {}};
    Entry entry{EntryKind::Regular, {}};
    entry.identity.device = std::uint64_t(status.st_dev);
    entry.identity.inode = std::uint64_t(status.st_ino);
    entry.identity.size = std::uint64_t(status.st_size);
    entry.identity.modified = fileClockTicks(std::chrono::seconds(status.st_mtim.tv_sec) +
                                             std::chrono::nanoseconds(status.st_mtim.tv_nsec));
    return entry;
}

// An opened command file, closed at the end of its scope. O_NOFOLLOW: a link is refused;
// O_NONBLOCK: a FIFO that slipped in opens at once instead of waiting for a writer.
class Opened {
  public:
    explicit Opened(const std::string& path, bool forWriting = false)
        : fd_(::open(path.c_str(),
                     (forWriting ? O_WRONLY : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)),
          error_(fd_ < 0 ? errno : 0) {}
    ~Opened() {
        if (isOpen()) ::close(fd_);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool missing() const { return error_ == ENOENT || error_ == ENOTDIR; }
    bool isLink() const { return error_ == ELOOP; }
    std::string errorText() const { return std::strerror(error_); }
    std::optional<Entry> entry() const {
        struct stat status;
        if (::fstat(fd_, &status) != 0) return std::nullopt;
        return entryOfStatus(status);
    }

    // Bytes read, 0 at the end, -1 on failure.
    long long read(char* buffer, std::size_t size) const {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, std::min(size, kReadChunk));
            if (got >= 0 || errno != EINTR) return got;
        }
    }

    // All the bytes written at the offset.
    bool writeAt(std::uint64_t offset, std::string_view bytes) const {
        return ::pwrite(fd_, bytes.data(), bytes.size(), off_t(offset)) == ssize_t(bytes.size()) &&
               ::fsync(fd_) == 0;
    }

  private:
    int fd_;
    int error_;
};

#endif

// False, with the result for it, for anything but a regular file.
bool takeRegular(EntryKind kind, FileContent& content) {
    using Result = FileContent::Result;
    content.result = kind == EntryKind::Link      ? Result::Link
                     : kind == EntryKind::Special ? Result::NotRegular
                                                  : Result::Missing;
    return kind == EntryKind::Regular;
}

}  // namespace

Entry entryAt(const std::string& path) {
#ifdef _WIN32
    const HANDLE handle = openEntry(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
    if (handle == INVALID_HANDLE_VALUE) return {};
    const std::optional<Entry> entry = entryOfHandle(handle);
    CloseHandle(handle);
    return entry.value_or(Entry{});
#else
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) return {};
    return entryOfStatus(status);
#endif
}

bool entryIs(const std::string& path, const FileIdentity& identity) {
    const Entry entry = entryAt(path);
    return entry.kind == EntryKind::Regular && sameFile(entry.identity, identity);
}

FileContent readFileOnce(const std::string& path, std::uint64_t limit, std::size_t headOverLimit) {
    using Result = FileContent::Result;
    FileContent content;
    const auto readFailed = [&] {
        content.result = Result::Failed;
        content.error = "Ne moze se procitati fajl " + path + ": " + lastErrorText();
        return content;
    };
    // Only a regular file is opened: opening a device may already do something.
    if (!takeRegular(entryAt(path).kind, content)) return content;
    const Opened file(path);
    if (!file.isOpen()) {
        content.result = file.missing() ? Result::Missing : file.isLink() ? Result::Link : Result::Failed;
        content.error = "Ne moze se otvoriti fajl " + path + ": " + file.errorText();
        return content;
    }
    // The entry may have been replaced since it was looked at: the descriptor decides.
    const std::optional<Entry> entry = file.entry();
    if (!entry) return readFailed();
    if (!takeRegular(entry->kind, content)) return content;
    content.identity = entry->identity;
    // One byte more than the size found tells a file that grew meanwhile.
    const std::uint64_t wanted = content.identity.size > limit ? headOverLimit : content.identity.size + 1;
    std::string bytes(std::size_t(wanted), '\0');
    std::size_t length = 0;
    for (;;) {
        if (length == bytes.size()) {
            if (length > limit || content.identity.size > limit) break;
            bytes.resize(std::size_t(std::min<std::uint64_t>(limit + 1, length + kReadChunk)));
        }
        const long long got = file.read(bytes.data() + length, bytes.size() - length);
        if (got < 0) return readFailed();
        if (got == 0) break;
        length += std::size_t(got);
    }
    bytes.resize(length);
    content.result = length > limit || content.identity.size > limit ? Result::OverLimit : Result::Read;
    if (content.result == Result::OverLimit) bytes.resize(std::min<std::size_t>(length, headOverLimit));
    content.bytes = std::move(bytes);
    return content;
}

Result<void> overwriteInPlace(const std::string& path, const FileIdentity& identity, std::uint64_t offset,
                              std::string_view bytes) {
    const auto fail = [&](const std::string& why) {
        return unexpected("Ne moze se upisati u fajl " + path + ": " + why);
    };
    if (!entryIs(path, identity)) return fail("fajl je u medjuvremenu izmijenjen ili zamijenjen drugim");
    const Opened file(path, true);
    if (!file.isOpen()) return fail(file.errorText());
    const std::optional<Entry> entry = file.entry();  // the descriptor decides
    if (!entry || entry->kind != EntryKind::Regular || !sameFile(entry->identity, identity))
        return fail("fajl je u medjuvremenu izmijenjen ili zamijenjen drugim");
    if (offset + bytes.size() > identity.size) return fail("mjesto upisa je izvan fajla");
    if (!file.writeAt(offset, bytes)) return fail(lastErrorText());
    return {};
}

}  // namespace fm::files

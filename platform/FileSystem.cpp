#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#endif

namespace fm::files {

namespace {

void setError(std::string* error, const std::string& message) {
    if (error) *error = message;
}

std::size_t nameStart(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !isPathSeparator(path[start - 1])) --start;
    return start;
}

// Appended to the target's name, a name beside it that nobody can plant in advance:
// the temporary file is created new under it, another suffix drawn while one exists.
std::string temporarySuffix() {
    thread_local std::random_device random;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp~", unsigned(random()), unsigned(random()));
    return suffix;
}

constexpr int kTemporaryNameAttempts = 100;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool matchesMask(const std::string& name, const std::string& mask) {
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lowerAscii(mask[m]) == lowerAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

namespace {

#ifdef _WIN32

// Names are in the ANSI code page, as every other text of the program. A character the
// code page cannot hold becomes '?', which no Windows file name contains: such a name
// fails to open with a message instead of standing for a similar name (no best fit).
std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const bool utf8 = GetACP() == CP_UTF8;  // takes neither the flag nor a default character
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* substitute = utf8 ? nullptr : "?";
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), int(wide.size()), nullptr, 0, substitute, nullptr);
    std::string result(std::size_t(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), int(wide.size()), result.data(), length, substitute,
                        nullptr);
    return result;
}

std::optional<std::wstring> widen(const std::string& path) {
    if (path.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring result(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), int(path.size()), result.data(), length);
    return result;
}

const std::string kNotInCodePage = "ime nije u kodnoj stranici sistema";

std::string systemError(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text ? text : "", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message + (message.empty() ? "" : " ") + "(greska " + std::to_string(code) + ")";
}

std::int64_t msSinceEpoch(const FILETIME& time) {
    const std::int64_t ticks = std::int64_t((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - 116444736000000000LL) / 10000;  // 100 ns since 1601
}

DirectoryEntry entryFrom(const WIN32_FIND_DATAW& data, std::string name) {
    return {std::move(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            msSinceEpoch(data.ftLastWriteTime)};
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }
    void close() { reset(INVALID_HANDLE_VALUE); }

  private:
    HANDLE handle_;
};

bool writeAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

#else

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

#endif

}  // namespace

std::string bareName(const std::string& path) { return path.substr(nameStart(path)); }

std::string withClosingSeparator(std::string directory) {
    if (!directory.empty() && !isPathSeparator(directory.back())) directory += pathSeparator();
    return directory;
}

#ifdef _WIN32

std::string executableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()))) == buffer.size())
        buffer.resize(buffer.size() * 2);
    const std::string program = narrow(buffer.substr(0, length));
    return withClosingSeparator(program.substr(0, nameStart(program)));
}

bool fileExists(const std::string& path) {
    const std::optional<std::wstring> wide = widen(path);
    const DWORD attributes = wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const std::string& path) {
    const std::optional<std::wstring> wide = widen(path);
    const DWORD attributes =
        wide && !path.empty() ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<DirectoryEntry> entryOf(const std::string& path) {
    const std::optional<std::wstring> wide = widen(path);
    if (!wide || wide->find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
    std::string name = path.substr(nameStart(path));
    // Size and time as the listing has them, which may lag behind a file still open.
    WIN32_FIND_DATAW found;
    const HANDLE search =
        FindFirstFileExW(wide->c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return entryFrom(found, std::move(name));
    }
    // A root or a name with its closing separator is no entry of a search.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return DirectoryEntry{std::move(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                          (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                          msSinceEpoch(data.ftLastWriteTime)};
}

std::optional<std::string> readWholeFile(const std::string& path, std::string* error) {
    const std::optional<std::wstring> wide = widen(path);
    if (!wide) {
        setError(error, "Ne moze se otvoriti fajl " + path + ": " + kNotInCodePage);
        return std::nullopt;
    }
    const Handle file(CreateFileW(wide->c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        setError(error, "Ne moze se otvoriti fajl " + path + ": " + systemError(GetLastError()));
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    do {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            setError(error, "Ne moze se procitati fajl " + path + ": " + systemError(GetLastError()));
            return std::nullopt;
        }
        bytes.append(buffer, got);
    } while (got > 0);
    return bytes;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    const std::optional<std::wstring> target = widen(path);
    if (!target) {
        setError(error, "Ne moze se upisati fajl " + path + ": " + kNotInCodePage);
        return false;
    }
    std::wstring temporary;
    Handle file(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file.valid(); ++attempt) {
        temporary = *target + widen(temporarySuffix()).value();
        file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    DWORD failure = file.valid() ? ERROR_SUCCESS : GetLastError();
    if (file.valid() && (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())))
        failure = GetLastError();
    const bool created = file.valid();
    file.close();
    if (created && failure == ERROR_SUCCESS &&
        !MoveFileExW(temporary.c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = GetLastError();
    if (failure != ERROR_SUCCESS) {
        if (created) DeleteFileW(temporary.c_str());
        setError(error, "Ne moze se upisati fajl " + path + ": " + systemError(failure));
        return false;
    }
    return true;
}

bool removeFile(const std::string& path, std::string* error) {
    const std::optional<std::wstring> wide = widen(path);
    if (wide && DeleteFileW(wide->c_str())) return true;
    setError(error, "Ne moze se obrisati fajl " + path + ": " +
                        (wide ? systemError(GetLastError()) : kNotInCodePage));
    return false;
}

bool renameEntry(const std::string& from, const std::string& to, std::string* error) {
    const std::optional<std::wstring> source = widen(from);
    const std::optional<std::wstring> target = widen(to);
    if (source && target && MoveFileExW(source->c_str(), target->c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    setError(error, "Ne moze se premjestiti fajl " + from + " u " + to + ": " +
                        (source && target ? systemError(GetLastError()) : kNotInCodePage));
    return false;
}

std::vector<DirectoryEntry> findEntries(const std::string& pattern) {
    const std::size_t split = nameStart(pattern);
    const std::string mask = pattern.substr(split);
    std::vector<DirectoryEntry> entries;
    const std::optional<std::wstring> directory = widen(pattern.substr(0, split));
    if (!directory) return entries;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW((*directory + L"*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring wideName = found.cFileName;
        if (wideName == L"." || wideName == L"..") continue;
        std::string name = narrow(wideName);
        if (!matchesMask(name, mask)) continue;
        const bool outside = widen(name) != wideName;
        entries.push_back(entryFrom(found, std::move(name)));
        entries.back().nameOutsideCodePage = outside;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

#else

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

std::optional<std::string> readWholeFile(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, "Ne moze se otvoriti fajl " + path + ": " + systemError(errno));
        return std::nullopt;
    }
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
    if (got < 0) {
        setError(error, "Ne moze se procitati fajl " + path + ": " + systemError(readError));
        return std::nullopt;
    }
    return bytes;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    const std::optional<mode_t> permissions = permissionsOf(path);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = path + temporarySuffix();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    permissions.value_or(0666));
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        setError(error, "Ne moze se upisati fajl " + path + ": " + systemError(errno));
        return false;
    }
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
        setError(error, "Ne moze se upisati fajl " + path + ": " + systemError(failure));
        return false;
    }
    if (!syncDirectoryOf(path)) {
        setError(error, "Ne moze se sinhronizovati direktorij fajla " + path);
        return false;
    }
    return true;
}

bool removeFile(const std::string& path, std::string* error) {
    if (::unlink(path.c_str()) == 0) return true;
    setError(error, "Ne moze se obrisati fajl " + path + ": " + systemError(errno));
    return false;
}

bool renameEntry(const std::string& from, const std::string& to, std::string* error) {
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
        return true;
    }
    setError(error, "Ne moze se premjestiti fajl " + from + " u " + to + ": " + systemError(errno));
    return false;
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

#endif

bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

char pathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

}  // namespace fm::files

#include <windows.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/FileSystemPrivate.h"

namespace fm::files {

namespace {

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

}  // namespace

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

Result<std::string> readWholeFile(const std::string& path) {
    const std::optional<std::wstring> wide = widen(path);
    if (!wide) return unexpected("Ne moze se otvoriti fajl " + path + ": " + kNotInCodePage);
    const Handle file(CreateFileW(wide->c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return unexpected("Ne moze se otvoriti fajl " + path + ": " + systemError(GetLastError()));
    }
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    do {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            return unexpected("Ne moze se procitati fajl " + path + ": " + systemError(GetLastError()));
        }
        bytes.append(buffer, got);
    } while (got > 0);
    return bytes;
}

Result<void> writeFileAtomically(const std::string& path, const std::string& bytes) {
    const std::optional<std::wstring> target = widen(path);
    if (!target) return unexpected("Ne moze se upisati fajl " + path + ": " + kNotInCodePage);
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
        return unexpected("Ne moze se upisati fajl " + path + ": " + systemError(failure));
    }
    return {};
}

Result<void> removeFile(const std::string& path) {
    const std::optional<std::wstring> wide = widen(path);
    if (wide && DeleteFileW(wide->c_str())) return {};
    return unexpected("Ne moze se obrisati fajl " + path + ": " +
                      (wide ? systemError(GetLastError()) : kNotInCodePage));
}

Result<void> renameEntry(const std::string& from, const std::string& to) {
    const std::optional<std::wstring> source = widen(from);
    const std::optional<std::wstring> target = widen(to);
    if (source && target && MoveFileExW(source->c_str(), target->c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    return unexpected("Ne moze se premjestiti fajl " + from + " u " + to + ": " +
                      (source && target ? systemError(GetLastError()) : kNotInCodePage));
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

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

char pathSeparator() { return '\\'; }

}  // namespace fm::files

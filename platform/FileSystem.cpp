#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <iterator>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fm::files {

namespace {

QString decode(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string encode(const QString& path) { return QFile::encodeName(path).toStdString(); }

void setError(std::string* error, const std::string& message) {
    if (error) *error = message;
}

#ifdef _WIN32
DirectoryEntry entryFrom(const QFileInfo& info, std::string name) {
    return {std::move(name), info.isDir(), std::uint64_t(info.size()),
            info.lastModified().toMSecsSinceEpoch()};
}
#else
// A directory's entry by the status its name leads to (links followed); nullopt when
// it is gone. Straight from the system: QFileInfo's local times cost more than the
// listing itself.
std::optional<DirectoryEntry> entryAt(int directory, const char* path, std::string name) {
    struct stat status;
    if (::fstatat(directory, path, &status, 0) != 0) return std::nullopt;
    return DirectoryEntry{std::move(name), S_ISDIR(status.st_mode), std::uint64_t(status.st_size),
                          std::int64_t(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000};
}
#endif

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

#ifndef _WIN32
// A rename is durable only once the directory that holds the entry is synced.
bool syncDirectoryOf(const QString& path) {
    const QByteArray directory = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}
#endif

}  // namespace

std::string executableDirectory() {
    QString directory;
    if (QCoreApplication::instance()) {
        directory = QCoreApplication::applicationDirPath();
    } else {
#ifdef _WIN32
        wchar_t buffer[MAX_PATH * 4];
        const DWORD length = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
        directory = QFileInfo(QString::fromWCharArray(buffer, int(length))).absolutePath();
#else
        directory = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
#endif
    }
    std::string result = encode(QDir::toNativeSeparators(directory));
    if (result.empty() || !isPathSeparator(result.back())) result += pathSeparator();
    return result;
}

bool fileExists(const std::string& path) {
    const QFileInfo info(decode(path));
    return info.exists() && !info.isDir();
}

bool directoryExists(const std::string& path) { return !path.empty() && QFileInfo(decode(path)).isDir(); }

std::optional<DirectoryEntry> entryOf(const std::string& path) {
#ifdef _WIN32
    const QFileInfo info(decode(path));
    if (!info.exists()) return std::nullopt;
    return entryFrom(info, encode(info.fileName()));
#else
    return entryAt(AT_FDCWD, path.c_str(), path.substr(path.find_last_of('/') + 1));
#endif
}

std::optional<std::string> readWholeFile(const std::string& path, std::string* error) {
    QFile file(decode(path));
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, "Ne moze se otvoriti fajl " + path + ": " + file.errorString().toStdString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, "Ne moze se procitati fajl " + path + ": " + file.errorString().toStdString());
        return std::nullopt;
    }
    return bytes.toStdString();
}

#ifdef _WIN32
// QSaveFile renames without write-through; this variant asks the system to put
// the rename on disk before MoveFileEx returns.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    const QString target = decode(path);
    const QString temporary = target + QStringLiteral(".tmp~");
    {
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.flush() ||
            !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())))) {
            setError(error, "Ne moze se upisati fajl " + path + ": " + file.errorString().toStdString());
            file.close();
            QFile::remove(temporary);
            return false;
        }
    }
    if (!MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(temporary).utf16()),
                     reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        setError(error,
                 "Ne moze se zamijeniti fajl " + path + " (greska " + std::to_string(GetLastError()) + ")");
        QFile::remove(temporary);
        return false;
    }
    return true;
}
#else
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    QSaveFile file(decode(path));
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a full disk fails the write itself: commit() overlooks a failure
    // of the buffer's last flush and would rename a short temporary file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        setError(error, "Ne moze se upisati fajl " + path + ": " + file.errorString().toStdString());
        file.cancelWriting();
        return false;
    }
    if (!syncDirectoryOf(file.fileName())) {
        setError(error, "Ne moze se sinhronizovati direktorij fajla " + path);
        return false;
    }
    return true;
}
#endif

bool removeFile(const std::string& path, std::string* error) {
    QFile file(decode(path));
    if (file.remove()) return true;
    setError(error, "Ne moze se obrisati fajl " + path + ": " + file.errorString().toStdString());
    return false;
}

std::vector<DirectoryEntry> findEntries(const std::string& pattern) {
    std::size_t split = pattern.size();
    while (split > 0 && !isPathSeparator(pattern[split - 1])) --split;
    const std::string directory = pattern.substr(0, split);
    const std::string mask = pattern.substr(split);

    std::vector<DirectoryEntry> entries;
#ifdef _WIN32
    QDirIterator it(directory.empty() ? QStringLiteral(".") : decode(directory),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        std::string name = encode(info.fileName());
        if (matchesMask(name, mask)) entries.push_back(entryFrom(info, std::move(name)));
    }
#else
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
#endif
    return entries;
}

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

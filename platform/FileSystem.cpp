#include "platform/FileSystem.h"

#include <cstdio>
#include <random>

#include "platform/FileSystemPrivate.h"

namespace fm::files {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::size_t nameStart(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !isPathSeparator(path[start - 1])) --start;
    return start;
}

std::string temporarySuffix() {
    thread_local std::random_device random;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp~", unsigned(random()), unsigned(random()));
    return suffix;
}

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

std::string bareName(const std::string& path) { return path.substr(nameStart(path)); }

std::string directoryPart(const std::string& path) { return path.substr(0, nameStart(path)); }

std::string withClosingSeparator(std::string directory) {
    if (!directory.empty() && !isPathSeparator(directory.back())) directory += pathSeparator();
    return directory;
}

}  // namespace fm::files

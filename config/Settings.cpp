#include "config/Settings.h"

#include <charconv>
#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace fm {

Settings::Settings(std::string settingsFilePath) : path_(std::move(settingsFilePath)) {}

std::string Settings::CitajPostavku(const std::string& key, const std::string& defaultValue) const {
    const std::string wantedKey = text::trim(text::toUpperAscii(key));
    const std::string preset = text::trim(text::toUpperAscii(defaultValue));

    if (files::fileExists(path_)) {
        std::string error;
        const std::optional<std::string> bytes = files::readWholeFile(path_, &error);
        if (!bytes) throw std::runtime_error(error);
        for (const std::string& rawLine : text::splitLines(*bytes)) {
            const std::optional<SettingLine> line = settingLine(rawLine);
            if (line && text::toUpperAscii(line->key) == wantedKey) return line->value;
        }
    }
    if (tableLookup_) {
        if (std::optional<std::string> fromTable = tableLookup_(text::toUpperAscii(key))) return *fromTable;
    }
    return preset;
}

std::optional<SettingLine> settingLine(const std::string& rawLine) {
    const std::string line = text::trim(rawLine);
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= line.size()) return std::nullopt;
    return SettingLine{text::trim(line.substr(0, equals)), text::trim(line.substr(equals + 1))};
}

int toWholeNumber(const std::string& value) {
    const char* begin = value.data();
    const char* end = value.data() + value.size();
    if (begin != end && *begin == '+') ++begin;
    int number = 0;
    const auto [stop, problem] = std::from_chars(begin, end, number);
    if (begin == end || problem != std::errc() || stop != end) {
        throw std::invalid_argument("'" + value + "' nije ispravan cijeli broj");
    }
    return number;
}

}  // namespace fm

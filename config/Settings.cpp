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
        const Result<std::string> bytes = files::readWholeFile(path_);
        if (!bytes) throw std::runtime_error(bytes.error());
        for (const std::string& line : settingsLines(*bytes)) {
            const SettingsLine entry = settingsLineOf(line);
            if (!entry.key.empty() && !entry.value.empty() && entry.key == wantedKey) return entry.value;
        }
    }
    if (tableLookup_) {
        if (std::optional<std::string> fromTable = tableLookup_(text::toUpperAscii(key))) return *fromTable;
    }
    return preset;
}

SettingsLine settingsLineOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {};
    return {text::toUpperAscii(text::trim(line.substr(0, equals))), text::trim(line.substr(equals + 1))};
}

std::vector<std::string> settingsLines(std::string_view bytes) {
    return text::splitLines(bytes.substr(text::leadingBom(bytes).size()));
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

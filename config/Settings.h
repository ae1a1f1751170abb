#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/Postavke.h"

namespace fm {

class UserInterface;

// Looks a key (already in capital letters) up in the database's settings table;
// nullopt when the table gives no answer.
using SettingsTableLookup = std::function<std::optional<std::string>(const std::string& upperKey)>;

// "MerilonSettings.ini" beside the executable, then the settings table, then the default.
class Settings {
  public:
    explicit Settings(std::string settingsFilePath);

    const std::string& filePath() const { return path_; }

    // Consulted for keys missing from the file while the database is open.
    void setTableLookup(SettingsTableLookup lookup) { tableLookup_ = std::move(lookup); }

    // Throws std::runtime_error when the settings file exists but cannot be read.
    std::string CitajPostavku(const std::string& key, const std::string& defaultValue) const;

  private:
    std::string path_;
    SettingsTableLookup tableLookup_;
};

// One line of the settings file as it is read: the text before its first "=" as the key
// (trimmed, in capitals) and the text after it as the value (trimmed); both empty without "=".
struct SettingsLine {
    std::string key;
    std::string value;
};
SettingsLine settingsLineOf(std::string_view line);

// The settings file's lines; a leading UTF-8 byte order mark is no part of the first one.
std::vector<std::string> settingsLines(std::string_view bytes);

// Whole decimal number with an optional sign, as the settings and "RBRR" take it.
// Throws std::invalid_argument with a message naming the text when it is not one.
int toWholeNumber(const std::string& text);

}  // namespace fm

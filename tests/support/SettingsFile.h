#pragma once

#include <string>

#include "config/Settings.h"
#include "tests/support/TempDir.h"

namespace fm::test {

// A "MerilonSettings.ini" alone in a fresh directory.
class SettingsFile {
  public:
    // Writes the bytes as the whole file and gives a reader of it.
    Settings write(const std::string& bytes) const;

    std::string path() const { return dir_.file(kName); }
    std::string read() const { return dir_.read(kName); }

  private:
    static constexpr const char* kName = "MerilonSettings.ini";
    TempDir dir_;
};

}  // namespace fm::test

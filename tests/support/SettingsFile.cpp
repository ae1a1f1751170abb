#include "tests/support/SettingsFile.h"

namespace fm::test {

Settings SettingsFile::write(const std::string& bytes) const {
    dir_.write(kName, bytes);
    return Settings(path());
}

}  // namespace fm::test

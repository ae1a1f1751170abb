// Arbitrary bytes as "MerilonSettings.ini": every start-up key, the receipt counter,
// and the counter's save, which must keep every other line byte for byte.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/ReceiptCounter.h"
#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

class SilentUserInterface : public fm::UserInterface {
  public:
    void PrikaziObavijest(const std::string&, const std::string&) override {}
    void processPendingEvents() override {}
    void showMessage(const std::string&) override {}
    void showError(const std::string&) override {}
    void pause(int) override {}
};

std::string settingsDirectory;
std::string settingsPath;

void removeSettingsDirectory() {
    std::remove(settingsPath.c_str());
    rmdir(settingsDirectory.c_str());
}

void writeFile(const std::string& bytes) {
    std::ofstream(settingsPath, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile() {
    std::ifstream in(settingsPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool startsWithCounterKey(const std::string& line) {
    const std::size_t equals = line.find('=');
    return equals != std::string::npos && fm::text::equalsIgnoringCase(line.substr(0, equals), "RBRR");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char directory[] = "/tmp/fmerilon-fuzz-settings.XXXXXX";
    if (!mkdtemp(directory)) std::abort();
    settingsDirectory = directory;
    settingsPath = settingsDirectory + "/MerilonSettings.ini";
    std::atexit(removeSettingsDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    writeFile(bytes);
    const fm::Settings settings(settingsPath);
    SilentUserInterface ui;

    fm::Postavke postavke;
    fm::readStartupSettings(settings, postavke, ui);
    for (const std::string& value :
         {postavke.TARVOLOGGRESKE, postavke.F_BROJ_KASE, postavke.TARVOLOCALDIR, postavke.TARVORACUN})
        FUZZ_CHECK(fm::text::trim(value) == value);

    fm::ProcessState state;
    const bool counterRead = fm::CitajBrojRacuna(settings, state, ui);
    FUZZ_CHECK(counterRead || state.BrojRacuna == 0);

    const std::vector<std::string> before = fm::text::splitLines(bytes);
    const int counter = size > 0 && data[0] % 2 ? -2147483647 - 1 : 2147483647;
    if (!fm::SnimiBrojRacuna(settings, counter)) {
        FUZZ_CHECK(readFile() == bytes);
        return 0;
    }
    const std::vector<std::string> after = fm::text::splitLines(readFile());
    FUZZ_CHECK(after.size() == before.size());
    bool replaced = false;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!replaced && startsWithCounterKey(before[i])) {
            FUZZ_CHECK(after[i] == "RBRR=" + std::to_string(counter));
            replaced = true;
        } else {
            FUZZ_CHECK(after[i] == before[i]);
        }
    }
    FUZZ_CHECK(replaced);
    return 0;
}

// Arbitrary bytes as "MerilonSettings.ini": every start-up key, the receipt counter,
// and the counter's save, which the reader reads back and which keeps every other line.
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

    const std::vector<std::string> before = fm::settingsLines(bytes);
    const int counter = size > 0 && data[0] % 2 ? -2147483647 - 1 : 2147483647;
    FUZZ_CHECK(fm::SnimiBrojRacuna(settings, counter));
    const std::string saved = readFile();
    FUZZ_CHECK(fm::text::leadingBom(saved) == fm::text::leadingBom(bytes));
    fm::ProcessState reread;
    FUZZ_CHECK(fm::CitajBrojRacuna(settings, reread, ui) && reread.BrojRacuna == counter);
    // One line rewritten where it stands, or one added at the end; every other line kept.
    const std::vector<std::string> after = fm::settingsLines(saved);
    const bool added = after.size() == before.size() + 1;
    FUZZ_CHECK(added || after.size() == before.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) changed += after[i] != before[i];
    FUZZ_CHECK(added ? changed == 0 && after.back() == "RBRR=" + std::to_string(counter) : changed <= 1);
    return 0;
}

#include "config/ReceiptCounter.h"

#include <exception>
#include <optional>
#include <string>

#include "config/Settings.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

bool CitajBrojRacuna(const Settings& settings, ProcessState& state, UserInterface& ui) {
    try {
        state.BrojRacuna = toWholeNumber(settings.CitajPostavku("RBRR", "1"));
        state.BrojRacunaUcitan = true;
        return true;
    } catch (const std::exception&) {
        ui.showMessage("Neki od brojeva racuna je neispravan!");
        return false;
    }
}

bool SnimiBrojRacuna(const Settings& settings, int brojRacuna) {
    const std::string& path = settings.filePath();
    if (!files::fileExists(path)) return false;
    std::string error;
    const std::optional<std::string> bytes = files::readWholeFile(path, &error);
    if (!bytes) return false;

    std::vector<std::string> lines = text::splitLines(*bytes);
    for (std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || !text::equalsIgnoringCase(line.substr(0, equals), "RBRR"))
            continue;
        line = "RBRR=" + std::to_string(brojRacuna);
        return files::writeFileAtomically(path, text::joinLinesCrLf(lines), &error);
    }
    return false;
}

}  // namespace fm

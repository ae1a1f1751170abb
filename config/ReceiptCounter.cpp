#include "config/ReceiptCounter.h"

#include <algorithm>
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
    std::string bytes;
    if (files::fileExists(path)) {
        Result<std::string> read = files::readWholeFile(path);
        if (!read) return false;
        bytes = std::move(*read);
    }
    const std::string counterLine = "RBRR=" + std::to_string(brojRacuna);
    std::vector<std::string> lines = settingsLines(bytes);
    const auto counter = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return settingsLineOf(line).key == "RBRR";
    });
    if (counter == lines.end())
        lines.push_back(counterLine);
    else
        *counter = counterLine;
    return bool(
        files::writeFileAtomically(path, std::string(text::leadingBom(bytes)) + text::joinLinesCrLf(lines)));
}

}  // namespace fm

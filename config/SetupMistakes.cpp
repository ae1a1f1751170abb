#include "config/SetupMistakes.h"

#include <algorithm>

#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

bool commentOrSection(const std::string& key) { return key[0] == ';' || key[0] == '#' || key[0] == '['; }

bool known(const std::string& key) {
    const std::vector<std::string>& keys = settingKeys();
    return std::find(keys.begin(), keys.end(), text::toUpperAscii(key)) != keys.end();
}

std::string missingDirectory(const std::string& directory, const char* key, const char* consequence) {
    if (files::directoryExists(directory)) return {};
    return std::string("Direktorij ") + directory + " (" + key + ") ne postoji: " + consequence;
}

}  // namespace

std::vector<std::string> unknownKeyMistakes(const std::string& settingsBytes) {
    std::vector<std::string> mistakes;
    int lineNumber = 0;
    for (const std::string& rawLine : settingsLines(settingsBytes)) {
        ++lineNumber;
        const SettingsLine line = settingsLineOf(rawLine);
        if (line.key.empty() || commentOrSection(line.key) || known(line.key)) continue;
        mistakes.push_back("Nepoznat kljuc u MerilonSettings.ini, linija " + std::to_string(lineNumber) +
                           ": " + line.key + " (program ga ne cita; provjerite naziv)");
    }
    return mistakes;
}

std::string errorDirectoryMistake(const std::string& tarvologgreske) {
    const std::string value = text::trim(tarvologgreske);
    if (value.empty()) return {};
    if (!files::isPathSeparator(value.back()))
        return "TARVOLOGGRESKE=" + value + " nema zavrsni separator direktorija (" + files::pathSeparator() +
               "): Tarvo.err se ne upisuje";
    return missingDirectory(value, "TARVOLOGGRESKE", "Tarvo.err se ne upisuje");
}

std::string replyDirectoryMistake(const Postavke& postavke) {
    const std::string directory = text::trim(postavke.TARVOODGOVORDIR);
    if (!postavke.TARVOODGOVOR || directory.empty()) return {};
    return missingDirectory(directory, "TARVOODGOVORDIR", "odgovori kasama se ne upisuju");
}

std::string inputDirectoryMistake(const std::string& tarvolocaldir) {
    return missingDirectory(tarvolocaldir, "TARVOLOCALDIR",
                            "komandni fajlovi se preuzimaju tek kad se direktorij napravi");
}

void tellSettingsMistakes(const Settings& settings, const Postavke& postavke, UserInterface& ui) {
    std::vector<std::string> mistakes;
    if (files::fileExists(settings.filePath())) {
        if (const Result<std::string> bytes = files::readWholeFile(settings.filePath()))
            mistakes = unknownKeyMistakes(*bytes);
    }
    mistakes.push_back(errorDirectoryMistake(postavke.TARVOLOGGRESKE));
    mistakes.push_back(replyDirectoryMistake(postavke));
    for (const std::string& mistake : mistakes)
        if (!mistake.empty()) Obavijesti(ui, mistake);
}

}  // namespace fm

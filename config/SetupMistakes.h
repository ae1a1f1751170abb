#pragma once

#include <string>
#include <vector>

#include "config/Postavke.h"

namespace fm {

class Settings;
class UserInterface;

// Set-up mistakes that silently leave a setting without effect. Each text is one notice;
// "" where there is no mistake.

// One text per line of the settings file whose key no setting reads (lines starting with
// ';', '#' or '[' are taken for comments and sections).
std::vector<std::string> unknownKeyMistakes(const std::string& settingsBytes);

// TARVOLOGGRESKE without its closing separator, or naming a directory that is not there.
std::string errorDirectoryMistake(const std::string& tarvologgreske);

// TARVOODGOVORDIR naming a directory that is not there, while replies are on.
std::string replyDirectoryMistake(const Postavke& postavke);

// TARVOLOCALDIR naming a directory that is not there.
std::string inputDirectoryMistake(const std::string& tarvolocaldir);

// Once at start: the unknown keys, the error and the replies' directory, one notice each.
void tellSettingsMistakes(const Settings& settings, const Postavke& postavke, UserInterface& ui);

}  // namespace fm

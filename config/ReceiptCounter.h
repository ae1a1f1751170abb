#pragma once

#include "config/Postavke.h"

namespace fm {

class Settings;
class UserInterface;

// Loads BrojRacuna from "RBRR" (default 1). On a value that is not a whole number:
// the message box "Neki od brojeva racuna je neispravan!", BrojRacuna unchanged, false.
bool CitajBrojRacuna(const Settings& settings, ProcessState& state, UserInterface& ui);

// Rewrites the first "RBRR" line of the settings file with brojRacuna, every other line
// kept. False when the file or the line is missing, or the file cannot be replaced.
bool SnimiBrojRacuna(const Settings& settings, int brojRacuna);

}  // namespace fm

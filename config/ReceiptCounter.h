#pragma once

#include "config/Postavke.h"

namespace fm {

class Settings;
class UserInterface;

// Loads BrojRacuna from "RBRR" (default 1). On a value that is not a whole number:
// the message box "Neki od brojeva racuna je neispravan!", BrojRacuna unchanged, false.
bool CitajBrojRacuna(const Settings& settings, ProcessState& state, UserInterface& ui);

// Rewrites the first line whose key the reader takes for "RBRR" with brojRacuna where it
// stands, every other line and a leading byte order mark kept; without such a line it is
// added at the end, without the file the file is created. False when the file cannot be
// read or written.
bool SnimiBrojRacuna(const Settings& settings, int brojRacuna);

}  // namespace fm

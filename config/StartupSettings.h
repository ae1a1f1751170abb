#pragma once

#include <string>
#include <vector>

#include "config/Postavke.h"

namespace fm {

class Settings;
class UserInterface;

// TARVOPROVJERIISTANCU at program entry: true when the single-instance check is on.
bool singleInstanceCheckWanted(const Settings& settings);

// Reads every setting of the key table into postavke, in start-up order, and reports
// bad values: a non-numeric FID_ key ends the FID_ group (the rest stays 0) with the
// settings message; any later error is shown in the general error box and ends the
// reading. Returns false in that last case: the rest of start-up's reading is skipped.
bool readStartupSettings(const Settings& settings, Postavke& postavke, UserInterface& ui);

// Every key the program reads from "MerilonSettings.ini", the counter "RBRR" included.
const std::vector<std::string>& settingKeys();

}  // namespace fm

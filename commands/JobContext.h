#pragma once

#include "config/Postavke.h"
#include "db/JobSql.h"
#include "db/RecordWriters.h"
#include "platform/Activity.h"
#include "platform/UserInterface.h"

namespace fm {

class Settings;

// What the stages of a job work with: the database, the process state with its
// settings, the user interface, the settings file that keeps the job number, and
// where what the program is doing is told (none: nowhere).
struct JobContext : RecordContext {
    const Settings& settings;
    ActivityReport* activity = nullptr;
};

}  // namespace fm

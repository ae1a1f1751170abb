#pragma once

#include <string>

namespace fm {

class Tdm_db;
class Settings;

// Timer1's work: one scan of the input directory per tick, each matching file
// processed to its end before the next one.
class DirectoryPoller {
public:
    DirectoryPoller(Tdm_db& dm_db, const Settings& settings);

    // One tick: Timer1 off, scan TARVOLOCALDIR, pending events, Timer1 on again.
    void Timer1Timer();

    void PregledajFajloveUDirektoriju(const std::string& directory);

private:
    Tdm_db& dm_db_;
    const Settings& settings_;
};

}  // namespace fm

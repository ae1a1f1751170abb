#pragma once

#include <string>

namespace fm {

class Settings;
class Tdm_db;

// Turns command files into the rows of their jobs, hands each job to the PARTNER
// and reports its outcome.
class CommandProcessor {
public:
    CommandProcessor(Tdm_db& dm_db, const Settings& settings) : dm_db_(dm_db), settings_(settings) {}

    // One command file from reading to the advanced job number. True when the job
    // succeeded or the file was processed already; false when the file is not
    // complete yet or its job failed.
    bool AnalRacuniKomande(const std::string& fileName);

private:
    Tdm_db& dm_db_;
    const Settings& settings_;
};

}  // namespace fm

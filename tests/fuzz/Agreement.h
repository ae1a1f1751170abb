#pragma once

// fmerilon-check's verdict on a command file against the processor's on the same bytes.
// The processor runs without a database: a file the checker finds valid, or refused only
// by the database (a text longer than its column), then fails at its first database step
// (or succeeds, when it holds no command), never on its reading.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "commands/AnalRacuniKomande.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "platform/UserInterface.h"
#include "tools/fmerilon-check/FileCheck.h"

namespace fm::agreement {

class Notices : public UserInterface {
  public:
    void PrikaziObavijest(const std::string&, const std::string& text) override { texts.push_back(text); }
    void processPendingEvents() override {}
    void showMessage(const std::string&) override {}
    void showError(const std::string&) override {}
    void pause(int) override {}
    std::vector<std::string> texts;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Empty when both agree, else what differs. directory: an empty scratch directory.
inline std::string disagreement(std::string directory, std::string_view bytes) {
    char separator = '/';  // the directory's own closing one: '\\' on Windows
    if (!directory.empty() && (directory.back() == '/' || directory.back() == '\\')) {
        separator = directory.back();
        directory.pop_back();
    }
    const std::string file = directory + separator + "f.inp";
    const std::string settingsFile = directory + separator + "MerilonSettings.ini";
    std::ofstream(settingsFile, std::ios::binary) << "RBRR=7\r\n";
    std::ofstream(file, std::ios::binary) << bytes;

    ProcessState state;
    state.BrojRacuna = 7;
    state.postavke.F_BROJ_KASE = "AB1234";
    state.postavke.TARVOLOCALDIR = directory;
    state.postavke.TARVOLOGGRESKE = directory + separator;
    const check::FileCheck check = check::checkBytes(file, bytes, state.postavke, state.BrojRacuna);

    Notices ui;
    Tdm_db dm(state, ui);
    const Settings settings(settingsFile);
    const bool done = CommandProcessor(dm, settings).AnalRacuniKomande(file);
    const bool untouched = readAll(file) == bytes && state.BrojRacuna == 7 && ui.texts.empty();
    const std::string first = ui.texts.empty() ? std::string() : ui.texts.front();

    switch (check.job.verdict) {
        case CommandJob::Verdict::NotYet:
            return !done && untouched ? "" : "the checker says not yet; the processor took it up";
        case CommandJob::Verdict::ProcessedAlready:
            return done && untouched ? ""
                                     : "the checker says processed already; the processor did not skip it";
        case CommandJob::Verdict::TakeUp:
            break;
    }
    if (state.BrojRacuna != 8) return "the checker takes it up; the processor did not use a number";
    if (!check.job.valid()) {
        return !done && first == check.programMessage()
                   ? ""
                   : "the checker says '" + check.programMessage() + "'; the processor '" + first + "'";
    }
    if (check.job.kind == JobKind::None)
        return done && ui.texts.empty() ? "" : "a file without command failed";
    const std::string prefix = "Neispravan fajl " + file + "\r\nGreska:";
    const std::string error = first.rfind(prefix, 0) == 0 ? first.substr(prefix.size()) : std::string();
    const bool databaseStep = !error.empty() && error.rfind("linija ", 0) != 0 &&
                              error.find("Nekorektan format") == std::string::npos;
    const std::string verdict =
        check.refusals.empty() ? "the checker finds it valid" : "the checker leaves it to the database";
    return !done && databaseStep ? "" : verdict + "; the processor says '" + first + "'";
}

}  // namespace fm::agreement

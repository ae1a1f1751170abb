// fmerilon-check [--settings MerilonSettings.ini] [--json] [--strict] FILE...
// Tells, without a database, what FMerilon will do with each command file. Exit code 0
// when every file would be taken up and is valid (--strict: and has no warning), 1
// otherwise, 2 on bad arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "config/Postavke.h"
#include "config/ReceiptCounter.h"
#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "platform/FileSystem.h"
#include "platform/UserInterface.h"
#include "tools/fmerilon-check/FileCheck.h"

namespace {

// The settings reader's messages go to stderr.
class StderrInterface : public fm::UserInterface {
  public:
    void PrikaziObavijest(const std::string&, const std::string& text) override { say(text); }
    void processPendingEvents() override {}
    void showMessage(const std::string& text) override { say(text); }
    void showError(const std::string& text) override { say(text); }
    void pause(int) override {}

  private:
    static void say(const std::string& text) { std::fprintf(stderr, "fmerilon-check: %s\n", text.c_str()); }
};

constexpr const char* kUsage =
    "upotreba: fmerilon-check [--settings MerilonSettings.ini] [--json] [--strict] FAJL...\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int help() {
    std::fputs(kUsage, stdout);
    std::fputs(
        "Kaze, bez baze, sta ce FMerilon uraditi sa svakim komandnim fajlom: da li ga uzima,\n"
        "kako cita svaki zapis i polje, koje redove upisuje, koliko ceka PARTNERA.\n"
        "Greske: sve sto program odbija (neispravan broj, zapis koji ne pripada racunu, tekst\n"
        "duzi od kolone u koju se upisuje, isti artikl dvaput u nivelaciji).\n"
        "Upozorenja: sto program prihvata, a ne stampa nista ili stampa drugo (nepoznato ili\n"
        "malo slovo zaglavlja, preskoceno kratko placanje, placanje ukupnog iznosa iza ranijeg\n"
        "placanja, placanja manja od iznosa racuna, tekst u UTF-8).\n"
        "\n"
        "  --settings FAJL  MerilonSettings.ini cije postavke vaze (TARVOLOCALDIR, TARVOSLOVNESIFRE,\n"
        "                   vremena stampanja, RBRR za broj posla); bez nje vaze podrazumijevane\n"
        "  --json           jedan JSON niz, objekat po fajlu (verdict, message, records, rows,\n"
        "                   budgetMs, errors, warnings, needsDatabase)\n"
        "  --strict         upozorenja se racunaju kao greske (izlazni kod 1)\n"
        "  --help           ovaj opis\n"
        "\n"
        "Izlazni kod: 0 svaki fajl se uzima i ispravan je, 1 inace, 2 pogresni argumenti.\n",
        stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string settingsPath;
    bool json = false;
    bool strict = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            return help();
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--strict") {
            strict = true;
        } else if (arg == "--settings") {
            if (++i == argc) return usage();
            settingsPath = argv[i];
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return usage();

    const fm::Result<std::string> read =
        settingsPath.empty() ? std::string() : fm::files::readWholeFile(settingsPath);
    if (!read) {
        std::fprintf(stderr, "fmerilon-check: %s\n", read.error().c_str());
        return 2;
    }
    StderrInterface ui;
    const fm::Settings settings(settingsPath);
    fm::ProcessState state;
    fm::readStartupSettings(settings, state.postavke, ui);  // its messages go to stderr
    if (!fm::CitajBrojRacuna(settings, state, ui)) state.BrojRacuna = 1;

    // --json: one array, an object per file.
    bool allPass = true;
    std::string out = json ? "[\n" : "";
    for (const std::string& file : files) {
        const fm::check::FileCheck check = fm::check::checkFile(file, state.postavke, state.BrojRacuna);
        allPass = allPass && check.passes() && !(strict && !check.warnings.empty());
        if (json)
            out += (out.size() > 2 ? ",\n" : "") + fm::check::jsonReport(check, state.postavke);
        else
            out += fm::check::textReport(check, state.postavke);
        if (check.job.verdict == fm::CommandJob::Verdict::TakeUp && check.unreadable.empty())
            ++state.BrojRacuna;
    }
    if (json) out += "\n]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return allPass ? 0 : 1;
}

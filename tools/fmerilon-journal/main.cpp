// fmerilon-journal [--journal FILE] [--last N] [--status S] [--text T] [--csv] [--help]
// Prints the latest jobs of the job journal, oldest of them first. Exit code 0, 1 when
// the journal cannot be read, 2 on bad arguments.
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <string>

#include "journal/JournalStore.h"
#include "journal/JournalText.h"
#include "platform/FileSystem.h"

namespace {

constexpr const char* kUsage =
    "upotreba: fmerilon-journal [--journal MerilonDnevnik.db] [--last N] "
    "[--status OK|No|Er|prekinut|otvoren|kasnije|dvaput] [--text TEKST] [--csv]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int help() {
    std::fputs(kUsage, stdout);
    std::fputs(
        "Ispisuje zadnje poslove iz dnevnika poslova, najstariji od njih prvi.\n"
        "\n"
        "  --journal FAJL  dnevnik poslova; bez nje MerilonDnevnik.db pored programa\n"
        "  --last N        najvise N poslova (20 bez nje)\n"
        "  --status S      samo poslovi tog stanja, velika i mala slova svejedno:\n"
        "                    OK, No, Er   oznaka fajla po ishodu\n"
        "                    prekinut     prekinut prije predaje PARTNERU, bez ishoda\n"
        "                    otvoren      PARTNER ga jos moze odstampati (ceka kasni ishod)\n"
        "                    kasnije      dobio kasni ishod (odstampan kasnije, greska, nepoznato)\n"
        "                    dvaput       racun odstampan dvaput (dva fiskalna broja)\n"
        "  --text TEKST    dio imena fajla ili poruke, broj posla ili fiskalni broj\n"
        "  --csv           CSV umjesto tabele\n"
        "  --help          ovaj opis\n"
        "\n"
        "Izlazni kod: 0 ispisano, 1 dnevnik se ne moze procitati, 2 pogresni argumenti.\n",
        stdout);
    return 0;
}

bool wholeNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), ::isdigit)) return false;
    value = std::stoi(text);
    return value > 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::string path = fm::journalPathBeside(fm::files::executableDirectory() + "MerilonSettings.ini");
    fm::JournalFilter filter;
    filter.limit = 20;
    bool csv = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            return help();
        } else if (arg == "--csv") {
            csv = true;
        } else if (arg == "--journal" && hasValue) {
            path = argv[++i];
        } else if (arg == "--last" && hasValue) {
            if (!wholeNumber(argv[++i], filter.limit)) return usage();
        } else if (arg == "--status" && hasValue) {
            filter.status = fm::journalStatusNamed(argv[++i]);
            if (filter.status.empty()) return usage();
        } else if (arg == "--text" && hasValue) {
            filter.text = argv[++i];
        } else {
            return usage();
        }
    }
    if (!fm::files::fileExists(path)) {
        std::fprintf(stderr, "fmerilon-journal: nema dnevnika poslova %s\n", fm::oneLine(path).c_str());
        return 1;
    }
    fm::JournalStore store(path, fm::JournalBounds(), fm::JournalAccess::ReadOnly);
    fm::Result<std::vector<fm::JobEntry>> entries = store.read(filter);
    if (!entries) {
        std::fprintf(stderr, "fmerilon-journal: %s\n", fm::oneLine(entries.error()).c_str());
        return 1;
    }
    std::reverse(entries->begin(), entries->end());
    const std::string text = csv ? fm::journalCsv(*entries) : fm::journalTable(*entries);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

// partner-emulator: a stand-in for the fiscal-printer driver. It serves the jobs
// that FMerilon registers in F_SEMAFOR and prints them into a journal file.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <optional>

#include "db/FirebirdClient.h"
#include "db/SqlLayer.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tools/partner-emulator/Journal.h"
#include "tools/partner-emulator/Partner.h"
#include "tools/partner-emulator/StopSignal.h"

namespace {

using fm::partner::Behaviour;

struct Options {
    std::string ini;
    std::string journal;
    int pollMs = 200;
    int jobs = 0;  // 0: run until stopped
    Behaviour behaviour;
};

[[noreturn]] void quit(const std::string& message) {
    std::fprintf(stderr, "partner-emulator: %s\n", message.c_str());
    std::exit(2);
}

int wholeNumber(const QString& text, const char* option) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) quit(std::string("--") + option + ": '" + text.toStdString() + "' nije cijeli broj");
    return value;
}

Options parseOptions(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Zamjena za PARTNER (drajver fiskalnog stampaca): izvrsava poslove iz F_SEMAFOR i stampa ih u "
        "dnevnik.");
    parser.addHelpOption();
    const QCommandLineOption ini({"i", "ini"}, "database.ini baze (obavezno).", "putanja");
    const QCommandLineOption registerId({"r", "register"}, "F_ID_KASE kase koju sluzi (1).", "broj", "1");
    const QCommandLineOption journal({"j", "journal"}, "Dnevnik stampe (partner-journal.txt).", "putanja",
                                     "partner-journal.txt");
    const QCommandLineOption lineDelay("line-delay-ms", "Vrijeme stampe jednog reda (100).", "ms", "100");
    const QCommandLineOption poll("poll-ms", "Razmak citanja F_SEMAFOR (200).", "ms", "200");
    const QCommandLineOption failArticle("fail-article", "Artikal s kojim racun zavrsava greskom (red -RBR).",
                                         "sifra");
    const QCommandLineOption stallArticle("stall-article", "Artikal kod kojeg racun zastane, stavke ostaju.",
                                          "sifra");
    const QCommandLineOption failType("fail-type", "Tip knjizenja posla koji zavrsava greskom.", "tip");
    const QCommandLineOption stallAfterItems("stall-after-items",
                                             "Racun zastane iza stavki, placanja ostaju.");
    const QCommandLineOption neverFinish("never-finish", "Posao se odstampa, ali red u F_SEMAFOR ostaje.");
    const QCommandLineOption finishAfter(
        "finish-after-ms", "Posao se odstampa, a red u F_SEMAFOR brise tek nakon MS.", "ms", "0");
    const QCommandLineOption printTwice(
        "print-twice", "Svaki racun se odstampa dvaput, pod dva fiskalna broja (kvar za provjeru).");
    const QCommandLineOption once("once", "Zavrsi nakon jednog posla.");
    const QCommandLineOption jobs("jobs", "Zavrsi nakon N poslova.", "N");
    parser.addOptions({ini, registerId, journal, lineDelay, poll, failArticle, stallArticle, failType,
                       stallAfterItems, neverFinish, finishAfter, printTwice, once, jobs});
    parser.process(app);

    Options options;
    options.ini = parser.value(ini).toStdString();
    if (options.ini.empty()) quit("nedostaje --ini");
    options.journal = parser.value(journal).toStdString();
    options.pollMs = wholeNumber(parser.value(poll), "poll-ms");
    options.jobs = parser.isSet(once) ? 1 : parser.isSet(jobs) ? wholeNumber(parser.value(jobs), "jobs") : 0;
    Behaviour& behaviour = options.behaviour;
    behaviour.registerId = wholeNumber(parser.value(registerId), "register");
    behaviour.lineDelayMs = wholeNumber(parser.value(lineDelay), "line-delay-ms");
    for (const QString& code : parser.values(failArticle))
        behaviour.failArticles.insert(wholeNumber(code, "fail-article"));
    for (const QString& code : parser.values(stallArticle))
        behaviour.stallArticles.insert(wholeNumber(code, "stall-article"));
    for (const QString& type : parser.values(failType))
        behaviour.failTypes.insert(wholeNumber(type, "fail-type"));
    behaviour.stallAfterItems = parser.isSet(stallAfterItems);
    behaviour.neverFinish = parser.isSet(neverFinish);
    behaviour.finishAfterMs = wholeNumber(parser.value(finishAfter), "finish-after-ms");
    behaviour.printTwice = parser.isSet(printTwice);
    return options;
}

// The connection as database.ini describes it, with the program's default
// driver and credentials.
fm::Result<void> connect(fm::sql::Connection& db, const std::string& iniPath) {
    const fm::Result<std::string> bytes = fm::files::readWholeFile(iniPath);
    if (!bytes) return fm::unexpected(bytes.error());
    fm::sql::ParameterList parameters(fm::text::splitLines(*bytes));
    std::string driver = fm::text::trim(parameters.value("DRIVERNAME"));
    if (driver.empty()) driver = "INTRBASE";
    fm::sql::Engine::forDriver(driver).addDefaultCredentials(parameters);
    const fm::sql::Outcome opened = db.open(driver, parameters);
    if (!opened) return fm::unexpected(opened.error);
    return {};
}

// After a lost connection: one message per outage, a new connection at every poll.
class Reconnection {
  public:
    Reconnection(fm::sql::Connection& db, std::string iniPath) : db_(db), iniPath_(std::move(iniPath)) {}

    // False while the database cannot be reached.
    bool ready() {
        if (!db_.lost()) return true;
        const fm::Result<void> connected = connect(db_, iniPath_);
        if (connected) {
            if (reported_) std::fprintf(stderr, "partner-emulator: veza sa bazom ponovo uspostavljena\n");
            reported_ = false;
            return true;
        }
        if (!reported_)
            std::fprintf(stderr, "partner-emulator: nema veze sa bazom: %s\n", connected.error().c_str());
        reported_ = true;
        return false;
    }

  private:
    fm::sql::Connection& db_;
    std::string iniPath_;
    bool reported_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    fm::partner::holdStopSignals();  // before any thread exists
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app);
    fm::prepareFirebirdClient();

    fm::sql::Connection db("partner");
    if (const fm::Result<void> connected = connect(db, options.ini); !connected)
        quit("ne moze se otvoriti baza: " + connected.error());
    Reconnection reconnection(db, options.ini);
    try {
        fm::partner::Journal journal(options.journal);
        fm::partner::Partner partner(db, options.behaviour, journal);
        partner.createOwnTables();
        std::printf("PARTNER spreman, kasa %d\n", options.behaviour.registerId);
        std::fflush(stdout);

        for (int taken = 0; options.jobs == 0 || taken < options.jobs;) {
            bool tookOne = false;
            try {
                tookOne = reconnection.ready() && partner.takeUpNextJob();
            } catch (const std::exception& e) {
                if (!db.lost()) std::fprintf(stderr, "partner-emulator: greska baze: %s\n", e.what());
            }
            if (tookOne) ++taken;
            if (fm::partner::waitForStop(tookOne ? 0 : options.pollMs)) break;
        }
    } catch (const std::exception& e) {
        quit(e.what());
    }
    return 0;
}

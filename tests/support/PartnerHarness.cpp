#include "tests/support/PartnerHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "commands/AnalRacuniKomande.h"
#include "commands/DirectoryPolling.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/support/QueryRows.h"
#include "tests/support/TillSettings.h"

namespace fm::test {

namespace {

QStringList toQt(const std::vector<std::string>& values) {
    QStringList list;
    for (const std::string& value : values) list << QString::fromStdString(value);
    return list;
}

}  // namespace

PartnerHarness::PartnerHarness(const std::vector<std::string>& partnerOptions,
                               const std::string& databaseIni) {
    inputDir = root.file("racuni/");
    logDir = root.file("log/");
    std::filesystem::create_directory(inputDir);
    std::filesystem::create_directory(logDir);
    root.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=100\r\n");
    settings = std::make_unique<Settings>(root.file("MerilonSettings.ini"));

    Postavke& p = state.postavke;
    setOneTill(p);
    p.TARVOLOGGRESKE = logDir;
    p.TARVOLOCALDIR = inputDir.substr(0, inputDir.size() - 1);  // no closing separator, as the default
    p.TARVORACUN = "*.INP";
    state.BrojRacuna = 100;

    if (databaseIni.empty()) {
        database_ =
            std::make_unique<FreshDatabase>(FreshDatabase::PartnerTables::No);  // the emulator makes them
        root.write("database.ini", FreshDatabase::iniText(database_->path()));
    } else {
        root.write("database.ini", databaseIni);
    }

    journalPath_ = root.file("journal.txt");
    startPartner(partnerOptions);

    // The first connect creates the program's tables, the second opens them all,
    // as on every start after the first.
    dm = std::make_unique<Tdm_db>(state, ui);
    for (int connect = 0; connect < 2; ++connect) {
        ui.messages.clear();
        state.BazaOtvorena = dm->OtvoriBazuPodataka(root.file("database.ini"));
    }
    if (!state.BazaOtvorena || !ui.messages.empty()) {
        throw std::runtime_error("database does not open: " +
                                 (ui.messages.empty() ? "" : ui.messages.back()));
    }
}

PartnerHarness::~PartnerHarness() {
    dm.reset();
    stopPartner();
}

void PartnerHarness::startPartner(const std::vector<std::string>& partnerOptions) {
    std::vector<std::string> arguments{
        "--ini", root.file("database.ini"), "--journal", journalPath_, "--poll-ms",
        "50",    "--line-delay-ms",         "5"};
    arguments.insert(arguments.end(), partnerOptions.begin(), partnerOptions.end());
    partner_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    partner_.start(QString::fromStdString(files::executableDirectory() + "partner-emulator"),
                   toQt(arguments));
    if (!partner_.waitForStarted(10000)) throw std::runtime_error("partner-emulator does not start");
    while (!partner_.canReadLine()) {
        if (!partner_.waitForReadyRead(30000)) throw std::runtime_error("partner-emulator is not ready");
    }
    partner_.readAll();
}

void PartnerHarness::stopPartner() {
    if (partner_.state() == QProcess::NotRunning) return;
    partner_.terminate();
    if (!partner_.waitForFinished(5000)) {
        partner_.kill();
        partner_.waitForFinished(5000);
    }
}

void PartnerHarness::drop(const std::string& name, const std::string& bytes) const {
    root.write("racuni/" + name, bytes);
}

std::string PartnerHarness::read(const std::string& name) const { return root.read("racuni/" + name); }

std::string PartnerHarness::status(const std::string& name) const {
    const std::string bytes = read(name);
    const std::string head = bytes.substr(0, bytes.find(';'));
    return head.substr(head.rfind(',') + 1);
}

bool PartnerHarness::exists(const std::string& name) const {
    return std::filesystem::exists(inputFile(name));
}

bool PartnerHarness::process(const std::string& name) {
    return CommandProcessor(*dm, *settings).AnalRacuniKomande(inputFile(name));
}

void PartnerHarness::scan() { DirectoryPoller(*dm, *settings).Timer1Timer(); }

std::string PartnerHarness::journal() const {
    return std::filesystem::exists(journalPath_) ? root.read("journal.txt") : std::string();
}

std::string PartnerHarness::rbrr() const {
    for (const std::string& line : text::splitLines(root.read("MerilonSettings.ini"))) {
        if (line.rfind("RBRR=", 0) == 0) return line;
    }
    return std::string();
}

std::string PartnerHarness::errorFile() const {
    return std::filesystem::exists(logDir + "Tarvo.err") ? root.read("log/Tarvo.err") : std::string();
}

std::vector<std::string> PartnerHarness::rows(const std::string& sql,
                                              const std::vector<std::string>& columns) {
    return test::rows(*dm, sql, columns);
}

long long PartnerHarness::count(const std::string& sql) {
    if (!dm->sqlopen4(sql)) throw std::runtime_error(sql + ": " + dm->ZadnjaGreska());
    return dm->up4().integer("n");
}

}  // namespace fm::test

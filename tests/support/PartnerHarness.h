#pragma once

#include <QProcess>
#include <memory>
#include <string>
#include <vector>

#include "config/Postavke.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "tests/support/FreshDatabase.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm::test {

// The worked example's sale: two items, one of them voided, and a payment of the total.
inline const std::string kWorkedSale =
    "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
    "S,P1,_,______,__;Hljeb;0.90;-1;;1;2;;1002\r\n"
    "T,P1,_,______,__;\r\n";

// One till machine: settings, input and log directories, the fiscal database,
// the PARTNER emulator as a second process and the data module connected to it.
class PartnerHarness {
  public:
    // Starts the emulator with the extra options and connects the data module, to a
    // fresh embedded database or to the one the database.ini text names.
    explicit PartnerHarness(const std::vector<std::string>& partnerOptions = {},
                            const std::string& databaseIni = {});
    ~PartnerHarness();

    TempDir root;
    std::string inputDir;  // with a trailing separator
    std::string logDir;
    ProcessState state;
    RecordingUserInterface ui;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<Tdm_db> dm;

    void drop(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    std::string status(const std::string& name) const;  // of the file's first record: "__", "OK", ...
    bool exists(const std::string& name) const;
    std::string inputFile(const std::string& name) const { return inputDir + name; }

    bool process(const std::string& name);  // AnalRacuniKomande on one input file
    void scan();                            // one Timer1 tick

    std::string journal() const;
    std::string rbrr() const;       // the RBRR line of the settings file
    std::string errorFile() const;  // Tarvo.err, "" when there is none

    // Rows of a query as "v1|v2|..." lines, run on the data module's scratch query up4.
    std::vector<std::string> rows(const std::string& sql, const std::vector<std::string>& columns);
    long long count(const std::string& sql);  // "select count(*) as n ..."

    void stopPartner();
    // The emulator again, after stopPartner, with these extra options.
    void startPartner(const std::vector<std::string>& partnerOptions = {});

  private:
    std::unique_ptr<FreshDatabase> database_;
    std::string journalPath_;
    QProcess partner_;
};

}  // namespace fm::test

#pragma once

#include <optional>
#include <string>

#include "db/SqlFailure.h"
#include "platform/Result.h"

namespace fm {

class JobSql;
class Tdm_db;
class UserInterface;
struct Postavke;
struct ProcessState;

// What the writers work on: the job's SQL, the process state whose settings shape the
// statements, and the notices of their failures.
struct RecordContext {
    RecordContext(JobSql& sql, ProcessState& state, UserInterface& ui) : sql(sql), state(state), ui(ui) {}
    RecordContext(Tdm_db& dm_db);  // the data module with its own state and user interface
    // The database is open and its connection not known lost: statements may be sent.
    bool reachable() const;
    JobSql& sql;
    ProcessState& state;
    UserInterface& ui;
};

// Row booking type of F_RACUN/F_PLACANJE rows: 2 for command types 20 and 21, else 1.
int rowBookingType(double commandBookingType);

// The condition on a job's rows: where + "F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=1"
// with the given words for "where" and "and"; without a booking type only the first two.
std::string jobRowCondition(const Postavke& p, const char* where, const char* andWord, double jobNumber,
                            std::optional<double> bookingType = std::nullopt);

// The row statements of the writers below, as they go to the database.
namespace statement {
std::string racunInsert(const Postavke& p, int jobNumber, int commandBookingType, int storno, int articleCode,
                        int groupCode, int taxCode, const std::string& barCode, const std::string& name,
                        double price, double quantity);
std::string placanjeInsert(const Postavke& p, int jobNumber, int commandBookingType, int paymentMethod,
                           double amount);
std::string semaforInsert(const Postavke& p, int jobNumber, int commandBookingType, int sifraKupca,
                          int reklBroj, double printMemo, double printRacun, const std::string& memo);
std::string robaInsert(const Postavke& p, int articleCode, int groupCode, int taxCode,
                       const std::string& barCode, const std::string& name, const std::string& knjigSifra,
                       double price);
// A price change's article: updated when it exists, else inserted; then its F_NIVELACIJA row.
std::string nivelacijaRoba(const Postavke& p, bool articleExists, int articleCode, int groupCode, int taxCode,
                           const std::string& barCode, const std::string& name, double newPrice);
std::string nivelacijaInsert(const Postavke& p, int jobNumber, int articleCode, int groupCode, int taxCode,
                             const std::string& barCode, const std::string& name, double newPrice);
// What the job's follow-up reads: the register's F_SEMAFOR rows (their count and the sum
// of their numbers, or the rows), the fiscal numbers F_LOG_RACUN logged for a job number,
// the rows a receipt's key is made of, and the rows the PARTNER left of a job.
std::string semaforSummary(const Postavke& p);
std::string semaforRows(const Postavke& p);
std::string loggedFiscalNumbers(const Postavke& p, long long jobNumber);
std::string semaforKeyRow(const Postavke& p, long long jobNumber, int commandBookingType);
std::string racunKeyRows(const Postavke& p, long long jobNumber, int commandBookingType);
std::string placanjeKeyRows(const Postavke& p, long long jobNumber, int commandBookingType);
std::string itemsLeft(const Postavke& p, int jobNumber, int commandBookingType);
std::string paymentsLeft(const Postavke& p, int jobNumber, int commandBookingType);
// The job's price change items, as broj; the sum of its receipt's items, as F_TOTAL.
std::string nivelacijaCount(const Postavke& p, int jobNumber);
std::string racunTotal(const Postavke& p, int jobNumber, int commandBookingType);
// The hand-over row of a job (F_PREDAJA): read, deleted, inserted.
std::string predajaSelect(const Postavke& p, int jobNumber);
std::string predajaDelete(const Postavke& p, int jobNumber);
std::string predajaInsert(const Postavke& p, int jobNumber, int bookingType, int budget);
}  // namespace statement

// F_PREDAJA, created in the dialect of the connected engine.
bool createHandOverTable(const RecordContext& db);

Result<void, sql::Error> UpisiStavkuRacuna(const RecordContext& db, int jobNumber, int commandBookingType,
                                           int storno, int articleCode, int groupCode, int taxCode,
                                           const std::string& barCode, const std::string& name, double price,
                                           double quantity);
Result<void, sql::Error> UpisiPlacanje(const RecordContext& db, int jobNumber, int commandBookingType,
                                       int paymentMethod, double amount);
Result<void, sql::Error> UpisiSemafor(const RecordContext& db, int jobNumber, int commandBookingType,
                                      int sifraKupca, int reklBroj, double printMemo, double printRacun,
                                      const std::string& memo);
Result<void, sql::Error> UpisiRobu(const RecordContext& db, int articleCode, int groupCode, int taxCode,
                                   const std::string& barCode, const std::string& name,
                                   const std::string& knjigSifra, double price);
Result<void, sql::Error> UpisiNivelaciju(const RecordContext& db, int jobNumber, int articleCode,
                                         int groupCode, int taxCode, const std::string& barCode,
                                         const std::string& name, double newPrice);
bool ObrisiPlacanja(const RecordContext& db, double jobNumber, double commandBookingType);
bool ObrisiStavkeRacuna(const RecordContext& db, double jobNumber, double commandBookingType);
bool ObrisiSemafor(const RecordContext& db, double jobNumber, double commandBookingType);
int BrojStavkiRacuna(const RecordContext& db, double jobNumber, double commandBookingType);
int BrojPlacanja(const RecordContext& db, double jobNumber, double commandBookingType);
int ProvjeriSemafor(const RecordContext& db, double jobNumber, double commandBookingType);
// F_SIFRA_ROBE of the article with the bar code (trimmed), nullopt when none has it.
Result<std::optional<int>, sql::Error> articleByBarCode(const RecordContext& db, const std::string& barCode);
int NadjiSifruPoBarKodu(const RecordContext& db, const std::string& barCode);
int NadjiSifruPoKnjigSifri(const RecordContext& db, const std::string& knjigSifra);

}  // namespace fm

#pragma once

#include <optional>
#include <string>

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
    JobSql& sql;
    ProcessState& state;
    UserInterface& ui;
};

// A whole number in a statement, quoted unless K71B3 is 1.
std::string sqlNumber(const RecordContext& db, long long value);

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
}  // namespace statement

bool UpisiStavkuRacuna(const RecordContext& db, int jobNumber, int commandBookingType, int storno,
                       int articleCode, int groupCode, int taxCode, const std::string& barCode,
                       const std::string& name, double price, double quantity);
bool UpisiPlacanje(const RecordContext& db, int jobNumber, int commandBookingType, int paymentMethod,
                   double amount);
bool UpisiSemafor(const RecordContext& db, int jobNumber, int commandBookingType, int sifraKupca,
                  int reklBroj, double printMemo, double printRacun, const std::string& memo);
bool UpisiRobu(const RecordContext& db, int articleCode, int groupCode, int taxCode,
               const std::string& barCode, const std::string& name, const std::string& knjigSifra,
               double price);
bool UpisiNivelaciju(const RecordContext& db, int jobNumber, int articleCode, int groupCode, int taxCode,
                     const std::string& barCode, const std::string& name, double newPrice);
bool ObrisiPlacanja(const RecordContext& db, double jobNumber, double commandBookingType);
bool ObrisiStavkeRacuna(const RecordContext& db, double jobNumber, double commandBookingType);
bool ObrisiSemafor(const RecordContext& db, double jobNumber, double commandBookingType);
int BrojStavkiRacuna(const RecordContext& db, double jobNumber, double commandBookingType);
int BrojPlacanja(const RecordContext& db, double jobNumber, double commandBookingType);
int ProvjeriSemafor(const RecordContext& db, double jobNumber, double commandBookingType);
int NadjiSifruPoBarKodu(const RecordContext& db, const std::string& barCode);
int NadjiSifruPoKnjigSifri(const RecordContext& db, const std::string& knjigSifra);

}  // namespace fm

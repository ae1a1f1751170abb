#include "db/RecordWriters.h"

#include <stdexcept>

#include "db/DM_db_source.h"
#include "db/JobCodes.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

// Number pieces of a statement, quoted unless K71B3 is 1.
struct Numbers {
    int k71b3;
    std::string operator()(long long value) const { return SqlBroj(integerNumeral(value), k71b3); }
    std::string real(double value) const { return SqlBroj(realNumeral(value), k71b3); }
};

// A clean-up delete of a job's rows; when it fails (the connection may be gone), it is
// run again before the next file is taken up.
bool deleteJobRows(const RecordContext& db, const std::string& sql) {
    if (db.sql.exec(sql)) return true;
    db.sql.cleanUpLater(sql);
    return false;
}

// A job's item or payment rows; nothing while the database is closed.
bool deleteRowsOf(const RecordContext& db, const char* table, double jobNumber, double commandBookingType) {
    return db.state.BazaOtvorena &&
           deleteJobRows(db, std::string("DELETE FROM ") + table +
                                 jobRowCondition(db.state.postavke, " WHERE  ", "AND", jobNumber,
                                                 rowBookingType(commandBookingType)));
}

// " from " the table " where F_ID_KASE=" the register.
std::string registerRows(const Postavke& p, const char* table) {
    return std::string(" from ") + table + " where F_ID_KASE=" + Numbers{p.K71B3}(p.FID_RACUNA);
}

int count(const RecordContext& db, const char* table, double jobNumber, double commandBookingType) {
    if (!db.state.BazaOtvorena) return -1;
    const auto counted = db.sql.select3(std::string(" Select count(*) as br from ") + table +
                                        jobRowCondition(db.state.postavke, " Where ", "and", jobNumber,
                                                        rowBookingType(commandBookingType)));
    return counted ? int((*counted)->integer("br")) : -1;
}

}  // namespace

RecordContext::RecordContext(Tdm_db& dm_db) : RecordContext(dm_db, dm_db.state(), dm_db.ui()) {}

bool RecordContext::reachable() const { return state.BazaOtvorena && !sql.connectionLost(); }

int rowBookingType(double commandBookingType) {
    return commandBookingType == 20 || commandBookingType == 21 ? 2 : 1;
}

std::string jobRowCondition(const Postavke& p, const char* where, const char* andWord, double jobNumber,
                            std::optional<double> bookingType) {
    const Numbers n{p.K71B3};
    std::string condition =
        std::string(where) + "F_ID_KASE=" + n(p.FID_RACUNA) + " " + andWord + " F_RBR=" + n.real(jobNumber);
    if (bookingType) condition += std::string(" ") + andWord + " TIPKNJIZENJA=" + n.real(*bookingType);
    return condition;
}

namespace statement {

std::string racunInsert(const Postavke& p, int jobNumber, int commandBookingType, int storno, int articleCode,
                        int groupCode, int taxCode, const std::string& barCode, const std::string& name,
                        double price, double quantity) {
    const Numbers n{p.K71B3};
    return "insert into F_RACUN  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_STORNO_STAVKA,F_SIFRA_ROBE,F_SIFRA_GRUPA,"
           "F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KOLICINA) values ( " +
           n(p.FID_RACUNA) + "," + n(jobNumber) + ", " + n(rowBookingType(commandBookingType)) + ", " +
           n(storno) + ", " + n(articleCode) + ", " + n(groupCode) + ", " + SqlTekst(barCode) + ", " +
           SqlTekst(name) + ", " + n(taxCode) + ", " + n.real(price) + "," + n.real(quantity) + ") ";
}

std::string placanjeInsert(const Postavke& p, int jobNumber, int commandBookingType, int paymentMethod,
                           double amount) {
    const Numbers n{p.K71B3};
    return "insert into F_PLACANJE  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_NACIN_PLACANJA,F_UPLACENO) values ( " +
           n(p.FID_RACUNA) + "," + n(jobNumber) + ", " + n(rowBookingType(commandBookingType)) + ", " +
           n(paymentMethod) + ", " + n.real(amount) + ") ";
}

std::string semaforInsert(const Postavke& p, int jobNumber, int commandBookingType, int sifraKupca,
                          int reklBroj, double printMemo, double printRacun, const std::string& memo) {
    const Numbers n{p.K71B3};
    return "insert into F_SEMAFOR  "
           "(F_ID_KASE,F_RBR,TIPKNJIZENJA,PRINTMEMO,PRINTRACUN,F_SIFRA_KUPCA,F_REKL_BROJ,MEMO)"
           " values ( " +
           n(p.FID_RACUNA) + "," + n(jobNumber) + ", " + n(commandBookingType) + ", " + n.real(printMemo) +
           ", " + n.real(printRacun) + ", " + n(sifraKupca) + ", " + n(reklBroj) + "," + SqlTekst(memo) + ")";
}

std::string robaInsert(const Postavke& p, int articleCode, int groupCode, int taxCode,
                       const std::string& barCode, const std::string& name, const std::string& knjigSifra,
                       double price) {
    const Numbers n{p.K71B3};
    return " Insert into F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,"
           "F_NAZIV_ROBE,F_CIJENA_ROBE,F_KNJIG_SIFRA) Values (" +
           n(p.FID_ROBA) + "," + n(articleCode) + ", " + n(groupCode) + ", " + n(taxCode) + ", " +
           SqlTekst(barCode) + ", " + SqlTekst(name) + ", " + n.real(price) + "," + SqlTekst(knjigSifra) +
           ")";
}

std::string nivelacijaRoba(const Postavke& p, bool articleExists, int articleCode, int groupCode, int taxCode,
                           const std::string& barCode, const std::string& name, double newPrice) {
    const Numbers n{p.K71B3};
    if (articleExists)
        return "Update F_ROBA SET F_SIFRA_GRUPA=" + n(groupCode) + ", F_SIFRA_POR_STOPE=" + n(taxCode) +
               ", F_BAR_CODE=" + SqlTekst(barCode) + ", F_NAZIV_ROBE=" + SqlTekst(name) +
               ", F_CIJENA_ROBE=" + n.real(newPrice) + " Where F_ID_KASE=" + n(p.FID_ROBA) +
               " AND F_SIFRA_ROBE=" + n(articleCode);
    return " Insert into "
           "F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,F_NAZIV_ROBE,"
           "F_CIJENA_ROBE) Values (" +
           n(p.FID_ROBA) + "," + n(articleCode) + ", " + n(groupCode) + ", " + n(taxCode) + ", " +
           SqlTekst(barCode) + ", " + SqlTekst(name) + ", " + n.real(newPrice) + ")";
}

std::string nivelacijaInsert(const Postavke& p, int jobNumber, int articleCode, int groupCode, int taxCode,
                             const std::string& barCode, const std::string& name, double newPrice) {
    const Numbers n{p.K71B3};
    return " Insert into F_NIVELACIJA(F_ID_KASE,F_RBR,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,"
           "F_BAR_CODE,F_NAZIV_ROBE,F_CIJENA_ROBE) Values (" +
           n(p.FID_RACUNA) + "," + n(jobNumber) + ", " + n(articleCode) + ", " + n(groupCode) + ", " +
           n(taxCode) + ", " + SqlTekst(barCode) + ", " + SqlTekst(name) + ", " + n.real(newPrice) + ")";
}

std::string semaforSummary(const Postavke& p) {
    return "select count(*) as N, sum(F_RBR) as S" + registerRows(p, "F_SEMAFOR");
}

std::string semaforRows(const Postavke& p) {
    return "select F_RBR, TIPKNJIZENJA" + registerRows(p, "F_SEMAFOR");
}

std::string loggedFiscalNumbers(const Postavke& p, long long jobNumber) {
    return "select F_FISK_BROJ" + registerRows(p, "F_LOG_RACUN") + " and F_RBR=" +
           Numbers{p.K71B3}(jobNumber) + " order by F_FISK_BROJ";
}

std::string semaforKeyRow(const Postavke& p, long long jobNumber, int commandBookingType) {
    return "select F_REKL_BROJ, MEMO from F_SEMAFOR" +
           jobRowCondition(p, " where ", "and", jobNumber, commandBookingType);
}

std::string racunKeyRows(const Postavke& p, long long jobNumber, int commandBookingType) {
    return "select F_NAZIV_ROBE, F_CIJENA_ROBE, F_KOLICINA, F_SIFRA_GRUPA, F_SIFRA_POR_STOPE from F_RACUN" +
           jobRowCondition(p, " where ", "and", jobNumber, rowBookingType(commandBookingType));
}

std::string placanjeKeyRows(const Postavke& p, long long jobNumber, int commandBookingType) {
    return "select F_NACIN_PLACANJA, F_UPLACENO from F_PLACANJE" +
           jobRowCondition(p, " where ", "and", jobNumber, rowBookingType(commandBookingType));
}

std::string itemsLeft(const Postavke& p, int jobNumber, int commandBookingType) {
    return "Select F_SIFRA_ROBE,F_STORNO_STAVKA,F_KOLICINA From F_RACUN" +
           jobRowCondition(p, " Where ", "AND", jobNumber, rowBookingType(commandBookingType)) +
           " Order By F_SIFRA_ROBE,TIPKNJIZENJA,F_STORNO_STAVKA";
}

std::string paymentsLeft(const Postavke& p, int jobNumber, int commandBookingType) {
    return "Select F_NACIN_PLACANJA,F_UPLACENO From F_PLACANJE" +
           jobRowCondition(p, " Where ", "AND", jobNumber, rowBookingType(commandBookingType)) +
           " Order By TIPKNJIZENJA";
}

std::string nivelacijaCount(const Postavke& p, int jobNumber) {
    return "SELECT count(*)  AS broj  FROM F_NIVELACIJA" + jobRowCondition(p, " WHERE ", "and", jobNumber);
}

std::string racunTotal(const Postavke& p, int jobNumber, int commandBookingType) {
    return "SELECT SUM(F_KOLICINA*F_CIJENA_ROBE)  AS F_TOTAL  FROM F_RACUN" +
           jobRowCondition(p, " WHERE ", "and", jobNumber, rowBookingType(commandBookingType));
}

std::string predajaSelect(const Postavke& p, int jobNumber) {
    return "select TIPKNJIZENJA, CEKANJE from F_PREDAJA" + jobRowCondition(p, " where ", "and", jobNumber);
}

std::string predajaDelete(const Postavke& p, int jobNumber) {
    return "delete from F_PREDAJA" + jobRowCondition(p, " where ", "and", jobNumber);
}

std::string predajaInsert(const Postavke& p, int jobNumber, int bookingType, int budget) {
    const Numbers n{p.K71B3};
    return "insert into F_PREDAJA (F_ID_KASE,F_RBR,TIPKNJIZENJA,CEKANJE) values (" + n(p.FID_RACUNA) + "," +
           n(jobNumber) + "," + n(bookingType) + "," + n(budget) + ")";
}

}  // namespace statement

bool createHandOverTable(const RecordContext& db) {
    for (const std::string& statement :
         schema::createTableStatements(schema::handOverTable(), db.sql.dialect())) {
        if (!db.sql.exec(statement)) return false;
    }
    return true;
}

Result<void, sql::Error> UpisiStavkuRacuna(const RecordContext& db, int jobNumber, int commandBookingType,
                                           int storno, int articleCode, int groupCode, int taxCode,
                                           const std::string& barCode, const std::string& name, double price,
                                           double quantity) {
    return db.sql.exec(statement::racunInsert(db.state.postavke, jobNumber, commandBookingType, storno,
                                              articleCode, groupCode, taxCode, barCode, name, price,
                                              quantity));
}

Result<void, sql::Error> UpisiPlacanje(const RecordContext& db, int jobNumber, int commandBookingType,
                                       int paymentMethod, double amount) {
    return db.sql.exec(
        statement::placanjeInsert(db.state.postavke, jobNumber, commandBookingType, paymentMethod, amount));
}

Result<void, sql::Error> UpisiSemafor(const RecordContext& db, int jobNumber, int commandBookingType,
                                      int sifraKupca, int reklBroj, double printMemo, double printRacun,
                                      const std::string& memo) {
    return db.sql.exec(statement::semaforInsert(db.state.postavke, jobNumber, commandBookingType, sifraKupca,
                                                reklBroj, printMemo, printRacun, memo));
}

Result<void, sql::Error> UpisiRobu(const RecordContext& db, int articleCode, int groupCode, int taxCode,
                                   const std::string& barCode, const std::string& name,
                                   const std::string& knjigSifra, double price) {
    Result<void, sql::Error> added = db.sql.exec(statement::robaInsert(
        db.state.postavke, articleCode, groupCode, taxCode, barCode, name, knjigSifra, price));
    if (added) db.sql.refreshArticleView();
    return added;
}

Result<void, sql::Error> UpisiNivelaciju(const RecordContext& db, int jobNumber, int articleCode,
                                         int groupCode, int taxCode, const std::string& barCode,
                                         const std::string& name, double newPrice) {
    const Postavke& p = db.state.postavke;
    const bool exists = db.sql.articleExists(p.FID_ROBA, articleCode);
    Result<void, sql::Error> article = db.sql.exec(
        statement::nivelacijaRoba(p, exists, articleCode, groupCode, taxCode, barCode, name, newPrice));
    if (!article) return article;
    db.sql.refreshArticleView();
    return db.sql.exec(
        statement::nivelacijaInsert(p, jobNumber, articleCode, groupCode, taxCode, barCode, name, newPrice));
}

bool ObrisiPlacanja(const RecordContext& db, double jobNumber, double commandBookingType) {
    const bool deleted = deleteRowsOf(db, "F_PLACANJE", jobNumber, commandBookingType);
    if (db.state.BazaOtvorena) db.sql.reopenPlacanjeView();
    return deleted;
}

bool ObrisiStavkeRacuna(const RecordContext& db, double jobNumber, double commandBookingType) {
    const bool deleted = deleteRowsOf(db, "F_RACUN", jobNumber, commandBookingType);
    if (db.state.BazaOtvorena) db.sql.reopenRacunView();
    return deleted;
}

bool ObrisiSemafor(const RecordContext& db, double jobNumber, double commandBookingType) {
    if (!db.state.BazaOtvorena) return false;
    if (deleteJobRows(db, "delete from F_SEMAFOR" + jobRowCondition(db.state.postavke, " WHERE  ", "and",
                                                                    jobNumber, commandBookingType)))
        return true;
    Obavijesti(db.ui, " Greska SQL upita pri azuriranju semafora! \r\n" + db.sql.ZadnjaGreska());
    db.ui.pause(1000);
    return false;
}

int BrojStavkiRacuna(const RecordContext& db, double jobNumber, double commandBookingType) {
    return count(db, "f_racun", jobNumber, commandBookingType);
}

int BrojPlacanja(const RecordContext& db, double jobNumber, double commandBookingType) {
    return count(db, "f_placanje", jobNumber, commandBookingType);
}

int ProvjeriSemafor(const RecordContext& db, double jobNumber, double commandBookingType) {
    // The wait goes on across a restart of the database server.
    if (db.sql.connectionLost()) db.sql.ensureConnected();
    const auto select = [&](double rbr) {
        return db.sql.select3(" Select * from F_SEMAFOR" +
                              jobRowCondition(db.state.postavke, " Where ", "and", rbr, commandBookingType));
    };
    const auto jobRow = select(jobNumber);
    if (!jobRow) return kSemaforUnreadable;
    if ((*jobRow)->hasRow()) return kNotFinished;
    const auto errorRow = select(-jobNumber);
    if (!errorRow) return kSemaforUnreadable;
    return (*errorRow)->hasRow() ? kPartnerError : kDone;
}

Result<std::optional<int>, sql::Error> articleByBarCode(const RecordContext& db, const std::string& barCode) {
    const auto found = db.sql.select3(" SELECT F_SIFRA_ROBE FROM F_ROBA  WHERE  F_ID_KASE=" +
                                      Numbers{db.state.postavke.K71B3}(db.state.postavke.FID_RACUNA) +
                                      " and F_BAR_CODE=" + SqlTekst(text::trim(barCode)));
    if (!found) return unexpected(found.error());
    if (!(*found)->hasRow()) return std::optional<int>();
    return std::optional<int>(int((*found)->integer("F_SIFRA_ROBE")));
}

int NadjiSifruPoBarKodu(const RecordContext& db, const std::string& barCode) {
    return articleByBarCode(db, barCode).value_or(std::nullopt).value_or(-1);
}

int NadjiSifruPoKnjigSifri(const RecordContext& db, const std::string& knjigSifra) {
    const auto found = db.sql.articleByKnjigSifra(knjigSifra);
    if (!found) throw std::runtime_error(found.error().text);
    return found->value_or(-1);
}

}  // namespace fm

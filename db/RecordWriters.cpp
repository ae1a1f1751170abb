#include "db/RecordWriters.h"

#include "db/DM_db_source.h"
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

Numbers numbers(Tdm_db& dm_db) { return {dm_db.state().postavke.K71B3}; }
int fidRacuna(Tdm_db& dm_db) { return dm_db.state().postavke.FID_RACUNA; }
int fidRoba(Tdm_db& dm_db) { return dm_db.state().postavke.FID_ROBA; }

// " F_ID_KASE=1 and F_RBR=57 and TIPKNJIZENJA=0" with the given words for "and".
std::string jobCondition(Tdm_db& dm_db, const char* andWord, double jobNumber, double bookingType) {
    const Numbers n = numbers(dm_db);
    return n(fidRacuna(dm_db)) + " " + andWord + " F_RBR=" + n.real(jobNumber) + " " + andWord +
           " TIPKNJIZENJA=" + n.real(bookingType);
}

// A clean-up delete of a job's rows; when it fails (the connection may be gone), it is
// run again before the next file is taken up.
bool deleteJobRows(Tdm_db& dm_db, const std::string& sql) {
    if (dm_db.sqlexec(sql)) return true;
    dm_db.cleanUpLater(sql);
    return false;
}

}  // namespace

int rowBookingType(double commandBookingType) {
    return commandBookingType == 20 || commandBookingType == 21 ? 2 : 1;
}

bool UpisiStavkuRacuna(Tdm_db& dm_db, int jobNumber, int commandBookingType, int storno, int articleCode,
                       int groupCode, int taxCode, const std::string& barCode, const std::string& name,
                       double price, double quantity) {
    const Numbers n = numbers(dm_db);
    return dm_db.sqlexec(
        "insert into F_RACUN  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_STORNO_STAVKA,F_SIFRA_ROBE,F_SIFRA_GRUPA,"
        "F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KOLICINA) values ( " +
        n(fidRacuna(dm_db)) + "," + n(jobNumber) + ", " + n(rowBookingType(commandBookingType)) + ", " +
        n(storno) + ", " + n(articleCode) + ", " + n(groupCode) + ", " + SqlTekst(barCode) + ", " +
        SqlTekst(name) + ", " + n(taxCode) + ", " + n.real(price) + "," + n.real(quantity) + ") ");
}

bool UpisiPlacanje(Tdm_db& dm_db, int jobNumber, int commandBookingType, int paymentMethod, double amount) {
    const Numbers n = numbers(dm_db);
    return dm_db.sqlexec(
        "insert into F_PLACANJE  (F_ID_KASE,F_RBR,TIPKNJIZENJA,F_NACIN_PLACANJA,F_UPLACENO) values ( " +
        n(fidRacuna(dm_db)) + "," + n(jobNumber) + ", " + n(rowBookingType(commandBookingType)) + ", " +
        n(paymentMethod) + ", " + n.real(amount) + ") ");
}

bool UpisiSemafor(Tdm_db& dm_db, int jobNumber, int commandBookingType, int sifraKupca, int reklBroj,
                  double printMemo, double printRacun, const std::string& memo) {
    const Numbers n = numbers(dm_db);
    return dm_db.sqlexec(
        "insert into F_SEMAFOR  "
        "(F_ID_KASE,F_RBR,TIPKNJIZENJA,PRINTMEMO,PRINTRACUN,F_SIFRA_KUPCA,F_REKL_BROJ,MEMO)"
        " values ( " +
        n(fidRacuna(dm_db)) + "," + n(jobNumber) + ", " + n(commandBookingType) + ", " + n.real(printMemo) +
        ", " + n.real(printRacun) + ", " + n(sifraKupca) + ", " + n(reklBroj) + "," + SqlTekst(memo) + ")");
}

bool UpisiRobu(Tdm_db& dm_db, int articleCode, int groupCode, int taxCode, const std::string& barCode,
               const std::string& name, const std::string& knjigSifra, double price) {
    const Numbers n = numbers(dm_db);
    if (!dm_db.sqlexec(
            " Insert into F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,"
            "F_NAZIV_ROBE,F_CIJENA_ROBE,F_KNJIG_SIFRA) Values (" +
            n(fidRoba(dm_db)) + "," + n(articleCode) + ", " + n(groupCode) + ", " + n(taxCode) + ", " +
            SqlTekst(barCode) + ", " + SqlTekst(name) + ", " + n.real(price) + "," + SqlTekst(knjigSifra) +
            ")"))
        return false;
    dm_db.refreshArticleView();
    return true;
}

bool UpisiNivelaciju(Tdm_db& dm_db, int jobNumber, int articleCode, int groupCode, int taxCode,
                     const std::string& barCode, const std::string& name, double newPrice) {
    const Numbers n = numbers(dm_db);
    const std::string article =
        dm_db.articleExists(fidRoba(dm_db), articleCode)
            ? "Update F_ROBA SET F_SIFRA_GRUPA=" + n(groupCode) + ", F_SIFRA_POR_STOPE=" + n(taxCode) +
                  ", F_BAR_CODE=" + SqlTekst(barCode) + ", F_NAZIV_ROBE=" + SqlTekst(name) +
                  ", F_CIJENA_ROBE=" + n.real(newPrice) + " Where F_ID_KASE=" + n(fidRoba(dm_db)) +
                  " AND F_SIFRA_ROBE=" + n(articleCode)
            : " Insert into "
              "F_ROBA(F_ID_KASE,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,F_BAR_CODE,F_NAZIV_ROBE,"
              "F_CIJENA_ROBE) Values (" +
                  n(fidRoba(dm_db)) + "," + n(articleCode) + ", " + n(groupCode) + ", " + n(taxCode) + ", " +
                  SqlTekst(barCode) + ", " + SqlTekst(name) + ", " + n.real(newPrice) + ")";
    if (!dm_db.sqlexec(article)) return false;
    dm_db.refreshArticleView();
    return dm_db.sqlexec(
        " Insert into F_NIVELACIJA(F_ID_KASE,F_RBR,F_SIFRA_ROBE,F_SIFRA_GRUPA,F_SIFRA_POR_STOPE,"
        "F_BAR_CODE,F_NAZIV_ROBE,F_CIJENA_ROBE) Values (" +
        n(fidRacuna(dm_db)) + "," + n(jobNumber) + ", " + n(articleCode) + ", " + n(groupCode) + ", " +
        n(taxCode) + ", " + SqlTekst(barCode) + ", " + SqlTekst(name) + ", " + n.real(newPrice) + ")");
}

bool ObrisiPlacanja(Tdm_db& dm_db, double jobNumber, double commandBookingType) {
    if (!dm_db.state().BazaOtvorena) return false;
    const bool deleted =
        deleteJobRows(dm_db, "DELETE FROM F_PLACANJE WHERE  F_ID_KASE=" +
                                 jobCondition(dm_db, "AND", jobNumber, rowBookingType(commandBookingType)));
    dm_db.reopenPlacanjeView();
    return deleted;
}

bool ObrisiStavkeRacuna(Tdm_db& dm_db, double jobNumber, double commandBookingType) {
    if (!dm_db.state().BazaOtvorena) return false;
    const bool deleted =
        deleteJobRows(dm_db, "DELETE FROM F_RACUN WHERE  F_ID_KASE=" +
                                 jobCondition(dm_db, "AND", jobNumber, rowBookingType(commandBookingType)));
    dm_db.reopenRacunView();
    return deleted;
}

bool ObrisiSemafor(Tdm_db& dm_db, double jobNumber, double commandBookingType) {
    if (!dm_db.state().BazaOtvorena) return false;
    if (deleteJobRows(dm_db, "delete from F_SEMAFOR WHERE  F_ID_KASE=" +
                                 jobCondition(dm_db, "and", jobNumber, commandBookingType)))
        return true;
    Obavijesti(dm_db.ui(), " Greska SQL upita pri azuriranju semafora! \r\n" + dm_db.ZadnjaGreska());
    dm_db.ui().pause(1000);
    return false;
}

namespace {

int count(Tdm_db& dm_db, const char* table, double jobNumber, double commandBookingType) {
    if (!dm_db.state().BazaOtvorena) return -1;
    if (!dm_db.sqlopen3(std::string(" Select count(*) as br from ") + table + " Where F_ID_KASE=" +
                        jobCondition(dm_db, "and", jobNumber, rowBookingType(commandBookingType))))
        return -1;
    return int(dm_db.up3().integer("br"));
}

}  // namespace

int BrojStavkiRacuna(Tdm_db& dm_db, double jobNumber, double commandBookingType) {
    return count(dm_db, "f_racun", jobNumber, commandBookingType);
}

int BrojPlacanja(Tdm_db& dm_db, double jobNumber, double commandBookingType) {
    return count(dm_db, "f_placanje", jobNumber, commandBookingType);
}

int ProvjeriSemafor(Tdm_db& dm_db, double jobNumber, double commandBookingType) {
    // The wait goes on across a restart of the database server.
    if (dm_db.connectionLost()) dm_db.ensureConnected();
    const auto select = [&](double rbr) {
        return dm_db.sqlopen3(" Select * from F_SEMAFOR Where F_ID_KASE=" +
                              jobCondition(dm_db, "and", rbr, commandBookingType));
    };
    if (!select(jobNumber)) return -1;
    if (dm_db.up3().hasRow()) return -2;
    if (!select(-jobNumber)) return -1;
    return dm_db.up3().hasRow() ? -3 : 0;
}

int NadjiSifruPoBarKodu(Tdm_db& dm_db, const std::string& barCode) {
    const Numbers n = numbers(dm_db);
    if (!dm_db.sqlopen3(" SELECT F_SIFRA_ROBE FROM F_ROBA  WHERE  F_ID_KASE=" + n(fidRacuna(dm_db)) +
                        " and F_BAR_CODE=" + SqlTekst(text::trim(barCode))) ||
        !dm_db.up3().hasRow())
        return -1;
    return int(dm_db.up3().integer("F_SIFRA_ROBE"));
}

int NadjiSifruPoKnjigSifri(Tdm_db& dm_db, const std::string& knjigSifra) {
    return dm_db.articleByKnjigSifra(knjigSifra).value_or(-1);
}

}  // namespace fm

#pragma once

#include <string>

namespace fm {

class Tdm_db;

// Row booking type of F_RACUN/F_PLACANJE rows: 2 for command types 20 and 21, else 1.
int rowBookingType(double commandBookingType);

bool UpisiStavkuRacuna(Tdm_db& dm_db, int jobNumber, int commandBookingType, int storno, int articleCode,
                       int groupCode, int taxCode, const std::string& barCode, const std::string& name,
                       double price, double quantity);
bool UpisiPlacanje(Tdm_db& dm_db, int jobNumber, int commandBookingType, int paymentMethod, double amount);
bool UpisiSemafor(Tdm_db& dm_db, int jobNumber, int commandBookingType, int sifraKupca, int reklBroj,
                  double printMemo, double printRacun, const std::string& memo);
bool UpisiRobu(Tdm_db& dm_db, int articleCode, int groupCode, int taxCode, const std::string& barCode,
               const std::string& name, const std::string& knjigSifra, double price);
bool UpisiNivelaciju(Tdm_db& dm_db, int jobNumber, int articleCode, int groupCode, int taxCode,
                     const std::string& barCode, const std::string& name, double newPrice);
bool ObrisiPlacanja(Tdm_db& dm_db, double jobNumber, double commandBookingType);
bool ObrisiStavkeRacuna(Tdm_db& dm_db, double jobNumber, double commandBookingType);
bool ObrisiSemafor(Tdm_db& dm_db, double jobNumber, double commandBookingType);
int BrojStavkiRacuna(Tdm_db& dm_db, double jobNumber, double commandBookingType);
int BrojPlacanja(Tdm_db& dm_db, double jobNumber, double commandBookingType);
int ProvjeriSemafor(Tdm_db& dm_db, double jobNumber, double commandBookingType);
int NadjiSifruPoBarKodu(Tdm_db& dm_db, const std::string& barCode);
int NadjiSifruPoKnjigSifri(Tdm_db& dm_db, const std::string& knjigSifra);

}  // namespace fm

#pragma once

#include <set>
#include <string>

namespace fm {

// The setting variables read once at start-up. Before reading they hold zero or
// empty values; the reader fills them in from the settings file or the defaults.
struct Postavke {
    bool TARVOPROVJERIISTANCU = false;
    int FID_OBJEKTA = 0;
    int FID_POR_STOPA = 0;
    int FID_OPERATERA = 0;
    int FID_ROBA = 0;
    int FID_GRUPA_ROBA = 0;
    int FID_RACUNA = 0;
    int FID_KUPACA = 0;
    bool TARVOOBRISI_FAJL = false;
    std::string TARVOLOGGRESKE;
    int K71B3 = 0;
    std::string F_BROJ_KASE;
    int TARVOBRZINASTAMPANJASTAVKI = 0;
    int TARVOVREMESTAMPANJAZAGLAVLJA = 0;
    int TARVOVREMESTAMPANJAZAVRSETKA = 0;
    int TARVOREZERVNOVRIJEME = 0;
    bool TARVOSLOVNESIFRE = false;
    std::string TARVOLOCALDIR;
    std::string TARVORACUN;
    int TARVODBDRIVERAUTOMATICTIMER = 0;
    bool TARVOZASTITADUPLIKATA = false;
    bool TARVOODGOVOR = false;     // a reply file for the till beside every job
    std::string TARVOODGOVORDIR;  // the replies' directory; empty: the command file's own
};

// Process-wide values shared by the parts of the program for the whole run.
struct ProcessState {
    Postavke postavke;
    int BrojRacuna = 0;                            // job number of the next command file
    bool BrojRacunaUcitan = false;                 // BrojRacuna was loaded; without it no file is taken up
    bool BazaOtvorena = false;                     // the fiscal database is open
    int BrojacObrade = 0;                          // processing counter, 0 to 9
    int VrijemeCekanja = 0;                        // wait budget of the current job, ms
    std::set<std::string> unreadableFilesNoticed;  // command files whose reading failed, shown once
};

}  // namespace fm

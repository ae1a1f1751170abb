// A second program on the same database, as the fiscal-printer driver is: connects
// through the data module, reports what it sees of a job and adds an item to it.
// Usage: db_second_process DATABASE_INI JOB
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "tests/support/RecordingUserInterface.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    fm::ProcessState state;
    state.postavke.K71B3 = 1;
    state.postavke.FID_RACUNA = 1;
    state.postavke.FID_ROBA = 1;
    fm::test::RecordingUserInterface ui;
    fm::Tdm_db dm(state, ui);
    state.BazaOtvorena = dm.OtvoriBazuPodataka(argv[1]);
    if (!state.BazaOtvorena) {
        std::printf("not connected: %s\n", ui.messages.empty() ? "" : ui.messages.back().c_str());
        return 1;
    }
    const int job = std::atoi(argv[2]);
    std::printf("semaphore %d\n", fm::ProvjeriSemafor(dm, job, 0));
    if (!fm::UpisiStavkuRacuna(dm, job, 0, 0, 7, 1, 1, "", "DRUGI", 2.5, 1)) {
        std::printf("insert failed: %s\n", dm.ZadnjaGreska().c_str());
        return 1;
    }
    std::printf("items %d\n", fm::BrojStavkiRacuna(dm, job, 0));
    return 0;
}

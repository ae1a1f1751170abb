// Figure 9, a scan with 1,000 open jobs against one with none: Timer1 ticks of the
// program with its journal over an input directory of 1,000 processed command files,
// each tick with one look at F_SEMAFOR for the open jobs. The open jobs are journal
// rows of the register waiting for a late outcome, their F_SEMAFOR rows still there,
// so that they stay open; the poller loads them at its first scan. Both programs run
// side by side, their ticks in turn.

#include <QCoreApplication>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "commands/DirectoryPolling.h"
#include "journal/Journal.h"
#include "journal/JournalStore.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kOpenJobs = 1000;
constexpr int kProcessedFiles = 1000;

const std::string kProcessedReceipt =
    "S,P1,3,AB1234,OK;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
    "T,P1,3,AB1234,OK;\r\n";

struct Till {
    explicit Till(int openJobs) {
        withoutPartnerWait(program.state.postavke);
        for (int i = 0; i < kProcessedFiles; ++i)
            program.drop("r" + std::to_string(100000 + i) + ".inp", kProcessedReceipt);
        {
            JournalStore store(journalPath);
            for (int number = 1; number <= openJobs; ++number) {
                JobEntry entry = journalEntry(number, -2);
                entry.open = true;
                entry.cashRegister = program.state.postavke.FID_RACUNA;
                const Result<void> added = store.add(entry);
                if (!added) throw std::runtime_error(added.error());
                if (!program.dm->sqlexec("insert into F_SEMAFOR (F_ID_KASE,F_RBR,TIPKNJIZENJA,PRINTMEMO,"
                                         "PRINTRACUN,F_SIFRA_KUPCA,F_REKL_BROJ,MEMO) values (" +
                                         std::to_string(entry.cashRegister) + "," + std::to_string(number) +
                                         ",0,0,1,0,0,'')"))
                    throw std::runtime_error(program.dm->ZadnjaGreska());
            }
        }
        journal = std::make_unique<Journal>(journalPath, program.ui, Journal::Log());
        poller = std::make_unique<DirectoryPoller>(*program.dm, *program.settings, journal.get());
    }

    double tickMs() {
        const Clock::time_point start = Clock::now();
        poller->Timer1Timer();
        return msBetween(start, Clock::now());
    }

    // The journal's open jobs of the register, as the next start would load them.
    std::size_t stillOpen() const {
        const auto open = JournalStore(journalPath).openJobs(program.state.postavke.FID_RACUNA);
        return open ? open->size() : 0;
    }

    std::string notices() const {
        std::string text;
        for (const auto& notice : program.ui.notices) text += "; NOTICE: " + notice.text;
        return text;
    }

    InProcessProgram program;
    const std::string journalPath = journalPathBeside(program.settings->filePath());
    std::unique_ptr<Journal> journal;
    std::unique_ptr<DirectoryPoller> poller;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Till none(0), open(kOpenJobs);
    const double firstWithNone = none.tickMs();  // meets the files, loads the open jobs
    const double firstWithOpen = open.tickMs();

    std::vector<double> noneMs, openMs;
    for (int round = 0; round < 41; ++round) {
        noneMs.push_back(none.tickMs());
        openMs.push_back(open.tickMs());
    }
    const std::size_t stillOpen = open.stillOpen();
    const std::string notices = none.notices() + open.notices();
    const double ratio = median(openMs) / median(noneMs);
    report("9 scan with 1,000 open jobs / with none, 1,000 processed files, median of 41 ticks",
           decimal(ratio, 2) + " (" + decimal(median(openMs), 2) + " / " + decimal(median(noneMs), 2) +
               " ms: " + decimal(median(openMs) - median(noneMs), 2) + " ms more per scan, " +
               decimal((median(openMs) - median(noneMs)) / 30.0, 2) +
               " % of the polling interval of 3,000 ms; first tick, loading them: " +
               decimal(firstWithOpen, 0) + " / " + decimal(firstWithNone, 0) + " ms; " +
               std::to_string(stillOpen) + " still open" + notices + ")",
           "<= 1.2", ratio <= 1.2 && stillOpen == kOpenJobs && notices.empty());
    return 0;
}

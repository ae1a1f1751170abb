// Figure 2, scan cost: one Timer1 tick over an input directory of 10,000 command
// files processed already (marked) and one new receipt, against a listing of that
// directory (names, types, sizes and times). The new receipt's job runs to its end
// (rows, F_SEMAFOR row, marking, job number) without a wait for the PARTNER.

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#endif

#include "bench/BenchSupport.h"
#include "commands/DirectoryPolling.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kProcessedFiles = 10000;

const std::string kProcessedReceipt =
    "S,P1,3,AB1234,OK;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
    "S,P1,3,AB1234,OK;Hljeb;0.90;-1;;1;2;;1002\r\n"
    "T,P1,3,AB1234,OK;\r\n";

// What a directory search needs: every entry's name, type, size and time, one
// status call per entry. The sum of sizes and times, so that nothing is left out.
std::uint64_t listDirectory(const std::string& directory) {
    std::uint64_t sum = 0;
#ifdef _WIN32
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(directory)) {
        if (!entry.is_directory())
            sum += entry.file_size() + entry.last_write_time().time_since_epoch().count();
    }
#else
    DIR* dir = opendir(directory.c_str());
    for (const dirent* entry; (entry = readdir(dir));) {
        struct stat status;
        if (stat((directory + entry->d_name).c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
            sum += std::uint64_t(status.st_size) + std::uint64_t(status.st_mtim.tv_nsec);
        }
    }
    closedir(dir);
#endif
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InProcessProgram program;
    withoutPartnerWait(program.state.postavke);
    for (int i = 0; i < kProcessedFiles; ++i)
        program.drop("r" + std::to_string(100000 + i) + ".inp", kProcessedReceipt);

    DirectoryPoller poller(*program.dm, *program.settings);
    Clock::time_point start = Clock::now();
    poller.Timer1Timer();  // meets them all for the first time
    const double firstTick = msBetween(start, Clock::now());

    std::vector<double> tickMs, listingMs;
    std::uint64_t listed = 0;
    int jobs = 0;
    for (int round = -1; round < 9; ++round) {  // one to warm up
        program.drop("new" + std::to_string(round + 1) + ".inp", receiptFile(1));
        start = Clock::now();
        listed += listDirectory(program.inputDir);
        const double listing = msBetween(start, Clock::now());

        const int jobNumber = program.state.BrojRacuna;
        start = Clock::now();
        poller.Timer1Timer();
        const double tick = msBetween(start, Clock::now());
        jobs += program.state.BrojRacuna - jobNumber;
        program.clearJobRows();
        if (round < 0) continue;
        tickMs.push_back(tick);
        listingMs.push_back(listing);
    }
    if (jobs != 10 || listed == 0) {
        std::fprintf(stderr, "bench_scan: %d jobs instead of 10\n", jobs);
        return 1;
    }
    const double ratio = median(tickMs) / median(listingMs);
    report("2 scan cost, tick / listing, 10,000 processed files + 1 new receipt",
           decimal(ratio, 2) + " (" + decimal(median(tickMs), 1) + " / " + decimal(median(listingMs), 1) +
               " ms; first tick, reading them all: " + decimal(firstTick, 0) + " ms)",
           "<= 3", ratio <= 3);
    return 0;
}

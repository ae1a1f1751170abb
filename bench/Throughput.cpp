// Figure 4, throughput: 200 receipts dropped at once into the input directory of the
// running program, with a PARTNER emulator that prints instantly and looks at
// F_SEMAFOR every 10 ms; seconds per job until all are marked, beside the floor of
// one 500 ms pause per job that the handshake sets.

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kReceipts = 200;
constexpr double kFloorSeconds = 0.5;

std::string name(int i) { return "r" + std::to_string(1000 + i) + ".inp"; }

// Files marked so far, and how many of them "OK".
std::pair<int, int> marked(const ProgramProcess& program) {
    int done = 0, ok = 0;
    for (int i = 0; i < kReceipts; ++i) {
        const std::string status = program.read(name(i)).substr(14, 3);
        if (status == "__;") continue;
        ++done;
        if (status == "OK;") ++ok;
    }
    return {done, ok};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ProgramProcess program("");
    program.startPartner({"--line-delay-ms", "0", "--poll-ms", "10"});
    program.start();
    if (!program.waitForLog("pokrenut", 30000)) return 1;
    QThread::msleep(2500);  // start-up through

    const Clock::time_point start = program.drop(name(0), receiptFile(1));
    for (int i = 1; i < kReceipts; ++i) program.drop(name(i), receiptFile(1));
    std::pair<int, int> done{0, 0};
    while (done.first < kReceipts && msBetween(start, Clock::now()) < 300000) {
        QThread::msleep(100);
        done = marked(program);
    }
    const double perJob = msBetween(start, Clock::now()) / 1000.0 / kReceipts;
    const double ratio = perJob / kFloorSeconds;
    report("4 throughput, 200 receipts at once, instant PARTNER: seconds per job / 0.5 s floor",
           decimal(perJob, 3) + " s = " + decimal(ratio, 3) + " x floor (" + std::to_string(done.second) +
               " of " + std::to_string(kReceipts) + " OK)",
           "<= 1.1 x, all OK", ratio <= 1.1 && done.second == kReceipts);
    return 0;
}

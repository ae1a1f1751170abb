// Figure 6, pick-up latency: the time from a command file's appearance in the input
// directory of the running program (polling interval 3000 ms) to its job's F_SEMAFOR
// row, at random moments of the polling period. This benchmark plays the PARTNER:
// it watches F_SEMAFOR every 2 ms and removes the job's rows once it sees them.

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kSamples = 21;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ProgramProcess program("");
    program.start();
    if (!program.waitForLog("pokrenut", 30000)) return 1;
    DirectConnection partner(program.database().path());
    QThread::msleep(2500);

    std::mt19937 random(5);
    std::uniform_int_distribution<int> pause(0, 3000);
    std::vector<double> latencies;
    for (int job = 1; job <= kSamples; ++job) {
        QThread::msleep(unsigned(pause(random)));
        const std::string name = "r" + std::to_string(job) + ".inp";
        const std::string row = " where F_ID_KASE=1 and F_RBR=" + std::to_string(job);
        const Clock::time_point appeared = program.drop(name, receiptFile(1));
        while (partner.run("select F_RBR from F_SEMAFOR" + row) == 0) {
            if (msBetween(appeared, Clock::now()) > 20000) return 1;
            QThread::msleep(2);
        }
        latencies.push_back(msBetween(appeared, Clock::now()));
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            partner.run(std::string("delete from ") + table + row);
        while (program.read(name).substr(14, 3) == "__;") QThread::msleep(10);
    }
    const auto [fastest, slowest] = std::minmax_element(latencies.begin(), latencies.end());
    const double middle = median(latencies);
    report("6 pick-up latency, file appears -> F_SEMAFOR row, polling interval 3000 ms, median of 21",
           decimal(middle, 0) + " ms (" + decimal(*fastest, 0) + " to " + decimal(*slowest, 0) + " ms)",
           "< 300 ms", middle < 300);
    return 0;
}

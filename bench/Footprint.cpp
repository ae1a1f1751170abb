// Figure 5, footprint of the running program on embedded Firebird: its resident
// memory idle (database open; tray icon when DISPLAY is set, headless otherwise)
// and after 1,000 command files, and its start-up time to the first scan of the
// input directory (the directory's first opening, seen through inotify).

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <optional>
#include <string>

#ifdef __linux__
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "bench/BenchSupport.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kFiles = 1000;

std::string name(int i) { return "r" + std::to_string(10000 + i) + ".inp"; }

bool allMarked(const ProgramProcess& program, int files) {
    for (int i = files - 1; i >= 0; --i) {
        if (program.read(name(i)).substr(14, 3) == "__;") return false;
    }
    return true;
}

// The moment the directory is first opened, as it is for a listing.
class FirstOpening {
  public:
    explicit FirstOpening(const std::string& directory) {
#ifdef __linux__
        fd_ = inotify_init1(IN_CLOEXEC);
        if (fd_ >= 0) inotify_add_watch(fd_, directory.c_str(), IN_OPEN);
#else
        (void)directory;
#endif
    }
    ~FirstOpening() {
#ifdef __linux__
        if (fd_ >= 0) close(fd_);
#endif
    }
    std::optional<Clock::time_point> wait(int timeoutMs) const {
#ifdef __linux__
        pollfd ready{fd_, POLLIN, 0};
        if (fd_ >= 0 && poll(&ready, 1, timeoutMs) == 1) return Clock::now();
#else
        (void)timeoutMs;
#endif
        return std::nullopt;
    }

  private:
    int fd_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ProgramProcess program(withoutPartnerWaitSettings());
    program.startPartner({"--line-delay-ms", "0", "--poll-ms", "10"});
    const FirstOpening firstScan(program.inputDir());

    const Clock::time_point start = Clock::now();
    program.start();
    const std::optional<Clock::time_point> scanned = firstScan.wait(30000);
    if (!scanned || !program.waitForLog("pokrenut", 30000)) return 1;
    const double startup = msBetween(start, *scanned) / 1000.0;
    QThread::msleep(3000);  // the window gone to the tray, everything settled
    const double idle = program.residentMiB();
    const double idleOwn = program.anonymousMiB();

    // The first ten files bring the code of a job into memory; the rest show what stays per file.
    const auto process = [&](int from, int to) {
        for (int i = from; i < to; ++i) program.drop(name(i), receiptFile(1));
        const Clock::time_point dropped = Clock::now();
        while (!allMarked(program, to) && msBetween(dropped, Clock::now()) < 300000) QThread::msleep(200);
        QThread::msleep(3000);
    };
    process(0, 10);
    const double afterTen = program.residentMiB();
    process(10, kFiles);
    const double growth = program.residentMiB() - idle;
    const double ownGrowth = program.anonymousMiB() - idleOwn;

    const char* mode = qEnvironmentVariableIsSet("DISPLAY") ? "tray" : "headless";
    report(std::string("5 footprint (") + mode +
               "): idle | growth after 1,000 files | start-up to the first scan",
           decimal(idle, 1) + " MiB (" + decimal(idleOwn, 1) +
               " MiB its own, the rest pages of libraries) | " + decimal(growth, 2) + " MiB (" +
               decimal(afterTen - idle, 2) + " with the first 10 files; its own memory " +
               decimal(ownGrowth, 2) + ") | " + decimal(startup, 2) + " s",
           "< 40 MiB | <= 2 MiB | < 1 s",
           idle < 40 && growth <= 2 && startup < 1 && allMarked(program, kFiles));
    return 0;
}

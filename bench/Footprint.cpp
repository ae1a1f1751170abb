// Figure 5, footprint of the running program on embedded Firebird, with its journal:
// its resident memory idle (database open; tray icon when DISPLAY is set, headless
// otherwise) against a floor measured in the same run, a program of our own with a
// tray icon and the same database attached and nothing else; its own memory (pages of
// no file: heap, stacks); the growth after the first 10 of 1,000 command files; and its
// start-up time to the first scan of the input directory (the directory's first
// opening, seen through inotify).

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#ifdef __linux__
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "bench/BenchSupport.h"
#include "platform/FileSystem.h"

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

struct Memory {
    double resident = 0;
    double own = 0;
};

// The floor settled, as the program is measured: 3 s after it is ready.
std::optional<Memory> floorMemory(const std::string& databasePath) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("DISPLAY")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess floor;
    floor.setProcessEnvironment(environment);
    floor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    floor.start(QString::fromStdString(files::executableDirectory() + "bench_footprint_floor"),
                {QString::fromStdString(databasePath)});
    while (!floor.canReadLine()) {
        if (!floor.waitForReadyRead(30000)) return std::nullopt;
    }
    QThread::msleep(3000);
    const Memory memory{residentMiB(floor.processId()), ownMemoryMiB(floor.processId())};
    floor.closeWriteChannel();
    if (!floor.waitForFinished(10000)) floor.kill();
    floor.waitForFinished(5000);
    return memory;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ProgramProcess program(withoutPartnerWaitSettings());
    const std::optional<Memory> floor = floorMemory(program.database().path());
    if (!floor) return 1;
    program.startPartner({"--line-delay-ms", "0", "--poll-ms", "10"});
    const FirstOpening firstScan(program.inputDir());

    const Clock::time_point start = Clock::now();
    program.start();
    const std::optional<Clock::time_point> scanned = firstScan.wait(30000);
    if (!scanned || !program.waitForLog("pokrenut", 30000)) return 1;
    const double startup = msBetween(start, *scanned) / 1000.0;
    QThread::msleep(3000);  // the window gone to the tray, everything settled
    const Memory idle{residentMiB(program.pid()), ownMemoryMiB(program.pid())};

    // The first ten files bring the code of a job into memory; the rest show what stays per file.
    const auto process = [&](int from, int to) {
        for (int i = from; i < to; ++i) program.drop(name(i), receiptFile(1));
        const Clock::time_point dropped = Clock::now();
        while (!allMarked(program, to) && msBetween(dropped, Clock::now()) < 300000) QThread::msleep(200);
        QThread::msleep(3000);
        return Memory{residentMiB(program.pid()), ownMemoryMiB(program.pid())};
    };
    const Memory afterTen = process(0, 10);
    const Memory afterAll = process(10, kFiles);
    const double perThousand = 1000.0 / (kFiles - 10);
    const double growth = (afterAll.resident - afterTen.resident) * perThousand;
    const double ownGrowth = (afterAll.own - afterTen.own) * perThousand;
    const double ratio = idle.resident / floor->resident;
    const bool journalled = std::filesystem::exists(program.appDir() + "MerilonDnevnik.db");

    const char* mode = qEnvironmentVariableIsSet("DISPLAY") ? "tray" : "headless";
    report(std::string("5 footprint (") + mode +
               ", journal on): idle / floor (tray icon + database only) | its own memory idle | growth "
               "after the first 10 files | start-up to the first scan",
           decimal(ratio, 2) + " (" + decimal(idle.resident, 1) + " / " + decimal(floor->resident, 1) +
               " MiB) | " + decimal(idle.own, 1) + " MiB (the floor's " + decimal(floor->own, 1) + ") | " +
               decimal(growth, 2) + " MiB per 1,000 files (its own memory " + decimal(ownGrowth, 2) +
               "; the first 10 files " + decimal(afterTen.resident - idle.resident, 2) + ") | " +
               decimal(startup, 2) + " s" + (journalled ? "" : "; NO JOURNAL FILE"),
           "<= 1.1 x the floor | <= 8 MiB | <= 0.5 MiB per 1,000 files",
           ratio <= 1.1 && idle.own <= 8 && growth <= 0.5 && journalled && allMarked(program, kFiles));
    return 0;
}

#include "bench/BenchSupport.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <stdexcept>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "journal/JournalStore.h"
#include "platform/FileSystem.h"
#include "tests/support/TillSettings.h"

namespace fm::bench {

namespace fs = std::filesystem;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string decimal(double value, int places) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(places) << value;
    return out.str();
}

void report(const std::string& name, const std::string& value, const std::string& target, bool met) {
    std::printf("%s: %s (target %s) %s\n", name.c_str(), value.c_str(), target.c_str(),
                met ? "ok" : "MISSED");
    std::fflush(stdout);
}

ReplacementCounter::ReplacementCounter(const std::string& directory) {
#ifdef __linux__
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) inotify_add_watch(fd_, directory.c_str(), IN_CLOSE_WRITE);
#else
    (void)directory;
#endif
}

ReplacementCounter::~ReplacementCounter() {
#ifdef __linux__
    if (fd_ >= 0) close(fd_);
#endif
}

int ReplacementCounter::take() {
    int written = 0;
#ifdef __linux__
    alignas(inotify_event) char buffer[4096];
    for (ssize_t length; fd_ >= 0 && (length = read(fd_, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + length;
             at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            ++written;
    }
#endif
    return written;
}

double durableReplacementMs(const std::string& directory) {
    const Clock::time_point start = Clock::now();
    files::writeFileAtomically(directory + "replaced.txt", "RBRR=1\r\n");
    return msBetween(start, Clock::now());
}

std::string receiptFile(int items) {
    std::string bytes;
    for (int i = 0; i < items; ++i) {
        bytes += "S,P1,_,______,__;Artikal " + std::to_string(i) + ";1.50;2;;1;2;;" +
                 std::to_string(1000 + i) + "\r\n";
    }
    return bytes + "T,P1,_,______,__;\r\n";
}

double residentMiB(long long pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// A mapping's header reads "start-end perms offset dev inode [path]"; its fields follow
// as "Name: value kB". Pseudo-paths such as [heap] and [stack] name no file.
double ownMemoryKiB(std::istream& smaps) {
    double kib = 0;
    bool backedByFile = false;
    for (std::string line; std::getline(smaps, line);) {
        std::istringstream fields(line);
        std::string first, path;
        if (!(fields >> first)) continue;
        if (first.back() != ':') {
            std::string skip;
            fields >> skip >> skip >> skip >> skip >> path;
            backedByFile = !path.empty() && path.front() != '[';
        } else if (first == "Anonymous:" && !backedByFile) {
            double value = 0;
            fields >> value;
            kib += value;
        }
    }
    return kib;
}

double ownMemoryMiB(long long pid) {
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    return ownMemoryKiB(smaps) / 1024.0;
}

JobEntry journalEntry(int number, int outcome) {
    JobEntry entry;
    const std::int64_t now = nowEpochMs();
    entry.times = {now - 900, now - 880, now - 860, now - 850, now - 40, now - 20};
    entry.fileName = "C:\\RACUNI\\r" + std::to_string(100000 + number) + ".inp";
    entry.fileSize = 180;
    entry.number = number;
    entry.cashRegister = 1;
    entry.letter = 'S';
    entry.itemRows = 3;
    entry.paymentRows = 1;
    entry.budgetMs = 6900;
    entry.waitedMs = 810;
    entry.outcome = outcome;
    entry.action = markFor(outcome);
    if (outcome != 0)
        entry.message = "Proces nije izvrsen!\r\nPARTNER nije zavrsio proces u predvidjenom vremenu!";
    entry.receiptKey = "S,P1;Mlijeko 1l;1.20;2;;1;2;;1001|T,P1;";
    return entry;
}

void makeJournal(const std::string& path, int jobs) {
    constexpr int kThroughTheStore = 100;
    {
        JournalStore store(path, JournalBounds{jobs, 180});
        for (int i = 1; i <= kThroughTheStore; ++i) {
            const Result<void> added = store.add(journalEntry(i, i % 10 == 0 ? -2 : i % 7 == 0 ? -3 : 0));
            if (!added) throw std::runtime_error(added.error());
        }
    }
    const QString name = QStringLiteral("bench-journal");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QString::fromStdString(path));
        if (!db.open()) throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery query(db);
        const auto run = [&](const QString& sql) {
            if (!query.exec(sql)) throw std::runtime_error(query.lastError().text().toStdString());
        };
        run(QStringLiteral("PRAGMA table_info(poslovi)"));
        QStringList columns;  // all but the row's own id
        while (query.next()) {
            if (query.value(1).toString() != QLatin1String("id")) columns << query.value(1).toString();
        }
        const QString list = columns.join(QLatin1Char(','));
        for (int rows = kThroughTheStore; rows < jobs; rows *= 2) {
            run(QStringLiteral("INSERT INTO poslovi (%1) SELECT %1 FROM poslovi ORDER BY id LIMIT %2")
                    .arg(list)
                    .arg(std::min(rows, jobs - rows)));
        }
        run(QStringLiteral("SELECT count(*) FROM poslovi"));
        if (!query.next() || query.value(0).toInt() != jobs)
            throw std::runtime_error("the journal has not " + std::to_string(jobs) + " jobs");
    }
    QSqlDatabase::removeDatabase(name);
}

// A receipt's budget: lines x (speed + 600) + (header + 2000) + (ending + 1500) + polling interval.
void withoutPartnerWait(Postavke& p) {
    p.TARVOBRZINASTAMPANJASTAVKI = -600;
    p.TARVOVREMESTAMPANJAZAGLAVLJA = -2000;
    p.TARVOVREMESTAMPANJAZAVRSETKA = -1500 - p.TARVODBDRIVERAUTOMATICTIMER;
}

std::string withoutPartnerWaitSettings() {
    return "TARVOBRZINASTAMPANJASTAVKI=-600\r\nTARVOVREMESTAMPANJAZAGLAVLJA=-2000\r\n"
           "TARVOVREMESTAMPANJAZAVRSETKA=-4500\r\n";
}

// ---- the program in this process ----

InProcessProgram::InProcessProgram() {
    inputDir = root.file("racuni/");
    fs::create_directory(inputDir);
    root.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=1\r\n");
    settings = std::make_unique<Settings>(root.file("MerilonSettings.ini"));

    Postavke& p = state.postavke;
    test::setOneTill(p);
    p.TARVOBRZINASTAMPANJASTAVKI = 300;
    p.TARVOVREMESTAMPANJAZAGLAVLJA = 1500;
    p.TARVOVREMESTAMPANJAZAVRSETKA = 2000;
    p.TARVOLOCALDIR = inputDir;
    p.TARVORACUN = "*.inp";
    p.TARVODBDRIVERAUTOMATICTIMER = 3000;
    state.BrojRacuna = 1;
    state.BrojRacunaUcitan = true;
    ui.realPauses = false;

    dm = std::make_unique<Tdm_db>(state, ui);
    for (int connect = 0; connect < 2; ++connect) {
        ui.messages.clear();
        state.BazaOtvorena = dm->OtvoriBazuPodataka(database.iniPath());
    }
    if (!state.BazaOtvorena || !ui.messages.empty()) {
        throw std::runtime_error("database does not open: " +
                                 (ui.messages.empty() ? "" : ui.messages.back()));
    }
}

std::string InProcessProgram::drop(const std::string& name, const std::string& bytes) const {
    root.write("racuni/" + name, bytes);
    return inputDir + name;
}

void InProcessProgram::clearJobRows() {
    for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR", "F_NIVELACIJA"}) {
        if (!dm->sqlexec(std::string("delete from ") + table)) throw std::runtime_error(dm->ZadnjaGreska());
    }
}

// ---- a plain Qt SQL connection ----

struct DirectConnection::Impl {
    QString name;
    QSqlDatabase db;
    bool own = true;
};

DirectConnection::DirectConnection(const std::string& databasePath) : impl_(std::make_unique<Impl>()) {
    static std::atomic<int> count{0};
    impl_->name = QStringLiteral("bench#%1").arg(++count);
    impl_->db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), impl_->name);
    impl_->db.setDatabaseName(QString::fromLocal8Bit(databasePath.c_str()));
    impl_->db.setUserName(QStringLiteral("OPKASA"));
    impl_->db.setPassword(QStringLiteral("lumbrico"));
    if (!impl_->db.open())
        throw std::runtime_error("direct connection: " + impl_->db.lastError().text().toStdString());
}

// The data module names its connection "db_f#" and a number.
DirectConnection DirectConnection::ofDataModule() {
    DirectConnection connection;
    connection.impl_ = std::make_unique<Impl>();
    for (const QString& name : QSqlDatabase::connectionNames()) {
        if (name.startsWith(QLatin1String("db_f#")))
            connection.impl_->db = QSqlDatabase::database(name, false);
    }
    connection.impl_->own = false;
    if (!connection.impl_->db.isOpen()) throw std::runtime_error("the data module's connection is not open");
    return connection;
}

DirectConnection::DirectConnection(DirectConnection&&) noexcept = default;

DirectConnection::~DirectConnection() {
    if (!impl_ || !impl_->own) return;
    impl_->db.close();
    impl_->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(impl_->name);
}

int DirectConnection::run(const std::string& sql) {
    QSqlDatabase& db = impl_->db;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    const QString text = QString::fromLatin1(sql.data(), qsizetype(sql.size()));
    const auto fail = [&](const QSqlError& error) {
        throw std::runtime_error(sql + ": " + error.text().toStdString());
    };
    if (text.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
        if (!query.exec(text)) fail(query.lastError());
        int rows = 0;
        const int columns = query.record().count();
        for (; query.next(); ++rows) {
            for (int i = 0; i < columns; ++i) query.value(i);
        }
        return rows;
    }
    if (!db.transaction()) fail(db.lastError());
    if (!query.exec(text)) {
        const QSqlError error = query.lastError();
        db.rollback();
        fail(error);
    }
    if (!db.commit()) fail(db.lastError());
    return 0;
}

// ---- the program as a process ----

struct ProgramProcess::Impl {
    QProcess program;
    QProcess partner;
    std::string log;
};

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

void end(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& settingsLines) : impl_(std::make_unique<Impl>()) {
    const std::string binaries = files::executableDirectory();
    inputDir_ = root_.file("racuni/");
    for (const char* dir : {"app", "racuni", "staging", "runtime"}) fs::create_directory(root_.file(dir));
    fs::permissions(root_.file("runtime"), fs::perms::owner_all, fs::perm_options::replace);
    fs::copy_file(binaries + "fmerilon", root_.file("app/fmerilon"));
    fs::copy(binaries + "firebird", root_.file("app/firebird"), fs::copy_options::recursive);
    writeFile(root_.file("app/database.ini"), test::FreshDatabase::iniText(database_.path()));
    // The tables as after the first start, whose index step finds no article table yet
    // and says so in a box that would wait for a click on a display.
    ProcessState state;
    test::RecordingUserInterface ui;
    Tdm_db dm(state, ui);
    for (int connect = 0; connect < 2; ++connect) dm.OtvoriBazuPodataka(root_.file("app/database.ini"));
    writeFile(root_.file("app/MerilonSettings.ini"),
              "TARVOPROVJERIISTANCU=NE\r\nF_BROJ_KASE=AB1234\r\nTARVOLOCALDIR=" + inputDir_ + "\r\n" +
                  settingsLines + "RBRR=1\r\n");
}

ProgramProcess::~ProgramProcess() {
    stop();
    end(impl_->partner);
}

void ProgramProcess::startPartner(const std::vector<std::string>& options) {
    QStringList arguments{QStringLiteral("--ini"), QString::fromStdString(root_.file("app/database.ini")),
                          QStringLiteral("--journal"), QString::fromStdString(root_.file("journal.txt"))};
    for (const std::string& option : options) arguments << QString::fromStdString(option);
    QProcess& partner = impl_->partner;
    partner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    partner.start(QString::fromStdString(files::executableDirectory() + "partner-emulator"), arguments);
    if (!partner.waitForStarted(10000)) throw std::runtime_error("partner-emulator does not start");
    while (!partner.canReadLine()) {
        if (!partner.waitForReadyRead(30000)) throw std::runtime_error("partner-emulator is not ready");
    }
}

void ProgramProcess::start() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("DISPLAY")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(root_.file("runtime")));
    QProcess& program = impl_->program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(root_.file("app")));
    program.start(QString::fromStdString(root_.file("app/fmerilon")), QStringList());
    if (!program.waitForStarted(10000)) throw std::runtime_error("fmerilon does not start");
}

bool ProgramProcess::waitForLog(const std::string& fragment, int timeoutMs) {
    QProcess& program = impl_->program;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        impl_->log += program.readAllStandardError().toStdString();
        if (impl_->log.find(fragment) != std::string::npos) return true;
        if (deadline.hasExpired() || program.state() == QProcess::NotRunning) return false;
        program.waitForReadyRead(50);
    }
}

long long ProgramProcess::pid() const { return impl_->program.processId(); }

void ProgramProcess::stop() { end(impl_->program); }

Clock::time_point ProgramProcess::drop(const std::string& name, const std::string& bytes) const {
    writeFile(root_.file("staging/" + name), bytes);
    const Clock::time_point appeared = Clock::now();
    fs::rename(root_.file("staging/" + name), inputDir_ + name);
    return appeared;
}

std::string ProgramProcess::read(const std::string& name) const { return root_.read("racuni/" + name); }

}  // namespace fm::bench

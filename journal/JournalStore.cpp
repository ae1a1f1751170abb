#include "journal/JournalStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>

#include "db/SqlDriver.h"
#include "platform/Text.h"

namespace fm {

namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

// Version 1 had no columns for late outcomes, fiscal numbers and receipt keys; version 2
// none for the fiscal numbers of a job number there before the job.
constexpr int kVersion = 3;

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS poslovi ("
    " id INTEGER PRIMARY KEY, upisan INTEGER NOT NULL,"
    " preuzet INTEGER, procitan INTEGER, predaja INTEGER, predan INTEGER, odluceno INTEGER, oznacen INTEGER,"
    " fajl TEXT NOT NULL, velicina INTEGER, broj INTEGER, kasa INTEGER, komanda TEXT, tip INTEGER,"
    " stavke INTEGER, placanja INTEGER, budzet_ms INTEGER, cekano_ms INTEGER, ishod INTEGER,"
    " fajl_radnja TEXT, poruka TEXT, oporavak INTEGER, otvoren INTEGER,"
    " kasni_ishod TEXT, kasno INTEGER, fiskalni TEXT, dvaput INTEGER, kljuc TEXT, fiskalni_prije TEXT)",
    "CREATE INDEX IF NOT EXISTS poslovi_upisan ON poslovi (upisan)",
    "CREATE INDEX IF NOT EXISTS poslovi_fajl ON poslovi (fajl)",
    "CREATE INDEX IF NOT EXISTS poslovi_otvoreni ON poslovi (kasa, broj) WHERE otvoren = 1",
};

// The columns a later version added, with that version.
struct AddedColumn {
    const char* name;
    const char* type;
    int version;
};
const AddedColumn kAddedColumns[] = {
    {"kasni_ishod", "TEXT", 2}, {"kasno", "INTEGER", 2}, {"fiskalni", "TEXT", 2},
    {"dvaput", "INTEGER", 2},   {"kljuc", "TEXT", 2},    {"fiskalni_prije", "TEXT", 3},
};

// The fiskalni value of fiscal numbers that could not be read.
constexpr const char* kFiscalUnknown = "nepoznat";

const char* const kColumns[] = {
    "id",       "preuzet",     "procitan",  "predaja",  "predan",      "odluceno", "oznacen",
    "fajl",     "velicina",    "broj",      "kasa",     "komanda",     "tip",      "stavke",
    "placanja", "budzet_ms",   "cekano_ms", "ishod",    "fajl_radnja", "poruka",   "oporavak",
    "otvoren",  "kasni_ishod", "kasno",     "fiskalni", "dvaput",      "kljuc",    "fiskalni_prije",
};

// The columns to select; those a journal of an older version lacks read NULL.
std::string columnList(int version) {
    std::string list;
    for (const std::string column : kColumns) {
        const bool missing = std::any_of(
            std::begin(kAddedColumns), std::end(kAddedColumns),
            [&](const AddedColumn& added) { return column == added.name && version < added.version; });
        list += (list.empty() ? "" : ", ") + (missing ? "NULL" : column);
    }
    return list;
}

QString bytes(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }
std::string bytes(const QVariant& value) { return value.toString().toLatin1().toStdString(); }

// SQLITE_CORRUPT and SQLITE_NOTADB: the file is no journal any more.
bool isDamage(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("11") || code == QLatin1String("26") ||
           error.databaseText().contains(QLatin1String("malformed")) ||
           error.databaseText().contains(QLatin1String("not a database"));
}

FileAction actionFromText(const std::string& text) {
    for (FileAction action : {FileAction::MarkedOk, FileAction::MarkedNo, FileAction::MarkedEr,
                              FileAction::Deleted, FileAction::NotMarked, FileAction::SetAside})
        if (text == fileActionText(action)) return action;
    return FileAction::None;
}

LateOutcome lateFromText(const std::string& text) {
    for (LateOutcome late : {LateOutcome::Printed, LateOutcome::Failed, LateOutcome::Unknown})
        if (text == lateOutcomeText(late)) return late;
    return LateOutcome::None;
}

QVariant fiscalValue(const JobEntry& e) {
    if (e.fiscalNumbersUnknown) return QString::fromLatin1(kFiscalUnknown);
    return e.fiscalNumbers.empty() ? QVariant() : QVariant(bytes(joinedNumbers(e.fiscalNumbers, ",")));
}

// "123,124" as numbers; nullopt when a part is not a whole number.
std::optional<std::vector<long long>> fiscalNumbersOf(const std::string& text) {
    std::vector<long long> numbers;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        long long number = 0;
        const auto [stop, error] = std::from_chars(text.data() + at, text.data() + end, number);
        if (error != std::errc() || stop != text.data() + end) return std::nullopt;
        numbers.push_back(number);
        at = end + 1;
    }
    return numbers;
}

std::string statusCondition(const std::string& status) {
    if (status == statusWord(JobStatus::Ok)) return " AND ishod = 0";
    if (status == statusWord(JobStatus::No)) return " AND ishod = -2";
    if (status == statusWord(JobStatus::Er)) return " AND ishod NOT IN (0, -2)";
    if (status == kInterrupted) return " AND ishod IS NULL";
    if (status == "otvoren") return " AND otvoren = 1";
    if (status == "kasnije") return " AND kasni_ishod IS NOT NULL";
    if (status == "dvaput") return " AND dvaput = 1";
    return {};
}

std::string likePattern(const std::string& text) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

}  // namespace

std::string journalStatusNamed(const std::string& text) {
    for (const char* status : kJournalStatuses)
        if (text::equalsIgnoringCase(text, status)) return status;
    return {};
}

std::string journalPathBeside(const std::string& settingsPath) {
    return (std::filesystem::path(settingsPath).parent_path() / "MerilonDnevnik.db").string();
}

// One QSQLITE connection of its own name; a statement's failure is kept as lastError.
class JournalStore::Connection {
  public:
    explicit Connection(const std::string& path)
        : name_(QStringLiteral("dnevnik-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
          missingDriver_(sql::missingDriverNotice("QSQLITE")) {
        if (!missingDriver_.empty()) return;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(QString::fromStdString(path));
    }
    ~Connection() {
        { QSqlDatabase::database(name_, false).close(); }
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }

    bool open(bool readOnly) {
        if (!missingDriver_.empty())
            return fail(QSqlError(QString::fromStdString(missingDriver_), {}, QSqlError::ConnectionError));
        QSqlDatabase db = this->db();
        db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=250;QSQLITE_OPEN_READONLY")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
        return db.open() || fail(db.lastError());
    }
    // The statements in one transaction of their own.
    bool runCommitted(const std::vector<Statement>& statements) {
        QSqlDatabase db = this->db();
        if (!db.transaction()) return fail(db.lastError());
        bool done = true;
        for (const auto& [sql, values] : statements) done = done && run(sql, values);
        if (done && (db.commit() || fail(db.lastError()))) return true;
        db.rollback();
        return false;
    }

    bool run(const QString& sql, const QVariantList& values = {}, QSqlQuery* result = nullptr) {
        QSqlQuery query(db());
        if (!query.prepare(sql)) return fail(query.lastError());
        for (const QVariant& value : values) query.addBindValue(value);
        if (!query.exec()) return fail(query.lastError());
        if (result) *result = std::move(query);
        return true;
    }
    bool fail(const QSqlError& error) {
        lastError = error;
        return false;
    }

    QSqlError lastError;

  private:
    QString name_;
    std::string missingDriver_;
};

JournalStore::JournalStore(std::string path, Bounds bounds, JournalAccess access)
    : path_(std::move(path)), bounds_(bounds), access_(access) {}

JournalStore::~JournalStore() = default;

Result<void> JournalStore::open() {
    if (connection_) return {};
    std::error_code ec;
    if (std::filesystem::is_symlink(path_, ec))
        return unexpected("Dnevnik poslova " + path_ + " je simbolicki link i ne koristi se");
    const bool readOnly = access_ == JournalAccess::ReadOnly;
    connection_ = std::make_unique<Connection>(path_);
    if (!connection_->open(readOnly)) return failed("otvaranje");
    bool ready = readOnly || (connection_->run(QStringLiteral("PRAGMA journal_mode = WAL")) &&
                              connection_->run(QStringLiteral("PRAGMA synchronous = FULL")));
    if (!readOnly)
        for (const char* statement : kSchema)
            ready = ready && connection_->run(QString::fromLatin1(statement));
    QSqlQuery version;
    ready = ready && connection_->run(QStringLiteral("PRAGMA user_version"), {}, &version) && version.next();
    version_ = ready ? version.value(0).toInt() : 0;
    if (ready && !readOnly && version_ < kVersion) {
        // The columns and the version in one transaction: an upgrade is done whole or not at all.
        std::vector<Statement> upgrade;
        for (const AddedColumn& added : kAddedColumns)
            if (version_ >= 1 && version_ < added.version)
                upgrade.push_back({QStringLiteral("ALTER TABLE poslovi ADD COLUMN %1 %2")
                                       .arg(QLatin1String(added.name), QLatin1String(added.type)),
                                   {}});
        upgrade.push_back({QStringLiteral("PRAGMA user_version = %1").arg(kVersion), {}});
        ready = connection_->runCommitted(upgrade);
        version_ = kVersion;
    }
    if (!ready) return failed("otvaranje");
    return {};
}

// Closes the connection; a damaged file is moved aside, so that the next try starts a new one.
Unexpected<std::string> JournalStore::failed(const std::string& what) {
    const QSqlError sqlError = connection_ ? connection_->lastError : QSqlError();
    const bool damaged = connection_ && isDamage(sqlError);
    std::string error = "Dnevnik poslova " + path_ + " (" + what + "): " +
                        (sqlError.isValid() ? bytes(sqlError.text()) : std::string("nepoznata greska"));
    connection_.reset();
    if (!damaged || access_ == JournalAccess::ReadOnly) return unexpected(std::move(error));
    std::error_code ec;
    const std::string aside = path_ + ".neispravan";
    std::filesystem::rename(path_, aside, ec);
    if (ec) return unexpected(error + "\r\nNe moze se premjestiti: " + ec.message());
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(path_ + suffix, ec);
    setAside_ = aside;
    return unexpected(error + "\r\nOstecen dnevnik je premjesten u " + aside + "; pocinje novi.");
}

Result<void> JournalStore::add(const JobEntry& e) {
    const QVariant none;
    const auto moment = [&](std::int64_t ms) { return ms == 0 ? none : QVariant(qlonglong(ms)); };
    QVariantList values{
        qlonglong(nowEpochMs()),
        moment(e.times.takenUp),
        moment(e.times.read),
        moment(e.times.handingOver),
        moment(e.times.handedOver),
        moment(e.times.decided),
        moment(e.times.marked),
        bytes(e.fileName),
        qulonglong(e.fileSize),
        e.number,
        e.cashRegister,
        e.letter == 0 ? QVariant(QString()) : QVariant(bytes(std::string(1, e.letter))),
        e.bookingType,
        e.itemRows,
        e.paymentRows,
        e.budgetMs,
        e.waitedMs,
        e.outcome ? QVariant(*e.outcome) : none,
        QString::fromLatin1(fileActionText(e.action)),
        bytes(e.message),
        e.recovered ? 1 : 0,
        e.open ? 1 : 0,
        e.late == LateOutcome::None ? none : QVariant(QString::fromLatin1(lateOutcomeText(e.late))),
        moment(e.lateMs),
        fiscalValue(e),
        e.printedTwice ? 1 : 0,
        e.receiptKey.empty() ? none : QVariant(bytes(e.receiptKey)),
        e.fiscalBefore.empty() ? none : QVariant(bytes(joinedNumbers(e.fiscalBefore, ",")))};
    const QString insert = QStringLiteral(
        "INSERT INTO poslovi (upisan, preuzet, procitan, predaja, predan, odluceno, oznacen, fajl,"
        " velicina, broj, kasa, komanda, tip, stavke, placanja, budzet_ms, cekano_ms, ishod,"
        " fajl_radnja, poruka, oporavak, otvoren, kasni_ishod, kasno, fiskalni, dvaput, kljuc,"
        " fiskalni_prije)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
        " ?)");
    std::vector<Statement> statements{{insert, values}};
    // The start after a crash decides again a job whose file was not marked yet.
    if (e.recovered || !e.outcome) {
        const QString replaced = QStringLiteral(
            "DELETE FROM poslovi WHERE id = (SELECT max(id) FROM poslovi WHERE fajl = ? AND kasa = ? "
            "AND broj = ?) AND oznacen IS NULL");
        statements.insert(statements.begin(), {replaced, {bytes(e.fileName), e.cashRegister, e.number}});
    }
    Result<void> added;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::string before = setAside_;
        added = write("upis posla", statements);
        if (added || setAside_ == before) break;  // not damaged: a later job tries again
    }
    return added;
}

Result<void> JournalStore::settleLater(const std::string& fileName, FileAction action, std::int64_t atMs) {
    const QString update = QStringLiteral(
        "UPDATE poslovi SET fajl_radnja = ?, oznacen = ? WHERE id = (SELECT max(id) FROM poslovi"
        " WHERE fajl = ? AND fajl_radnja = ?)");
    const QVariantList values{QString::fromLatin1(fileActionText(action)), qlonglong(atMs), bytes(fileName),
                              QString::fromLatin1(fileActionText(FileAction::NotMarked))};
    return write("oznaka fajla", {{update, values}});
}

Result<void> JournalStore::prune(std::int64_t nowMs) {
    if (Result<void> opened = open(); !opened) return opened;
    // A job still open keeps its row whatever its age: its F_SEMAFOR row is still there.
    const bool pruned =
        connection_->run(QStringLiteral("DELETE FROM poslovi WHERE upisan < ? AND otvoren = 0"),
                         {qlonglong(nowMs - bounds_.maxAgeDays * kDayMs)}) &&
        // Row numbers only grow: the newest maxJobs numbers (or fewer rows) stay, found through the key
        // alone.
        connection_->run(
            QStringLiteral(
                "DELETE FROM poslovi WHERE id <= (SELECT max(id) FROM poslovi) - ? AND otvoren = 0"),
            {bounds_.maxJobs});
    if (!pruned) return failed("brisanje starih poslova");
    return {};
}

namespace {

// A row's values in column order; a value its column cannot hold is noted, not used.
class RowReader {
  public:
    explicit RowReader(const QSqlQuery& query) : query_(query) {}

    // None for NULL and for a damaged value.
    template <class Integer>
    std::optional<Integer> nullable() {
        const QVariant value = next();
        if (value.isNull()) return std::nullopt;
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (ok && number >= std::numeric_limits<Integer>::min() &&
            number <= std::numeric_limits<Integer>::max())
            return Integer(number);
        damage(value);
        return std::nullopt;
    }
    template <class Integer>
    Integer integer() {
        return nullable<Integer>().value_or(0);
    }
    std::string text() { return bytes(next()); }
    // Empty, with *unknown set, for numbers that could not be read when the job was written.
    std::vector<long long> fiscalNumbers(bool* unknown = nullptr) {
        const QVariant value = next();
        const std::string text = bytes(value);
        if (unknown) *unknown = text == kFiscalUnknown;
        if (text == kFiscalUnknown) return {};
        if (std::optional<std::vector<long long>> numbers = fiscalNumbersOf(text)) return *numbers;
        damage(value);
        return {};
    }
    const std::string& damaged() const { return damaged_; }

  private:
    QVariant next() { return query_.value(column_++); }
    void damage(const QVariant& value) {
        damaged_ += (damaged_.empty() ? "" : ", ") + bytes(query_.record().fieldName(column_ - 1)) + " '" +
                    bytes(value) + "'";
    }

    const QSqlQuery& query_;
    int column_ = 0;
    std::string damaged_;
};

JobEntry entryOf(const QSqlQuery& query) {
    JobEntry e;
    RowReader row(query);
    e.id = row.integer<std::int64_t>();
    for (std::int64_t* moment : {&e.times.takenUp, &e.times.read, &e.times.handingOver, &e.times.handedOver,
                                 &e.times.decided, &e.times.marked})
        *moment = row.integer<std::int64_t>();
    e.fileName = row.text();
    e.fileSize = std::uint64_t(row.integer<std::int64_t>());
    e.number = row.integer<int>();
    e.cashRegister = row.integer<int>();
    const std::string letter = row.text();
    e.letter = letter.empty() ? 0 : letter.front();
    for (int* count : {&e.bookingType, &e.itemRows, &e.paymentRows, &e.budgetMs, &e.waitedMs})
        *count = row.integer<int>();
    e.outcome = row.nullable<int>();
    e.action = actionFromText(row.text());
    e.message = row.text();
    e.recovered = row.integer<int>() != 0;
    e.open = row.integer<int>() != 0;
    e.late = lateFromText(row.text());
    e.lateMs = row.integer<std::int64_t>();
    e.fiscalNumbers = row.fiscalNumbers(&e.fiscalNumbersUnknown);
    e.printedTwice = row.integer<int>() != 0;
    e.receiptKey = row.text();
    e.fiscalBefore = row.fiscalNumbers();
    e.damaged = row.damaged();
    return e;
}

}  // namespace

Result<std::vector<JobEntry>> JournalStore::select(const std::string& condition, const QVariantList& values) {
    if (const Result<void> opened = open(); !opened) return unexpected(opened.error());
    const std::string sql = "SELECT " + columnList(version_) + " FROM poslovi WHERE " + condition;
    QSqlQuery query;
    if (!connection_->run(QString::fromLatin1(sql.c_str()), values, &query)) return failed("citanje");
    std::vector<JobEntry> entries;
    while (query.next()) entries.push_back(entryOf(query));
    return entries;
}

Result<std::vector<JobEntry>> JournalStore::read(const JournalFilter& filter) {
    std::string condition = "1 = 1";
    QVariantList values;
    if (filter.beforeId > 0) {
        condition += " AND id < ?";
        values << qlonglong(filter.beforeId);
    }
    condition += statusCondition(filter.status);
    if (!filter.text.empty()) {
        // fiskalni holds "5,6": a fiscal number matches whole, between commas
        condition +=
            " AND (fajl LIKE ? ESCAPE '\\' OR poruka LIKE ? ESCAPE '\\' OR CAST(broj AS TEXT) = ?"
            " OR instr(',' || fiskalni || ',', ',' || ? || ',') > 0)";
        values << bytes(likePattern(filter.text)) << bytes(likePattern(filter.text)) << bytes(filter.text)
               << bytes(filter.text);
    }
    condition += " ORDER BY id DESC LIMIT ?";
    values << filter.limit;
    return select(condition, values);
}

Result<std::vector<JobEntry>> JournalStore::openJobs(int registerNumber) {
    return select("otvoren = 1 AND kasa = ? ORDER BY id", {registerNumber});
}

Result<void> JournalStore::settleLate(const JobEntry& job) {
    const QString update = QStringLiteral(
        "UPDATE poslovi SET otvoren = 0, kasni_ishod = ?, kasno = ?, fiskalni = ?, dvaput = ? WHERE id ="
        " (SELECT max(id) FROM poslovi WHERE otvoren = 1 AND kasa = ? AND broj = ?)");
    const QVariantList values{QString::fromLatin1(lateOutcomeText(job.late)),
                              qlonglong(job.lateMs),
                              fiscalValue(job),
                              job.printedTwice ? 1 : 0,
                              job.cashRegister,
                              job.number};
    return write("kasni ishod", {{update, values}});
}

Result<void> JournalStore::setMarking(const JobEntry& job) {
    const QString update = QStringLiteral(
        "UPDATE poslovi SET fajl_radnja = ?, oznacen = ? WHERE id ="
        " (SELECT max(id) FROM poslovi WHERE fajl = ? AND kasa = ? AND broj = ?)");
    const QVariantList values{QString::fromLatin1(fileActionText(job.action)), qlonglong(job.times.marked),
                              bytes(job.fileName), job.cashRegister, job.number};
    return write("oznaka fajla", {{update, values}});
}

Result<void> JournalStore::write(const std::string& what, const std::vector<Statement>& statements) {
    if (Result<void> opened = open(); !opened) return opened;
    if (connection_->runCommitted(statements)) return {};
    return failed(what);
}

Result<DayCounts> JournalStore::countsSince(std::int64_t sinceMs) {
    if (const Result<void> opened = open(); !opened) return unexpected(opened.error());
    QSqlQuery query;
    if (!connection_->run(
            QStringLiteral("SELECT coalesce(sum(ishod = 0), 0), coalesce(sum(ishod = -2), 0),"
                           " coalesce(sum(ishod NOT IN (0, -2)), 0) FROM poslovi WHERE upisan >= ?"),
            {qlonglong(sinceMs)}, &query) ||
        !query.next())
        return failed("citanje");
    return DayCounts{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()};
}

}  // namespace fm

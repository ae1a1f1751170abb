#include "db/DM_db_source.h"

#include <QTimer>
#include <array>
#include <atomic>
#include <deque>
#include <stdexcept>

#include "db/FirebirdClient.h"
#include "db/Schema.h"
#include "db/SqlLayer.h"
#include "db/SqlText.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

const char* const defaultDriver = "INTRBASE";
const char* const noDatabaseDriver = "KAPPALOCALTXT";
const char* const odbcMySqlDriver = "MySQL ODBC 3.51 Driver";

// A dataset object of the data module: a view of one table. Opening checks that the
// table and the object's columns are there; rows are read by statements when needed.
struct DatasetView {
    std::string name;
    schema::Table table;
    bool query = false;  // a query object: all columns of its table
    std::string filter;
    int filterRegister = 0;  // the F_ID_KASE of the filter
    bool filtered = false;
    bool open = false;

    std::string columns() const {
        if (query) return "*";
        std::string list;
        for (const schema::Column& column : table.columns) list += (list.empty() ? "" : ",") + column.name;
        return list;
    }
    // " where " with the filter (when on) and the condition, or nothing when both are empty.
    std::string where(const std::string& condition = {}) const {
        std::string clause = filtered && !filter.empty() ? filter : "";
        if (!clause.empty() && !condition.empty()) clause += " and ";
        clause += condition;
        return clause.empty() ? "" : " where " + clause;
    }
};

std::vector<DatasetView> makeViews() {
    const auto view = [](const char* name, const char* table, bool query = false) {
        DatasetView v;
        v.name = name;
        v.table = schema::table(table);
        v.query = query;
        return v;
    };
    return {view("F_RACUN", "F_RACUN"),           view("F_PLACANJE", "F_PLACANJE", true),
            view("F_SEMAFOR", "F_SEMAFOR", true), view("F_LOG_RACUN", "F_LOG_RACUN"),
            view("F_LOG_STAVKE", "F_LOG_STAVKE"), view("f_roba", "F_ROBA"),
            view("f_grupe_roba", "F_GRUPE_ROBA"), view("f_por_stope", "F_POR_STOPE"),
            view("F_operateri", "F_OPERATERI"),   view("F_objekat", "F_OBJEKAT"),
            view("F_NIVELACIJA", "F_NIVELACIJA"), view("F_KUPCI", "F_KUPCI"),
            view("F_DNEV_IZV", "F_DNEV_IZV")};
}

const char* const sumaRacunaText =
    "SELECT \r\nSUM(F_KOLICINA*F_CIJENA_ROBE)  AS F_TOTAL  FROM F_RACUN\r\nWHERE \r\nF_ID_KASE=:F_ID_KASE\r\n"
    "AND \r\nF_RBR=:F_RBR\r\nAND \r\nTIPKNJIZENJA=:TIPKNJIZENJA";

std::string connectionName() {
    static std::atomic<int> count{0};
    return "db_f#" + std::to_string(++count);
}

}  // namespace

struct Tdm_db::Impl {
    sql::Connection db_f{connectionName()};
    sql::ParameterList parameters;
    std::string driverName = defaultDriver;
    std::array<sql::ResultSet, 5> up;
    sql::ResultSet sumaRacuna;
    bool sumaRacunaReplaced = false;  // holds literal SQL from the command processing
    std::vector<DatasetView> views = makeViews();
    QTimer timer1;
    bool connectedOnce = false;  // OtvoriBazuPodataka has succeeded: reconnecting makes sense
    bool quiet = false;          // after-connect steps of a reconnect show nothing
    bool outageNoticed = false;  // the notice of the current outage has been shown
    std::deque<std::string> cleanUps;

    DatasetView& view(const std::string& name) {
        for (DatasetView& v : views)
            if (v.name == name) return v;
        throw std::out_of_range("no dataset object " + name);
    }

    bool openView(DatasetView& v, std::string* error) {
        v.open = db_f.probe(v.table.name, v.columns(), error);
        return v.open;
    }

    bool runSumaRacuna(std::string* error) { return db_f.select(sumaRacuna.sql(), sumaRacuna, error); }

    // Opening F_RACUN tells DSRacun that its data changed: F_SUMA_RACUNA runs again.
    bool openRacun(std::string* error) {
        if (!openView(view("F_RACUN"), error)) return false;
        return !sumaRacunaReplaced || runSumaRacuna(error);
    }

    // One statement as a transaction of its own.
    bool runInTransaction(const std::string& sql, std::string* error) {
        if (!db_f.inTransaction() && !db_f.beginTransaction(error)) return false;
        if (db_f.execute(sql, error) && db_f.commit(error)) return true;
        db_f.rollback();
        return false;
    }

    const DatasetView& articleView() {
        const DatasetView& v = view("f_roba");
        if (!v.open) throw std::runtime_error("f_roba: Cannot perform this operation on a closed dataset");
        return v;
    }

    sql::ResultSet selectOrThrow(const std::string& sql) {
        sql::ResultSet result;
        std::string error;
        if (!db_f.select(sql, result, &error)) throw std::runtime_error(error);
        return result;
    }
};

Tdm_db::Tdm_db(ProcessState& state, UserInterface& ui)
    : state_(state), ui_(ui), impl_(std::make_unique<Impl>()) {
    impl_->timer1.setInterval(3000);
    impl_->sumaRacuna.reset(sumaRacunaText);
}

Tdm_db::~Tdm_db() = default;

// ---- connection ----

bool Tdm_db::OtvoriBazuPodataka(const std::string& iniPath) {
    std::string readError;
    const std::optional<std::string> ini =
        files::fileExists(iniPath) ? files::readWholeFile(iniPath, &readError) : std::nullopt;
    if (!ini) {
        ui_.showMessage("Ne mogu otvoriti ini datoteku: " + iniPath);
        return false;
    }
    impl_->db_f.close();
    impl_->views = makeViews();  // closed, unfiltered, with every column

    Impl& d = *impl_;
    d.parameters = sql::ParameterList(text::splitLines(*ini));
    d.driverName = text::trim(d.parameters.value("DRIVERNAME"));
    if (d.driverName.empty()) d.driverName = defaultDriver;
    if (d.driverName == defaultDriver) {
        if (d.parameters.value("USER NAME").empty()) d.parameters.set("USER NAME", "opkasa");
        if (d.parameters.value("PASSWORD").empty()) d.parameters.set("PASSWORD", "lumbrico");
    }
    if (d.driverName == noDatabaseDriver) return false;

    if (sql::qtDriverFor(d.driverName) == "QIBASE") prepareFirebirdClient();
    std::string error;
    if (!d.db_f.open(d.driverName, d.parameters, &error)) {
        ui_.showMessage("GRESKA! NE MOGU OTVORITI  BAZU PODATAKA\r\n" + error);
        return false;
    }
    db_fAfterConnect();
    d.connectedOnce = true;
    setTimer1Enabled(true);
    return true;
}

bool Tdm_db::isConnected() const { return impl_->db_f.isOpen(); }

bool Tdm_db::connectionLost() const {
    return impl_->connectedOnce && (impl_->db_f.lost() || !impl_->db_f.isOpen());
}

bool Tdm_db::ensureConnected() {
    Impl& d = *impl_;
    if (!d.connectedOnce) return d.db_f.isOpen();
    std::string error;
    bool usable = !connectionLost() &&
                  (d.db_f.ping(&error) || d.db_f.lastFailure() != sql::Connection::Failure::ConnectionLost);
    if (!usable) usable = reconnect(&error);
    if (usable) usable = runCleanUps(&error);
    if (!usable) {
        if (!d.outageNoticed)
            Obavijesti(
                ui_,
                "Nema veze sa bazom podataka! Komande se ne mogu obraditi dok se veza ne uspostavi.\r\n" +
                    error);
        d.outageNoticed = true;
        return false;
    }
    if (d.outageNoticed) Obavijesti(ui_, "Veza sa bazom podataka je ponovo uspostavljena.");
    d.outageNoticed = false;
    return true;
}

bool Tdm_db::reconnect(std::string* error) {
    Impl& d = *impl_;
    d.db_f.close();
    d.views = makeViews();
    if (!d.db_f.open(d.driverName, d.parameters, error)) return false;
    d.quiet = true;
    db_fAfterConnect();
    d.quiet = false;
    return true;
}

void Tdm_db::cleanUpLater(const std::string& sql) { impl_->cleanUps.push_back(sql); }

// In the order they failed; one refused for a reason other than the connection is dropped.
bool Tdm_db::runCleanUps(std::string* error) {
    Impl& d = *impl_;
    while (!d.cleanUps.empty()) {
        if (!d.runInTransaction(d.cleanUps.front(), error) &&
            d.db_f.lastFailure() == sql::Connection::Failure::ConnectionLost)
            return false;
        d.cleanUps.pop_front();
    }
    return true;
}

std::string Tdm_db::driverName() const { return impl_->driverName; }

schema::Dialect Tdm_db::dialect() const { return impl_->db_f.dialect(); }

// ---- schema check on connect ----

void Tdm_db::db_fAfterConnect() {
    Impl& d = *impl_;
    if (TestirajPostojanjePravila(schema::knjigSifraIndexName) == -31 &&
        !sqlexec(schema::knjigSifraIndexStatement))
        afterConnectMessage("Ne mogu dodati index I_ASC_F_KNJIG_SIFRA na tabelu F_ROBA");

    const Postavke& p = state_.postavke;
    const std::pair<const char*, int> filters[] = {
        {"F_KUPCI", p.FID_KUPACA},        {"F_objekat", p.FID_OBJEKTA}, {"f_por_stope", p.FID_POR_STOPA},
        {"F_operateri", p.FID_OPERATERA}, {"f_roba", p.FID_ROBA},       {"f_grupe_roba", p.FID_GRUPA_ROBA},
        {"F_NIVELACIJA", p.FID_RACUNA},   {"F_SEMAFOR", p.FID_RACUNA}};
    for (const auto& [object, registerNumber] : filters) {
        d.view(object).filter = "F_ID_KASE='" + integerNumeral(registerNumber) + "'";
        d.view(object).filterRegister = registerNumber;
    }
    for (const auto& [object, registerNumber] : filters) d.view(object).filtered = true;

    // Objects without a message are opened when they can be and left closed otherwise.
    const std::pair<const char*, const char*> openOrCreate[] = {
        {"F_SEMAFOR", nullptr},
        {"F_KUPCI", "Greska otvaranja - kreiranja tabele F_Kupci"},
        {"F_DNEV_IZV", "Greska otvaranja - kreiranja tabele F_dnev_izv"},
        {"F_PLACANJE", nullptr},
        {"F_NIVELACIJA", "Greska otvaranja - kreiranja tabele F_Nivelacija"},
        {"f_por_stope", "Greska otvaranja - kreiranja tabele F_Porstope"},
        {"f_grupe_roba", "Greska otvaranja - kreiranja tabele F_grupe_roba"},
        {"F_operateri", "Greska otvaranja - kreiranja tabele F_operateri"},
        {"f_roba", "Greska otvaranja - kreiranja tabele F_roba"},
        {"F_objekat", "Greska otvaranja - kreiranja tabele F_objekat"},
        {"F_LOG_RACUN", "Greska otvaranja - kreiranja tabele F_LOG_RACUN"},
        {"F_LOG_STAVKE", "Greska otvaranja - kreiranja tabele F_log_stavke"},
        {"F_RACUN", nullptr}};
    for (const auto& [object, createMessage] : openOrCreate) {
        DatasetView& v = d.view(object);
        if (v.name == "F_DNEV_IZV" && d.driverName == odbcMySqlDriver)
            v.table = v.table.withoutColumn("F_DATUM");
        std::string error;
        const bool opened = v.name == "F_RACUN" ? d.openRacun(&error) : d.openView(v, &error);
        if (opened || !createMessage || error.compare(0, 20, "Table does not exist") != 0) continue;
        for (const std::string& statement : schema::createTableStatements(v.table, d.db_f.dialect())) {
            if (!d.runInTransaction(statement, &error)) {
                afterConnectMessage(createMessage + error);
                break;
            }
        }
        // A table just created is opened at once, so that the first run can use it.
        d.openView(v, &error);
    }
    addArticleCodeIndex();
}

// Without it, max of the article codes, the code of every new article, reads the whole
// table. Added as the bookkeeping-code index is, once the article table can be used.
void Tdm_db::addArticleCodeIndex() {
    if (!impl_->view("f_roba").open) return;
    if (TestirajPostojanjePravila(schema::articleCodeIndexName) == -31 &&
        !sqlexec(schema::articleCodeIndexStatement(dialect())))
        afterConnectMessage("Ne mogu dodati index I_DESC_F_SIFRA_ROBE na tabelu F_ROBA");
}

void Tdm_db::afterConnectMessage(const std::string& text) {
    if (!impl_->quiet) ui_.showMessage(text);
}

int Tdm_db::TestirajPostojanjePravila(const std::string& indexName) {
    int code = -20;
    const auto tables = impl_->db_f.userTables(nullptr);
    if (!tables) return code;
    code = -31;
    const std::string wanted = text::trim(indexName);
    for (const std::string& table : *tables) {
        const auto indexes = impl_->db_f.indexNames(table, nullptr);
        if (!indexes) return code;
        for (const std::string& index : *indexes)
            if (text::trim(index) == wanted) return 0;
    }
    return code;
}

int Tdm_db::TestirajPostojanjePolja(const std::string& table, const std::string& column) {
    int code = -20;
    const auto tables = impl_->db_f.userTables(nullptr);
    if (!tables) return code;
    code = -21;
    const std::string* found = nullptr;
    for (const std::string& name : *tables)
        if (!found && text::equalsIgnoringCase(name, table)) found = &name;
    if (!found) return code;
    code = -30;
    const auto columns = impl_->db_f.columnNames(*found, nullptr);
    if (!columns) return code;
    code = -31;
    for (const std::string& name : *columns)
        if (text::equalsIgnoringCase(name, column)) return 0;
    return code;
}

bool Tdm_db::isDatasetOpen(const std::string& objectName) const { return impl_->view(objectName).open; }

void Tdm_db::onStatement(std::function<void(const std::string&)> observer) {
    impl_->db_f.setStatementObserver(std::move(observer));
}

// ---- query helpers ----

bool Tdm_db::queryOn(int index, const std::string& sql) {
    ZadnjaGreska_.clear();
    std::string error;
    if (impl_->db_f.select(sql, impl_->up[std::size_t(index)], &error)) return true;
    ZadnjaGreska_ = error;
    return false;
}

bool Tdm_db::execOn(int index, const std::string& sql) {
    ZadnjaGreska_.clear();
    impl_->up[std::size_t(index)].reset(sql);
    std::string error;
    try {
        if (impl_->runInTransaction(sql, &error)) return true;
    } catch (const std::exception& e) {
        error = e.what();
        impl_->db_f.rollback();
    }
    ZadnjaGreska_ = error;
    return false;
}

bool Tdm_db::sqlexecWithNext(const std::string& sql) {
    ZadnjaGreska_.clear();
    sql::Connection& db = impl_->db_f;
    std::string error;
    try {
        if ((db.inTransaction() || db.beginTransaction(&error)) && db.execute(sql, &error)) return true;
    } catch (const std::exception& e) {
        error = e.what();
    }
    db.rollback();
    ZadnjaGreska_ = error;
    return false;
}

bool Tdm_db::lastErrorIsKeyViolation() const {
    return !ZadnjaGreska_.empty() && impl_->db_f.lastFailure() == sql::Connection::Failure::KeyViolation;
}

bool Tdm_db::sqlopen(const std::string& sql) { return queryOn(0, sql); }
bool Tdm_db::sqlopen1(const std::string& sql) { return queryOn(1, sql); }
bool Tdm_db::sqlopen2(const std::string& sql) { return queryOn(2, sql); }
bool Tdm_db::sqlopen3(const std::string& sql) { return queryOn(3, sql); }
bool Tdm_db::sqlopen4(const std::string& sql) { return queryOn(4, sql); }
bool Tdm_db::sqlexec(const std::string& sql) { return execOn(0, sql); }
bool Tdm_db::sqlexec1(const std::string& sql) { return execOn(1, sql); }
bool Tdm_db::sqlexec2(const std::string& sql) { return execOn(2, sql); }
bool Tdm_db::sqlexec3(const std::string& sql) { return execOn(3, sql); }
ScratchQuery& Tdm_db::up() { return impl_->up[0]; }
ScratchQuery& Tdm_db::up1() { return impl_->up[1]; }
ScratchQuery& Tdm_db::up2() { return impl_->up[2]; }
ScratchQuery& Tdm_db::up3() { return impl_->up[3]; }
ScratchQuery& Tdm_db::up4() { return impl_->up[4]; }

int Tdm_db::max(const std::string& table, const std::string& column) {
    if (!sqlopen("Select max(" + column + ") as mx from " + table) || !up().hasRow()) return 0;
    try {
        return int(up().integer("mx"));
    } catch (const std::exception& e) {
        ZadnjaGreska_ = e.what();
        return 0;
    }
}

bool Tdm_db::openSumaRacuna(const std::string& sql) {
    ZadnjaGreska_.clear();
    impl_->sumaRacuna.reset(sql);
    impl_->sumaRacunaReplaced = true;
    std::string error;
    if (impl_->runSumaRacuna(&error)) return true;
    ZadnjaGreska_ = error;
    return false;
}

ScratchQuery& Tdm_db::F_SUMA_RACUNA() { return impl_->sumaRacuna; }

bool Tdm_db::ExportujPodatke(const std::string& sourceObject, const std::string& targetObject) {
    Impl& d = *impl_;
    bool copied = false;
    try {
        DatasetView& source = d.view(sourceObject);
        DatasetView& target = d.view(targetObject);
        std::string error;
        if (!d.openView(source, &error) || !d.openView(target, &error)) throw std::runtime_error(error);
        sql::ResultSet rows =
            d.selectOrThrow("select " + source.columns() + " from " + source.table.name + source.where());
        for (; rows.hasRow(); rows.next()) {
            if (rows.columnCount() > target.table.columns.size())
                throw std::runtime_error(target.name + " has fewer columns than " + source.name);
            std::string columns, values;
            for (std::size_t i = 0; i < rows.columnCount(); ++i) {
                const sql::ResultSet::Value& value = rows.valueAt(i);
                columns += (i ? "," : "") + target.table.columns[i].name;
                values += i ? "," : "";
                switch (value.kind) {
                    case sql::ResultSet::Value::Kind::Null:
                        values += "NULL";
                        break;
                    case sql::ResultSet::Value::Kind::Real:
                        values += realNumeral(value.real);
                        break;
                    case sql::ResultSet::Value::Kind::Integer:
                        values += integerNumeral(value.integer);
                        break;
                    case sql::ResultSet::Value::Kind::Text:
                        values += SqlTekst(value.text);
                        break;
                }
            }
            if (!d.runInTransaction(
                    "insert into " + target.table.name + " (" + columns + ") values (" + values + ")",
                    &error))
                throw std::runtime_error(error);
        }
        copied = true;
    } catch (const std::exception& e) {
        ui_.showMessage(std::string("Greska pri kopiranju podataka\r\n") + e.what());
    }
    setTimer1Enabled(true);
    return copied;
}

// ---- dataset objects ----

bool Tdm_db::articleExists(int fidRoba, int sifraRobe) {
    const DatasetView& v = impl_->articleView();
    const std::string key =
        "F_ID_KASE=" + integerNumeral(fidRoba) + " and F_SIFRA_ROBE=" + integerNumeral(sifraRobe);
    return impl_->selectOrThrow("select F_SIFRA_ROBE from F_ROBA" + v.where(key)).hasRow();
}

// The register is compared here, not in the statement: beside the code's index Firebird
// would also walk the primary key over every article of the register (index statistics
// date from the empty table), a cost that grows with the table.
std::optional<int> Tdm_db::articleByKnjigSifra(const std::string& knjigSifra) {
    const DatasetView& v = impl_->articleView();
    sql::ResultSet found = impl_->selectOrThrow(
        "select F_ID_KASE,F_SIFRA_ROBE from F_ROBA where F_KNJIG_SIFRA=" + SqlTekst(knjigSifra));
    const bool anyRegister = !v.filtered || v.filter.empty();
    for (; found.hasRow(); found.next()) {
        if (anyRegister || found.real("F_ID_KASE") == v.filterRegister)
            return int(found.integer("F_SIFRA_ROBE"));
    }
    return std::nullopt;
}

void Tdm_db::refreshArticleView() { impl_->openView(impl_->view("f_roba"), nullptr); }

void Tdm_db::reopenRacunView() { impl_->openRacun(nullptr); }

void Tdm_db::reopenPlacanjeView() { impl_->openView(impl_->view("F_PLACANJE"), nullptr); }

void Tdm_db::osvjezitabele() {
    Impl& d = *impl_;
    for (const char* object : {"F_NIVELACIJA", "F_PLACANJE", "F_SEMAFOR"}) d.view(object).open = false;
    std::string error;
    if (!d.view("F_RACUN").open && !d.openRacun(&error)) throw std::runtime_error(error);
    for (const char* object : {"F_NIVELACIJA", "F_PLACANJE", "F_SEMAFOR"})
        if (!d.openView(d.view(object), &error)) throw std::runtime_error(error);
}

std::optional<std::string> Tdm_db::settingFromTable(const std::string& upperKey) {
    if (!state_.BazaOtvorena) return std::nullopt;
    if (!sqlopen("select * from settings where NAZIV =" + SqlTekst(upperKey)) || !up().hasRow())
        return std::nullopt;
    try {
        return up().text("VRIJEDNOST");
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// ---- Timer1 ----

void Tdm_db::onTimer1(std::function<void()> handler) {
    QObject::connect(&impl_->timer1, &QTimer::timeout, std::move(handler));
}

void Tdm_db::setTimer1Enabled(bool enabled) {
    if (enabled)
        impl_->timer1.start();
    else
        impl_->timer1.stop();
}

bool Tdm_db::timer1Enabled() const { return impl_->timer1.isActive(); }

void Tdm_db::setTimer1Interval(int milliseconds) { impl_->timer1.setInterval(milliseconds); }

int Tdm_db::timer1Interval() const { return impl_->timer1.interval(); }

// ---- files ----

std::string fsearch(const std::string& pattern) {
    const std::vector<files::DirectoryEntry> entries = files::findEntries(pattern);
    if (entries.empty() || entries.front().isDirectory) return {};
    return entries.front().name;
}

}  // namespace fm

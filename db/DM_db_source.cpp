#include "db/DM_db_source.h"

#include <atomic>
#include <stdexcept>

#include "db/DataModule.h"
#include "db/FirebirdClient.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

// The data module's connection: opened from database.ini, opened again after an outage.
namespace fm {

namespace {

const char* const defaultDriver = "INTRBASE";
const char* const noDatabaseDriver = "KAPPALOCALTXT";

const char* const sumaRacunaText =
    "SELECT \r\nSUM(F_KOLICINA*F_CIJENA_ROBE)  AS F_TOTAL  FROM F_RACUN\r\nWHERE \r\nF_ID_KASE=:F_ID_KASE\r\n"
    "AND \r\nF_RBR=:F_RBR\r\nAND \r\nTIPKNJIZENJA=:TIPKNJIZENJA";

std::string connectionName() {
    static std::atomic<int> count{0};
    return "db_f#" + std::to_string(++count);
}

}  // namespace

Tdm_db::Impl::Impl() : db_f(connectionName()), driverName(defaultDriver) {
    timer1.setInterval(3000);
    sumaRacuna.reset(sumaRacunaText);
}

sql::Outcome Tdm_db::Impl::runInTransaction(const std::string& sql) {
    if (!db_f.inTransaction())
        if (const sql::Outcome begun = db_f.beginTransaction(); !begun) return begun;
    sql::Outcome done = db_f.execute(sql);
    if (done) done = db_f.commit();
    if (!done) db_f.rollback();
    return done;
}

sql::ResultSet Tdm_db::Impl::selectOrThrow(const std::string& sql) {
    sql::ResultSet result;
    if (const sql::Outcome done = db_f.select(sql, result); !done) throw std::runtime_error(done.error);
    return result;
}

Tdm_db::Tdm_db(ProcessState& state, UserInterface& ui)
    : state_(state), ui_(ui), impl_(std::make_unique<Impl>()) {}

Tdm_db::~Tdm_db() = default;

bool Tdm_db::OtvoriBazuPodataka(const std::string& iniPath) {
    const Result<bool> opened = openForRetry(iniPath);
    if (opened) return *opened;
    ui_.showMessage("GRESKA! NE MOGU OTVORITI  BAZU PODATAKA\r\n" + opened.error());
    return false;
}

Result<bool> Tdm_db::openForRetry(const std::string& iniPath) {
    const Result<std::string> ini =
        files::fileExists(iniPath) ? files::readWholeFile(iniPath) : unexpected(std::string());
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
    const sql::Engine engine = sql::Engine::forDriver(d.driverName);
    engine.addDefaultCredentials(d.parameters);
    if (d.driverName == noDatabaseDriver) return false;

    if (engine.firebirdClient) prepareFirebirdClient();
    if (Result<void> connected = connect(); !connected) return unexpected(connected.error());
    return true;
}

Result<void> Tdm_db::openAgain() {
    impl_->db_f.close();
    impl_->views = makeViews();
    return connect();
}

Result<void> Tdm_db::connect() {
    Impl& d = *impl_;
    if (const sql::Outcome opened = d.db_f.open(d.driverName, d.parameters); !opened)
        return unexpected(opened.error.empty() ? std::string("baza se ne moze otvoriti") : opened.error);
    db_fAfterConnect();
    d.connectedOnce = true;
    setTimer1Enabled(true);
    return {};
}

bool Tdm_db::isConnected() const { return impl_->db_f.isOpen(); }

bool Tdm_db::connectionLost() const {
    return impl_->connectedOnce && (impl_->db_f.lost() || !impl_->db_f.isOpen());
}

sql::Outcome Tdm_db::reconnect() {
    Impl& d = *impl_;
    d.db_f.close();
    d.views = makeViews();
    if (sql::Outcome opened = d.db_f.open(d.driverName, d.parameters); !opened) return opened;
    d.quiet = true;
    db_fAfterConnect();
    d.quiet = false;
    return {};
}

std::string Tdm_db::driverName() const { return impl_->driverName; }

schema::Dialect Tdm_db::dialect() const { return impl_->db_f.dialect(); }

void Tdm_db::onStatement(std::function<void(const std::string&)> observer) {
    impl_->db_f.setStatementObserver(std::move(observer));
}

std::string fsearch(const std::string& pattern) {
    const std::vector<files::DirectoryEntry> entries = files::findEntries(pattern);
    if (entries.empty() || entries.front().isDirectory) return {};
    return entries.front().name;
}

}  // namespace fm

#include "db/DataModule.h"
#include "platform/UserInterface.h"

// An outage of the database: one notice when it begins and one when it ends, and the
// clean-ups that could not run meanwhile.
namespace fm {

bool Tdm_db::ensureConnected() {
    Impl& d = *impl_;
    if (!d.connectedOnce) return d.db_f.isOpen();
    sql::Outcome usable = connectionLost() ? sql::Outcome{sql::Failure::ConnectionLost, {}} : d.db_f.ping();
    if (usable.failure != sql::Failure::ConnectionLost) usable = {};  // it answers, if only with an error
    if (!usable) usable = reconnect();
    if (usable) usable = runCleanUps();
    if (!usable) {
        if (!d.outageNoticed)
            Obavijesti(
                ui_,
                "Nema veze sa bazom podataka! Komande se ne mogu obraditi dok se veza ne uspostavi.\r\n" +
                    usable.error);
        d.outageNoticed = true;
        return false;
    }
    if (d.outageNoticed) Obavijesti(ui_, "Veza sa bazom podataka je ponovo uspostavljena.");
    d.outageNoticed = false;
    return true;
}

void Tdm_db::cleanUpLater(const std::string& sql) { impl_->cleanUps.push_back(sql); }

// In the order they failed; one refused for a reason other than the connection is dropped.
sql::Outcome Tdm_db::runCleanUps() {
    Impl& d = *impl_;
    while (!d.cleanUps.empty()) {
        if (const sql::Outcome done = d.runInTransaction(d.cleanUps.front());
            done.failure == sql::Failure::ConnectionLost)
            return done;
        d.cleanUps.pop_front();
    }
    return {};
}

}  // namespace fm

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/Postavke.h"
#include "db/JobSql.h"
#include "db/Schema.h"
#include "db/SqlFailure.h"

namespace fm {

class UserInterface;

// The data module: the connection db_f to the fiscal database, its table views,
// the scratch queries up..up4 with their helpers, ZadnjaGreska and the polling timer.
class Tdm_db : public JobSql {
  public:
    Tdm_db(ProcessState& state, UserInterface& ui);
    ~Tdm_db();
    Tdm_db(const Tdm_db&) = delete;
    Tdm_db& operator=(const Tdm_db&) = delete;

    ProcessState& state() { return state_; }
    UserInterface& ui() { return ui_; }

    // Connection from the NAME=VALUE lines of database.ini; shows its own messages.
    bool OtvoriBazuPodataka(const std::string& iniPath);
    // The same for a start that tries again: a connection that cannot be opened is not
    // shown, its failure (the engine's text, never empty) is returned, and openAgain may
    // try it later. False: it failed otherwise, as shown.
    Result<bool> openForRetry(const std::string& iniPath);
    // The connection of the last open opened again with its parameters, nothing shown.
    Result<void> openAgain();
    bool isConnected() const;

    // Before a file is taken up: whether the connection can be used. A connection that a
    // statement found gone, or that does not answer a ping, is opened again with the same
    // parameters and its after-connect steps run without messages; then the clean-ups
    // that failed meanwhile are run. While the database cannot be reached: false, with
    // one notice per outage (and one when it is back).
    bool ensureConnected() override;
    // A statement found the connection gone and ensureConnected has not restored it.
    bool connectionLost() const override;
    // A clean-up statement of a failed job that did not go through: ensureConnected
    // runs it before anything else.
    void cleanUpLater(const std::string& sql) override;
    std::string driverName() const;            // trimmed DRIVERNAME (INTRBASE when empty)
    schema::Dialect dialect() const override;  // SQL grammar of the connected engine

    // Scratch-query helpers; false with the database's text in ZadnjaGreska.
    bool sqlopen(const std::string& sql);
    bool sqlopen1(const std::string& sql);
    bool sqlopen2(const std::string& sql);
    bool sqlopen3(const std::string& sql);
    bool sqlopen4(const std::string& sql);
    bool sqlexec(const std::string& sql);
    bool sqlexec1(const std::string& sql);
    bool sqlexec2(const std::string& sql);
    bool sqlexec3(const std::string& sql);
    ScratchQuery& up();
    ScratchQuery& up1();
    ScratchQuery& up2();
    ScratchQuery& up3();
    ScratchQuery& up4();
    // The job's calls on the helpers above.
    Result<void, sql::Error> exec(const std::string& sql) override;
    // Runs the statement in a transaction that the next sqlexec call commits together
    // with its own statement, or rolls back with it; on a failure nothing is kept.
    Result<void, sql::Error> execWithNext(const std::string& sql) override;
    Result<ScratchQuery*, sql::Error> select3(const std::string& sql) override;
    Result<ScratchQuery*, sql::Error> selectEveryScan(const std::string& sql) override;
    Result<ScratchQuery*, sql::Error> sumaRacuna(const std::string& sql) override;
    const std::string& ZadnjaGreska() const override { return ZadnjaGreska_; }
    // The latest helper call failed on a duplicate key.
    bool lastErrorIsKeyViolation() const;

    // Highest value of a column over all registers; 0 when none or on error.
    int max(const std::string& table, const std::string& column);
    Result<int, sql::Error> highest(const std::string& table, const std::string& column) override;

    // Copies every row of one dataset object into another ("F_LOG_RACUN", "f_roba", ...),
    // columns by position; shows its message on error and enables Timer1 either way.
    bool ExportujPodatke(const std::string& sourceObject, const std::string& targetObject);

    // Existence tests of the schema check: 0 when found, else the code of the stage reached.
    int TestirajPostojanjePravila(const std::string& indexName);
    int TestirajPostojanjePolja(const std::string& table, const std::string& column);

    // Whether a dataset object ("f_roba", "F_SEMAFOR", ...) is open.
    bool isDatasetOpen(const std::string& objectName) const;

    // Sees every SQL text that goes to the database.
    void onStatement(std::function<void(const std::string&)> observer);

    // The receipt-total query, used as a scratch query: replace its text and open it.
    // False with the database's text in ZadnjaGreska.
    bool openSumaRacuna(const std::string& sql);
    ScratchQuery& F_SUMA_RACUNA();

    // The article view f_roba (rows of FID_ROBA). articleExists throws std::runtime_error
    // when the view cannot be used (not open).
    bool articleExists(int fidRoba, int sifraRobe) override;
    Result<std::optional<int>, sql::Error> articleByKnjigSifra(const std::string& knjigSifra) override;
    void refreshArticleView() override;

    // Re-reads the document views after the writers changed their tables.
    void reopenRacunView() override;
    void reopenPlacanjeView() override;
    void osvjezitabele();

    // Settings table lookup for CitajPostavku once the database is open.
    std::optional<std::string> settingFromTable(const std::string& upperKey);

    // Timer1, the polling timer: off until the database opens.
    void onTimer1(std::function<void()> handler);
    void setTimer1Enabled(bool enabled);
    bool timer1Enabled() const;
    void setTimer1Interval(int milliseconds);
    int timer1Interval() const;

  private:
    Result<void> connect();
    void db_fAfterConnect();
    void addArticleCodeIndex();
    void afterConnectMessage(const std::string& text);
    sql::Outcome reconnect();
    sql::Outcome runCleanUps();
    // Keeps a helper's outcome for ZadnjaGreska and lastErrorIsKeyViolation.
    bool remember(const sql::Outcome& outcome);
    sql::Error lastError() const;
    bool queryOn(int index, const std::string& sql);
    bool execOn(int index, const std::string& sql);

    struct Impl;
    ProcessState& state_;
    UserInterface& ui_;
    std::string ZadnjaGreska_;
    std::unique_ptr<Impl> impl_;
};

// fsearch: bare name of the first entry matching the pattern when it is a file, else "".
std::string fsearch(const std::string& pattern);

}  // namespace fm

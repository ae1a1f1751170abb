#pragma once

#include <QTimer>
#include <array>
#include <deque>
#include <string>
#include <vector>

#include "db/DM_db_source.h"
#include "db/SqlLayer.h"

namespace fm {

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

    std::string columns() const;
    // " where " with the filter (when on) and the condition, or nothing when both are empty.
    std::string where(const std::string& condition = {}) const;
};

// Every dataset object, closed, unfiltered, with every column.
std::vector<DatasetView> makeViews();

// What Tdm_db holds, shared by the files that implement it.
struct Tdm_db::Impl {
    sql::Connection db_f;
    sql::ParameterList parameters;
    std::string driverName;
    std::array<sql::ResultSet, 5> up;
    sql::Failure lastHelperFailure = sql::Failure::None;  // of the call that set ZadnjaGreska
    sql::ResultSet sumaRacuna;
    bool sumaRacunaReplaced = false;  // holds literal SQL from the command processing
    std::vector<DatasetView> views = makeViews();
    QTimer timer1;
    bool connectedOnce = false;  // OtvoriBazuPodataka has succeeded: reconnecting makes sense
    bool quiet = false;          // after-connect steps of a reconnect show nothing
    bool outageNoticed = false;  // the notice of the current outage has been shown
    std::deque<std::string> cleanUps;

    Impl();

    // One statement as a transaction of its own.
    sql::Outcome runInTransaction(const std::string& sql);
    sql::ResultSet selectOrThrow(const std::string& sql);

    DatasetView& view(const std::string& name);  // throws std::out_of_range for an unknown one
    sql::Outcome openView(DatasetView& v);
    sql::Outcome runSumaRacuna();
    // Opening F_RACUN tells DSRacun that its data changed: F_SUMA_RACUNA runs again.
    sql::Outcome openRacun();
    Result<const DatasetView*, sql::Error> articleView();  // fails when not open
};

}  // namespace fm

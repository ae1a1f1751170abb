#include <stdexcept>

#include "db/DataModule.h"
#include "db/SqlText.h"
#include "platform/UserInterface.h"

namespace fm {

bool Tdm_db::ExportujPodatke(const std::string& sourceObject, const std::string& targetObject) {
    using Kind = sql::ResultSet::Value::Kind;
    Impl& d = *impl_;
    bool copied = false;
    try {
        DatasetView& source = d.view(sourceObject);
        DatasetView& target = d.view(targetObject);
        sql::Outcome done = d.openView(source);
        if (done) done = d.openView(target);
        if (!done) throw std::runtime_error(done.error);
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
                values += value.kind == Kind::Null      ? std::string("NULL")
                          : value.kind == Kind::Real    ? realNumeral(value.real)
                          : value.kind == Kind::Integer ? integerNumeral(value.integer)
                                                        : SqlTekst(value.text);
            }
            done = d.runInTransaction("insert into " + target.table.name + " (" + columns + ") values (" +
                                      values + ")");
            if (!done) throw std::runtime_error(done.error);
        }
        copied = true;
    } catch (const std::exception& e) {
        ui_.showMessage(std::string("Greska pri kopiranju podataka\r\n") + e.what());
    }
    setTimer1Enabled(true);
    return copied;
}

}  // namespace fm

#include <QSqlDatabase>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QStringList>

#include "db/SqlLayer.h"
#include "db/TextTransport.h"
#include "platform/Text.h"

// The connection's catalogue: the engine's own queries, or the Qt driver's catalogue.
namespace fm::sql {

namespace {

// The names the catalogue query reads, or without one those of the Qt driver's catalogue.
Outcome catalogueNames(Connection& connection, const std::optional<std::string>& query,
                       const std::string& table, const std::function<QStringList()>& driverCatalogue,
                       std::vector<std::string>& names) {
    names.clear();
    if (!query) {
        if (!connection.isOpen()) return {Failure::Other, "Database is not open"};
        for (const QString& name : driverCatalogue())
            names.push_back(fromQt(name, connection.engine().coding));
        return {};
    }
    ResultSet result;
    const Outcome done = connection.select(connection.engine().catalogueStatement(*query, table), result);
    for (; done && result.hasRow(); result.next()) names.push_back(text::trim(result.text("NAME")));
    return done;
}

}  // namespace

Outcome Connection::userTables(std::vector<std::string>& names) {
    return catalogueNames(
        *this, engine_.userTables, {}, [this] { return db_->tables(QSql::Tables); }, names);
}

Outcome Connection::columnNames(const std::string& table, std::vector<std::string>& names) {
    return catalogueNames(
        *this, engine_.columns, table,
        [&] {
            const QSqlRecord record = db_->record(toQt(table, engine_.coding));
            QStringList columns;
            for (int i = 0; i < record.count(); ++i) columns.append(record.fieldName(i));
            return columns;
        },
        names);
}

Outcome Connection::indexNames(const std::string& table, std::vector<std::string>& names) {
    return catalogueNames(
        *this, engine_.indexes, table,
        [&] {
            const QString primary = db_->primaryIndex(toQt(table, engine_.coding)).name();
            return primary.isEmpty() ? QStringList() : QStringList{primary};
        },
        names);
}

}  // namespace fm::sql

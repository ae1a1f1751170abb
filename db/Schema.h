#pragma once

#include <string>
#include <string_view>
#include <vector>

// The fiscal tables as the program declares them, and their DDL per engine.
namespace fm::schema {

enum class ColumnType { Float, Text, DateTime, Memo };

struct Column {
    std::string name;
    ColumnType type = ColumnType::Float;
    int size = 0;           // characters, for Text
    bool required = false;  // key columns and columns that must hold a value
};

struct Index {
    std::string name;
    std::vector<std::string> columns;
    bool primary = false;  // primary and unique; otherwise ascending, not unique
};

struct Table {
    std::string name;
    std::vector<Column> columns;  // in creation order
    std::vector<Index> indexes;   // the primary key first, when there is one

    bool hasColumn(std::string_view column) const;
    // The same table without the column (F_DATUM of F_DNEV_IZV under one driver).
    Table withoutColumn(std::string_view column) const;
};

// SQL grammar of the engine behind a connection.
enum class Dialect { Firebird, MariaDB, Standard };

// Every table of the fiscal database that the program knows, F_RACUN, F_PLACANJE
// and F_SEMAFOR (created by the fiscal-printer driver) included.
const std::vector<Table>& fiscalTables();

// F_PREDAJA (F_ID_KASE, F_RBR, TIPKNJIZENJA, CEKANJE), the program's own table of
// hand-overs: outside the schema check, created at the first hand-over that misses it.
const Table& handOverTable();

// The table of that name (letter case ignored); throws std::out_of_range for an unknown one.
const Table& table(std::string_view name);

// CREATE TABLE with its primary key, then one CREATE INDEX per further index.
std::vector<std::string> createTableStatements(const Table& table, Dialect dialect);
std::vector<std::string> createTableStatements(std::string_view tableName, Dialect dialect);

// The bookkeeping-code index of F_ROBA is added after the table, at connect.
inline constexpr const char* knjigSifraIndexName = "I_ASC_F_KNJIG_SIFRA";
inline constexpr const char* knjigSifraIndexStatement =
    "CREATE ASCENDING INDEX I_ASC_F_KNJIG_SIFRA ON F_ROBA (F_KNJIG_SIFRA)";

// The descending index of the article codes, from which the highest code is read at
// once (Firebird reads an ascending index only for the lowest); added at connect.
inline constexpr const char* articleCodeIndexName = "I_DESC_F_SIFRA_ROBE";
std::string articleCodeIndexStatement(Dialect dialect);

}  // namespace fm::schema

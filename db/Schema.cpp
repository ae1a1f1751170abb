#include "db/Schema.h"

#include <algorithm>
#include <stdexcept>

#include "platform/Text.h"

namespace fm::schema {

namespace {

Column key(const char* name) { return {name, ColumnType::Float, 0, true}; }
Column number(const char* name) { return {name, ColumnType::Float, 0, false}; }
Column text(const char* name, int size, bool required = false) {
    return {name, ColumnType::Text, size, required};
}
Column memo(const char* name) { return {name, ColumnType::Memo, 0, false}; }
Column requiredMoment(const char* name) { return {name, ColumnType::DateTime, 0, true}; }

Index primaryKey(const char* name, std::vector<std::string> columns) {
    return {name, std::move(columns), true};
}
Index ascending(const char* name, const char* column) { return {name, {column}, false}; }

std::vector<Table> makeTables() {
    return {
        {"F_RACUN",
         {number("F_ID_KASE"), number("F_RBR"), number("TIPKNJIZENJA"), number("F_STORNO_STAVKA"),
          key("F_SIFRA_ROBE"), text("F_BAR_CODE", 14), text("F_NAZIV_ROBE", 32), number("F_SIFRA_POR_STOPE"),
          number("F_SIFRA_GRUPA"), number("F_CIJENA_ROBE"), number("F_KOLICINA")},
         {}},
        {"F_PLACANJE",
         {number("F_ID_KASE"), number("F_RBR"), number("TIPKNJIZENJA"), number("F_NACIN_PLACANJA"),
          number("F_UPLACENO")},
         {}},
        {"F_SEMAFOR",
         {number("F_ID_KASE"), number("F_RBR"), number("TIPKNJIZENJA"), memo("MEMO"), number("PRINTMEMO"),
          number("PRINTRACUN"), number("F_SIFRA_KUPCA"), number("F_REKL_BROJ")},
         {}},
        {"F_ROBA",
         {key("F_ID_KASE"), key("F_SIFRA_ROBE"), text("F_BAR_CODE", 14), text("F_NAZIV_ROBE", 32),
          number("F_SIFRA_GRUPA"), number("F_SIFRA_POR_STOPE"), number("F_CIJENA_ROBE"),
          text("F_KNJIG_SIFRA", 16)},
         {primaryKey("PK_F_ROBA", {"F_ID_KASE", "F_SIFRA_ROBE"}), ascending("I_ASC_F_BAR_CODE", "F_BAR_CODE"),
          ascending("I_ASC_F_CIJENA_ROBE", "F_CIJENA_ROBE"), ascending("I_ASC_F_NAZIV_ROBE", "F_NAZIV_ROBE"),
          ascending("I_ASC_F_SIFRA_GRUPA", "F_SIFRA_GRUPA"),
          ascending("I_ASC_F_SIFRA_POR_STOPE", "F_SIFRA_POR_STOPE")}},
        {"F_GRUPE_ROBA",
         {key("F_ID_KASE"), key("F_SIFRA_GRUPA"), text("F_NAZIV_GRUPA", 32)},
         {primaryKey("PK_F_GRUPE_ROBA", {"F_ID_KASE", "F_SIFRA_GRUPA"})}},
        {"F_POR_STOPE",
         {key("F_ID_KASE"), key("F_SIFRA_POR_STOPE"), text("F_NAZIV_POR_STOPE", 20),
          number("F_STOPA_POREZA")},
         {primaryKey("PK_F_POR_STOPE", {"F_ID_KASE", "F_SIFRA_POR_STOPE"})}},
        {"F_OPERATERI",
         {key("F_ID_KASE"), key("F_SIFRA_OPERATERA"), text("F_NAZIV_OPERATERA", 32),
          text("F_LOZINKA_OPERATERA", 16)},
         {primaryKey("PK_F_OPERATERI", {"F_ID_KASE", "F_SIFRA_OPERATERA"})}},
        {"F_OBJEKAT",
         {key("F_ID_KASE"), key("F_RBR"), text("F_NAZIV_OBJEKTA", 32), text("F_TEL_BROJ", 32),
          text("F_NAZIV_FIRME", 31), text("F_ADRESA_FIRME", 32), text("F_STAT_BROJ", 32)},
         {primaryKey("PK_F_OBJEKAT", {"F_ID_KASE", "F_RBR"})}},
        {"F_NIVELACIJA",
         {key("F_ID_KASE"), key("F_RBR"), key("F_SIFRA_ROBE"), text("F_BAR_CODE", 14),
          text("F_NAZIV_ROBE", 32), number("F_SIFRA_POR_STOPE"), number("F_SIFRA_GRUPA"),
          number("F_CIJENA_ROBE")},
         {primaryKey("PK_F_NIVELACIJA", {"F_ID_KASE", "F_RBR", "F_SIFRA_ROBE"})}},
        {"F_KUPCI",
         {key("F_ID_KASE"), key("F_SIFRA_KUPCA"), text("F_NAZIV_KUPCA", 32), text("F_ADR_A_KUPCA", 32),
          text("F_ADR_B_KUPCA", 32), text("F_ADR_C_KUPCA", 32), text("F_IBO_KUPCA", 20)},
         {primaryKey("PK_F_KUPCI", {"F_ID_KASE", "F_SIFRA_KUPCA"})}},
        {"F_DNEV_IZV",
         {key("F_ID_KASE"), key("F_GODINA"), key("F_MJESEC"), key("F_DAN"), key("F_RB_DNEV_IZV"),
          requiredMoment("F_DATUM"), text("F_DATUM_IZV", 12, true), number("F_RBP_FISK_MR"),
          number("F_RBP_REKL_MR"), number("F_RBP_FISK_VR"), number("F_RBP_REKL_VR"),
          number("F_BR_STORNO_ART"), number("F_BR_IZD_FAKT")},
         {primaryKey("PK_F_DNEV_IZV", {"F_ID_KASE", "F_GODINA", "F_MJESEC", "F_DAN", "F_RB_DNEV_IZV"})}},
        {"F_LOG_RACUN",
         {key("F_ID_KASE"), key("F_RBR"), key("F_FISK_BROJ"), number("TIPKNJIZENJA"), number("F_REZ_KOM"),
          number("F_STATUS_K"), number("F_GRESKA_K"), number("F_KOMANDA"), text("F_ST_DTIME", 20)},
         {primaryKey("PK_F_LOG_RACUN", {"F_ID_KASE", "F_RBR", "F_FISK_BROJ"})}},
        {"F_LOG_STAVKE",
         {key("F_ID_KASE"), key("F_RBR"), key("F_RBR_STAVKE"), number("TIPKNJIZENJA"), number("F_REZ_KOM"),
          number("F_STATUS_K"), number("F_GRESKA_K"), number("F_KOMANDA"), number("F_SIFRA_ROBE"),
          number("F_SIFRA_POR_STOPE"), number("F_SIFRA_GRUPA"), number("F_CIJENA_ROBE"),
          number("F_STATUS_BIT")},
         {primaryKey("PK_F_LOG_STAVKE", {"F_ID_KASE", "F_RBR", "F_RBR_STAVKE"})}},
        {"F_KNJIZENJE", {number("F_SIFRA"), text("F_NAZIV", 32)}, {}},
    };
}

// Texts are single-byte: Firebird keeps them as ISO8859_1 (one byte per character,
// all 256 codes), MariaDB as latin1.
std::string columnType(const Column& column, Dialect dialect) {
    const bool firebird = dialect == Dialect::Firebird;
    const bool mariaDb = dialect == Dialect::MariaDB;
    switch (column.type) {
        case ColumnType::Float:
            return mariaDb ? "DOUBLE" : "DOUBLE PRECISION";
        case ColumnType::Text:
            return "VARCHAR(" + std::to_string(column.size) + ")" +
                   (firebird ? " CHARACTER SET ISO8859_1" : "");
        case ColumnType::DateTime:
            return mariaDb ? "DATETIME" : "TIMESTAMP";
        case ColumnType::Memo:
            return firebird ? "BLOB SUB_TYPE TEXT CHARACTER SET ISO8859_1" : mariaDb ? "LONGTEXT" : "TEXT";
    }
    throw std::logic_error("unknown column type");
}

std::string columnList(const std::vector<std::string>& columns, const char* suffix) {
    std::string list;
    for (const std::string& column : columns) list += (list.empty() ? "" : ", ") + column + suffix;
    return list;
}

}  // namespace

bool Table::hasColumn(std::string_view column) const {
    return std::any_of(columns.begin(), columns.end(),
                       [&](const Column& c) { return text::equalsIgnoringCase(c.name, column); });
}

Table Table::withoutColumn(std::string_view column) const {
    Table copy = *this;
    std::erase_if(copy.columns, [&](const Column& c) { return text::equalsIgnoringCase(c.name, column); });
    return copy;
}

const std::vector<Table>& fiscalTables() {
    static const std::vector<Table> tables = makeTables();
    return tables;
}

const Table& handOverTable() {
    static const Table table{
        "F_PREDAJA", {number("F_ID_KASE"), number("F_RBR"), number("TIPKNJIZENJA"), number("CEKANJE")}, {}};
    return table;
}

const Table& table(std::string_view name) {
    for (const Table& t : fiscalTables())
        if (text::equalsIgnoringCase(t.name, name)) return t;
    throw std::out_of_range("unknown table " + std::string(name));
}

std::vector<std::string> createTableStatements(const Table& table, Dialect dialect) {
    std::string create = "CREATE TABLE " + table.name + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& column = table.columns[i];
        create += (i ? ", " : "") + column.name + " " + columnType(column, dialect);
        if (column.required) create += " NOT NULL";
    }
    std::vector<std::string> statements;
    for (const Index& index : table.indexes) {
        if (index.primary) {
            create += ", CONSTRAINT " + index.name + " PRIMARY KEY (" + columnList(index.columns, "") + ")";
        } else if (dialect == Dialect::Firebird) {
            statements.push_back("CREATE ASCENDING INDEX " + index.name + " ON " + table.name + " (" +
                                 columnList(index.columns, "") + ")");
        } else {
            statements.push_back("CREATE INDEX " + index.name + " ON " + table.name + " (" +
                                 columnList(index.columns, " ASC") + ")");
        }
    }
    create += ")";
    if (dialect == Dialect::MariaDB) create += " DEFAULT CHARACTER SET latin1";
    statements.insert(statements.begin(), create);
    return statements;
}

std::vector<std::string> createTableStatements(std::string_view tableName, Dialect dialect) {
    return createTableStatements(table(tableName), dialect);
}

std::string articleCodeIndexStatement(Dialect dialect) {
    return dialect == Dialect::Firebird
               ? "CREATE DESCENDING INDEX I_DESC_F_SIFRA_ROBE ON F_ROBA (F_SIFRA_ROBE)"
               : "CREATE INDEX I_DESC_F_SIFRA_ROBE ON F_ROBA (F_SIFRA_ROBE DESC)";
}

}  // namespace fm::schema

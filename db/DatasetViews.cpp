#include <stdexcept>

#include "db/DataModule.h"
#include "db/SqlText.h"

// The dataset emulation: the data module's table views, opened by probing their tables.
namespace fm {

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

std::string DatasetView::columns() const {
    if (query) return "*";
    std::string list;
    for (const schema::Column& column : table.columns) list += (list.empty() ? "" : ",") + column.name;
    return list;
}

std::string DatasetView::where(const std::string& condition) const {
    std::string clause = filtered && !filter.empty() ? filter : "";
    if (!clause.empty() && !condition.empty()) clause += " and ";
    clause += condition;
    return clause.empty() ? "" : " where " + clause;
}

DatasetView& Tdm_db::Impl::view(const std::string& name) {
    for (DatasetView& v : views)
        if (v.name == name) return v;
    throw std::out_of_range("no dataset object " + name);
}

sql::Outcome Tdm_db::Impl::openView(DatasetView& v) {
    const sql::Outcome opened = db_f.probe(v.table.name, v.columns());
    v.open = bool(opened);
    return opened;
}

sql::Outcome Tdm_db::Impl::openRacun() {
    if (const sql::Outcome opened = openView(view("F_RACUN")); !opened || !sumaRacunaReplaced) return opened;
    return runSumaRacuna();
}

Result<const DatasetView*, sql::Error> Tdm_db::Impl::articleView() {
    const DatasetView& v = view("f_roba");
    if (!v.open)
        return unexpected(
            sql::Error{sql::Failure::Other, "f_roba: Cannot perform this operation on a closed dataset"});
    return &v;
}

bool Tdm_db::isDatasetOpen(const std::string& objectName) const { return impl_->view(objectName).open; }

bool Tdm_db::articleExists(int fidRoba, int sifraRobe) {
    const auto view = impl_->articleView();
    if (!view) throw std::runtime_error(view.error().text);
    const DatasetView& v = **view;
    const std::string key =
        "F_ID_KASE=" + integerNumeral(fidRoba) + " and F_SIFRA_ROBE=" + integerNumeral(sifraRobe);
    return impl_->selectOrThrow("select F_SIFRA_ROBE from F_ROBA" + v.where(key)).hasRow();
}

// The register is compared here, not in the statement: beside the code's index Firebird
// would also walk the primary key over every article of the register (index statistics
// date from the empty table), a cost that grows with the table.
Result<std::optional<int>, sql::Error> Tdm_db::articleByKnjigSifra(const std::string& knjigSifra) {
    const auto view = impl_->articleView();
    if (!view) return unexpected(view.error());
    const DatasetView& v = **view;
    sql::ResultSet found;
    if (const sql::Outcome done = impl_->db_f.select(
            "select F_ID_KASE,F_SIFRA_ROBE from F_ROBA where F_KNJIG_SIFRA=" + SqlTekst(knjigSifra), found);
        !done)
        return unexpected(sql::Error{done.failure, done.error});
    const bool anyRegister = !v.filtered || v.filter.empty();
    for (; found.hasRow(); found.next()) {
        if (anyRegister || found.real("F_ID_KASE") == v.filterRegister)
            return std::optional<int>(int(found.integer("F_SIFRA_ROBE")));
    }
    return std::optional<int>();
}

void Tdm_db::refreshArticleView() { impl_->openView(impl_->view("f_roba")); }

void Tdm_db::reopenRacunView() { impl_->openRacun(); }

void Tdm_db::reopenPlacanjeView() { impl_->openView(impl_->view("F_PLACANJE")); }

void Tdm_db::osvjezitabele() {
    Impl& d = *impl_;
    for (const char* object : {"F_NIVELACIJA", "F_PLACANJE", "F_SEMAFOR"}) d.view(object).open = false;
    if (!d.view("F_RACUN").open)
        if (const sql::Outcome opened = d.openRacun(); !opened) throw std::runtime_error(opened.error);
    for (const char* object : {"F_NIVELACIJA", "F_PLACANJE", "F_SEMAFOR"})
        if (const sql::Outcome opened = d.openView(d.view(object)); !opened)
            throw std::runtime_error(opened.error);
}

}  // namespace fm

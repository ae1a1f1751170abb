#include "db/DataModule.h"
#include "db/SqlText.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

// The schema check on connect: the views filtered by register, missing tables created,
// the indexes added.
namespace fm {

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
        v.table = d.db_f.engine().asKept(v.table);
        const sql::Outcome opened = v.name == "F_RACUN" ? d.openRacun() : d.openView(v);
        if (opened || !createMessage || opened.error.compare(0, 20, "Table does not exist") != 0) continue;
        for (const std::string& statement : schema::createTableStatements(v.table, d.db_f.dialect())) {
            if (const sql::Outcome created = d.runInTransaction(statement); !created) {
                afterConnectMessage(createMessage + created.error);
                break;
            }
        }
        // A table just created is opened at once, so that the first run can use it.
        d.openView(v);
    }
    addArticleCodeIndex();
}

// Without it, max of the article codes, the code of every new article, reads the whole
// table. Added as the bookkeeping-code index is, once the article table can be used; one
// that cannot be added only slows new articles down, so a notice (logged) tells of it and
// no box holds the start up.
void Tdm_db::addArticleCodeIndex() {
    if (!impl_->view("f_roba").open) return;
    if (TestirajPostojanjePravila(schema::articleCodeIndexName) == -31 &&
        !sqlexec(schema::articleCodeIndexStatement(dialect())) && !impl_->quiet)
        Obavijesti(ui_, "Ne mogu dodati index I_DESC_F_SIFRA_ROBE na tabelu F_ROBA");
}

void Tdm_db::afterConnectMessage(const std::string& text) {
    if (!impl_->quiet) ui_.showMessage(text);
}

int Tdm_db::TestirajPostojanjePravila(const std::string& indexName) {
    int code = -20;
    std::vector<std::string> tables, indexes;
    if (!impl_->db_f.userTables(tables)) return code;
    code = -31;
    const std::string wanted = text::trim(indexName);
    for (const std::string& table : tables) {
        if (!impl_->db_f.indexNames(table, indexes)) return code;
        for (const std::string& index : indexes)
            if (text::trim(index) == wanted) return 0;
    }
    return code;
}

int Tdm_db::TestirajPostojanjePolja(const std::string& table, const std::string& column) {
    int code = -20;
    std::vector<std::string> tables, columns;
    if (!impl_->db_f.userTables(tables)) return code;
    code = -21;
    const std::string* found = nullptr;
    for (const std::string& name : tables)
        if (!found && text::equalsIgnoringCase(name, table)) found = &name;
    if (!found) return code;
    code = -30;
    if (!impl_->db_f.columnNames(*found, columns)) return code;
    code = -31;
    for (const std::string& name : columns)
        if (text::equalsIgnoringCase(name, column)) return 0;
    return code;
}

}  // namespace fm

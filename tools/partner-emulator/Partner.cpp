#include "tools/partner-emulator/Partner.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <thread>

#include "db/JobCodes.h"
#include "db/RecordWriters.h"
#include "db/Schema.h"
#include "db/SqlLayer.h"
#include "db/SqlText.h"
#include "platform/LocalTime.h"
#include "platform/Text.h"
#include "tools/partner-emulator/Journal.h"
#include "tools/partner-emulator/StopSignal.h"

namespace fm::partner {

namespace {

bool isReceipt(int type) { return type == kSaleReceipt || type == kReferringReceipt; }
bool isOfficialDeposit(int type) { return type >= kOfficialDeposit && type < kDeleteArticle; }

// F_KOMANDA of a logged document: the kind of document printed.
int documentKind(int type) {
    if (isReceipt(type)) return 1;
    if (type == kPriceChanges) return 2;
    if (type == kDeleteArticle) return 3;
    if (isOfficialDeposit(type)) return 4;
    if (type == kReportX) return 5;
    if (type == kReportZ) return 6;
    return 9;
}

// F_ST_DTIME: local time as "2026-12-09 17:30:05".
std::string timeText() { return localTimeText(std::int64_t(std::time(nullptr)) * 1000, "%Y-%m-%d %H:%M:%S"); }

}  // namespace

Partner::Partner(sql::Connection& db, Behaviour behaviour, Journal& journal)
    : db_(db), behaviour_(std::move(behaviour)), journal_(journal) {}

void Partner::createOwnTables() {
    std::vector<std::string> tables;
    if (const sql::Outcome read = db_.userTables(tables); !read) throw std::runtime_error(read.error);
    for (const char* name : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR", "F_LOG_RACUN"}) {
        const bool exists = std::any_of(tables.begin(), tables.end(), [&](const std::string& table) {
            return text::equalsIgnoringCase(table, name);
        });
        if (exists) continue;
        for (const std::string& statement : schema::createTableStatements(name, db_.dialect())) {
            executeTogether({statement});
        }
    }
}

bool Partner::takeUpNextJob() {
    sql::ResultSet waiting;
    select(
        "Select F_RBR,TIPKNJIZENJA,MEMO,PRINTMEMO,PRINTRACUN,F_SIFRA_KUPCA,F_REKL_BROJ From F_SEMAFOR Where "
        "F_ID_KASE=" +
            number(behaviour_.registerId) + " and F_RBR>=0 Order By F_RBR",
        waiting);
    for (; waiting.hasRow(); waiting.next()) {
        Job job;
        job.number = waiting.integer("F_RBR");
        job.type = int(waiting.integer("TIPKNJIZENJA"));
        if (abandoned_.count({job.number, job.type})) continue;
        job.memo = waiting.text("MEMO");
        job.printMemo = waiting.integer("PRINTMEMO") == 1;
        job.printRacun = waiting.integer("PRINTRACUN");
        job.reklBroj = waiting.integer("F_REKL_BROJ");

        print("==== posao " + number(double(job.number)) + ", kasa " + number(behaviour_.registerId) +
              " (F_SEMAFOR: TIPKNJIZENJA=" + number(job.type) + " PRINTMEMO=" + waiting.text("PRINTMEMO") +
              " PRINTRACUN=" + waiting.text("PRINTRACUN") +
              " F_SIFRA_KUPCA=" + waiting.text("F_SIFRA_KUPCA") +
              " F_REKL_BROJ=" + waiting.text("F_REKL_BROJ") + " MEMO='" + job.memo + "') ====");
        End end = End::Failed;
        if (behaviour_.failTypes.count(job.type)) {
            print("GRESKA: posao ovog tipa se ne moze izvrsiti");
        } else if (isReceipt(job.type)) {
            end = receipt(job);
        } else if (job.type == kPriceChanges) {
            end = priceChanges(job);
        } else {
            end = simpleCommand(job);
        }
        finish(job, end);
        return true;
    }
    return false;
}

Partner::End Partner::receipt(const Job& job) {
    print(job.type == kReferringReceipt ? "RACUN uz racun broj " + number(double(job.reklBroj))
                                        : std::string("RACUN"));
    const std::string items = jobRows(job);
    sql::ResultSet rows;
    select(
        "Select F_SIFRA_ROBE,F_STORNO_STAVKA,F_NAZIV_ROBE,F_CIJENA_ROBE,F_KOLICINA,F_SIFRA_GRUPA,"
        "F_SIFRA_POR_STOPE From F_RACUN" +
            items,
        rows);
    double total = 0;
    for (; rows.hasRow(); rows.next()) {
        const long long code = rows.integer("F_SIFRA_ROBE");
        if (behaviour_.stallArticles.count(code)) {
            print("ZASTOJ kod artikla sifra " + number(double(code)));
            return End::Stalled;
        }
        if (behaviour_.failArticles.count(code)) {
            print("GRESKA kod artikla sifra " + number(double(code)));
            return End::Failed;
        }
        const double price = rows.real("F_CIJENA_ROBE");
        const double quantity = rows.real("F_KOLICINA");
        const std::string storno = rows.text("F_STORNO_STAVKA");
        print(std::string(storno == "1" ? "STORNO " : "") + rows.text("F_NAZIV_ROBE") + "  " +
              number(quantity) + " x " + number(price) + " = " + number(quantity * price) + "  (sifra " +
              number(double(code)) + ", grupa " + rows.text("F_SIFRA_GRUPA") + ", por. stopa " +
              rows.text("F_SIFRA_POR_STOPE") + ")");
        total += quantity * price;
        executeTogether(
            {firstRowOnly("DELETE FROM F_RACUN" + items + " AND F_SIFRA_ROBE=" + number(double(code)) +
                          " AND F_STORNO_STAVKA=" + storno + " AND F_KOLICINA=" + number(quantity) +
                          " AND F_CIJENA_ROBE=" + number(price))});
    }
    print("UKUPNO " + number(total));
    if (behaviour_.stallAfterItems) {
        print("ZASTOJ prije placanja");
        return End::Stalled;
    }

    const std::string payments = jobRows(job);
    select("Select F_NACIN_PLACANJA,F_UPLACENO From F_PLACANJE" + payments, rows);
    for (; rows.hasRow(); rows.next()) {
        const std::string method = rows.text("F_NACIN_PLACANJA");
        const double amount = rows.real("F_UPLACENO");
        print("PLACANJE nacin " + method + ": " + number(amount));
        executeTogether({firstRowOnly("DELETE FROM F_PLACANJE" + payments + " AND F_NACIN_PLACANJA=" +
                                      method + " AND F_UPLACENO=" + number(amount))});
    }
    if (job.printMemo) print("MEMO " + job.memo);
    return End::Done;
}

Partner::End Partner::priceChanges(const Job& job) {
    print("NIVELACIJA");
    sql::ResultSet rows;
    select("Select F_SIFRA_ROBE,F_NAZIV_ROBE,F_CIJENA_ROBE From F_NIVELACIJA Where F_ID_KASE=" +
               number(behaviour_.registerId) + " AND F_RBR=" + number(double(job.number)) +
               " Order By F_SIFRA_ROBE",
           rows);
    for (; rows.hasRow(); rows.next()) {
        print("sifra " + rows.text("F_SIFRA_ROBE") + "  " + rows.text("F_NAZIV_ROBE") + "  nova cijena " +
              number(rows.real("F_CIJENA_ROBE")));
    }
    return End::Done;
}

Partner::End Partner::simpleCommand(const Job& job) {
    if (job.type == kReportZ) {
        print("DNEVNI IZVJESTAJ Z");
    } else if (job.type == kReportX) {
        print("PRESJEK STANJA X");
    } else if (job.type == kDeleteArticle) {
        print("BRISANJE ARTIKLA broj " + number(double(job.printRacun)));
    } else if (isOfficialDeposit(job.type)) {
        print("SLUZBENI UNOS/IZNOS vrsta " + number(job.type - kOfficialDeposit) + ", iznos " + job.memo);
    } else {
        print("NEPOZNAT POSAO");
    }
    return End::Done;
}

void Partner::finish(const Job& job, End end) {
    const std::string number_ = number(double(job.number));
    const std::string jobRow = " Where F_ID_KASE=" + number(behaviour_.registerId) + " and F_RBR=" + number_ +
                               " and TIPKNJIZENJA=" + number(job.type);
    switch (end) {
        case End::Done:
            logDocument(job);
            if (behaviour_.printTwice && isReceipt(job.type)) {
                print("---- posao " + number_ + " odstampan jos jednom ----");
                logDocument(job);
            }
            if (behaviour_.neverFinish) {
                print("---- posao " + number_ + " odstampan, red u F_SEMAFOR ostaje ----");
                abandoned_.insert({job.number, job.type});
                return;
            }
            if (behaviour_.finishAfterMs > 0) {
                print("---- posao " + number_ + " odstampan, red u F_SEMAFOR se brise za " +
                      std::to_string(behaviour_.finishAfterMs) + " ms ----");
                waitForStop(behaviour_.finishAfterMs);
            }
            print("---- posao " + number_ + " ZAVRSEN ----");
            executeTogether({"delete from F_SEMAFOR" + jobRow});
            return;
        case End::Failed:
            print("---- posao " + number_ + " NIJE IZVRSEN, upisan red " + number(-double(job.number)) +
                  " ----");
            // One transaction: the program never sees the job gone without its error row.
            executeTogether(
                {"delete from F_SEMAFOR" + jobRow,
                 "insert into F_SEMAFOR (F_ID_KASE,F_RBR,TIPKNJIZENJA,PRINTMEMO,PRINTRACUN,F_SIFRA_KUPCA,"
                 "F_REKL_BROJ,MEMO) values (" +
                     number(behaviour_.registerId) + "," + number(-double(job.number)) + "," +
                     number(job.type) + ",0,0,0,0,'')"});
            return;
        case End::Stalled:
            print("---- posao " + number_ + " ZASTAO ----");
            abandoned_.insert({job.number, job.type});
            return;
    }
}

void Partner::logDocument(const Job& job) {
    const std::string registerId = number(behaviour_.registerId);
    sql::ResultSet last;
    select("Select max(F_FISK_BROJ) as N From F_LOG_RACUN Where F_ID_KASE=" + registerId, last);
    const long long fiscalNumber = last.integer("N") + 1;  // null max: the register's first
    executeTogether(
        {"insert into F_LOG_RACUN (F_ID_KASE,F_RBR,F_FISK_BROJ,TIPKNJIZENJA,F_REZ_KOM,F_STATUS_K,F_GRESKA_K,"
         "F_KOMANDA,F_ST_DTIME) values (" +
         registerId + "," + number(double(job.number)) + "," + number(double(fiscalNumber)) + "," +
         number(job.type) + ",0,0,0," + number(documentKind(job.type)) + ",'" + timeText() + "')"});
    print("FISKALNI BROJ " + number(double(fiscalNumber)));
}

void Partner::print(const std::string& line) {
    journal_.print(line);
    if (behaviour_.lineDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(behaviour_.lineDelayMs));
}

std::string Partner::number(double value) const { return realNumeral(value); }

std::string Partner::jobRows(const Job& job) const {
    return " Where F_ID_KASE=" + number(behaviour_.registerId) + " AND F_RBR=" + number(double(job.number)) +
           " AND TIPKNJIZENJA=" + number(rowBookingType(job.type));
}

std::string Partner::firstRowOnly(const std::string& deleteStatement) const {
    switch (db_.dialect()) {
        case schema::Dialect::Firebird:
            return deleteStatement + " ROWS 1";
        case schema::Dialect::MariaDB:
            return deleteStatement + " LIMIT 1";
        case schema::Dialect::Standard:
            break;
    }
    return deleteStatement;
}

void Partner::select(const std::string& sql, sql::ResultSet& result) {
    if (const sql::Outcome done = db_.select(sql, result); !done) throw std::runtime_error(done.error);
}

void Partner::executeTogether(std::initializer_list<std::string> statements) {
    sql::Outcome done = db_.beginTransaction();
    for (auto statement = statements.begin(); done && statement != statements.end(); ++statement)
        done = db_.execute(*statement);
    if (!done) {
        db_.rollback();
        throw std::runtime_error(done.error);
    }
    if (done = db_.commit(); !done) throw std::runtime_error(done.error);
}

}  // namespace fm::partner

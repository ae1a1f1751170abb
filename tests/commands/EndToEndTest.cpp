// Command files processed end to end on embedded Firebird, with the PARTNER
// emulator serving the jobs from a second process.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/FileSystem.h"
#include "tests/support/PartnerHarness.h"
#include "tools/fmerilon-check/FileCheck.h"

namespace fm::test {
namespace {

std::string header(int job, int type,
                   const std::string& rest =
                       "PRINTMEMO=0 PRINTRACUN=0 F_SIFRA_KUPCA=0 "
                       "F_REKL_BROJ=0 MEMO=''") {
    return "==== posao " + std::to_string(job) + ", kasa 1 (F_SEMAFOR: TIPKNJIZENJA=" + std::to_string(type) +
           " " + rest + ") ====\n";
}
// The end of a printed job: its fiscal number, then the job row removed.
std::string done(int job, int fiscalNumber) {
    return "FISKALNI BROJ " + std::to_string(fiscalNumber) + "\n---- posao " + std::to_string(job) +
           " ZAVRSEN ----\n";
}

const std::string kWorkedSaleItems =
    "Mlijeko 1l  2 x 1.2 = 2.4  (sifra 1001, grupa 1, por. stopa 2)\n"
    "STORNO Hljeb  -1 x 0.9 = -0.9  (sifra 1002, grupa 1, por. stopa 2)\n"
    "UKUPNO 1.5\n";

// A receipt's budget shrinks to 600 ms per line, so that its timeouts come soon.
void shortReceiptBudget(PartnerHarness& h) {
    h.state.postavke.TARVOVREMESTAMPANJAZAGLAVLJA = -2000;
    h.state.postavke.TARVOVREMESTAMPANJAZAVRSETKA = -1500;
}

long long jobRows(PartnerHarness& h, const std::string& table, int job) {
    return h.count("select count(*) as n from " + table +
                   " where F_ID_KASE=1 and F_RBR=" + std::to_string(job));
}

// What the timeout diagnosis reads, in order: the statements after the wait's last pause.
class DiagnosisReads {
  public:
    explicit DiagnosisReads(PartnerHarness& h) {
        h.ui.onPause = [this](int milliseconds) {
            if (milliseconds == 500) reads.clear();
        };
        h.dm->onStatement([this](const std::string& sql) {
            for (const char* read :
                 {"count(*) as br from f_racun", "count(*) as br from f_placanje", "Select * from F_SEMAFOR",
                  "Select F_SIFRA_ROBE", "Select F_NACIN_PLACANJA"})
                if (sql.find(read) != std::string::npos) reads.push_back(read);
        });
    }
    std::vector<std::string> reads;
};

bool directoryBeforeAFile(const std::string& pattern) {
    bool directorySeen = false;
    for (const files::DirectoryEntry& entry : files::findEntries(pattern)) {
        if (entry.isDirectory)
            directorySeen = true;
        else if (directorySeen)
            return true;
    }
    return false;
}

TEST(EndToEnd, WorkedExampleSaleIsPrintedMarkedAndNumbered) {
    PartnerHarness h;
    h.root.write("log/Tarvo.err", "earlier failure\r\n");
    h.drop("r1.inp", kWorkedSale);

    h.scan();

    EXPECT_EQ(h.journal(), header(100, 0, "PRINTMEMO=0 PRINTRACUN=1 F_SIFRA_KUPCA=0 F_REKL_BROJ=0 MEMO=''") +
                               "RACUN\n" + kWorkedSaleItems + "PLACANJE nacin 0: 1.5\n" + done(100, 1));
    EXPECT_EQ(h.read("r1.inp"),
              "S,P1,1,AB1234,OK;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
              "S,P1,1,AB1234,OK;Hljeb;0.90;-1;;1;2;;1002\r\n"
              "T,P1,1,AB1234,OK;\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=101");
    EXPECT_EQ(h.state.BrojRacuna, 101);
    EXPECT_EQ(h.errorFile(), "");
    for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
        EXPECT_EQ(jobRows(h, table, 100), 0) << table;
    EXPECT_TRUE(h.ui.notices.empty());
    EXPECT_TRUE(h.ui.messages.empty()) << h.ui.messages.front();
    EXPECT_TRUE(h.dm->timer1Enabled());

    h.scan();  // marked: skipped from now on
    EXPECT_EQ(h.state.BrojRacuna, 101);
}

TEST(EndToEnd, ReceiptReferringToAnEarlierOneAndReceiptWithMemo) {
    PartnerHarness h;
    h.drop("k.inp",
           "K,P1,_,______,__;245\r\nS,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\nT,P1,_,______,__;\r\n");
    h.drop(
        "v.inp",
        "V,P1,_,______,__;+Hvala\r\nS,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,_,______,__;2;0.90\r\n");

    EXPECT_TRUE(h.process("k.inp"));
    EXPECT_TRUE(h.process("v.inp"));

    EXPECT_EQ(h.journal(),
              header(100, 1, "PRINTMEMO=0 PRINTRACUN=1 F_SIFRA_KUPCA=0 F_REKL_BROJ=245 MEMO=''") +
                  "RACUN uz racun broj 245\n"
                  "Mlijeko 1l  2 x 1.2 = 2.4  (sifra 1001, grupa 1, por. stopa 2)\n"
                  "UKUPNO 2.4\nPLACANJE nacin 0: 2.4\n" +
                  done(100, 1) +
                  header(101, 0, "PRINTMEMO=1 PRINTRACUN=1 F_SIFRA_KUPCA=0 F_REKL_BROJ=0 MEMO='+Hvala'") +
                  "RACUN\nHljeb  1 x 0.9 = 0.9  (sifra 1002, grupa 1, por. stopa 2)\n"
                  "UKUPNO 0.9\nPLACANJE nacin 2: 0.9\nMEMO +Hvala\n" +
                  done(101, 2));
    EXPECT_EQ(
        h.read("v.inp"),
        "V,P1,2,AB1234,OK;+Hvala\r\nS,P1,2,AB1234,OK;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,2,AB1234,OK;2;0.90\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=102");
}

TEST(EndToEnd, PriceChangesDeletionDepositReportsAndAHeaderWithoutCommand) {
    PartnerHarness h;
    h.drop("u.inp",
           "U,P1,_,______,__;Mlijeko 1l;1.30;0;;1;2;1001\r\nU,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n");
    h.drop("o.inp", "O,P1,_,______,__;1001\r\n\r\n");
    h.drop("i.inp", "I,P1,_,______,__;1;50.00\r\n\r\n");
    h.drop("z.inp", "Z,P1,_,______,__;\r\n\r\n");
    h.drop("x.inp", "X,P1,_,______,__;\r\n\r\n");
    h.drop("q.inp", "Q,P1,_,______,__;\r\n\r\n");

    for (const char* name : {"u.inp", "o.inp", "i.inp", "z.inp", "x.inp", "q.inp"})
        EXPECT_TRUE(h.process(name)) << name;

    EXPECT_EQ(h.journal(),
              header(100, 2) +
                  "NIVELACIJA\n"
                  "sifra 1001  Mlijeko 1l  nova cijena 1.3\n"
                  "sifra 1002  Hljeb  nova cijena 0.95\n" +
                  done(100, 1) +
                  header(101, 80, "PRINTMEMO=1001 PRINTRACUN=1001 F_SIFRA_KUPCA=0 F_REKL_BROJ=0 MEMO=''") +
                  "BRISANJE ARTIKLA broj 1001\n" + done(101, 2) +
                  header(102, 51, "PRINTMEMO=0 PRINTRACUN=0 F_SIFRA_KUPCA=0 F_REKL_BROJ=0 MEMO='50'") +
                  "SLUZBENI UNOS/IZNOS vrsta 1, iznos 50\n" + done(102, 3) + header(103, 4) +
                  "DNEVNI IZVJESTAJ Z\n" + done(103, 4) + header(104, 5) + "PRESJEK STANJA X\n" +
                  done(104, 5));
    EXPECT_EQ(
        h.rows("select F_SIFRA_ROBE,F_NAZIV_ROBE,F_CIJENA_ROBE,F_BAR_CODE from F_ROBA order by F_SIFRA_ROBE",
               {"F_SIFRA_ROBE", "F_NAZIV_ROBE", "F_CIJENA_ROBE", "F_BAR_CODE"}),
        (std::vector<std::string>{"1001|Mlijeko 1l|1.3| ", "1002|Hljeb|0.95| "}));
    EXPECT_EQ(jobRows(h, "F_NIVELACIJA", 100), 2);
    EXPECT_EQ(h.read("q.inp"), "Q,P1,6,AB1234,OK;\r\n\r\n");
    EXPECT_EQ(h.read("i.inp"), "I,P1,3,AB1234,OK;1;50.00\r\n\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=106");
}

TEST(EndToEnd, ArticlesAreAddedForUnknownBarCodesAndLetterCodes) {
    PartnerHarness h;
    h.drop("b.inp", "S,P1,_,______,__;Sok;2.50;1;;3;1;;3871234567890\r\nT,P1,_,______,__;\r\n");
    EXPECT_TRUE(h.process("b.inp"));
    h.state.postavke.TARVOSLOVNESIFRE = true;
    h.drop("l.inp",
           "S,P1,_,______,__;Kafa;1.50;1;;3;1;;A-17\r\nS,P1,_,______,__;Kafa;1.50;1;;3;1;;A-17\r\n\r\n");
    EXPECT_TRUE(h.process("l.inp"));

    EXPECT_EQ(
        h.rows(
            "select F_SIFRA_ROBE,F_NAZIV_ROBE,F_KNJIG_SIFRA,F_SIFRA_GRUPA from F_ROBA order by F_SIFRA_ROBE",
            {"F_SIFRA_ROBE", "F_NAZIV_ROBE", "F_KNJIG_SIFRA", "F_SIFRA_GRUPA"}),
        (std::vector<std::string>{"1|Sok|3871234567890|3", "2|Kafa|A-17|3"}));
    EXPECT_NE(h.journal().find("Kafa  1 x 1.5 = 1.5  (sifra 2, grupa 3, por. stopa 1)\n"
                               "Kafa  1 x 1.5 = 1.5  (sifra 2, grupa 3, por. stopa 1)\nUKUPNO 3\n"),
              std::string::npos);
}

TEST(EndToEndOutcome, NonReceiptNotFinishedInTimeIsMarkedNoWithoutDiagnosis) {
    PartnerHarness h({"--never-finish"});
    h.drop("u.inp", "U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n");

    EXPECT_FALSE(h.process("u.inp"));

    EXPECT_EQ(h.read("u.inp"), "U,P1,1,AB1234,No;Hljeb;0.95;0;;1;2;1002\r\n\r\n");
    EXPECT_EQ(h.errorFile(),
              "Proces nije izvrsen!\r\nPARTNER nije zavrsio proces u predvidjenom vremenu!\r\n");
    EXPECT_EQ(h.ui.pauses, std::vector<int>{500});
    EXPECT_TRUE(h.ui.notices.empty());
    EXPECT_EQ(h.rbrr(), "RBRR=101");
}

// The emulator finishing a printed job only later: within its budget the job is OK, past
// it "No", and the job row goes once the delay is over.
TEST(EndToEndOutcome, AJobFinishedAfterADelayIsOkWithinItsBudgetAndNoPastIt) {
    PartnerHarness h({"--finish-after-ms", "1500"});
    h.drop("z.inp", "Z,P1,_,______,__;\r\n\r\n");
    h.drop("u.inp", "U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n");

    EXPECT_TRUE(h.process("z.inp"));
    EXPECT_FALSE(h.process("u.inp"));

    EXPECT_EQ(h.status("z.inp"), "OK");
    EXPECT_EQ(h.status("u.inp"), "No");
    EXPECT_EQ(h.count("select count(*) as n from F_SEMAFOR"), 1);
    // Logged when printed: the late job has its fiscal number while its job row is still there.
    EXPECT_EQ(h.rows("select F_RBR,F_FISK_BROJ,TIPKNJIZENJA,F_KOMANDA from F_LOG_RACUN order by F_FISK_BROJ",
                     {"F_RBR", "F_FISK_BROJ", "TIPKNJIZENJA", "F_KOMANDA"}),
              (std::vector<std::string>{"100|1|4|6", "101|2|2|2"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(h.count("select count(*) as n from F_SEMAFOR"), 0);
    EXPECT_NE(h.journal().find("---- posao 101 odstampan, red u F_SEMAFOR se brise za 1500 ms ----"),
              std::string::npos);
}

// The fault a fiscal bridge must notice: one receipt under two fiscal numbers; other
// documents are still printed once.
TEST(EndToEndOutcome, PrintingTwiceLogsAReceiptUnderTwoFiscalNumbers) {
    PartnerHarness h({"--print-twice"});
    h.drop("r1.inp", kWorkedSale);
    h.drop("x.inp", "X,P1,_,______,__;\r\n\r\n");

    EXPECT_TRUE(h.process("r1.inp"));
    EXPECT_TRUE(h.process("x.inp"));

    EXPECT_EQ(h.rows("select F_ID_KASE,F_RBR,F_FISK_BROJ,F_REZ_KOM,F_STATUS_K,F_GRESKA_K from F_LOG_RACUN "
                     "order by F_FISK_BROJ",
                     {"F_ID_KASE", "F_RBR", "F_FISK_BROJ", "F_REZ_KOM", "F_STATUS_K", "F_GRESKA_K"}),
              (std::vector<std::string>{"1|100|1|0|0|0", "1|100|2|0|0|0", "1|101|3|0|0|0"}));
    EXPECT_EQ(h.count("select count(*) as n from F_LOG_RACUN where F_ST_DTIME like '20__-__-__ __:__:__'"),
              3);
    const std::string journal = h.journal();
    EXPECT_NE(journal.find("FISKALNI BROJ 1\n---- posao 100 odstampan jos jednom ----\n" + done(100, 2)),
              std::string::npos)
        << journal;
    EXPECT_NE(journal.find("PRESJEK STANJA X\n" + done(101, 3)), std::string::npos) << journal;
}

TEST(EndToEndOutcome, ReceiptWithNothingLeftGetsOneLastPollAndStaysNotFinished) {
    PartnerHarness h({"--never-finish"});
    shortReceiptBudget(h);
    h.drop("r.inp", kWorkedSale);

    EXPECT_FALSE(h.process("r.inp"));

    EXPECT_EQ(h.ui.pauses, (std::vector<int>{500, 500, 500, 2000}));
    EXPECT_EQ(h.read("r.inp").substr(0, 18), "S,P1,1,AB1234,No;M");
    EXPECT_EQ(h.errorFile(),
              "Proces nije izvrsen!\r\nPARTNER nije zavrsio proces u predvidjenom vremenu!\r\n");
}

TEST(EndToEndOutcome, ErrorRowOfThePartnerIsReportedAfterTheBudget) {
    PartnerHarness h({"--fail-article", "1002"});
    shortReceiptBudget(h);
    h.drop("r.inp", kWorkedSale);

    EXPECT_FALSE(h.process("r.inp"));

    EXPECT_EQ(h.ui.pauses.size(), 3u);  // the error row does not end the wait
    EXPECT_EQ(h.errorFile(), "Proces nije izvrsen!\r\nDetektovana greska pri obradi procesa!\r\n");
    EXPECT_EQ(h.read("r.inp").substr(0, 18), "S,P1,1,AB1234,Er;M");
    EXPECT_EQ(h.rows("select F_RBR from F_SEMAFOR where F_ID_KASE=1", {"F_RBR"}),
              std::vector<std::string>{"-100"});
    EXPECT_EQ(h.rbrr(), "RBRR=101");
}

TEST(EndToEndOutcome, ReceiptStalledWithItemsLeftNamesTheFirstOne) {
    PartnerHarness h({"--stall-article", "1002"});
    shortReceiptBudget(h);
    h.drop("r.inp", kWorkedSale);
    const DiagnosisReads diagnosis(h);

    EXPECT_FALSE(h.process("r.inp"));

    EXPECT_EQ(diagnosis.reads,
              (std::vector<std::string>{"count(*) as br from f_racun", "count(*) as br from f_placanje",
                                        "Select F_SIFRA_ROBE"}));

    EXPECT_EQ(
        h.errorFile(),
        "Proces nije izvrsen!\r\nProblem pri prodaji artikla sifra=1002\r\nStorno stavka=1,Kolicina=-1\r\n");
    EXPECT_EQ(h.read("r.inp").substr(0, 18), "S,P1,1,AB1234,Er;M");
    EXPECT_EQ(jobRows(h, "F_RACUN", 100), 1);  // left for the operator, not removed
}

TEST(EndToEndOutcome, ReceiptStalledWithPaymentsLeftNamesThePayment) {
    PartnerHarness h({"--stall-after-items"});
    shortReceiptBudget(h);
    h.drop("r.inp", kWorkedSale);
    const DiagnosisReads diagnosis(h);

    EXPECT_FALSE(h.process("r.inp"));

    EXPECT_EQ(diagnosis.reads,
              (std::vector<std::string>{"count(*) as br from f_racun", "count(*) as br from f_placanje",
                                        "Select * from F_SEMAFOR", "count(*) as br from f_racun",
                                        "count(*) as br from f_placanje", "Select F_NACIN_PLACANJA"}));

    EXPECT_EQ(h.errorFile(), "Proces nije izvrsen!\r\nProblem pri placanju tip =0,Uplaceno=1.5\r\n");
    EXPECT_EQ(h.ui.pauses.back(), 2000);
    EXPECT_EQ(h.read("r.inp").substr(0, 18), "S,P1,1,AB1234,Er;M");
}

// Extreme settings and counters: nothing wraps around.
TEST(EndToEndOutcome, TheLargestBudgetAndTheLastNumber) {
    PartnerHarness h;
    h.state.postavke.TARVOBRZINASTAMPANJASTAVKI = 2147483647;
    h.drop("r1.inp", kWorkedSale);
    h.scan();
    EXPECT_EQ(h.status("r1.inp"), "OK");
    EXPECT_EQ(h.state.VrijemeCekanja, 2147483647);

    // The number after 2147483647 cannot be saved: the file waits, nothing is written.
    h.root.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=2147483647\r\n");
    h.state.BrojRacuna = 2147483647;
    h.drop("r2.inp", kWorkedSale);
    h.ui.notices.clear();
    h.scan();
    EXPECT_EQ(h.read("r2.inp"), kWorkedSale);
    EXPECT_EQ(h.rbrr(), "RBRR=2147483647");
    EXPECT_EQ(jobRows(h, "F_RACUN", 2147483647), 0);
    ASSERT_EQ(h.ui.notices.size(), 1u);
    EXPECT_EQ(h.ui.notices[0].text,
              "Knjigovodstveni broj racuna je dosao do najvece vrijednosti 2147483647; fajl " +
                  h.inputFile("r2.inp") + " ceka.");
}

TEST(EndToEndOutcome, InvalidFileIsCleanedUpShownAndMarked) {
    PartnerHarness h;
    h.drop("r.inp",
           "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
           "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\n"
           "S,P1,_,______,__;Ime artikla duze od trideset i dva znaka;0.90;1;;1;2;;1003\r\n"
           "T,P1,_,______,__;\r\n");

    EXPECT_FALSE(h.process("r.inp"));

    const std::string message = "Neispravan fajl " + h.inputFile("r.inp") +
                                "\r\nGreska:Ne moze se insertovati stavka racuna,\r\nza racun broj 100";
    ASSERT_EQ(h.ui.notices.size(), 1u);
    EXPECT_EQ(h.ui.notices[0].text, message);
    EXPECT_EQ(h.errorFile(), message + "\r\n");
    EXPECT_TRUE(h.ui.pauses.empty());
    for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
        EXPECT_EQ(jobRows(h, table, 100), 0) << table;
    EXPECT_EQ(h.read("r.inp").substr(0, 18), "S,P1,1,AB1234,Er;M");
    EXPECT_EQ(h.rbrr(), "RBRR=101");
    EXPECT_EQ(h.journal(), "");

    h.drop("ok.inp", "Z,P1,_,______,__;\r\n\r\n");  // success removes the error file
    EXPECT_TRUE(h.process("ok.inp"));
    EXPECT_EQ(h.errorFile(), "");
}

TEST(EndToEndOutcome, WhatTheCheckerLeavesToTheDatabaseIsRefusedByItAndNothingMore) {
    PartnerHarness h;
    const std::string name32 = "Kafa s mlijekom i secerom, 0.2 l";
    const std::vector<std::pair<std::string, bool>> files = {
        {"S,P1,_,______,__;" + name32 + "x;1;1;;1;2;;7\r\nT,P1,_,______,__;\r\n", false},
        {"S,P1,_,______,__;Kafa;1;1;;1;2;;12345678901234567\r\nT,P1,_,______,__;\r\n", false},
        {"U,P1,_,______,__;" + name32 + "x;1;0;;1;2;7\r\n\r\n", false},
        {"U,P1,_,______,__;Kafa;1;0;;1;2;7\r\nU,P1,_,______,__;Caj;1;0;;1;2;7\r\n", false},
        {"S,P1,_,______,__;" + name32 + "   ;1;1;;1;2;;1234567890123456\r\nT,P1,_,______,__;\r\n", true},
        {"U,P1,_,______,__;" + name32 + ";1;0;;1;2;7\r\n\r\n", true}};
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& [bytes, accepted] = files[i];
        const std::string name = "r" + std::to_string(i) + ".inp";
        const check::FileCheck check = check::checkBytes(name, bytes, h.state.postavke, 1);
        EXPECT_EQ(check.refusals.empty(), accepted) << bytes;
        h.drop(name, bytes);
        h.process(name);
        EXPECT_EQ(h.status(name) != "Er", accepted)
            << bytes;  // a short budget may leave an accepted one "No"
        EXPECT_EQ(h.errorFile().rfind("Neispravan fajl ", 0) != 0, accepted) << bytes << h.errorFile();
    }
}

TEST(EndToEndOutcome, FilesAreDeletedWhenTheSettingSaysDa) {
    PartnerHarness h;
    h.state.postavke.TARVOOBRISI_FAJL = true;
    h.drop("ok.inp", kWorkedSale);
    h.drop("bad.inp", "I,P1,_,______,__;1;50,00\r\n\r\n");

    EXPECT_TRUE(h.process("ok.inp"));
    EXPECT_FALSE(h.process("bad.inp"));

    EXPECT_FALSE(h.exists("ok.inp"));
    EXPECT_FALSE(h.exists("bad.inp"));
    EXPECT_EQ(h.errorFile(), "Neispravan fajl " + h.inputFile("bad.inp") +
                                 "\r\nGreska:linija 1, polje 6 (iznos): '50,00' nije ispravan broj\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=102");
}

TEST(EndToEndPolling, OneScanTakesEveryKindOfFileWithoutLosingAny) {
    PartnerHarness h;
    h.drop("a.inp", kWorkedSale);
    h.drop("b.INP", "Z,P1,3,AB1234,OK;\r\n\r\n");      // processed already
    h.drop("c.inp", "O,P1,_,______,__;1001");          // header is the last line: not yet
    h.drop("d.inp", "O,P1,_,______,__;broj\r\n\r\n");  // invalid
    h.drop("f.inp", "O,P1,_,______,__;1002\r\n\r\n");
    h.drop("g.txt", "Z,P1,_,______,__;\r\n\r\n");  // not matching the mask
    // A directory matching the mask, met before at least one of the files.
    for (int i = 0; !directoryBeforeAFile(h.inputDir + "*.INP"); ++i) {
        ASSERT_LT(i, 50);
        std::filesystem::create_directory(h.inputFile("e" + std::to_string(i) + ".inp"));
    }

    h.scan();

    EXPECT_EQ(h.read("a.inp").substr(14, 3), "OK;");
    EXPECT_EQ(h.read("b.INP"), "Z,P1,3,AB1234,OK;\r\n\r\n");
    EXPECT_EQ(h.read("c.inp"), "O,P1,_,______,__;1001");
    EXPECT_EQ(h.read("d.inp").substr(14, 3), "Er;");
    EXPECT_EQ(h.read("f.inp").substr(14, 3), "OK;");
    EXPECT_EQ(h.read("g.txt"), "Z,P1,_,______,__;\r\n\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=103");
    EXPECT_EQ(h.state.BrojacObrade, 5);
    EXPECT_TRUE(h.dm->timer1Enabled());

    h.state.postavke.TARVOLOCALDIR = h.inputDir;   // with its separator: the same directory
    h.drop("c.inp", "O,P1,_,______,__;1001\r\n");  // one line still: not yet
    h.scan();
    EXPECT_EQ(h.rbrr(), "RBRR=103");
    h.drop("c.inp", "O,P1,_,______,__;1001\r\n\r\n");  // now complete
    h.scan();
    EXPECT_EQ(h.read("c.inp").substr(14, 3), "OK;");
    EXPECT_EQ(h.rbrr(), "RBRR=104");
}

}  // namespace
}  // namespace fm::test

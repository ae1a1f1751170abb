// A job that a crash interrupted, as the next start finds it in the job record: done
// again under a new number when its hand-over never committed, finished (handshake,
// mark) when the PARTNER has it. The crashes are set up by hand here; the crash test
// (CrashTest.cpp) kills the real program.

#include <gtest/gtest.h>

#include <filesystem>

#include "commands/AnalRacuniKomande.h"
#include "commands/HandOver.h"
#include "commands/JobRecord.h"
#include "commands/JobTracker.h"
#include "commands/Outcome.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "db/RecordWriters.h"
#include "tests/support/PartnerHarness.h"

namespace fm::test {
namespace {

const std::string kSale =
    "V,P1,_,______,__;+Hvala\r\n"
    "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
    "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\n"
    "T,P1,_,______,__;\r\n";

class Recovery : public testing::Test {
  protected:
    Recovery() : record(JobRecord::besideSettings(h.settings->filePath())) {}

    // The state a crash leaves: its record at the stage, "RBRR" still at the job's number,
    // and the program started again with the counter read from the file.
    void crashedAt(JobStage stage, const std::string& name, int number) {
        const files::Entry file = files::entryAt(h.inputFile(name));
        ASSERT_EQ(file.kind, files::EntryKind::Regular);
        JobInFlight job;
        job.fileName = h.inputFile(name);
        job.file = file.identity;
        job.number = number;
        job.stage = stage;
        if (stage != JobStage::Rows) job.budget = 10000;
        record.job = job;
        ASSERT_TRUE(record.save());
        h.root.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=" + std::to_string(number) + "\r\n");
        h.state.BrojRacuna = number;
    }

    // The rows of the sale under the number, as far as the crash let them be written.
    void saleRowsWritten(int number, bool withPayment) {
        ASSERT_TRUE(UpisiStavkuRacuna(*h.dm, number, 0, 0, 1001, 1, 2, "", "Mlijeko 1l", 1.2, 2));
        ASSERT_TRUE(UpisiStavkuRacuna(*h.dm, number, 0, 0, 1002, 1, 2, "", "Hljeb", 0.9, 1));
        if (withPayment) {
            ASSERT_TRUE(UpisiPlacanje(*h.dm, number, 0, 0, 3.3));
        }
    }

    // The job's F_SEMAFOR row committed, with or without its F_PREDAJA row.
    void handedOver(int number, bool traced) {
        if (traced) {
            ASSERT_TRUE(beginTracedHandOver(*h.dm, number, 0, 10000));
        }
        ASSERT_TRUE(UpisiSemafor(*h.dm, number, 0, 0, 0, 1, 1, "+Hvala"));
    }

    long long rowsOf(const char* table, int number) {
        return h.count(std::string("select count(*) as n from ") + table +
                       " where F_RBR=" + std::to_string(number));
    }
    int jobsPrinted() const {
        int n = 0;
        for (std::size_t at = h.journal().find("==== posao"); at != std::string::npos;
             at = h.journal().find("==== posao", at + 1))
            ++n;
        return n;
    }
    bool recordLeft() const { return std::filesystem::exists(record.path()); }

    PartnerHarness h;
    JobRecord record;
};

TEST_F(Recovery, ANormalJobLeavesNoRecordAndNoHandOverRow) {
    h.drop("r.inp", kSale);
    EXPECT_TRUE(h.process("r.inp"));
    EXPECT_EQ(h.status("r.inp"), "OK");
    EXPECT_EQ(h.rbrr(), "RBRR=101");
    EXPECT_FALSE(recordLeft());
    EXPECT_EQ(h.count("select count(*) as n from F_PREDAJA"), 0);
    EXPECT_TRUE(h.ui.notices.empty());
}

// The record holds the reserved number; where it cannot be written the counter does,
// before the job's first row.
TEST_F(Recovery, AJobWhoseRecordCannotBeWrittenHasItsNumberSavedFirst) {
    std::filesystem::create_directory(record.path());  // the record's place taken
    std::string counterAtFirstRow;
    h.dm->onStatement([&](const std::string& sql) {
        if (counterAtFirstRow.empty() && sql.rfind("insert into F_RACUN", 0) == 0)
            counterAtFirstRow = h.rbrr();
    });
    h.drop("r.inp", kSale);
    EXPECT_TRUE(h.process("r.inp"));
    EXPECT_EQ(counterAtFirstRow, "RBRR=101");
    EXPECT_EQ(h.status("r.inp"), "OK");
    EXPECT_EQ(h.rbrr(), "RBRR=101");
}

TEST_F(Recovery, AJobCutOffBeforeItsHandOverCommittedIsDoneAgainUnderANewNumber) {
    const struct {
        JobStage stage;
        bool payment;
    } crashes[] = {{JobStage::Rows, false},         // while writing its rows, before F_PREDAJA exists
                   {JobStage::Rows, true},          // before the commit of its F_SEMAFOR row
                   {JobStage::HandingOver, true}};  // the same, without the F_PREDAJA table
    int number = 100;
    for (const auto& crash : crashes) {
        SCOPED_TRACE(number);
        const std::string name = "r" + std::to_string(number) + ".inp";
        h.drop(name, kSale);
        saleRowsWritten(number, crash.payment);
        crashedAt(crash.stage, name, number);
        h.ui.notices.clear();

        h.scan();

        // Printed once, under the next number, with its own rows only.
        EXPECT_EQ(h.journal().find("==== posao " + std::to_string(number) + ","), std::string::npos);
        EXPECT_NE(h.journal().find("==== posao " + std::to_string(number + 1) + ","), std::string::npos);
        EXPECT_EQ(h.status(name), "OK");
        for (const char* table : {"F_RACUN", "F_PLACANJE", "F_SEMAFOR"})
            EXPECT_EQ(rowsOf(table, number), 0) << table;
        EXPECT_EQ(h.rbrr(), "RBRR=" + std::to_string(number + 2));
        ASSERT_EQ(h.ui.notices.size(), 1u);
        EXPECT_EQ(h.ui.notices[0].text,
                  "Posao broj " + std::to_string(number) + " (fajl " + h.inputFile(name) +
                      ") je prekinut prije predaje PARTNERU; njegovi redovi su obrisani.");
        EXPECT_FALSE(recordLeft());
        number += 2;
    }
    EXPECT_EQ(jobsPrinted(), 3);
    EXPECT_NE(h.journal().find("Mlijeko 1l  2 x 1.2 = 2.4  (sifra 1001, grupa 1, por. stopa 2)\n"
                               "Hljeb  1 x 0.9 = 0.9  (sifra 1002, grupa 1, por. stopa 2)\nUKUPNO 3.3\n"
                               "PLACANJE nacin 0: 3.3\n"),
              std::string::npos);
}

TEST_F(Recovery, AJobThePartnerGotIsFinishedNotTakenUpAgain) {
    const struct {
        JobStage stage;
        bool traced;
    } crashes[] = {{JobStage::Rows, true},          // after the commit of its F_SEMAFOR row
                   {JobStage::HandingOver, false},  // right after it, without the F_PREDAJA table
                   {JobStage::HandedOver, false}};  // the same, while waiting for the PARTNER
    int number = 100;
    for (const auto& crash : crashes) {
        SCOPED_TRACE(number);
        const std::string name = "r" + std::to_string(number) + ".inp";
        h.drop(name, kSale);
        saleRowsWritten(number, true);
        handedOver(number, crash.traced);
        crashedAt(crash.stage, name, number);
        h.root.write("log/Tarvo.err", "earlier\r\n");

        h.scan();

        EXPECT_EQ(h.status(name), "OK");
        EXPECT_EQ(h.errorFile(), "");
        EXPECT_EQ(h.rbrr(), "RBRR=" + std::to_string(number + 1));
        EXPECT_EQ(h.state.BrojRacuna, number + 1);
        EXPECT_FALSE(recordLeft());
        ++number;
    }
    EXPECT_EQ(jobsPrinted(), 3);
    EXPECT_EQ(h.journal().find("posao 103"), std::string::npos);
    EXPECT_EQ(h.count("select count(*) as n from F_PREDAJA"), 0);
    EXPECT_TRUE(h.ui.notices.empty()) << h.ui.notices[0].text;
}

// A crash at the very end: the file marked, the record saying the PARTNER had the job,
// its F_PREDAJA row not yet removed.
TEST_F(Recovery, AJobCutOffAtItsEndLeavesNoHandOverRow) {
    h.drop("r.inp", kSale);
    ASSERT_TRUE(h.process("r.inp"));
    ASSERT_TRUE(beginTracedHandOver(*h.dm, 100, 0, 10000));
    ASSERT_TRUE(h.dm->sqlexec("delete from F_PREDAJA where F_RBR = -1"));  // commits the row
    crashedAt(JobStage::HandedOver, "r.inp", 100);
    const std::string marked = h.read("r.inp");

    h.scan();

    EXPECT_EQ(h.read("r.inp"), marked);
    EXPECT_EQ(jobsPrinted(), 1);
    EXPECT_EQ(h.rbrr(), "RBRR=101");
    EXPECT_EQ(h.count("select count(*) as n from F_PREDAJA"), 0);
    EXPECT_FALSE(recordLeft());
    EXPECT_TRUE(h.ui.notices.empty()) << h.ui.notices[0].text;
}

TEST_F(Recovery, ANewFileOfTheSameNameIsNotTakenForTheInterruptedJob) {
    h.drop("r.inp", kSale);
    saleRowsWritten(100, true);
    handedOver(100, true);
    crashedAt(JobStage::Rows, "r.inp", 100);
    h.drop("r.inp", "Z,P1,_,______,__;\r\n\r\n");  // the till's next file under the same name

    h.scan();

    EXPECT_NE(h.journal().find("==== posao 101, kasa 1 (F_SEMAFOR: TIPKNJIZENJA=4"), std::string::npos);
    EXPECT_EQ(h.read("r.inp"), "Z,P1,1,AB1234,OK;\r\n\r\n");
    EXPECT_EQ(h.rbrr(), "RBRR=102");
}

// A record naming a file that no scan takes up, or a number that no job has: one notice,
// the record kept aside as it was, no file marked and no row deleted.
TEST_F(Recovery, ADamagedRecordIsSetAsideAndNothingItNamesIsTouched) {
    std::filesystem::create_directory(h.inputFile("sub"));
    h.root.write("outside.inp", kSale);
    h.drop("sub/r.inp", kSale);
    h.drop("r.txt", kSale);
    h.drop("done.inp", "Z,P1,1,AB1234,OK;\r\n\r\n");  // a file processed already: no job
    const std::string fileFault = " nije komandni fajl ulaznog direktorija";
    const std::string numberFault = " je veci od najveceg koji brojac dodjeljuje";
    const struct {
        std::string file;
        JobStage stage;  // what a sound record would make happen: a mark, or rows deleted
        int number;
        std::string fault;
    } damaged[] = {
        {h.root.file("outside.inp"), JobStage::HandedOver, 100,
         "fajl " + h.root.file("outside.inp") + fileFault},
        {h.inputFile("../outside.inp"), JobStage::HandedOver, 101,
         "fajl " + h.inputFile("../outside.inp") + fileFault},
        {h.inputFile("sub/r.inp"), JobStage::HandedOver, 102, "fajl " + h.inputFile("sub/r.inp") + fileFault},
        {h.inputFile("r.txt"), JobStage::HandedOver, 103, "fajl " + h.inputFile("r.txt") + fileFault},
        {h.inputFile("r.inp"), JobStage::Rows, 2147483647, "broj posla 2147483647" + numberFault}};
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.fault);
        saleRowsWritten(d.number, false);
        JobInFlight job;
        job.fileName = d.file;
        job.number = d.number;
        job.stage = d.stage;
        record.job = job;
        ASSERT_TRUE(record.save());
        const std::string recorded = h.root.read("MerilonPosao.ini");
        h.root.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=100\r\n");
        h.state.BrojRacuna = 100;
        h.ui.notices.clear();

        EXPECT_TRUE(h.process("done.inp"));
        EXPECT_TRUE(h.process("done.inp"));

        ASSERT_EQ(h.ui.notices.size(), 1u);
        EXPECT_EQ(h.ui.notices[0].text, "Zapis o poslu u toku " + record.path() +
                                            " je neispravan: " + d.fault + "\r\nZapis je premjesten u " +
                                            record.path() + ".neispravan");
        EXPECT_EQ(h.root.read("MerilonPosao.ini.neispravan"), recorded);
        EXPECT_FALSE(recordLeft());
        EXPECT_EQ(rowsOf("F_RACUN", d.number), 2);
        // A number that rows may stand under is never used again.
        EXPECT_EQ(h.rbrr(), "RBRR=" + std::to_string(d.number >= 100 && d.number < 200 ? d.number + 1 : 100));
    }
    EXPECT_EQ(h.root.read("outside.inp"), kSale);
    EXPECT_EQ(h.read("sub/r.inp"), kSale);
    EXPECT_EQ(h.read("r.txt"), kSale);
    EXPECT_EQ(jobsPrinted(), 0);
}

}  // namespace
}  // namespace fm::test

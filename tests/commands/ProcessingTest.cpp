// Command files whose jobs need no database: which files are taken up, the job
// number and processing counter, invalid files found before any row is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "commands/AnalRacuniKomande.h"
#include "commands/JobJournal.h"
#include "commands/JobRecord.h"
#include "commands/Outcome.h"
#include "config/Settings.h"
#include "db/DM_db_source.h"
#include "tests/db/RecordingSql.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

class Processing : public ::testing::Test {
  protected:
    Processing() {
        dir.write("MerilonSettings.ini", "RBRR=7\r\n");
        std::filesystem::create_directory(dir.file("log"));
        state.BrojRacuna = 7;
        state.postavke.F_BROJ_KASE = "AB1234";
        state.postavke.TARVOLOGGRESKE = dir.file("log/");
        state.postavke.TARVOLOCALDIR = dir.path();
        state.postavke.TARVORACUN = "*.inp";
        ui.realPauses = false;
    }

    bool process(const std::string& bytes) {
        dir.write("f.inp", bytes);
        return CommandProcessor(db, settings).AnalRacuniKomande(dir.file("f.inp"));
    }
    std::string file() const { return dir.read("f.inp"); }
    std::string rbrr() const { return dir.read("MerilonSettings.ini"); }
    std::string invalid(const std::string& error) const {
        return "Neispravan fajl " + dir.file("f.inp") + "\r\nGreska:" + error;
    }

    test::TempDir dir;
    ProcessState state;
    test::RecordingUserInterface ui;
    test::RecordingSql sql = [] {
        test::RecordingSql closed;  // as a database that is not open
        closed.failing = true;
        closed.error = "Database is not open";
        return closed;
    }();
    RecordContext db{sql, state, ui};
    Settings settings{dir.file("MerilonSettings.ini")};
};

TEST_F(Processing, AFileWhoseHeaderIsItsLastLineWaitsWithoutUsingANumber) {
    for (const char* bytes : {"Z,P1,_,______,__;", "Z,P1,_,______,__;\r\n", "\r\n\r\nZ,P1,_,______,__;\r\n",
                              "V,P1,_,______,__;+Hvala\r\n\r\nS,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002"}) {
        EXPECT_FALSE(process(bytes)) << bytes;
        EXPECT_EQ(file(), bytes);
    }
    EXPECT_EQ(state.BrojRacuna, 7);
    EXPECT_EQ(rbrr(), "RBRR=7\r\n");
    EXPECT_EQ(state.BrojacObrade, 4);
}

TEST_F(Processing, AFileProcessedAlreadyIsSkippedWhateverItsStatus) {
    for (const char* bytes :
         {"Z,P1,3,AB1234,OK;\r\n\r\n", "Z,P1,_,______,No;\r\n\r\n", "Z,P1,_,______,_;\r\n\r\n"}) {
        EXPECT_TRUE(process(bytes)) << bytes;
        EXPECT_EQ(file(), bytes);
    }
    EXPECT_EQ(state.BrojRacuna, 7);
}

TEST_F(Processing, ProcessingCounterRunsFromOneToNineAndBackToZero) {
    state.BrojacObrade = 8;
    process("Z,P1,3,AB1234,OK;\r\n\r\n");
    EXPECT_EQ(state.BrojacObrade, 9);
    EXPECT_TRUE(process("Q,P1,_,______, __ ;\r\n\r\n"));
    EXPECT_EQ(state.BrojacObrade, 0);
    EXPECT_EQ(file(), "Q,P1,0,AB1234,OK;\r\n\r\n");
}

TEST_F(Processing, HeadersWithoutACommandCompleteAsSuccessAndUseANumber) {
    dir.write("log/Tarvo.err", "old\r\n");
    for (const char* bytes :
         {"Q,P1,_,______,__;\r\n\r\n", "T,P1,_,______,__;\r\n\r\n", "s,P1,_,______,__;\r\n\r\n",
          "V,P1,_,______,__;+Hvala\r\nU,P1,_,______,__;x;1;1;;1;1;1\r\n\r\n"}) {
        EXPECT_TRUE(process(bytes)) << bytes;
        EXPECT_EQ(file().find(",__;"), std::string::npos) << file();
    }
    EXPECT_TRUE(ui.pauses.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("log/Tarvo.err")));
    EXPECT_EQ(state.BrojRacuna, 11);
    EXPECT_EQ(rbrr(), "RBRR=11\r\n");
}

TEST_F(Processing, InvalidFilesFoundBeforeAnyRowAreReportedMarkedAndNumbered) {
    const struct {
        const char* bytes;
        std::string error;
    } cases[] = {
        {"O,P1,_,______,__;12x\r\n\r\n", "linija 1, polje 5 (broj artikla): '12x' nije ispravan cijeli broj"},
        {"\r\nO,P1,_,______,__;1001\r\n\r\n",  // fields come from line 1
         "linija 1, polje 5 (broj artikla): '' nije ispravan cijeli broj"},
        {"I,P1,_,______,__;1;50,00\r\n\r\n", "linija 1, polje 6 (iznos): '50,00' nije ispravan broj"},
        {"K,P1,_,______,__;245\r\nU,P1,_,______,__;x;1;1;;1;1;1\r\n",
         "Nekorektan format racuna/komande broj 10 (linija 2: zapis 'U' ne pripada racunu)"},
        {"K,P1,_,______,__;245\r\nK,P1,_,______,__;246\r\n",
         "Nekorektan format racuna/komande broj 11 (linija 2: zapis 'K' ne pripada racunu)"},
    };
    int number = 7;
    for (const auto& c : cases) {
        ui.notices.clear();
        EXPECT_FALSE(process(c.bytes)) << c.bytes;
        ASSERT_EQ(ui.notices.size(), 1u) << c.bytes;
        EXPECT_EQ(ui.notices[0].text, invalid(c.error));
        EXPECT_EQ(dir.read("log/Tarvo.err"), invalid(c.error) + "\r\n");
        EXPECT_NE(file().find(",Er;"), std::string::npos);
        EXPECT_EQ(state.BrojRacuna, ++number);
    }
    EXPECT_TRUE(ui.pauses.empty());
}

// A file without records cannot carry its outcome: while it stays as it is, it is not
// taken up again (it would use a number every scan).
TEST_F(Processing, AFileWithoutRecordsIsInvalidAndLeftAsItIs) {
    for (const std::string bytes : {"", "\r\n  \r\n"}) {
        ui.notices.clear();
        EXPECT_FALSE(process(bytes));
        ASSERT_EQ(ui.notices.size(), 2u);
        EXPECT_EQ(ui.notices[0].text.rfind(invalid(""), 0), 0u);
        EXPECT_EQ(ui.notices[1].text, "Ne moze se oznaciti fajl " + dir.file("f.inp") +
                                          "\r\nu fajlu nema nijednog zapisa koji bi se oznacio");
        EXPECT_EQ(file(), bytes);

        ui.notices.clear();
        EXPECT_FALSE(CommandProcessor(db, settings).AnalRacuniKomande(dir.file("f.inp")));
        EXPECT_TRUE(ui.notices.empty());
        std::filesystem::remove(dir.file("f.inp"));  // gone: forgotten
        EXPECT_FALSE(CommandProcessor(db, settings).AnalRacuniKomande(dir.file("f.inp")));
    }
    EXPECT_FALSE(process("V,P1,_,______,__;+Hvala\r\n\r\n\r\n"));
    EXPECT_EQ(file(), "V,P1,7,AB1234,Er;+Hvala\r\n\r\n\r\n");
    EXPECT_EQ(state.BrojRacuna, 10);
}

// A till that rewrites its file after the job took it up would get its receipt twice.
TEST_F(Processing, AFileChangedAfterItsJobIsSetAsideNotTakenUpAgain) {
    EXPECT_FALSE(process(""));  // cannot carry its mark: remembered
    ui.notices.clear();
    const std::string rewritten = "Q,P1,_,______,__;\r\n\r\n";
    EXPECT_FALSE(process(rewritten));
    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_EQ(ui.notices[0].text,
              "Fajl " + dir.file("f.inp") +
                  " posla broj 7 (status Er) je izmijenjen nakon preuzimanja; premjesten je u " +
                  dir.file("f.inp.izmijenjen") + " i ne uzima se ponovo u obradu.");
    EXPECT_EQ(dir.read("f.inp.izmijenjen"), rewritten);
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.inp")));
    EXPECT_EQ(state.BrojRacuna, 8);
}

TEST_F(Processing, AByteOrderMarkBeforeTheHeaderIsReadPastAndKept) {
    EXPECT_TRUE(process("\xEF\xBB\xBFQ,P1,_,______,__;\r\n\r\n"));
    EXPECT_EQ(file(), "\xEF\xBB\xBFQ,P1,1,AB1234,OK;\r\n\r\n");
    EXPECT_EQ(state.BrojRacuna, 8);
}

TEST_F(Processing, AMissingCounterLineIsAddedAndAnUnsavedNumberShownAndKeptInMemory) {
    dir.write("MerilonSettings.ini", "TARVORACUN=*.INP\r\n");  // no RBRR line
    EXPECT_TRUE(process("Q,P1,_,______,__;\r\n\r\n"));
    EXPECT_EQ(rbrr(), "TARVORACUN=*.INP\r\nRBRR=8\r\n");
    EXPECT_TRUE(ui.messages.empty());

    std::filesystem::remove(dir.file("MerilonSettings.ini"));
    std::filesystem::create_directory(dir.file("MerilonSettings.ini"));  // cannot be written
    EXPECT_TRUE(process("Q,P1,_,______,__;\r\n\r\n"));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Ne moze se povecati knjigovodstveni broj racuna!"});
    EXPECT_EQ(state.BrojRacuna, 9);
}

TEST_F(Processing, FilesAreDeletedOnlyWhenTheSettingIsExactlyDa) {
    state.postavke.TARVOOBRISI_FAJL = true;
    EXPECT_TRUE(process("Q,P1,_,______,__;\r\n\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.inp")));
    EXPECT_FALSE(process("O,P1,_,______,__;x\r\n\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.inp")));
    EXPECT_EQ(state.BrojRacuna, 9);
}

TEST_F(Processing, AFailedDeletionIsShown) {
    sql.failing = false;
    sql.answersTo["from F_SEMAFOR Where"] = test::AnswerRow::withRow();  // the PARTNER never finishes
    state.postavke.TARVOOBRISI_FAJL = true;
    ui.onPause = [&](int) { std::filesystem::remove(dir.file("f.inp")); };

    EXPECT_FALSE(process("U,P1,_,______,__;Hljeb;0.95;0;;1;2;1002\r\n\r\n"));

    ASSERT_EQ(ui.notices.size(), 1u);
    EXPECT_EQ(ui.notices[0].text.rfind("Ne moze se obrisati fajl " + dir.file("f.inp"), 0), 0u);
    EXPECT_EQ(rbrr(), "RBRR=8\r\n");
}

// A journal that fails at every job's end, as a value it cannot read would make it.
struct FailingJournal : JobJournal {
    void jobEnded(const JobEntry&) override {
        throw std::runtime_error("'x' is not a valid floating point value");
    }
    void jobMarked(const JobEntry&) override {}
    void fileSettledLater(const std::string&, FileAction, std::int64_t) override {}
    std::optional<std::vector<JobEntry>> openJobs(int) override { return std::vector<JobEntry>{}; }
    void jobSettledLate(const JobEntry&) override {}
};

TEST_F(Processing, NothingAfterTheDecisionKeepsTheFileFromItsMarkAndTheNumberFromItsAdvance) {
    FailingJournal journal;
    CommandProcessor processor(db, settings, &journal);
    for (int number : {7, 8}) {
        ui.notices.clear();
        dir.write("f.inp", "Q,P1,_,______,__;\r\n\r\n");
        EXPECT_TRUE(processor.AnalRacuniKomande(dir.file("f.inp")));
        EXPECT_EQ(file().find(",__;"), std::string::npos);
        ASSERT_EQ(ui.notices.size(), 1u);
        EXPECT_EQ(ui.notices[0].text, "Greska pri upisu posla broj " + std::to_string(number) +
                                          " u dnevnik\r\n'x' is not a valid floating point value");
    }
    EXPECT_EQ(rbrr(), "RBRR=9\r\n");
}

// Whatever the last look saw, only a row found gone closes a job handed over.
TEST(JobJournalEntry, AJobHandedOverStaysOpenUntilItsRowIsSeenGone) {
    Job job;
    job.times.handedOver = 1;
    for (int outcome : {-1, -2, -4, -5, -255}) {
        job.outcome = outcome;
        EXPECT_TRUE(journalEntryOf(job, 1, FileAction::MarkedEr).open) << outcome;
    }
    for (int outcome : {0, -3}) {
        job.outcome = outcome;
        EXPECT_FALSE(journalEntryOf(job, 1, FileAction::MarkedOk).open) << outcome;
    }
    job.times.handedOver = 0;
    job.outcome = -255;
    EXPECT_FALSE(journalEntryOf(job, 1, FileAction::MarkedEr).open);
}

// A look-up that fails is no "not found": the job fails and adds no article.
TEST_F(Processing, AnArticleLookUpThatFailsAddsNoArticle) {
    sql.failing = false;
    for (const char* failing : {"F_BAR_CODE=", "max(f_sifra_robe)"}) {  // the article, the next free code
        sql.failsOn = failing;
        ui.notices.clear();
        EXPECT_FALSE(process("S,P1,_,______,__;Sok;2.50;1;;3;1;;3871234567890\r\nT,P1,_,______,__;\r\n"));
        for (const std::string& statement : sql.statements)
            EXPECT_EQ(statement.find("F_ROBA("), std::string::npos) << statement;
        ASSERT_FALSE(ui.notices.empty());
        EXPECT_EQ(ui.notices[0].text, invalid("Ne moze se dodati stavka robe!")) << failing;
    }
}

// The failure of the row's own statement tells why: a lost connection adds the
// database's words, any other failure only the program's.
TEST_F(Processing, AConnectionLostWhileWritingARowAddsTheDatabasesWords) {
    sql.failing = false;
    sql.failsOn = "into F_PLACANJE";
    const std::string sale = "S,P1,_,______,__;Sok;2.50;1;;3;1;;1002\r\n";
    const std::string failure = "Ne moze se insertovati stavka placanja,\r\nza racun broj ";
    EXPECT_FALSE(process(sale + "T,P1,_,______,__;\r\n"));
    ASSERT_FALSE(ui.notices.empty());
    EXPECT_EQ(ui.notices[0].text, invalid(failure + "7"));

    sql.failure = sql::Failure::ConnectionLost;
    EXPECT_FALSE(process(sale + "T,P1,_,______,__;\r\n"));
    ASSERT_EQ(ui.notices.size(), 2u);
    EXPECT_EQ(ui.notices[1].text, invalid(failure + "8\r\nDatabase is not open"));
}

TEST(RecoveryWithoutDatabase, NothingIsTakenUpWhileTheDatabaseCannotTell) {
    test::TempDir dir;
    dir.write("MerilonSettings.ini", "RBRR=8\r\n");
    dir.write("a.inp", "Z,P1,_,______,__;\r\n\r\n");
    dir.write("b.inp", "Z,P1,_,______,__;\r\n\r\n");
    JobRecord record(dir.file("MerilonPosao.ini"));
    JobInFlight job;
    job.fileName = dir.file("a.inp");
    job.number = 7;
    job.stage = JobStage::Rows;
    record.job = job;
    ASSERT_TRUE(record.save());
    ProcessState state;
    state.BrojRacuna = 8;
    state.postavke.TARVOLOCALDIR = dir.path();
    state.postavke.TARVORACUN = "*.inp";
    test::RecordingUserInterface ui;
    Tdm_db dm(state, ui);  // not connected: whether job 7 reached the PARTNER is not known
    const Settings settings(dir.file("MerilonSettings.ini"));

    EXPECT_FALSE(CommandProcessor(dm, settings).AnalRacuniKomande(dir.file("b.inp")));

    EXPECT_EQ(dir.read("b.inp"), "Z,P1,_,______,__;\r\n\r\n");
    EXPECT_EQ(dir.read("a.inp"), "Z,P1,_,______,__;\r\n\r\n");
    EXPECT_EQ(dir.read("MerilonSettings.ini"), "RBRR=8\r\n");
    ASSERT_TRUE(record.load());
    EXPECT_TRUE(record.job);
}

}  // namespace
}  // namespace fm

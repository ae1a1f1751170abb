// Hostile command files that are refused, or decided, whatever the engine: run on
// recorded SQL, where no statement that writes a row may be sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "commands/AnalRacuniKomande.h"
#include "config/Settings.h"
#include "tests/db/RecordingSql.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

// Bytes of a literal, NULs included.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

class HostileFiles : public testing::Test {
  protected:
    HostileFiles() {
        dir.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=100\r\n");
        db.state.postavke.TARVOLOCALDIR = dir.path();
        db.state.postavke.TARVORACUN = "*.inp";
        db.state.BrojRacuna = 100;
    }

    bool process(const std::string& name, const std::string& bytes) {
        dir.write(name, bytes);
        return processor.AnalRacuniKomande(dir.file(name));
    }
    std::vector<std::string> statementsStarting(const std::string& head) const {
        std::vector<std::string> found;
        for (const std::string& sql : db.sql.statements) {
            std::string start = sql.substr(sql.find_first_not_of(' '), head.size());
            std::transform(start.begin(), start.end(), start.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (start == head) found.push_back(sql);
        }
        return found;
    }
    // Nothing was sent but the clean-up of the job's own rows.
    bool onlyCleanUpsSent() const {
        std::vector<std::string> cleanUps;
        for (const char* table :
             {"delete from f_racun ", "delete from f_placanje ", "delete from f_semafor "})
            for (const std::string& sql : statementsStarting(table)) cleanUps.push_back(sql);
        return cleanUps.size() == db.sql.statements.size();
    }
    // The notice of an invalid file, its mark in the file, and not one row written.
    void expectInvalid(const std::string& name, const std::string& error) {
        ASSERT_EQ(db.ui.notices.size(), 1u);
        EXPECT_EQ(db.ui.notices[0].text, "Neispravan fajl " + dir.file(name) + "\r\nGreska:" + error);
        EXPECT_NE(dir.read(name).find(",Er;"), std::string::npos) << dir.read(name);
        EXPECT_TRUE(onlyCleanUpsSent()) << db.sql.statements.back();
    }

    TempDir dir;
    RecordingDatabase db;
    Settings settings{dir.file("MerilonSettings.ini")};
    CommandProcessor processor{db.context, settings};
};

TEST_F(HostileFiles, ANulByteMakesTheFileInvalidBeforeAnythingIsWritten) {
    const std::string priceChanges =
        bytes("U,P1,_,______,__;Kafa;3;0;;1;2;7\r\nU,P1,_,______,__;Ka\0fa;3;0;;1;2;8\r\n");
    EXPECT_FALSE(process("u.inp", priceChanges));
    expectInvalid("u.inp", "linija 2 sadrzi nedozvoljen znak NUL (kod 0)");
    EXPECT_EQ(db.state.BrojRacuna, 101);

    // A file processed already is skipped untouched, whatever it holds.
    const std::string processed = bytes("S,P1,1,AB1234,OK;Ka\0fa;1;1;;1;2;;7\r\nT,P1,1,AB1234,OK;\r\n");
    EXPECT_TRUE(process("done.inp", processed));
    EXPECT_EQ(dir.read("done.inp"), processed);
    EXPECT_EQ(db.state.BrojRacuna, 101);
}

TEST_F(HostileFiles, AnOfficialDepositKindOutsideZeroToTwentyNineIsInvalid) {
    EXPECT_FALSE(process("i.inp", "I,P1,_,______,__;2147483600;5\r\n\r\n"));
    expectInvalid("i.inp",
                  "linija 1, polje 5 (vrsta unosa/iznosa): Vrsta sluzbenog unosa/iznosa 2147483600 je izvan "
                  "opsega 0 do 29");
    for (const char* kind : {"-46", "30"}) {
        db.ui.notices.clear();
        EXPECT_FALSE(process("j.inp", std::string("I,P1,_,______,__;") + kind + ";5\r\n\r\n"));
        ASSERT_EQ(db.ui.notices.size(), 1u);
        EXPECT_NE(db.ui.notices[0].text.find("(vrsta unosa/iznosa): Vrsta sluzbenog unosa/iznosa " +
                                             std::string(kind) + " je izvan opsega"),
                  std::string::npos);
    }
    EXPECT_TRUE(onlyCleanUpsSent());
}

// A budget under one poll (a negative reserve): the job is still looked for before its outcome.
TEST_F(HostileFiles, ABudgetUnderOnePollStillLooksOnceAtTheJob) {
    db.state.postavke.TARVOREZERVNOVRIJEME = -100000;
    db.sql.answersTo["from F_SEMAFOR Where"] = AnswerRow::withRow();  // the PARTNER never takes it
    EXPECT_FALSE(process("o.inp", "O,P1,_,______,__;1001\r\n\r\n"));
    EXPECT_EQ(dir.read("o.inp").substr(0, 17), "O,P1,1,AB1234,No;");
    EXPECT_EQ(statementsStarting("select * from f_semafor"),
              std::vector<std::string>{
                  " Select * from F_SEMAFOR Where F_ID_KASE=1 and F_RBR=100 and TIPKNJIZENJA=80"});
    EXPECT_EQ(statementsStarting("insert into f_semafor").size(), 1u);
    EXPECT_TRUE(statementsStarting("delete from f_semafor").empty());  // its row stays
}

// Stored by a price change, the highest code would block every new article of the register.
TEST_F(HostileFiles, APriceChangeForTheLargestCodeIsRefused) {
    EXPECT_FALSE(process("u.inp", "U,P1,_,______,__;Zadnji;1;0;;1;2;2147483647\r\n\r\n"));
    expectInvalid(
        "u.inp",
        "linija 1, polje 11 (sifra artikla): sifra robe 2147483647 je najveca vrijednost; artikal s "
        "njom se ne moze upisati");
}

// The booking type of a K receipt comes with its field 5: without a number there the
// clean-up is a sale's, and nothing was written before it.
TEST_F(HostileFiles, AReferringReceiptWithoutANumberCleansUpAsASale) {
    EXPECT_FALSE(process("k.inp",
                         "K,P1,_,______,__;24x\r\nS,P1,_,______,__;Kafa;1;1;;1;2;;7\r\n"
                         "T,P1,_,______,__;\r\n"));
    expectInvalid("k.inp", "linija 1, polje 5 (broj ranijeg racuna): '24x' nije ispravan cijeli broj");
    EXPECT_EQ(statementsStarting("delete"),
              (std::vector<std::string>{
                  "DELETE FROM F_PLACANJE WHERE  F_ID_KASE=1 AND F_RBR=100 AND TIPKNJIZENJA=1",
                  "DELETE FROM F_RACUN WHERE  F_ID_KASE=1 AND F_RBR=100 AND TIPKNJIZENJA=1",
                  "delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=100 and TIPKNJIZENJA=0"}));

    // A bad item after a good K: no row of the good one, the clean-up a K receipt's.
    db.sql.statements.clear();
    db.ui.notices.clear();
    EXPECT_FALSE(process("l.inp",
                         "K,P1,_,______,__;245\r\nS,P1,_,______,__;Kafa;1;1;;1;2;;7\r\n"
                         "S,P1,_,______,__;Sok;1;x;;1;2;;7\r\n"));
    const std::vector<std::string> deletes = statementsStarting("delete");
    EXPECT_NE(std::find(deletes.begin(), deletes.end(),
                        "delete from F_SEMAFOR WHERE  F_ID_KASE=1 and F_RBR=101 and TIPKNJIZENJA=1"),
              deletes.end());
    expectInvalid("l.inp", "linija 3, polje 7 (kolicina): 'x' nije ispravan broj");
}

}  // namespace
}  // namespace fm::test

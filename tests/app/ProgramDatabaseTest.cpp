// The real program on a fresh embedded database, without a display.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <string>

#include "tests/app/ProgramCopy.h"
#include "tests/support/FreshDatabase.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

class OnADatabase : public ::testing::Test {
  protected:
    void start(const std::string& settings) {
        program = std::make_unique<ProgramCopy>(
            "F_BROJ_KASE=AB1234\r\nTARVOPROVJERIISTANCU=NE\r\nTARVOLOCALDIR=" + input() + "\r\n" + settings);
        std::filesystem::create_directory(input());
        program->addFirebirdConfiguration();
        program->dir().write("database.ini", FreshDatabase::iniText(database.path()));
        program->start(meeting.path());
    }

    std::string input() const { return meeting.file("in/"); }

    // Rows of F_SEMAFOR, read over a connection of this test's own.
    int semaphoreRows() {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("watch"));
        if (!db.isValid()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), QStringLiteral("watch"));
            db.setDatabaseName(QString::fromStdString(database.path()));
            db.setUserName(QStringLiteral("OPKASA"));
        }
        if (!db.isOpen() && !db.open()) return -1;
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("select count(*) from F_SEMAFOR")) || !query.next()) return -1;
        const int rows = query.value(0).toInt();
        db.commit();
        return rows;
    }

    void TearDown() override {
        if (QSqlDatabase::contains(QStringLiteral("watch")))
            QSqlDatabase::removeDatabase(QStringLiteral("watch"));
    }

    TempDir meeting;
    FreshDatabase database;
    std::unique_ptr<ProgramCopy> program;
};

TEST_F(OnADatabase, SigtermDuringAJobEndsTheProgramOnlyAfterTheJob) {
    // No PARTNER: the daily report waits its whole budget, then is marked.
    start("TARVODBDRIVERAUTOMATICTIMER=300\r\nTARVOREZERVNOVRIJEME=3000\r\nRBRR=7\r\n");
    ASSERT_TRUE(program->waitForLog("pokrenut, baza otvorena")) << program->log();
    meeting.write("in/z.inp", "Z,P1,_,______,__;\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return semaphoreRows() == 1; }, 20000)) << program->log();

    program->sendSignal(SIGTERM);
    EXPECT_EQ(program->waitForExit(30000), 0);
    EXPECT_NE(program->log().find("zaustavljanje po zavrsetku posla u toku"), std::string::npos)
        << program->log();
    const std::string marked = meeting.read("in/z.inp");
    EXPECT_EQ(marked.find("__;"), std::string::npos) << marked;
    EXPECT_NE(program->dir().read("MerilonSettings.ini").find("RBRR=8"), std::string::npos);
}

TEST_F(OnADatabase, WithRepliesAskedForAJobLeavesItsReplyBesideItsFile) {
    // No PARTNER: the daily report is not finished within its budget and stays open.
    start("TARVODBDRIVERAUTOMATICTIMER=300\r\nTARVOREZERVNOVRIJEME=-4000\r\nRBRR=7\r\nTARVOODGOVOR=DA\r\n");
    ASSERT_TRUE(program->waitForLog("pokrenut, baza otvorena")) << program->log();
    meeting.write("in/z.inp", "Z,P1,_,______,__;\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(meeting.file("in/z.inp.odg")); }, 20000))
        << program->log();
    const std::string reply = meeting.read("in/z.inp.odg");
    EXPECT_EQ(reply.rfind("posao=7\r\nfajl=z.inp\r\nstatus=No\r\nkod=-2\r\nstanje=OTVOREN\r\n", 0), 0u)
        << reply;
    EXPECT_EQ(program->endWithSigterm(), 0);
}

TEST_F(OnADatabase, ANonNumericPollingIntervalFromTheSettingsTableEndsTheProgram) {
    database.run({"CREATE TABLE settings (NAZIV VARCHAR(60), VRIJEDNOST VARCHAR(200))",
                  "INSERT INTO settings VALUES ('TARVODBDRIVERAUTOMATICTIMER', 'uskoro')"});
    start("");
    EXPECT_EQ(program->waitForExit(), 2);
    EXPECT_EQ(countOf(program->log(), "[FMerilon greska] "), 1) << program->log();
    EXPECT_NE(program->log().find("uskoro"), std::string::npos) << program->log();
}

TEST_F(OnADatabase, WithoutAJobNumberNoFileIsTakenUp) {
    start("TARVODBDRIVERAUTOMATICTIMER=100\r\nRBRR=abc\r\n");
    meeting.write("in/z.inp", "Z,P1,_,______,__;\r\n\r\n");
    ASSERT_TRUE(program->waitForLog("pokrenut, baza otvorena")) << program->log();
    EXPECT_NE(
        program->log().find("[FMerilon obavijest] Komandni fajlovi se ne obradjuju: knjigovodstveni broj "
                            "racuna nije ucitan!"),
        std::string::npos)
        << program->log();
    QTest::qWait(500);
    EXPECT_EQ(meeting.read("in/z.inp"), "Z,P1,_,______,__;\r\n\r\n");
    EXPECT_EQ(semaphoreRows(), 0);
    EXPECT_EQ(program->endWithSigterm(), 0);
}

}  // namespace
}  // namespace fm::test

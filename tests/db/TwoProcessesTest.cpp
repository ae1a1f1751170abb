// The program and the fiscal-printer driver open one embedded database file at the same time.
#include <QCoreApplication>
#include <QProcess>

#include "db/RecordWriters.h"
#include "tests/db/DbFixture.h"

namespace fm::test {
namespace {

class TwoProcesses : public DbFixture {
  protected:
    // Runs the second program to its end; its output.
    std::string secondProcess(int job) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/db_second_process"),
                      {QString::fromStdString(database.iniPath()), QString::number(job)});
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(0, process.exitCode()) << process.readAll().toStdString();
        return process.readAll().toStdString();
    }
};

TEST_F(TwoProcesses, BothSeeWhatTheOtherCommitted) {
    connect();
    ASSERT_TRUE(UpisiStavkuRacuna(*dm, 57, 0, 0, 12, 1, 1, "", "PRVI", 1.5, 2));
    ASSERT_TRUE(UpisiSemafor(*dm, 57, 0, 0, 0, 0, 1, ""));

    // This process keeps its connection open while the other one works.
    EXPECT_EQ("semaphore -2\nitems 2\n", secondProcess(57));
    EXPECT_EQ(2, BrojStavkiRacuna(*dm, 57, 0));
    EXPECT_EQ((std::vector<std::string>{"PRVI", "DRUGI"}),
              rows("select * from F_RACUN order by F_SIFRA_ROBE desc", {"F_NAZIV_ROBE"}));

    ASSERT_TRUE(ObrisiSemafor(*dm, 57, 0));
    EXPECT_EQ("semaphore 0\nitems 3\n", secondProcess(57));
    EXPECT_EQ(3, BrojStavkiRacuna(*dm, 57, 0));
}

}  // namespace
}  // namespace fm::test

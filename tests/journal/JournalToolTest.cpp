// fmerilon-journal run on a journal: what it prints and how it ends.

#include <gtest/gtest.h>

#include <QProcess>

#include "journal/JournalStore.h"
#include "tests/journal/JournalJobs.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

TEST(JournalTool, PrintsTheLatestJobsOldestFirstFilteredByStatus) {
    TempDir dir;
    {
        JournalStore store(dir.file("d.db"));
        for (int number = 1; number <= 4; ++number) ASSERT_TRUE(store.add(job(number, number % 2 ? -2 : 0)));
    }
    QProcess tool;
    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL), {"--journal", QString::fromStdString(dir.file("d.db")),
                                                       "--status", "No", "--last", "1", "--csv"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const std::string out = tool.readAllStandardOutput().toStdString();
    const std::size_t firstRow = out.find("\r\n") + 2;
    EXPECT_EQ(out.compare(0, 8, "preuzet,"), 0);
    EXPECT_NE(out.find(",/racuni/r3.inp,120,3,", firstRow), std::string::npos) << out;
    EXPECT_EQ(out.find("\r\n", firstRow), out.size() - 2);  // one job

    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL),
               {"--journal", QString::fromStdString(dir.file("d.db")), "--last", "2"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    const std::string table = tool.readAllStandardOutput().toStdString();
    EXPECT_LT(table.find("posao 3  No  fajl No  cekano 1000 ms  /racuni/r3.inp\n"),
              table.find("posao 4  OK  fajl OK  cekano 1000 ms  /racuni/r4.inp\n"));

    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL),
               {"--journal", QString::fromStdString(dir.file("none.db"))});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 1);
    dir.write("fiscal.fdb", std::string(8192, 'x'));
    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL),
               {"--journal", QString::fromStdString(dir.file("fiscal.fdb"))});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_EQ(dir.read("fiscal.fdb"), std::string(8192, 'x'));
    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL), {"--status", "maybe"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 2);

    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL),
               {"--journal", QString::fromStdString(dir.file("d.db")), "--status", "no"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_NE(tool.readAllStandardOutput().toStdString().find("posao 3  No"), std::string::npos);

    tool.start(QStringLiteral(FMERILON_JOURNAL_TOOL), {"--help"});
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 0);
    const std::string help = tool.readAllStandardOutput().toStdString();
    for (const char* option :
         {"--journal", "--last", "--status", "--text", "--csv", "dvaput", "fiskalni broj"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace fm::test

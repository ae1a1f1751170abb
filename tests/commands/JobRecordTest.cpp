// The job record on disk: what a restart reads back, and a record that is not whole.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "commands/JobRecord.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

using test::failureOf;

TEST(JobRecordFile, HoldsTheJobInFlightAndTheUnmarkedFilesAndGoesWhenEmpty) {
    test::TempDir dir;
    const std::string path = JobRecord::besideSettings(dir.file("MerilonSettings.ini"));
    EXPECT_EQ(path, dir.file("MerilonPosao.ini"));

    JobRecord record(path);
    JobInFlight job;
    job.fileName = dir.file("a%b\r\nc.inp");  // a name that would break a line
    job.file = {64769, 1234567, 123, -1234567890123};
    job.number = 2147483646;
    job.stage = JobStage::HandingOver;
    job.bookingType = 53;
    job.budget = 13600;
    record.job = job;
    record.unmarked.push_back({dir.file("x;y.inp"), -255, {1, 2, 7, 8}, 0});
    ASSERT_TRUE(record.save());
    EXPECT_NE(dir.read("MerilonPosao.ini").find("a%25b%0D%0Ac.inp\r\n"), std::string::npos);

    JobRecord read(path);
    ASSERT_TRUE(read.load());
    ASSERT_TRUE(read.job);
    EXPECT_EQ(read.job->fileName, job.fileName);
    EXPECT_EQ(read.job->file.inode, 1234567u);
    EXPECT_TRUE(sameFile(read.job->file, job.file));
    EXPECT_EQ(read.job->number, 2147483646);
    EXPECT_EQ(read.job->stage, JobStage::HandingOver);
    EXPECT_EQ(read.job->bookingType, 53);
    EXPECT_EQ(read.job->budget, 13600);
    ASSERT_EQ(read.unmarked.size(), 1u);
    EXPECT_EQ(read.unmarked[0].fileName, dir.file("x;y.inp"));
    EXPECT_EQ(read.unmarked[0].outcome, -255);
    EXPECT_EQ(read.unmarked[0].file.inode, 2u);
    EXPECT_TRUE(sameFile(read.unmarked[0].file, {1, 2, 7, 8}));
    EXPECT_EQ(read.unmarked[0].number, 0);

    read.job.reset();
    read.unmarked.clear();
    ASSERT_TRUE(read.save());
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(read.load());  // no file: nothing in flight
    EXPECT_FALSE(read.job);
}

// A record of a version that kept no inode: size and time alone tell the file.
TEST(JobRecordFile, ARecordWithoutInodesIsRead) {
    test::TempDir dir;
    dir.write("MerilonPosao.ini",
              "POSAO=ZAPIS\r\nFAJL=/in/r.inp\r\nVELICINA=40\r\nVRIJEME=77\r\nRBR=5\r\n"
              "NEOZNACEN=0;12;34;/in/a;b.inp\r\n");
    JobRecord record(dir.file("MerilonPosao.ini"));
    ASSERT_TRUE(record.load());
    ASSERT_TRUE(record.job);
    EXPECT_TRUE(sameFile(record.job->file, {64769, 99, 40, 77}));
    EXPECT_FALSE(sameFile(record.job->file, {64769, 99, 41, 77}));
    ASSERT_EQ(record.unmarked.size(), 1u);
    EXPECT_EQ(record.unmarked[0].fileName, "/in/a;b.inp");
    EXPECT_TRUE(sameFile(record.unmarked[0].file, {1, 2, 12, 34}));
}

// The counter may hold 0 and negative numbers: a job under one is finished after a crash too.
TEST(JobRecordFile, EveryNumberTheCounterHandsOutIsRead) {
    test::TempDir dir;
    JobRecord record(dir.file("MerilonPosao.ini"));
    for (const int number : {0, -1, -2147483647 - 1}) {
        dir.write("MerilonPosao.ini",
                  "POSAO=PREDAN\r\nFAJL=/in/r.inp\r\nRBR=" + std::to_string(number) + "\r\n");
        ASSERT_TRUE(record.load()) << number;
        ASSERT_TRUE(record.job);
        EXPECT_EQ(record.job->number, number);
    }
}

TEST(JobRecordFile, ADamagedRecordIsReportedAndTakenAsEmpty) {
    test::TempDir dir;
    JobRecord record(dir.file("MerilonPosao.ini"));
    for (const char* text :
         {"POSAO=PREDAN\r\nFAJL=r.inp\r\nRBR=1x\r\n", "POSAO=GOTOVO\r\nFAJL=r.inp\r\n",
          "POSAO=ZAPIS\r\nRBR=5\r\n", "NEOZNACEN=0;1\r\n", "NEOZNACEN_INODE=1;2\r\n",
          "POSAO=ZAPIS\r\nFAJL=r.inp\r\nRBR=2147483647\r\n", "POSAO=ZAPIS\r\nFAJL=r.inp\r\n"}) {
        dir.write("MerilonPosao.ini", text);
        std::string error;
        EXPECT_NE(error = failureOf(record.load()), "") << text;
        EXPECT_EQ(error.rfind("Zapis o poslu u toku " + dir.file("MerilonPosao.ini") + " je neispravan: ", 0),
                  0u);
        EXPECT_FALSE(record.job);
        EXPECT_TRUE(record.unmarked.empty());
    }
}

}  // namespace
}  // namespace fm

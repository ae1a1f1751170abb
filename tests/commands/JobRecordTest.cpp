// The job record on disk: what a restart reads back, and a record that is not whole.

#include <gtest/gtest.h>

#include <filesystem>

#include "commands/JobRecord.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

TEST(JobRecordFile, HoldsTheJobInFlightAndTheUnmarkedFilesAndGoesWhenEmpty) {
    test::TempDir dir;
    const std::string path = JobRecord::besideSettings(dir.file("MerilonSettings.ini"));
    EXPECT_EQ(path, dir.file("MerilonPosao.ini"));

    JobRecord record(path);
    JobInFlight job;
    job.fileName = dir.file("a%b\r\nc.inp");  // a name that would break a line
    job.fileSize = 123;
    job.fileModified = -1234567890123;
    job.number = 2147483646;
    job.stage = JobStage::HandingOver;
    job.bookingType = 53;
    job.budget = 13600;
    record.job = job;
    record.unmarked.push_back({dir.file("x;y.inp"), -255, 7, 8});
    ASSERT_TRUE(record.save(nullptr));

    JobRecord read(path);
    ASSERT_TRUE(read.load(nullptr));
    ASSERT_TRUE(read.job);
    EXPECT_EQ(read.job->fileName, job.fileName);
    EXPECT_EQ(read.job->fileSize, 123u);
    EXPECT_EQ(read.job->fileModified, -1234567890123);
    EXPECT_EQ(read.job->number, 2147483646);
    EXPECT_EQ(read.job->stage, JobStage::HandingOver);
    EXPECT_EQ(read.job->bookingType, 53);
    EXPECT_EQ(read.job->budget, 13600);
    ASSERT_EQ(read.unmarked.size(), 1u);
    EXPECT_EQ(read.unmarked[0].fileName, dir.file("x;y.inp"));
    EXPECT_EQ(read.unmarked[0].outcome, -255);

    read.job.reset();
    read.unmarked.clear();
    ASSERT_TRUE(read.save(nullptr));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(read.load(nullptr));  // no file: nothing in flight
    EXPECT_FALSE(read.job);
}

TEST(JobRecordFile, ADamagedRecordIsReportedAndTakenAsEmpty) {
    test::TempDir dir;
    JobRecord record(dir.file("MerilonPosao.ini"));
    for (const char* text :
         {"POSAO=PREDAN\r\nFAJL=r.inp\r\nRBR=1x\r\n", "POSAO=GOTOVO\r\nFAJL=r.inp\r\n",
          "POSAO=ZAPIS\r\nRBR=5\r\n", "NEOZNACEN=0;1\r\n", "POSAO=ZAPIS\r\nFAJL=r.inp\r\nRBR=2147483647\r\n",
          "POSAO=ZAPIS\r\nFAJL=r.inp\r\n"}) {
        dir.write("MerilonPosao.ini", text);
        std::string error;
        EXPECT_FALSE(record.load(&error)) << text;
        EXPECT_EQ(error.rfind("Zapis o poslu u toku " + dir.file("MerilonPosao.ini") + " je neispravan: ", 0),
                  0u);
        EXPECT_FALSE(record.job);
        EXPECT_TRUE(record.unmarked.empty());
    }
}

}  // namespace
}  // namespace fm

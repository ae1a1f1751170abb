// The measuring helpers of the benchmarks: what counts as a program's own memory, and
// the journal the journal figures are measured on.

#include <gtest/gtest.h>

#include <sstream>

#include "bench/BenchSupport.h"
#include "journal/JournalStore.h"

namespace fm::bench {
namespace {

TEST(OwnMemory, CountsThePagesOfNoFileAndNotTheCopiedPagesOfLibraries) {
    std::istringstream smaps(
        "55d0c0000000-55d0c0021000 rw-p 00000000 00:00 0                          [heap]\n"
        "Rss:                 132 kB\n"
        "Anonymous:           128 kB\n"
        "VmFlags: rd wr mr mw me ac\n"
        "7f0000000000-7f0000100000 rw-p 00000000 00:00 0 \n"
        "Anonymous:          1024 kB\n"
        "7f0000200000-7f0000300000 rw-p 001c0000 08:01 131 /usr/lib/x86_64-linux-gnu/libQt6Core.so.6\n"
        "Anonymous:            64 kB\n"
        "7f0000400000-7f0000500000 rw-s 00000000 00:05 7   /memfd:xorg (deleted)\n"
        "Anonymous:             0 kB\n"
        "\n"
        "7ffc00000000-7ffc00021000 rw-p 00000000 00:00 0                          [stack]\n"
        "Anonymous:            16 kB\n");
    EXPECT_EQ(ownMemoryKiB(smaps), 128 + 1024 + 16);
}

TEST(BenchJournal, HasThatManyJobsReadableNewestFirstWithTheirOutcomes) {
    test::TempDir dir;
    const std::string path = dir.file("MerilonDnevnik.db");
    makeJournal(path, 1000);

    JournalStore store(path);
    const Result<std::vector<JobEntry>> page = store.read(JournalFilter());
    ASSERT_TRUE(page) << page.error();
    ASSERT_EQ(page->size(), 200u);
    EXPECT_EQ(page->front().id, 1000);
    EXPECT_GT(page->front().id, page->back().id);
    EXPECT_EQ(page->front().fileName.rfind("C:\\RACUNI\\r1", 0), 0u) << page->front().fileName;
    const Result<DayCounts> counts = store.countsSince(0);
    ASSERT_TRUE(counts) << counts.error();
    EXPECT_EQ(counts->ok + counts->no + counts->er, 1000);
    EXPECT_GT(counts->no, 0);
    EXPECT_GT(counts->er, 0);
}

}  // namespace
}  // namespace fm::bench

// What the scans remember of the input directory: files settling and files processed.
#include <gtest/gtest.h>

#include "commands/DirectoryPolling.h"

namespace fm {
namespace {

TEST(ScanMemory, AFileSettlesOnceItsSizeAndTimeStayFor200Milliseconds) {
    SettlingFiles settling;
    files::DirectoryEntry a{"a.inp", false, 10, 5000};
    const files::DirectoryEntry b{"b.inp", false, 20, 5000};

    EXPECT_FALSE(settling.settled(a, 1000));
    EXPECT_FALSE(settling.settled(b, 1050));
    EXPECT_EQ(settling.nextDue(1100), 100);  // a first
    EXPECT_FALSE(settling.settled(a, 1199));
    EXPECT_TRUE(settling.settled(a, 1200));

    a.size = 11;  // written again: it starts anew
    EXPECT_FALSE(settling.settled(a, 1300));
    EXPECT_EQ(settling.nextDue(1300), 200);  // b has settled: no recheck for it
    a.modifiedMs = 5600;
    EXPECT_FALSE(settling.settled(a, 1450));
    EXPECT_TRUE(settling.settled(a, 1650));
    EXPECT_TRUE(settling.settled(b, 1650));
    EXPECT_EQ(settling.nextDue(1650), std::nullopt);  // settled files ask for no recheck

    settling.keepOnly({b});
    EXPECT_FALSE(settling.settled(a, 1700));  // forgotten, seen anew
    settling.forget("b.inp");
    EXPECT_FALSE(settling.settled(b, 1700));
}

TEST(ScanMemory, AProcessedFileIsKnownByNameSizeAndModificationTime) {
    ProcessedFiles processed;
    const files::DirectoryEntry a{"a.inp", false, 10, 5000};
    processed.remember(a);
    EXPECT_TRUE(processed.contains(a));
    EXPECT_FALSE(processed.contains({"a.inp", false, 11, 5000}));
    EXPECT_FALSE(processed.contains({"a.inp", false, 10, 5001}));
    EXPECT_FALSE(processed.contains({"b.inp", false, 10, 5000}));
    processed.keepOnly({{"b.inp", false, 1, 1}});
    EXPECT_FALSE(processed.contains(a));
    EXPECT_EQ(processed.size(), 0u);
}

}  // namespace
}  // namespace fm

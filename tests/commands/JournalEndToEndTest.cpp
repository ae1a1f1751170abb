// The job journal at the end of real jobs, the PARTNER emulator serving them.

#include <gtest/gtest.h>

#include "commands/AnalRacuniKomande.h"
#include "journal/Journal.h"
#include "tests/commands/PartnerHarness.h"

namespace fm::test {
namespace {

const std::string kSale =
    "S,P1,_,______,__;Mlijeko 1l;1.20;2;;1;2;;1001\r\n"
    "S,P1,_,______,__;Hljeb;0.90;-1;;1;2;;1002\r\n"
    "T,P1,_,______,__;\r\n";

TEST(JournalEndToEnd, EveryJobEndsAsOneRowWithItsStagesAndOneLogLine) {
    PartnerHarness h;
    std::vector<std::string> lines;
    Journal journal(h.root.file("MerilonDnevnik.db"), h.ui,
                    [&](const std::string& line) { lines.push_back(line); });
    h.drop("r1.inp", kSale);
    h.drop("bad.inp", "S,P1,_,______,__;Sok;x1;1;;1;2;;7\r\nT,P1,_,______,__;\r\n");

    EXPECT_TRUE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("r1.inp")));
    EXPECT_FALSE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("bad.inp")));

    JournalStore store(h.root.file("MerilonDnevnik.db"));
    std::string error;
    const std::vector<JobEntry> jobs = store.read({}, &error).value();
    ASSERT_EQ(jobs.size(), 2u) << error;
    const JobEntry& sale = jobs[1];
    EXPECT_EQ(sale.number, 100);
    EXPECT_EQ(sale.fileName, h.inputFile("r1.inp"));
    EXPECT_EQ(sale.fileSize, kSale.size());
    EXPECT_EQ(sale.register_, 1);
    EXPECT_EQ(sale.letter, 'S');
    EXPECT_EQ(sale.bookingType, 0);
    EXPECT_EQ(sale.itemRows, 2);
    EXPECT_EQ(sale.paymentRows, 1);
    EXPECT_GT(sale.budgetMs, 3000);
    EXPECT_EQ(sale.outcome, 0);
    EXPECT_EQ(sale.action, FileAction::MarkedOk);
    const JobTimes& t = sale.times;
    EXPECT_TRUE(t.takenUp > 0 && t.takenUp <= t.read && t.read <= t.handingOver &&
                t.handingOver <= t.handedOver && t.handedOver <= t.decided && t.decided <= t.marked);
    EXPECT_EQ(sale.waitedMs, t.decided - t.handedOver);
    EXPECT_GT(sale.waitedMs, 0);  // the PARTNER takes its time to print

    const JobEntry& bad = jobs[0];
    EXPECT_EQ(bad.number, 101);
    EXPECT_EQ(bad.status(), "Er");
    EXPECT_EQ(bad.outcome, -255);
    EXPECT_EQ(bad.times.handedOver, 0);
    EXPECT_EQ(bad.message.rfind("Neispravan fajl " + h.inputFile("bad.inp") + "\r\nGreska:", 0), 0u);

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("posao 100, fajl " + h.inputFile("r1.inp") + ", status OK (fajl OK), cekano ", 0),
              0u)
        << lines[0];
    EXPECT_EQ(lines[1], "posao 101, fajl " + h.inputFile("bad.inp") + ", status Er (fajl Er), cekano 0 ms");
}

TEST(JournalEndToEnd, AJournalThatCannotBeWrittenHoldsNoJobBack) {
    PartnerHarness h;
    h.root.write("zauzeto", "a file where the journal's directory should be");
    Journal journal(h.root.file("zauzeto/MerilonDnevnik.db"), h.ui, nullptr);
    h.drop("r1.inp", kSale);
    h.drop("r2.inp", kSale);

    EXPECT_TRUE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("r1.inp")));
    EXPECT_TRUE(CommandProcessor(*h.dm, *h.settings, &journal).AnalRacuniKomande(h.inputFile("r2.inp")));

    EXPECT_EQ(h.status("r1.inp"), "OK");
    EXPECT_EQ(h.status("r2.inp"), "OK");
    EXPECT_EQ(h.rbrr(), "RBRR=102");
    ASSERT_EQ(h.ui.notices.size(), 1u);
    EXPECT_NE(h.ui.notices[0].text.find("Dnevnik poslova"), std::string::npos);
    EXPECT_EQ(journal.waiting(), 2u);
}

}  // namespace
}  // namespace fm::test

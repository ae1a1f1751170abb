#include <gtest/gtest.h>

#include <filesystem>

#include "commands/ReplyFiles.h"
#include "commands/TillReply.h"
#include "config/Postavke.h"
#include "platform/FileSystem.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"

namespace fm {
namespace {

JobEntry job(int number, std::optional<int> outcome, const std::string& fileName = "/in/r1.inp") {
    JobEntry entry;
    entry.number = number;
    entry.outcome = outcome;
    entry.fileName = fileName;
    return entry;
}

TEST(TillReply, KeyValueLinesEndedByCrLfWithTheMessageOnOneLine) {
    JobEntry sale = job(100, -2);
    sale.open = true;
    sale.message = "Proces nije izvrsen!\r\nPARTNER nije zavrsio";
    EXPECT_EQ(replyText(sale),
              "posao=100\r\nfajl=r1.inp\r\nstatus=No\r\nkod=-2\r\nstanje=OTVOREN\r\nfiskalni=\r\n"
              "dva_puta=NE\r\nporuka=Proces nije izvrsen! | PARTNER nije zavrsio\r\npreuzet=\r\npredan=\r\n"
              "odluceno=\r\nzatvoren=\r\n");

    sale.open = false;
    sale.late = LateOutcome::Printed;
    sale.fiscalNumbers = {5, 6};
    sale.printedTwice = true;
    sale.lateMs = 1765380000000;
    const std::string late = replyText(sale);
    EXPECT_NE(late.find("\r\nstanje=ZAVRSEN\r\nfiskalni=5,6\r\ndva_puta=DA\r\n"), std::string::npos) << late;
    EXPECT_NE(late.find("\r\nzatvoren=2025-12-"), std::string::npos) << late;
    EXPECT_EQ(replyJobNumber(late), 100);
    EXPECT_EQ(replyJobNumber("fajl=x\r\nposao=7x\r\n"), std::nullopt);
    EXPECT_EQ(replyJobNumber(""), std::nullopt);
}

TEST(TillReply, TheStateTellsWhetherTheJobMayStillBeDone) {
    const auto state = [](std::optional<int> outcome, bool open = false,
                          LateOutcome late = LateOutcome::None) {
        JobEntry entry = job(1, outcome);
        entry.open = open;
        entry.late = late;
        return std::string(replyStateText(replyState(entry)));
    };
    EXPECT_EQ(state(0), "ZAVRSEN");
    EXPECT_EQ(state(-2, true), "OTVOREN");
    EXPECT_EQ(state(-4, true), "OTVOREN");
    EXPECT_EQ(state(-2, false, LateOutcome::Printed), "ZAVRSEN");
    EXPECT_EQ(state(-2, false, LateOutcome::Failed), "NIJE_ZAVRSEN");
    EXPECT_EQ(state(-2, false, LateOutcome::Unknown), "NEPOZNATO");
    EXPECT_EQ(state(-3), "NIJE_ZAVRSEN");
    EXPECT_EQ(state(-255), "NIJE_ZAVRSEN");
    EXPECT_EQ(state(-1), "NEPOZNATO");  // F_SEMAFOR unreadable: the PARTNER may have it
}

// Counts what reaches the journal behind the replies.
struct CountingJournal : JobJournal {
    void jobEnded(const JobEntry&) override { ++ended; }
    void jobMarked(const JobEntry&) override {}
    void fileSettledLater(const std::string&, FileAction, std::int64_t) override {}
    std::optional<std::vector<JobEntry>> openJobs(int) override { return std::vector<JobEntry>(); }
    void jobSettledLate(const JobEntry&) override { ++late; }
    int ended = 0;
    int late = 0;
};

class Replies : public ::testing::Test {
  protected:
    Replies() {
        postavke.TARVOLOCALDIR = dir.path();
        postavke.TARVORACUN = "*.inp";
    }
    test::TempDir dir;
    Postavke postavke;
    test::RecordingUserInterface ui;
    CountingJournal journal;
    ReplyFiles replies{postavke, ui, &journal};
};

TEST_F(Replies, WrittenBesideTheFileAndRewrittenLateOnlyWhileTheNameIsTheJobs) {
    replies.jobEnded(job(100, -2, dir.file("r1.inp")));
    EXPECT_EQ(replyJobNumber(dir.read("r1.inp.odg")), 100);
    EXPECT_NE(dir.read("r1.inp.odg").find("status=No\r\n"), std::string::npos);

    JobEntry printed = job(100, -2, dir.file("r1.inp"));
    printed.late = LateOutcome::Printed;
    replies.jobSettledLate(printed);
    EXPECT_NE(dir.read("r1.inp.odg").find("stanje=ZAVRSEN\r\n"), std::string::npos);

    replies.jobEnded(job(101, 0, dir.file("r1.inp")));  // the till used the name again
    replies.jobSettledLate(printed);
    EXPECT_EQ(replyJobNumber(dir.read("r1.inp.odg")), 101);

    replies.jobEnded(job(102, std::nullopt, dir.file("cut.inp")));  // interrupted: taken up again
    EXPECT_FALSE(files::fileExists(dir.file("cut.inp.odg")));
    EXPECT_EQ(journal.ended, 3);
    EXPECT_EQ(journal.late, 2);
    EXPECT_TRUE(ui.notices.empty());
}

TEST_F(Replies, InTheirOwnDirectoryOrNotAtAllWhereTheMaskWouldTakeThemUp) {
    postavke.TARVORACUN = "*";
    replies.jobEnded(job(100, 0, dir.file("r1.inp")));
    replies.jobEnded(job(101, 0, dir.file("r2.inp")));
    EXPECT_FALSE(files::fileExists(dir.file("r1.inp.odg")));
    ASSERT_EQ(ui.notices.size(), 2u);
    EXPECT_NE(ui.notices[0].text.find("TARVORACUN=* obuhvata"), std::string::npos) << ui.notices[0].text;

    postavke.TARVOODGOVORDIR = dir.file("odgovori");
    replies.jobEnded(job(102, 0, dir.file("r1.inp")));  // the directory is missing
    replies.jobEnded(job(103, 0, dir.file("r1.inp")));
    ASSERT_EQ(ui.notices.size(), 3u);
    const std::string replyPath = replies.replyPath(dir.file("r1.inp"));  // the platform's separator
    EXPECT_NE(replyPath.find("odgovori"), std::string::npos);
    EXPECT_NE(ui.notices[2].text.find("Ne moze se upisati odgovor " + replyPath), std::string::npos);
    std::filesystem::create_directory(dir.file("odgovori"));
    replies.jobEnded(job(104, 0, dir.file("r1.inp")));
    EXPECT_EQ(replyJobNumber(dir.read("odgovori/r1.inp.odg")), 104);
    EXPECT_EQ(journal.ended, 5);
}

}  // namespace
}  // namespace fm

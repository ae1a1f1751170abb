// The tills' reply files at the end of real jobs, the PARTNER emulator serving them.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "commands/DirectoryPolling.h"
#include "commands/ReplyFiles.h"
#include "commands/TillReply.h"
#include "journal/Journal.h"
#include "platform/Text.h"
#include "tests/support/PartnerHarness.h"

namespace fm::test {
namespace {

// The reply's items by key.
std::map<std::string, std::string> replyOf(const PartnerHarness& h, const std::string& commandFile) {
    std::map<std::string, std::string> items;
    for (const std::string& line : text::splitLines(h.read(commandFile + ".odg")))
        items[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    return items;
}

struct RepliedTill {
    explicit RepliedTill(const std::vector<std::string>& partnerOptions = {})
        : h(partnerOptions),
          journal(h.root.file("MerilonDnevnik.db"), h.ui, nullptr),
          replies(h.state.postavke, h.ui, &journal),
          poller(*h.dm, *h.settings, &replies) {}

    PartnerHarness h;
    Journal journal;
    ReplyFiles replies;
    DirectoryPoller poller;
};

TEST(ReplyEndToEnd, EverySampleJobLeavesOneReplyWithItsNumberStatusAndFiscalNumber) {
    RepliedTill till;
    std::vector<std::string> samples;
    for (const auto& sample : std::filesystem::directory_iterator(FMERILON_SOURCE_DIR "/samples")) {
        const std::string name = sample.path().filename().string();
        if (sample.path().extension() != ".inp") continue;
        std::ifstream bytes(sample.path(), std::ios::binary);
        till.h.drop(name, std::string(std::istreambuf_iterator<char>(bytes), {}));
        samples.push_back(name);
    }
    till.poller.Timer1Timer();

    std::map<std::string, std::string> fiscalByJob;
    for (const std::string& row :
         till.h.rows("select F_RBR, F_FISK_BROJ from F_LOG_RACUN", {"F_RBR", "F_FISK_BROJ"}))
        fiscalByJob[row.substr(0, row.find('|'))] = row.substr(row.find('|') + 1);
    std::set<std::string> numbers;
    for (const std::string& name : samples) {
        std::map<std::string, std::string> reply = replyOf(till.h, name);
        EXPECT_EQ(reply["fajl"], name);
        EXPECT_EQ(reply["status"], "OK") << name << ": " << reply["poruka"];
        EXPECT_EQ(reply["status"], till.h.status(name));
        EXPECT_EQ(reply["stanje"], "ZAVRSEN");
        EXPECT_EQ(reply["fiskalni"], fiscalByJob[reply["posao"]]) << name;
        EXPECT_FALSE(reply["fiskalni"].empty()) << name;
        numbers.insert(reply["posao"]);
    }
    EXPECT_EQ(numbers.size(), samples.size());
    EXPECT_EQ(*numbers.begin(), "100");
}

TEST(ReplyEndToEnd, AJobPrintedAfterItsNoGetsItsReplyRewritten) {
    RepliedTill till({"--finish-after-ms", "5000"});
    till.h.state.postavke.TARVOVREMESTAMPANJAZAGLAVLJA = -2000;  // a budget of about 1.5 s
    till.h.state.postavke.TARVOVREMESTAMPANJAZAVRSETKA = -1500;
    till.h.drop("r1.inp", kWorkedSale);

    till.poller.Timer1Timer();
    EXPECT_EQ(till.h.status("r1.inp"), "No");
    std::map<std::string, std::string> reply = replyOf(till.h, "r1.inp");
    EXPECT_EQ(reply["posao"], "100");
    EXPECT_EQ(reply["status"], "No");
    EXPECT_EQ(reply["stanje"], "OTVOREN");
    EXPECT_EQ(reply["zatvoren"], "");

    for (int i = 0; i < 100 && till.h.count("select count(*) as n from F_SEMAFOR") > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    till.poller.Timer1Timer();

    reply = replyOf(till.h, "r1.inp");
    EXPECT_EQ(reply["posao"], "100");
    EXPECT_EQ(reply["status"], "No");  // the mark the till has read stays
    EXPECT_EQ(reply["stanje"], "ZAVRSEN");
    EXPECT_EQ(reply["fiskalni"], "1");
    EXPECT_NE(reply["zatvoren"], "");
}

}  // namespace
}  // namespace fm::test

// The job record's fault paths on recorded SQL: hand-overs that fail, interrupted jobs the
// database cannot place or whose file is gone, unmarked files changed since.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "commands/Job.h"
#include "commands/JobTracker.h"
#include "config/Settings.h"
#include "tests/db/RecordingSql.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

const std::string kSale = "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,_,______,__;\r\n";
const std::string kRewritten = "Z,P1,_,______,__;\r\n\r\n";
const std::string kForgetHandOver = "delete from F_PREDAJA where F_ID_KASE=1 and F_RBR=100";

class Tracker : public testing::Test {
  protected:
    Tracker() {
        db.state.postavke.TARVOLOCALDIR = dir.path();
        db.state.postavke.TARVORACUN = "*.inp";
        restarted();
    }

    // The program started again with "RBRR" at 100 and r.inp waiting.
    void restarted() {
        dir.write("MerilonSettings.ini", "F_BROJ_KASE=AB1234\r\nRBRR=100\r\n");
        db.state.BrojRacuna = 100;
        dir.write("r.inp", kSale);
        db.sql.statements.clear();
    }
    // r.inp's job, numbered 100, as the record holds it.
    Job job() const {
        Job j;
        j.fileName = dir.file("r.inp");
        j.file = files::entryAt(j.fileName).identity;
        j.number = 100;
        j.budget = 10000;
        return j;
    }
    void crashedAt(JobStage stage) {
        JobRecord record(recordPath);
        record.job = savedJob(job());
        record.job->stage = stage;
        ASSERT_TRUE(record.save());
    }
    UnmarkedFile unmarked(const std::string& name) const {
        dir.write(name, kSale);
        return {dir.file(name), kDone, files::entryAt(dir.file(name)).identity, 7};
    }
    JobRecord saved() const {
        JobRecord record(recordPath);
        EXPECT_TRUE(record.load());
        return record;
    }
    bool recordLeft() const { return std::filesystem::exists(recordPath); }
    std::string rbrr() const {
        const std::string settingsFile = dir.read("MerilonSettings.ini");
        const std::size_t at = settingsFile.find("RBRR=");
        return settingsFile.substr(at, settingsFile.find('\r', at) - at);
    }

    TempDir dir;
    RecordingDatabase db;
    Settings settings{dir.file("MerilonSettings.ini")};
    JobContext context{db.context, settings};
    std::string recordPath = JobRecord::besideSettings(settings.filePath());
};

// A restart must take such a job for one at its rows (its rows removed), never finish it.
TEST_F(Tracker, AHandOverThatFailsLeavesTheJobAtItsRows) {
    for (const bool traced : {false, true}) {
        SCOPED_TRACE(traced);
        restarted();
        db.sql.failsOn = traced ? "" : "F_PREDAJA";
        JobTracker tracker(context);
        tracker.reserveNumber(job());
        const auto written = tracker.handOver(job(), []() -> Result<void, sql::Error> {
            return unexpected(sql::Error{sql::Failure::Other, "veza prekinuta"});
        });
        EXPECT_FALSE(written);
        ASSERT_TRUE(saved().job);
        EXPECT_EQ(saved().job->stage, JobStage::Rows);

        db.sql.statements.clear();
        tracker.endJob(job(), FileAction::MarkedEr);
        EXPECT_TRUE(db.sql.statements.empty()) << db.sql.statements[0];  // no hand-over row to remove
        EXPECT_FALSE(recordLeft());
    }
}

TEST_F(Tracker, AJobTheDatabaseCannotPlaceIsKeptAndItsNumberPassed) {
    for (const JobStage stage : {JobStage::Rows, JobStage::HandingOver}) {
        SCOPED_TRACE(int(stage));
        restarted();
        crashedAt(stage);
        db.sql.failing = true;
        db.sql.failure = sql::Failure::ConnectionLost;
        JobTracker tracker(context);

        EXPECT_FALSE(tracker.finishInterruptedJob());
        EXPECT_FALSE(tracker.finishInterruptedJob());

        ASSERT_TRUE(saved().job);
        EXPECT_EQ(saved().job->stage, stage);
        EXPECT_EQ(db.state.BrojRacuna, 101);
        EXPECT_EQ(rbrr(), "RBRR=101");
        for (const std::string& sql : db.sql.statements)
            EXPECT_EQ(sql.find("delete"), std::string::npos) << sql;
        EXPECT_EQ(dir.read("r.inp"), kSale);
    }
}

// The PARTNER had the job, but the file it was for is not there any more: nothing to mark.
TEST_F(Tracker, AHandedOverJobWhoseFileChangedOrVanishedOnlyLosesItsHandOverRow) {
    const struct {
        JobStage stage;
        bool vanished;
    } crashes[] = {{JobStage::HandedOver, true}, {JobStage::HandedOver, false}, {JobStage::Rows, false}};
    db.sql.answersTo["from F_PREDAJA"] = AnswerRow::withRow({{"TIPKNJIZENJA", "0"}, {"CEKANJE", "10000"}});
    for (const auto& crash : crashes) {
        SCOPED_TRACE(int(crash.stage) * 2 + crash.vanished);
        restarted();
        crashedAt(crash.stage);
        if (crash.vanished)
            std::filesystem::remove(dir.file("r.inp"));
        else
            dir.write("r.inp", kRewritten);
        JobTracker tracker(context);

        EXPECT_TRUE(tracker.finishInterruptedJob());

        ASSERT_FALSE(db.sql.statements.empty());
        EXPECT_EQ(db.sql.statements.back(), kForgetHandOver);
        for (const std::string& sql : db.sql.statements) {
            EXPECT_EQ(sql.find("F_SEMAFOR"), std::string::npos) << sql;
            EXPECT_EQ(sql.find("F_RACUN"), std::string::npos) << sql;
        }
        if (crash.vanished) {
            EXPECT_FALSE(std::filesystem::exists(dir.file("r.inp")));
        } else {
            EXPECT_EQ(dir.read("r.inp"), kRewritten);
        }
        EXPECT_EQ(rbrr(), "RBRR=101");
        EXPECT_FALSE(recordLeft());
        EXPECT_TRUE(db.ui.notices.empty()) << db.ui.notices[0].text;
    }
}

TEST_F(Tracker, AnUnmarkedFileChangedSinceIsSetAsideAndOneThatVanishedForgotten) {
    JobRecord record(recordPath);
    record.unmarked = {unmarked("a.inp"), unmarked("b.inp"), unmarked("c.inp")};
    ASSERT_TRUE(record.save());
    dir.write("a.inp", kRewritten);
    std::filesystem::remove(dir.file("b.inp"));
    dir.write("c.inp", kRewritten);
    dir.write("c.inp.izmijenjen", "earlier");
    JobTracker tracker(context);

    EXPECT_FALSE(tracker.retryMarking(dir.file("b.inp")));
    EXPECT_TRUE(tracker.retryMarking(dir.file("a.inp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.inp")));
    EXPECT_EQ(dir.read("a.inp.izmijenjen"), kRewritten);
    ASSERT_EQ(db.ui.notices.size(), 1u);
    EXPECT_EQ(db.ui.notices[0].text,
              "Fajl " + dir.file("a.inp") +
                  " posla broj 7 (status OK) je izmijenjen nakon preuzimanja; premjesten je u " +
                  dir.file("a.inp.izmijenjen") + " i ne uzima se ponovo u obradu.");
    EXPECT_TRUE(tracker.retryMarking(dir.file("c.inp")));
    EXPECT_EQ(dir.read("c.inp.izmijenjen2"), kRewritten);
    EXPECT_EQ(dir.read("c.inp.izmijenjen"), "earlier");

    dir.write("a.inp", kSale);  // the till's next file under that name is a new job
    EXPECT_FALSE(tracker.retryMarking(dir.file("a.inp")));
    EXPECT_FALSE(recordLeft());
    EXPECT_TRUE(db.sql.statements.empty());
}

// Every name beside it matches the mask: the file stays where it is, never taken up.
TEST_F(Tracker, AChangedFileThatCannotBeSetAsideIsNoticedOnceAndNotTakenUp) {
    db.state.postavke.TARVORACUN = "*";
    JobRecord record(recordPath);
    record.unmarked = {unmarked("a.inp")};
    ASSERT_TRUE(record.save());
    dir.write("a.inp", kRewritten);
    JobTracker tracker(context);

    EXPECT_TRUE(tracker.retryMarking(dir.file("a.inp")));
    EXPECT_TRUE(tracker.retryMarking(dir.file("a.inp")));

    EXPECT_EQ(dir.read("a.inp"), kRewritten);
    EXPECT_EQ(saved().unmarked.size(), 1u);
    ASSERT_EQ(db.ui.notices.size(), 1u);
    EXPECT_EQ(db.ui.notices[0].text,
              "Fajl " + dir.file("a.inp") +
                  " posla broj 7 (status OK) je izmijenjen nakon preuzimanja i ne uzima "
                  "se ponovo u obradu; ne moze se premjestiti: nema slobodnog imena koje "
                  "maska * ne obuhvata");
}

// A crash while the hand-over row goes must find the number passed and the job handed over.
TEST_F(Tracker, AnEndingJobSavesItsNumberAndHandedOverStageBeforeItsHandOverRowGoes) {
    JobTracker tracker(context);
    tracker.reserveNumber(job());
    ASSERT_TRUE(tracker.handOver(job(), []() -> Result<void, sql::Error> { return {}; }));
    std::string counterAtForget;
    std::optional<JobStage> stageAtForget;
    db.sql.onStatement = [&](const std::string& sql) {
        if (sql != kForgetHandOver) return;
        counterAtForget = rbrr();
        if (const JobRecord atForget = saved(); atForget.job) stageAtForget = atForget.job->stage;
    };

    tracker.endJob(job(), FileAction::NotMarked);

    EXPECT_EQ(counterAtForget, "RBRR=101");
    EXPECT_EQ(stageAtForget, JobStage::HandedOver);
    const JobRecord after = saved();
    EXPECT_FALSE(after.job);
    ASSERT_EQ(after.unmarked.size(), 1u);  // remembered, so that it is never taken up again
    EXPECT_EQ(after.unmarked[0].fileName, dir.file("r.inp"));
    EXPECT_EQ(after.unmarked[0].number, 100);
}

}  // namespace
}  // namespace fm::test

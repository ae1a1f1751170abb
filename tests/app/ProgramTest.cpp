// The real program, started without a display: what it logs and how it ends.
#include <gtest/gtest.h>

#include <QLockFile>
#include <csignal>
#include <filesystem>
#include <string>

#include "tests/app/ProgramCopy.h"
#include "tests/support/PosixSteps.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

// The copies meet in POSIX runtime directories and end on signals; the Windows program is
// checked end to end under Wine by scripts/windows-check.
class OnPosixOnly : public ::testing::Environment {
    void SetUp() override {
        if (!kPosix) GTEST_SKIP() << kPosixOnly;
    }
};
[[maybe_unused]] const auto* const onPosixOnly = ::testing::AddGlobalTestEnvironment(new OnPosixOnly);

const std::string kGood = "F_BROJ_KASE=AB1234\r\n";
const std::string kNoCheck = kGood + "TARVOPROVJERIISTANCU=NE\r\n";

TEST(SingleInstance, ASecondCopyBringsTheFirstToTheFrontAndEndsWithExitCodeOne) {
    TempDir meeting;
    ProgramCopy first(kGood);
    first.start(meeting.path());
    ASSERT_TRUE(first.waitUntilRunning()) << first.log();

    ProgramCopy second(kGood);
    second.start(meeting.path());
    EXPECT_EQ(second.waitForExit(), 1);
    EXPECT_EQ(countOf(second.log(), ProgramCopy::kRunning), 0) << second.log();

    EXPECT_TRUE(first.waitForLog("[FMerilon dogadjaj] pokrenuta je druga kopija programa")) << first.log();
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.endWithSigterm(), 0);
}

TEST(SingleInstance, WithTheCheckOffBothCopiesRun) {
    TempDir meeting;
    ProgramCopy first(kNoCheck);
    ProgramCopy second(kGood + "TARVOPROVJERIISTANCU=da\r\n");  // only "DA" switches it on
    first.start(meeting.path());
    ASSERT_TRUE(first.waitUntilRunning()) << first.log();
    second.start(meeting.path());
    ASSERT_TRUE(second.waitUntilRunning()) << second.log();
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(second.running());
    EXPECT_EQ(first.endWithSigterm(), 0);
    EXPECT_EQ(second.endWithSigterm(), 0);
}

TEST(SingleInstance, CopiesWithTheCheckOffComeBackTooWhenASecondCopyHandsOver) {
    TempDir meeting;
    ProgramCopy guarded(kGood), unguarded(kNoCheck), crashed(kNoCheck);
    for (ProgramCopy* copy : {&guarded, &unguarded, &crashed}) {
        copy->start(meeting.path());
        ASSERT_TRUE(copy->waitUntilRunning()) << copy->log();
    }
    const std::string crashedServer =
        meeting.file("FMERILON-" + std::to_string(userId()) + "-" + std::to_string(crashed.pid()));
    crashed.killLikeACrash();
    ASSERT_TRUE(std::filesystem::exists(crashedServer));

    ProgramCopy second(kGood);
    second.start(meeting.path());
    EXPECT_EQ(second.waitForExit(), 1);
    for (ProgramCopy* copy : {&guarded, &unguarded}) {
        EXPECT_TRUE(copy->waitForLog("[FMerilon dogadjaj] pokrenuta je druga kopija programa"))
            << copy->log();
        EXPECT_EQ(copy->endWithSigterm(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(crashedServer));  // what the crash left is cleared away
}

TEST(SingleInstance, WhatACrashedCopyLeftBehindDoesNotStopTheNextStart) {
    TempDir meeting;
    ProgramCopy crashed(kGood);
    crashed.start(meeting.path());
    ASSERT_TRUE(crashed.waitUntilRunning()) << crashed.log();
    crashed.killLikeACrash();
    ASSERT_TRUE(std::filesystem::exists(meeting.file("FMERILON-" + std::to_string(userId()))));

    ProgramCopy next(kGood);
    next.start(meeting.path());
    ASSERT_TRUE(next.waitUntilRunning()) << next.log();
    EXPECT_EQ(countOf(next.log(), "[FMerilon poruka]"), 0) << next.log();
    EXPECT_EQ(next.endWithSigterm(), 0);
}

// Where copies cannot meet (the meeting places belong to another user), the lock beside the
// program keeps to one; a copy that cannot take it says why once and does not poll.
TEST(SingleInstance, WithoutAMeetingPlaceTheLockBesideTheProgramGuardsOrTheCopyDoesNotPoll) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a directory away";
    TempDir meeting, temporary;
    const std::string fallback = temporary.file("fmerilon-" + std::to_string(::geteuid()));
    std::filesystem::create_directory(fallback);
    for (const std::string& away : {meeting.path(), fallback})
        ASSERT_EQ(::chown(away.c_str(), 65534, 65534), 0);

    ProgramCopy guarded(kGood);
    guarded.start(meeting.path(), temporary.path());
    ASSERT_TRUE(guarded.waitUntilRunning()) << guarded.log();
    EXPECT_EQ(countOf(guarded.log(), "[FMerilon poruka]"), 0) << guarded.log();
    EXPECT_EQ(countOf(guarded.log(), "cuva je lock fajl u direktoriju programa"), 1) << guarded.log();
    EXPECT_EQ(guarded.endWithSigterm(), 0);

    ProgramCopy second(kGood);
    QLockFile running(QString::fromStdString(second.dir().file("FMerilon.lock")));
    ASSERT_TRUE(running.tryLock(0));  // held by a live process, as by a first copy
    second.start(meeting.path(), temporary.path());
    ASSERT_TRUE(second.waitUntilRunning()) << second.log();
    EXPECT_EQ(countOf(second.log(),
                      "[FMerilon poruka] Greska u provjeri samo jedne istance programa! | "
                      "druga kopija programa iz istog direktorija vec radi | "
                      "Ova kopija programa ne obradjuje fajlove."),
              1)
        << second.log();
    EXPECT_EQ(second.endWithSigterm(), 0);
}

TEST(Headless, RunsLogsItsNoticesAndEndsCleanlyOnSigterm) {
    TempDir meeting;
    ProgramCopy program(kNoCheck + "RBRR=abc\r\n");
    program.start(meeting.path());
    ASSERT_TRUE(program.waitUntilRunning()) << program.log();
    const std::string log = program.log();
    EXPECT_NE(log.find("[FMerilon dogadjaj] pokretanje, obavijesti samo u logu"), std::string::npos) << log;
    const auto message = log.find("[FMerilon poruka] Neki od brojeva racuna je neispravan!\n");
    const auto notice =
        log.find("[FMerilon obavijest] Ne moze se procitati pocetni knjigovodstveni broj racuna!\n");
    ASSERT_NE(message, std::string::npos) << log;
    ASSERT_NE(notice, std::string::npos) << log;
    EXPECT_LT(message, notice);
    EXPECT_NE(log.find("pokrenut, bez baze"), std::string::npos) << log;

    EXPECT_EQ(program.endWithSigterm(), 0);
}

TEST(Headless, SigintEndsItToo) {
    TempDir meeting;
    ProgramCopy program(kNoCheck);
    program.start(meeting.path());
    ASSERT_TRUE(program.waitUntilRunning()) << program.log();
    program.sendSignal(SIGINT);
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST(BadSettings, ANonNumericRegisterNumberIsReportedOnceAndStartUpGoesOn) {
    TempDir meeting;
    ProgramCopy program(kNoCheck + "FID_OBJEKTA=3\r\nFID_ROBA=prva\r\nFID_RACUNA=druga\r\n");
    program.start(meeting.path());
    ASSERT_TRUE(program.waitUntilRunning()) << program.log();
    const std::string log = program.log();
    EXPECT_EQ(
        countOf(log, "[FMerilon poruka] Greska u podesavanju settings.ini - ik dkase mora biti broj | "), 1)
        << log;
    EXPECT_NE(log.find("prva"), std::string::npos) << log;
    EXPECT_EQ(program.endWithSigterm(), 0);
}

TEST(BadSettings, SetUpMistakesAreNoticedOnceEachAndTheProgramRunsOn) {
    TempDir meeting;
    ProgramCopy program(kNoCheck + "TARVOLOCALDIRR=/in/\r\nTARVOLOGGRESKE=" + meeting.file("log") + "\r\n");
    program.start(meeting.path());
    ASSERT_TRUE(program.waitUntilRunning()) << program.log();
    const std::string log = program.log();
    EXPECT_EQ(
        countOf(log, "[FMerilon obavijest] Nepoznat kljuc u MerilonSettings.ini, linija 3: TARVOLOCALDIRR"),
        1)
        << log;
    EXPECT_EQ(countOf(log, "[FMerilon obavijest] TARVOLOGGRESKE=" + meeting.file("log") + " nema zavrsni"), 1)
        << log;
    EXPECT_EQ(program.endWithSigterm(), 0);
}

TEST(BadSettings, AFiscalRegisterNumberOfFiveCharactersEndsTheProgramAfterTheShowStep) {
    TempDir meeting;
    ProgramCopy program("F_BROJ_KASE=12345\r\nTARVOPROVJERIISTANCU=NE\r\n");
    program.addFirebirdConfiguration();
    program.dir().write("database.ini", "Database=" + program.dir().file("missing.fdb") + "\r\n");
    program.start(meeting.path());
    EXPECT_EQ(program.waitForExit(), 2);
    const std::string log = program.log();
    const auto ibfk = log.find("[FMerilon poruka] Neispravan IBFK!\n");
    const auto database = log.find("[FMerilon obavijest] GRESKA! NE MOGU OTVORITI  BAZU PODATAKA");
    ASSERT_NE(ibfk, std::string::npos) << log;
    ASSERT_NE(database, std::string::npos) << log;
    EXPECT_LT(ibfk, database);
    EXPECT_EQ(countOf(log, ProgramCopy::kRunning), 0);
}

TEST(BadSettings, ASettingsFileThatCannotBeReadEndsTheProgramWithItsError) {
    TempDir meeting;
    ProgramCopy program("");
    std::filesystem::create_symlink("/proc/self/mem",
                                    program.dir().file("MerilonSettings.ini"));  // read fails: EIO
    program.start(meeting.path());
    EXPECT_EQ(program.waitForExit(), 2);
    EXPECT_EQ(countOf(program.log(), "[FMerilon greska] "), 1) << program.log();
    EXPECT_EQ(countOf(program.log(), ProgramCopy::kRunning), 0);
}

TEST(BadSettings, NoSettingsFileAtAllStillStartsButTheEmptyIbfkEndsIt) {
    TempDir meeting;
    ProgramCopy program("");
    program.start(meeting.path());
    EXPECT_EQ(program.waitForExit(), 2);
    EXPECT_EQ(countOf(program.log(), "Neispravan IBFK!"), 1) << program.log();
}

TEST(Database, TheLocalTextDriverOpensNoDatabaseSilently) {
    TempDir meeting;
    ProgramCopy program(kNoCheck);
    program.dir().write("database.ini", "DRIVERNAME=KAPPALOCALTXT\r\n");
    program.start(meeting.path());
    ASSERT_TRUE(program.waitUntilRunning()) << program.log();
    EXPECT_EQ(countOf(program.log(), "[FMerilon poruka]"), 0) << program.log();
    EXPECT_NE(program.log().find("pokrenut, bez baze"), std::string::npos);
    EXPECT_EQ(program.endWithSigterm(), 0);
}

TEST(Database, ADatabaseThatCannotBeOpenedIsNoticedOnceAndTriedAgainWithoutABox) {
    TempDir meeting;
    ProgramCopy program(kNoCheck);
    program.addFirebirdConfiguration();
    program.dir().write("database.ini",
                        "DRIVERNAME=INTRBASE\r\nDATABASE=" + program.dir().file("missing.fdb") + "\r\n");
    program.start(meeting.path());
    ASSERT_TRUE(program.waitUntilRunning()) << program.log();
    EXPECT_EQ(countOf(program.log(),
                      "[FMerilon obavijest] GRESKA! NE MOGU OTVORITI  BAZU PODATAKA | Novi pokusaj svakih 30 "
                      "sekundi; obrada pocinje cim se baza otvori. | "),
              1)
        << program.log();
    EXPECT_EQ(countOf(program.log(), "[FMerilon poruka]"), 0) << program.log();
    EXPECT_NE(program.log().find("pokrenut, bez baze"), std::string::npos);
    EXPECT_EQ(program.endWithSigterm(), 0);
}

// The Firebird client installs a SIGTERM handler of its own at its first attach; the
// program's end must not race the engine shutdown that handler starts.
TEST(Database, SigtermAfterTheFirebirdClientCameIntoPlayEndsCleanlyEveryTime) {
    for (int run = 0; run < 10; ++run) {
        TempDir meeting;
        ProgramCopy program(kNoCheck);
        program.addFirebirdConfiguration();
        program.dir().write("database.ini", "Database=" + program.dir().file("missing.fdb") + "\r\n");
        program.start(meeting.path());
        ASSERT_TRUE(program.waitUntilRunning()) << program.log();
        ASSERT_EQ(program.endWithSigterm(), 0) << "run " << run << ":\n" << program.log();
    }
}

}  // namespace
}  // namespace fm::test

#pragma once

#include <QProcess>
#include <optional>
#include <string>

#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

namespace fm::test {

// A copy of build/bin/fmerilon in a directory of its own, with its own
// "MerilonSettings.ini" beside it (the program reads its files beside the executable
// it really is, so a symbolic link would not do). Its log is stderr.
class ProgramCopy {
  public:
    explicit ProgramCopy(const std::string& settingsText);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const TempDir& dir() const { return dir_; }

    // The Firebird client configuration the program takes from beside itself.
    void addFirebirdConfiguration();

    // Copies meet in meetingDir, their runtime directory: that is where they find each other.
    // A temporaryDir, when given, is their TMPDIR.
    void start(const std::string& meetingDir, const std::string& temporaryDir = {});

    // What the log says once start-up is through and the event loop runs.
    static constexpr const char* kRunning = "[FMerilon dogadjaj] pokrenut";

    // Waits until the log holds the fragment; false when it does not in time.
    bool waitForLog(const std::string& fragment, int timeoutMs = 20000);
    bool waitUntilRunning() { return waitForLog(kRunning); }
    const std::string& log();

    // The exit code; nullopt while it still runs after the time. A crash fails the test.
    std::optional<int> waitForExit(int timeoutMs = 20000);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    qint64 pid() const { return process_.processId(); }

    void sendSignal(int signal);
    std::optional<int> endWithSigterm();
    void killLikeACrash();  // SIGKILL: nothing of the program's own clean-up runs

  private:
    void readLog();

    TempDir dir_;
    QProcess process_;
    std::string log_;
};

}  // namespace fm::test

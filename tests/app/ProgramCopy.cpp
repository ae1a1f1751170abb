#include "tests/app/ProgramCopy.h"

#include <gtest/gtest.h>

#include <csignal>

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <filesystem>

#include "tests/support/PosixSteps.h"

namespace fm::test {

namespace fs = std::filesystem;

ProgramCopy::ProgramCopy(const std::string& settingsText) {
    fs::copy_file(fs::path(FMERILON_BINARY_DIR) / "fmerilon", dir_.file("fmerilon"));
    if (!settingsText.empty()) dir_.write("MerilonSettings.ini", settingsText);
}

ProgramCopy::~ProgramCopy() {
    if (running()) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void ProgramCopy::addFirebirdConfiguration() {
    fs::copy(fs::path(FMERILON_BINARY_DIR) / "firebird", dir_.file("firebird"), fs::copy_options::recursive);
}

void ProgramCopy::start(const std::string& meetingDir, const std::string& temporaryDir) {
    fs::permissions(meetingDir, fs::perms::owner_all,
                    fs::perm_options::replace);  // a runtime directory is private
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(meetingDir));
    if (!temporaryDir.empty())
        environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(temporaryDir));
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(QString::fromStdString(dir_.path()));
    process_.start(QString::fromStdString(dir_.file("fmerilon")), QStringList());
    ASSERT_TRUE(process_.waitForStarted(10000)) << process_.errorString().toStdString();
}

void ProgramCopy::readLog() { log_ += process_.readAllStandardError().toStdString(); }

const std::string& ProgramCopy::log() {
    readLog();
    return log_;
}

bool ProgramCopy::waitForLog(const std::string& fragment, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (log().find(fragment) == std::string::npos) {
        if (deadline.hasExpired() || !running()) return log().find(fragment) != std::string::npos;
        process_.waitForReadyRead(100);
    }
    return true;
}

std::optional<int> ProgramCopy::waitForExit(int timeoutMs) {
    if (running() && !process_.waitForFinished(timeoutMs)) return std::nullopt;
    readLog();
    if (process_.exitStatus() == QProcess::CrashExit) {
        ADD_FAILURE() << "the program crashed; its log:\n" << log_;
        return -1;
    }
    return process_.exitCode();
}

void ProgramCopy::sendSignal(int signal) { test::sendSignal(process_.processId(), signal); }

std::optional<int> ProgramCopy::endWithSigterm() {
    sendSignal(SIGTERM);
    return waitForExit();
}

void ProgramCopy::killLikeACrash() {
    process_.kill();
    process_.waitForFinished(10000);
}

}  // namespace fm::test

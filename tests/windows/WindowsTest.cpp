// The core on Windows: drive letters and backslashes through the settings, files that a
// till holds open, names in and outside the ANSI code page, the named mutex.

#include <gtest/gtest.h>
#include <windows.h>

#include <csignal>

#include "commands/CommandFile.h"
#include "commands/JobRecord.h"
#include "commands/Marking.h"
#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "platform/FileSystem.h"
#include "platform/NamedMutex.h"
#include "platform/OpenedFile.h"
#include "tests/support/FailureOf.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TempDir.h"
#include "tools/partner-emulator/StopSignal.h"

namespace fm {
namespace {

using test::failureOf;

std::vector<std::string> names(const std::string& pattern) {
    std::vector<std::string> result;
    for (const files::DirectoryEntry& entry : files::findEntries(pattern)) result.push_back(entry.name);
    std::sort(result.begin(), result.end());
    return result;
}

Postavke startupSettings(const test::TempDir& dir, const std::string& text) {
    dir.write("MerilonSettings.ini", text);
    Postavke postavke;
    test::RecordingUserInterface ui;
    EXPECT_TRUE(readStartupSettings(Settings(dir.file("MerilonSettings.ini")), postavke, ui));
    return postavke;
}

TEST(WindowsPaths, DriveLettersAndBackslashesThroughTheSettings) {
    test::TempDir dir;
    ASSERT_EQ(dir.path()[1], ':');
    ASSERT_EQ(dir.path().back(), '\\');
    const std::string input = dir.file("RACUNI");
    CreateDirectoryA(input.c_str(), nullptr);
    dir.write("RACUNI\\A1.INP", "S;1\r\n");

    // The input directory without and with its closing separator names the same files.
    for (const std::string& value : {input, input + "\\", dir.path() + "racuni/"}) {
        const Postavke postavke = startupSettings(dir, "TARVOLOCALDIR=" + value + "\r\n");
        EXPECT_EQ(postavke.TARVOLOCALDIR, value);
        const std::string prefix = files::withClosingSeparator(postavke.TARVOLOCALDIR);
        ASSERT_EQ(names(prefix + "*.inp"), std::vector<std::string>{"A1.INP"}) << value;
        EXPECT_EQ(files::readWholeFile(prefix + "A1.INP").value_or(""), "S;1\r\n");
    }
    EXPECT_EQ(files::withClosingSeparator("C:\\RACUNI"), "C:\\RACUNI\\");
    EXPECT_EQ(files::withClosingSeparator("C:/RACUNI/"), "C:/RACUNI/");

    // The error directory is given with its closing separator, which is dropped.
    const std::string log = dir.file("LOG");
    CreateDirectoryA(log.c_str(), nullptr);
    const Postavke postavke = startupSettings(dir, "TARVOLOGGRESKE=" + log + "\\\r\n");
    EXPECT_EQ(errorFilePath(postavke.TARVOLOGGRESKE), log + "\\Tarvo.err");
    ASSERT_TRUE(UpisiGresku(postavke.TARVOLOGGRESKE, "Proces nije izvrsen!"));
    EXPECT_EQ(dir.read("LOG\\Tarvo.err"), "Proces nije izvrsen!\r\n");
    // Without it the last letter goes: "...\LO" is no directory, nothing is written.
    EXPECT_EQ(errorFilePath(log), dir.file("LO\\Tarvo.err"));
    EXPECT_TRUE(UpisiGresku(log, "Drugi"));
    EXPECT_EQ(dir.read("LOG\\Tarvo.err"), "Proces nije izvrsen!\r\n");
    EXPECT_EQ(names(dir.path() + "LO*"), std::vector<std::string>{"LOG"});

    EXPECT_EQ(JobRecord::besideSettings("C:\\FMerilon\\MerilonSettings.ini"),
              "C:\\FMerilon\\MerilonPosao.ini");
    const std::string programs = files::executableDirectory();
    EXPECT_EQ(programs[1], ':');
    EXPECT_TRUE(files::fileExists(programs + "windows_tests.exe")) << programs;
}

// Another handle on the file without delete sharing, as a till that still has it open.
HANDLE holdOpen(const std::string& path, DWORD sharing) {
    return CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

TEST(WindowsSharing, AFileHeldOpenIsNeitherReplacedNorRemovedAndStaysWhole) {
    test::TempDir dir;
    const std::string sale = "S,P1,_,______,__;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,_,______,__;\r\n";
    dir.write("a.inp", sale);
    const HANDLE till = holdOpen(dir.file("a.inp"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(till, INVALID_HANDLE_VALUE);

    const files::FileContent read = files::readFileOnce(dir.file("a.inp"), kCommandFileLimit);
    ASSERT_EQ(read.result, files::FileContent::Result::Read) << read.error;
    EXPECT_EQ(read.bytes, sale);
    EXPECT_NE(read.identity.inode, 0u);
    std::string error = failureOf(OznaciFajl(dir.file("a.inp"), read.identity, read.bytes, 0, 1, "AB1234"));
    EXPECT_EQ(error.rfind("Ne moze se upisati fajl " + dir.file("a.inp") + ": ", 0), 0u) << error;
    EXPECT_NE(error.find("(greska 5)"), std::string::npos) << error;
    EXPECT_NE(error = failureOf(files::removeFile(dir.file("a.inp"))), "");
    EXPECT_EQ(error.rfind("Ne moze se obrisati fajl " + dir.file("a.inp") + ": ", 0), 0u) << error;
    EXPECT_EQ(dir.read("a.inp"), sale);
    EXPECT_EQ(names(dir.path() + "*"), std::vector<std::string>{"a.inp"});

    CloseHandle(till);
    ASSERT_EQ(failureOf(OznaciFajl(dir.file("a.inp"), read.identity, read.bytes, 0, 1, "AB1234")), "");
    EXPECT_EQ(dir.read("a.inp"), "S,P1,1,AB1234,OK;Hljeb;0.90;1;;1;2;;1002\r\nT,P1,1,AB1234,OK;\r\n");
    EXPECT_EQ(failureOf(files::removeFile(dir.file("a.inp"))), "");
    EXPECT_TRUE(names(dir.path() + "*").empty());
}

std::wstring wide(const std::string& ansi) {
    std::wstring result(ansi.size(), L'\0');
    result.resize(
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), result.data(), int(result.size())));
    return result;
}

void createWide(const std::wstring& path, const std::string& bytes) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

TEST(WindowsNames, ANameOfTheCodePageTravelsFromTheListingToTheRemoval) {
    test::TempDir dir;
    const std::string name = GetACP() == CP_UTF8 ? "ra\xc4\x8dun.inp" : "ra\xe8un.inp";
    createWide(wide(dir.file(name)), "S;old");
    ASSERT_EQ(names(dir.path() + "*.inp"), std::vector<std::string>{name});
    EXPECT_EQ(files::entryOf(dir.file(name))->size, 5u);
    EXPECT_EQ(files::readWholeFile(dir.file(name)).value_or(""), "S;old");
    EXPECT_EQ(files::readFileOnce(dir.file(name), kCommandFileLimit).bytes, "S;old");
    ASSERT_TRUE(files::writeFileAtomically(dir.file(name), "S;new"));
    EXPECT_EQ(dir.read(name), "S;new");
    ASSERT_TRUE(files::removeFile(dir.file(name)));
    EXPECT_TRUE(names(dir.path() + "*").empty());
}

TEST(WindowsNames, ANameOutsideTheCodePageFailsWithAMessageAndStandsForNoOtherFile) {
    CPINFO codePage;
    if (!GetCPInfo(CP_ACP, &codePage) || codePage.MaxCharSize != 1)
        GTEST_SKIP() << "no single-byte code page";
    test::TempDir dir;
    createWide(wide(dir.path()) + L"a\u4e2d.inp", "S;far");
    dir.write("a_.inp", "S;near");
    ASSERT_EQ(names(dir.path() + "a?.inp"), (std::vector<std::string>{"a?.inp", "a_.inp"}));
    for (const files::DirectoryEntry& entry : files::findEntries(dir.path() + "a?.inp"))
        EXPECT_EQ(entry.nameOutsideCodePage, entry.name == "a?.inp")
            << entry.name;  // to be told, not skipped
    std::string error;
    EXPECT_NE(error = failureOf(files::readWholeFile(dir.file("a?.inp"))), "");
    EXPECT_EQ(error.rfind("Ne moze se otvoriti fajl " + dir.file("a?.inp") + ": ", 0), 0u) << error;
    EXPECT_NE(files::readFileOnce(dir.file("a?.inp"), kCommandFileLimit).result,
              files::FileContent::Result::Read);
    EXPECT_FALSE(files::writeFileAtomically(dir.file("a?.inp"), "S;marked"));
    EXPECT_FALSE(files::removeFile(dir.file("a?.inp")));
    EXPECT_EQ(dir.read("a_.inp"), "S;near");
    EXPECT_EQ(names(dir.path() + "*"), (std::vector<std::string>{"a?.inp", "a_.inp"}));
}

// Exit code of the probe that tries to take the mutex in a process of its own.
DWORD secondProcessTakes(const std::wstring& mutexName) {
    std::wstring command =
        L"\"" + wide(files::executableDirectory()) + L"named_mutex_probe.exe\" " + mutexName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return DWORD(-1);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(WindowsMutex, TakenByTheFirstProcessAndRefusedToASecond) {
    EXPECT_EQ(secondProcessTakes(L"FMERILON"), 0u);  // gone with that process
    ASSERT_TRUE(takeNamedMutex(L"FMERILON"));
    EXPECT_EQ(secondProcessTakes(L"FMERILON"), 1u);
    EXPECT_FALSE(takeNamedMutex(L"FMERILON"));
}

TEST(WindowsStopSignal, CtrlCEndsTheEmulatorsWait) {
    partner::holdStopSignals();
    EXPECT_FALSE(partner::waitForStop(30));
    std::raise(SIGINT);
    EXPECT_TRUE(partner::waitForStop(5000));
}

}  // namespace
}  // namespace fm

#include "commands/Marking.h"

#include <vector>

#include "commands/CommandFile.h"
#include "db/JobCodes.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace fm {

namespace {

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
}

std::string errorDirectory(const std::string& tarvologgreske) {
    std::string directory = text::trim(tarvologgreske);
    if (!directory.empty()) directory.pop_back();
    return directory;
}

}  // namespace

const char* statusText(int outcome) {
    if (outcome == kDone) return "OK";
    if (outcome == kNotFinished) return "No";
    return "Er";
}

std::string markedLine(const std::string& line, int outcome, int brojacObrade, const std::string& brojKase) {
    std::string marked = text::trim(line);
    replaceAll(marked, ",______,", "," + brojKase + ",");
    replaceAll(marked, ",_,", "," + std::to_string(brojacObrade) + ",");
    replaceAll(marked, ",__;", std::string(",") + statusText(outcome) + ";");
    // A waiting status that the pattern misses (blanks around it, no closing ';')
    // is replaced where it stands, so that the file is never taken up twice.
    const CommandRecord record(marked);
    if (text::trim(record.status()) == "__") {
        marked.replace(record.statusOffset(), record.status().size(), statusText(outcome));
    }
    return marked;
}

std::string notTheFileRead(const std::string& fileName, const FileIdentity& file) {
    const files::Entry entry = files::entryAt(fileName);
    if (entry.kind == files::EntryKind::Missing) return "fajl vise ne postoji";
    if (entry.kind != files::EntryKind::Regular || !sameFile(entry.identity, file))
        return "fajl je u medjuvremenu izmijenjen ili zamijenjen drugim";
    return std::string();
}

bool OznaciFajl(const std::string& fileName, const FileIdentity& file, const std::string& bytes, int outcome,
                int brojacObrade, const std::string& brojKase, std::string* error) {
    const auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (file.size > kCommandFileLimit) return fail(overLimitMessage());
    if (const std::string tooMany = tooManyLinesMessage(bytes); !tooMany.empty()) return fail(tooMany);
    if (const std::string why = notTheFileRead(fileName, file); !why.empty()) return fail(why);
    std::vector<std::string> lines = parseCommandLines(bytes);
    // A file with nothing to mark (empty, or blank lines only) cannot carry its outcome.
    if (!nextRecord(lines, 0)) return fail("u fajlu nema nijednog zapisa koji bi se oznacio");
    for (std::string& line : lines) line = markedLine(line, outcome, brojacObrade, brojKase);
    return files::writeFileAtomically(fileName, text::joinLinesCrLf(lines), error);
}

std::string errorFilePath(const std::string& tarvologgreske) {
    const std::string directory = errorDirectory(tarvologgreske);
    if (directory.empty()) return std::string();
    return directory + files::pathSeparator() + "Tarvo.err";
}

bool UpisiGresku(const std::string& tarvologgreske, const std::string& message, std::string* error) {
    if (message.empty()) return true;
    if (!files::directoryExists(errorDirectory(tarvologgreske))) return true;
    return files::writeFileAtomically(errorFilePath(tarvologgreske), message + "\r\n", error);
}

}  // namespace fm

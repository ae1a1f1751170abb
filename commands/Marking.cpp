#include "commands/Marking.h"

#include <optional>
#include <string_view>
#include <vector>

#include "commands/CommandFile.h"
#include "commands/JobEntry.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace fm {

namespace {

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
}

// Where the "__" of the waiting status of the first record stands in the bytes; nullopt
// when they hold no record or its status is not waiting.
std::optional<std::size_t> waitingStatusAt(std::string_view bytes) {
    const std::size_t bom = text::leadingBom(bytes).size();
    std::size_t start = bom;
    for (const std::string& line : text::splitLines(bytes.substr(bom))) {
        const std::string record = text::trim(line);
        if (!record.empty()) {
            const CommandRecord header(record);
            if (text::trim(header.status()) != "__") return std::nullopt;
            return start + line.find(record) + header.statusOffset() + header.status().find("__");
        }
        start += line.size();
        start += bytes.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    }
    return std::nullopt;
}

// A file over a limit is never rewritten: its header's status is written where it stands.
Result<void> markStatusInPlace(const std::string& fileName, const FileIdentity& file, std::string_view bytes,
                               int outcome) {
    const std::optional<std::size_t> status = waitingStatusAt(bytes.substr(0, kCommandLineLimit));
    if (status) return files::overwriteInPlace(fileName, file, *status, statusWord(statusOf(outcome)));
    return unexpected("u pocetku fajla nema zaglavlja sa statusom koji bi se oznacio");
}

std::string errorDirectory(const std::string& tarvologgreske) {
    std::string directory = text::trim(tarvologgreske);
    if (!directory.empty()) directory.pop_back();
    return directory;
}

}  // namespace

std::string markedLine(const std::string& line, int outcome, int brojacObrade, const std::string& brojKase) {
    std::string marked = text::trim(line);
    replaceAll(marked, ",______,", "," + brojKase + ",");
    replaceAll(marked, ",_,", "," + std::to_string(brojacObrade) + ",");
    const char* status = statusWord(statusOf(outcome));
    replaceAll(marked, ",__;", std::string(",") + status + ";");
    // A waiting status that the pattern misses (blanks around it, no closing ';')
    // is replaced where it stands, so that the file is never taken up twice.
    const CommandRecord record(marked);
    if (text::trim(record.status()) == "__") {
        marked.replace(record.statusOffset(), record.status().size(), status);
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

Result<void> OznaciFajl(const std::string& fileName, const FileIdentity& file, const std::string& bytes,
                        int outcome, int brojacObrade, const std::string& brojKase) {
    if (std::string why = notTheFileRead(fileName, file); !why.empty()) return unexpected(std::move(why));
    if (file.size > kCommandFileLimit || !tooManyLinesMessage(bytes).empty())
        return markStatusInPlace(fileName, file, bytes, outcome);
    std::vector<std::string> lines = parseCommandLines(bytes);
    // A file with nothing to mark (empty, or blank lines only) cannot carry its outcome.
    if (!nextRecord(lines, 0)) return unexpected("u fajlu nema nijednog zapisa koji bi se oznacio");
    for (std::string& line : lines) line = markedLine(line, outcome, brojacObrade, brojKase);
    const std::string marked = std::string(text::leadingBom(bytes)) + text::joinLinesCrLf(lines);
    return files::writeFileAtomically(fileName, marked);
}

std::string errorFilePath(const std::string& tarvologgreske) {
    const std::string directory = errorDirectory(tarvologgreske);
    if (directory.empty()) return std::string();
    return directory + files::pathSeparator() + "Tarvo.err";
}

Result<void> UpisiGresku(const std::string& tarvologgreske, const std::string& message) {
    if (message.empty() || !files::directoryExists(errorDirectory(tarvologgreske))) return {};
    return files::writeFileAtomically(errorFilePath(tarvologgreske), message + "\r\n");
}

}  // namespace fm

#include "commands/JobRecord.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace fm {

namespace {

const char* const kFileName = "MerilonPosao.ini";

const char* stageName(JobStage stage) {
    switch (stage) {
        case JobStage::Rows:
            return "ZAPIS";
        case JobStage::HandingOver:
            return "PREDAJA";
        case JobStage::HandedOver:
            return "PREDAN";
    }
    return "";
}

JobStage stageOf(const std::string& name) {
    for (JobStage stage : {JobStage::Rows, JobStage::HandingOver, JobStage::HandedOver}) {
        if (name == stageName(stage)) return stage;
    }
    throw std::invalid_argument("nepoznata faza posla '" + name + "'");
}

// A path stays on its line: '%', CR and LF are written as %25, %0D and %0A.
constexpr std::pair<char, std::string_view> kEscapes[] = {{'%', "%25"}, {'\r', "%0D"}, {'\n', "%0A"}};

std::string escaped(const std::string& path) {
    std::string out;
    for (const char c : path) {
        const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                          [c](const auto& e) { return e.first == c; });
        if (escape == std::end(kEscapes))
            out += c;
        else
            out += escape->second;
    }
    return out;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                          [&](const auto& e) { return text.compare(i, 3, e.second) == 0; });
        out += escape == std::end(kEscapes) ? text[i] : escape->first;
        if (escape != std::end(kEscapes)) i += 2;
    }
    return out;
}

template <class Number>
Number numberOf(const std::string& text) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
        throw std::invalid_argument("'" + text + "' nije broj");
    }
    return value;
}

// "outcome;size;modified;path"
UnmarkedFile unmarkedOf(const std::string& value) {
    std::size_t from = 0;
    std::string fields[3];
    for (std::string& field : fields) {
        const std::size_t end = value.find(';', from);
        if (end == std::string::npos) throw std::invalid_argument("nepotpun zapis neoznacenog fajla");
        field = value.substr(from, end - from);
        from = end + 1;
    }
    UnmarkedFile unmarked{unescaped(value.substr(from)), numberOf<int>(fields[0]), {}, std::nullopt};
    unmarked.file.size = numberOf<std::uint64_t>(fields[1]);
    unmarked.file.modified = numberOf<std::int64_t>(fields[2]);
    return unmarked;
}

// "device;inode" of the file named on the line before.
void readFileNumbers(const std::string& value, FileIdentity& file) {
    const std::size_t separator = value.find(';');
    if (separator == std::string::npos) throw std::invalid_argument("nepotpun zapis uredjaja i inode-a");
    file.device = numberOf<std::uint64_t>(value.substr(0, separator));
    file.inode = numberOf<std::uint64_t>(value.substr(separator + 1));
}

std::string fileNumbers(const FileIdentity& file) {
    return std::to_string(file.device) + ";" + std::to_string(file.inode);
}

}  // namespace

std::string JobRecord::besideSettings(const std::string& settingsFilePath) {
    return files::directoryPart(settingsFilePath) + kFileName;
}

Result<void> JobRecord::load() {
    job.reset();
    unmarked.clear();
    if (!files::fileExists(path_)) return {};
    const Result<std::string> bytes = files::readWholeFile(path_);
    if (!bytes) return unexpected(bytes.error());
    try {
        JobInFlight inFlight;
        bool hasJob = false;
        bool hasNumber = false;
        for (const std::string& line : text::splitLines(*bytes)) {
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = line.substr(0, equals);
            const std::string value = line.substr(equals + 1);
            if (key == "POSAO") {
                inFlight.stage = stageOf(value);
                hasJob = true;
            } else if (key == "FAJL")
                inFlight.fileName = unescaped(value);
            else if (key == "VELICINA")
                inFlight.file.size = numberOf<std::uint64_t>(value);
            else if (key == "VRIJEME")
                inFlight.file.modified = numberOf<std::int64_t>(value);
            else if (key == "INODE")  // not in records of older versions
                readFileNumbers(value, inFlight.file);
            else if (key == "RBR") {
                inFlight.number = numberOf<int>(value);
                hasNumber = true;
            } else if (key == "TIPKNJIZENJA")
                inFlight.bookingType = numberOf<int>(value);
            else if (key == "CEKANJE")
                inFlight.budget = numberOf<int>(value);
            else if (key == "NEOZNACEN")
                unmarked.push_back(unmarkedOf(value));
            else if (key == "NEOZNACEN_INODE") {
                if (unmarked.empty()) throw std::invalid_argument("inode bez neoznacenog fajla");
                readFileNumbers(value, unmarked.back().file);
            } else if (key == "NEOZNACEN_RBR") {
                if (unmarked.empty()) throw std::invalid_argument("broj posla bez neoznacenog fajla");
                unmarked.back().number = numberOf<int>(value);
            }
        }
        if (hasJob && inFlight.fileName.empty()) throw std::invalid_argument("posao bez fajla");
        if (hasJob && !hasNumber) throw std::invalid_argument("posao bez broja");
        // The counter never hands this one out: the number after it would not fit.
        if (hasJob && inFlight.number == std::numeric_limits<int>::max())
            throw std::invalid_argument("broj posla " + std::to_string(inFlight.number) +
                                        " je veci od najveceg koji brojac dodjeljuje");
        if (hasJob) job = inFlight;
    } catch (const std::exception& e) {
        job.reset();
        unmarked.clear();
        return unexpected(damaged(e.what()));
    }
    return {};
}

std::string JobRecord::damaged(const std::string& why) const {
    return "Zapis o poslu u toku " + path_ + " je neispravan: " + why;
}

Result<void> JobRecord::setAside() const {
    std::error_code failure;
    std::filesystem::rename(path_, asidePath(), failure);
    if (!failure) return {};
    return unexpected("Ne moze se premjestiti u " + asidePath() + ": " + failure.message());
}

Result<void> JobRecord::save() const {
    if (!job && unmarked.empty()) return files::fileExists(path_) ? files::removeFile(path_) : Result<void>();
    std::vector<std::string> lines;
    if (job) {
        const JobInFlight& j = *job;
        lines = {"POSAO=" + std::string(stageName(j.stage)),
                 "FAJL=" + escaped(j.fileName),
                 "VELICINA=" + std::to_string(j.file.size),
                 "VRIJEME=" + std::to_string(j.file.modified),
                 "INODE=" + fileNumbers(j.file),
                 "RBR=" + std::to_string(j.number),
                 "TIPKNJIZENJA=" + std::to_string(j.bookingType),
                 "CEKANJE=" + std::to_string(j.budget)};
    }
    for (const UnmarkedFile& u : unmarked) {
        lines.push_back("NEOZNACEN=" + std::to_string(u.outcome) + ";" + std::to_string(u.file.size) + ";" +
                        std::to_string(u.file.modified) + ";" + escaped(u.fileName));
        lines.push_back("NEOZNACEN_INODE=" + fileNumbers(u.file));
        if (u.number) lines.push_back("NEOZNACEN_RBR=" + std::to_string(*u.number));
    }
    return files::writeFileAtomically(path_, text::joinLinesCrLf(lines));
}

}  // namespace fm

#include "commands/TillReply.h"

#include <charconv>

#include "db/JobCodes.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/Text.h"

namespace fm {

namespace {

std::string moment(std::int64_t ms) {
    return ms == 0 ? std::string() : localTimeText(ms, "%Y-%m-%d %H:%M:%S");
}

std::string oneLine(const std::string& text) {
    std::string line;
    const std::vector<std::string> parts = text::splitLines(text);
    for (const std::string& part : parts) line += (line.empty() ? "" : " | ") + part;
    return line;
}

}  // namespace

const char* replyStateText(ReplyState state) {
    switch (state) {
        case ReplyState::Done:
            return "ZAVRSEN";
        case ReplyState::Open:
            return "OTVOREN";
        case ReplyState::NotDone:
            return "NIJE_ZAVRSEN";
        case ReplyState::Unknown:
            break;
    }
    return "NEPOZNATO";
}

ReplyState replyState(const JobEntry& job) {
    if (job.open) return ReplyState::Open;
    switch (job.late) {
        case LateOutcome::Printed:
            return ReplyState::Done;
        case LateOutcome::Failed:
            return ReplyState::NotDone;
        case LateOutcome::Unknown:
            return ReplyState::Unknown;
        case LateOutcome::None:
            break;
    }
    if (!job.outcome || *job.outcome == kSemaforUnreadable) return ReplyState::Unknown;
    return *job.outcome == kDone ? ReplyState::Done : ReplyState::NotDone;
}

std::string replyText(const JobEntry& job) {
    const std::pair<const char*, std::string> items[] = {
        {"posao", std::to_string(job.number)},
        {"fajl", files::bareName(job.fileName)},
        {"status", job.outcome ? job.status() : ""},
        {"kod", job.outcome ? std::to_string(*job.outcome) : ""},
        {"stanje", replyStateText(replyState(job))},
        {"fiskalni", joinedNumbers(job.fiscalNumbers, ",")},
        {"dva_puta", job.printedTwice ? "DA" : "NE"},
        {"poruka", oneLine(job.message)},
        {"preuzet", moment(job.times.takenUp)},
        {"predan", moment(job.times.handedOver)},
        {"odluceno", moment(job.times.decided)},
        {"zatvoren", moment(job.lateMs)},
    };
    std::string text;
    for (const auto& [key, value] : items) text += std::string(key) + "=" + value + "\r\n";
    return text;
}

std::optional<int> replyJobNumber(const std::string& replyBytes) {
    for (const std::string& line : text::splitLines(replyBytes)) {
        if (line.rfind("posao=", 0) != 0) continue;
        int number = 0;
        const char* begin = line.data() + 6;
        const char* end = line.data() + line.size();
        const auto [stop, problem] = std::from_chars(begin, end, number);
        if (problem == std::errc() && stop == end && begin != end) return number;
        return std::nullopt;
    }
    return std::nullopt;
}

std::string replyName(const std::string& commandFileName) { return commandFileName + ".odg"; }

}  // namespace fm

#pragma once

#include <optional>
#include <string>

#include "commands/JobEntry.h"

// The reply file a till reads beside its command file: what became of its job.
namespace fm {

// What the till may do about the job, as its reply says.
enum class ReplyState {
    Done,     // "ZAVRSEN": the PARTNER did the job; never send it again
    Open,     // "OTVOREN": the PARTNER may still do it; never send it again, wait for the reply to change
    NotDone,  // "NIJE_ZAVRSEN": the PARTNER never did it; fix the cause and send a new file
    Unknown,  // "NEPOZNATO": nobody can tell; check the printer before sending it again
};

const char* replyStateText(ReplyState state);
ReplyState replyState(const JobEntry& job);

// The reply's bytes: one key=value line per item, ended by CR LF, texts in the bytes the
// program has them in (the code page of the command files), line breaks of the message
// shown as " | ".
std::string replyText(const JobEntry& job);

// The job number a reply's bytes name; nullopt when they name none.
std::optional<int> replyJobNumber(const std::string& replyBytes);

// The reply's name for a command file's bare name.
std::string replyName(const std::string& commandFileName);

}  // namespace fm

#include "commands/ReplyFiles.h"

#include <optional>

#include "commands/TillReply.h"
#include "config/Postavke.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

ReplyFiles::ReplyFiles(const Postavke& postavke, UserInterface& ui, JobJournal* journal)
    : postavke_(postavke), ui_(ui), journal_(journal) {}

std::string ReplyFiles::replyPath(const std::string& commandFile) const {
    const std::string directory = text::trim(postavke_.TARVOODGOVORDIR);
    return (directory.empty() ? files::directoryPart(commandFile) : files::withClosingSeparator(directory)) +
           replyName(files::bareName(commandFile));
}

// A job interrupted before its hand-over gets no reply: its file is taken up again.
void ReplyFiles::jobEnded(const JobEntry& entry) {
    if (entry.outcome) write(entry, Over::Any);
    if (journal_) journal_->jobEnded(entry);
}

void ReplyFiles::jobMarked(const JobEntry& entry) {
    if (journal_) journal_->jobMarked(entry);
}

void ReplyFiles::fileSettledLater(const std::string& fileName, FileAction action, std::int64_t atMs) {
    if (journal_) journal_->fileSettledLater(fileName, action, atMs);
}

std::optional<std::vector<JobEntry>> ReplyFiles::openJobs(int registerNumber) {
    return journal_ ? journal_->openJobs(registerNumber) : std::nullopt;
}

void ReplyFiles::jobSettledLate(const JobEntry& job) {
    write(job, Over::OwnOnly);
    if (journal_) journal_->jobSettledLate(job);
}

// Beside the command file a reply that the file mask matches would be taken up as a
// command file: it is not written, and that is said once.
void ReplyFiles::write(const JobEntry& job, Over over) {
    const std::string path = replyPath(job.fileName);
    const bool besideCommandFile = files::directoryPart(path) == files::directoryPart(job.fileName);
    if (besideCommandFile && files::matchesMask(files::bareName(path), postavke_.TARVORACUN)) {
        if (maskNoticed_.insert(path).second)
            Obavijesti(ui_, "Odgovor " + path + " se ne upisuje: maska komandnih fajlova TARVORACUN=" +
                                postavke_.TARVORACUN + " obuhvata i njegovo ime (podesite TARVOODGOVORDIR)");
        return;
    }
    if (over == Over::OwnOnly && files::fileExists(path)) {
        const Result<std::string> bytes = files::readWholeFile(path);
        if (!bytes || replyJobNumber(*bytes) != job.number) return;  // the name serves a later job now
    }
    const Result<void> written = files::writeFileAtomically(path, replyText(job));
    if (written) {
        failing_ = false;
        return;
    }
    if (!failing_) Obavijesti(ui_, "Ne moze se upisati odgovor " + path + "\r\n" + written.error());
    failing_ = true;
}

}  // namespace fm

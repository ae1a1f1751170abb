#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QLockFile;

namespace fm::desktop {

// One running copy per user, and the hand-over "FMERILON" between copies: a copy
// that starts while another runs asks that one to come to the front and ends.
// Windows: the named mutex "FMERILON" and a broadcast of the registered window
// message "FMERILON". Elsewhere: the local server named after "FMERILON" and the user
// as the guard, every copy without it listening under a name with its process number
// beside it, and a request sent to each.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    SingleInstance();
    ~SingleInstance() override;

    // Takes the guard for the rest of the process. False when another copy holds it;
    // that copy has then been asked to come to the front and has handled the request.
    // Throws std::runtime_error when neither can be done.
    bool acquire();

    // The lock "FMerilon.lock" in the directory (with a separator at its end) for the rest
    // of the process: copies of one program directory that cannot meet each other still
    // keep to one. False when a running copy holds it; throws std::runtime_error when it
    // cannot be taken.
    bool acquireBeside(const std::string& directory);

    // From now on a request of another copy emits handOverRequested.
    void installHandOverHook();

  signals:
    void handOverRequested();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::unique_ptr<QLockFile> besideLock_;
};

#ifndef _WIN32
// Where the copies of this user meet: $XDG_RUNTIME_DIR when it is this user's private
// directory, otherwise "fmerilon-UID" in the temporary directory, created private
// (the shared default /tmp/runtime-USER may belong to anyone). Throws
// std::runtime_error when that one exists but is not this user's, or is not private.
QString meetingDirectory();
#endif

}  // namespace fm::desktop

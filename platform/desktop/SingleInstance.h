#pragma once

#include <QObject>
#include <memory>

namespace fm::desktop {

// One running copy per user, and the hand-over "FMERILON" between copies: a copy
// that starts while another runs asks that one to come to the front and ends.
// Windows: the named mutex "FMERILON" and a broadcast of the registered window
// message "FMERILON". Elsewhere: a local server named after "FMERILON" and the user,
// in the user's runtime directory.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    SingleInstance();
    ~SingleInstance() override;

    // Takes the guard for the rest of the process. False when another copy holds it;
    // that copy has then been asked to come to the front and has handled the request.
    // Throws std::runtime_error when neither can be done.
    bool acquire();

    // From now on a request of another copy emits handOverRequested.
    void installHandOverHook();

  signals:
    void handOverRequested();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace fm::desktop

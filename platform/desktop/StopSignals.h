#pragma once

#include <QObject>

class QSocketNotifier;

namespace fm::desktop {

// SIGTERM and SIGINT as an event: the signal handler only writes a byte into a pipe,
// the event loop reads it and emits stopRequested. No-op on Windows, where the
// session's end reaches the program as a window message.
class StopSignals : public QObject {
    Q_OBJECT
  public:
    StopSignals();
    ~StopSignals() override;

    // Makes the handler the only one again. Libraries loaded later install their own:
    // the Firebird client does at its first attach, and its handler shuts the engine
    // down in a thread of its own, racing the program's orderly end.
    void takeOver();

  signals:
    void stopRequested();

  private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace fm::desktop

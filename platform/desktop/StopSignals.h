#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace fm::desktop {

// SIGTERM and SIGINT as an event: the signal handler only writes a byte into a pipe,
// the event loop reads it and emits stopRequested. On Windows the session's end: a log-off
// or shutdown is agreed to without a question (WM_QUERYENDSESSION) and its WM_ENDSESSION
// emits stopRequested; a job it cuts off is finished by the next start.
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
#ifdef _WIN32
    struct SessionEndFilter;
    std::unique_ptr<SessionEndFilter> sessionEnd_;
#else
    QSocketNotifier* notifier_ = nullptr;
#endif
};

}  // namespace fm::desktop

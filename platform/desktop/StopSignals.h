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

signals:
    void stopRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace fm::desktop

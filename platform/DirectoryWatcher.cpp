#include "platform/DirectoryWatcher.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>

namespace fm {

struct DirectoryWatcher::Impl {
    QFileSystemWatcher watcher;
    QTimer recheck;
    std::function<void()> handler;
};

DirectoryWatcher::DirectoryWatcher() : impl_(std::make_unique<Impl>()) {
    impl_->recheck.setSingleShot(true);
    impl_->recheck.setTimerType(Qt::PreciseTimer);
    QObject::connect(&impl_->recheck, &QTimer::timeout, [this] {
        if (impl_->handler) impl_->handler();
    });
    // A burst of changes comes as one call.
    QObject::connect(&impl_->watcher, &QFileSystemWatcher::directoryChanged, [this] { recheckAfter(0); });
}

DirectoryWatcher::~DirectoryWatcher() = default;

bool DirectoryWatcher::watch(const std::string& directory) {
    const QStringList watched = impl_->watcher.directories();
    if (!watched.isEmpty()) impl_->watcher.removePaths(watched);
    const QString path = QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(directory)));
    return !path.isEmpty() && QDir(path).exists() && impl_->watcher.addPath(path);
}

bool DirectoryWatcher::watching() const { return !impl_->watcher.directories().isEmpty(); }

void DirectoryWatcher::onChange(std::function<void()> handler) { impl_->handler = std::move(handler); }

void DirectoryWatcher::recheckAfter(int milliseconds) {
    QTimer& recheck = impl_->recheck;
    if (recheck.isActive() && recheck.remainingTime() <= milliseconds) return;
    recheck.start(milliseconds < 0 ? 0 : milliseconds);
}

}  // namespace fm

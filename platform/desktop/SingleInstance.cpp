#include "platform/desktop/SingleInstance.h"

#include <QFile>
#include <QLockFile>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include "platform/NamedMutex.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstring>

#include "platform/desktop/Log.h"
#endif

namespace fm::desktop {

#ifdef _WIN32

namespace {

UINT PorukaPrograma() {
    static const UINT id = RegisterWindowMessageW(L"FMERILON");
    return id;
}

// Sees every window message of the process before Qt handles it: the registered
// message "FMERILON" is answered here and not passed on.
class HandOverFilter : public QAbstractNativeEventFilter {
  public:
    explicit HandOverFilter(SingleInstance& owner) : owner_(owner) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
        if (eventType != "windows_generic_MSG") return false;
        if (static_cast<const MSG*>(message)->message != PorukaPrograma()) return false;
        emit owner_.handOverRequested();
        if (result) *result = 0;
        return true;
    }

  private:
    SingleInstance& owner_;
};

}  // namespace

struct SingleInstance::Impl {
    std::unique_ptr<HandOverFilter> filter;
};

bool SingleInstance::acquire() {
    if (takeNamedMutex(L"FMERILON")) return true;
    AllowSetForegroundWindow(ASFW_ANY);
    SendMessageW(HWND_BROADCAST, PorukaPrograma(), 0, 0);
    QCoreApplication::processEvents();
    return false;
}

void SingleInstance::installHandOverHook() {
    if (impl_->filter) return;
    impl_->filter = std::make_unique<HandOverFilter>(*this);
    QCoreApplication::instance()->installNativeEventFilter(impl_->filter.get());
}

#else

namespace {

const QByteArray kRequest = "FMERILON\n";
const QByteArray kAnswer = "OK\n";
constexpr int kAnswerWaitMs = 5000;

bool isPrivateDirectory(const QByteArray& path, bool followLink) {
    struct stat status {};
    if ((followLink ? ::stat(path.constData(), &status) : ::lstat(path.constData(), &status)) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

// The server of the copy that performs the check: while it listens, the guard is taken.
QString guardName(const QString& directory) {
    return directory + QStringLiteral("/FMERILON-%1").arg(::getuid());
}

// Every other copy listens under its own name beside the guard.
QString ownServerPrefix() { return QStringLiteral("FMERILON-%1-").arg(::getuid()); }

// A running copy has its server up: ask it to come to the front and wait until it has.
void handOverToRunningCopy(QLocalSocket& socket) {
    socket.write(kRequest);
    socket.waitForBytesWritten(kAnswerWaitMs);
    while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerWaitMs)) {
    }
}

// The copies started with the check off come to the front too.
void handOverToEveryOtherCopy(const QString& directory) {
    for (const QString& entry : QDir(directory).entryList({ownServerPrefix() + '*'}, QDir::System)) {
        const QString name = directory + '/' + entry;
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(kAnswerWaitMs))
            handOverToRunningCopy(socket);
        else if (socket.error() == QLocalSocket::ConnectionRefusedError)
            QLocalServer::removeServer(name);  // left behind by a copy that crashed
    }
}

}  // namespace

QString meetingDirectory() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateDirectory(runtime, true)) return QFile::decodeName(runtime);

    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/fmerilon-" + QByteArray::number(::geteuid());
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("ne mogu napraviti direktorij " + own.toStdString() + ": " +
                                 std::strerror(errno));
    if (!isPrivateDirectory(own, false))
        throw std::runtime_error("direktorij " + own.toStdString() +
                                 " nije privatni direktorij ovog korisnika");
    return QFile::decodeName(own);
}

struct SingleInstance::Impl {
    QLocalServer server;
    bool hooked = false;
};

bool SingleInstance::acquire() {
    const QString directory = meetingDirectory();
    // Two copies started at the same moment must not both miss the other's server.
    QLockFile startLock(guardName(directory) + QStringLiteral(".lock"));
    if (!startLock.tryLock(kAnswerWaitMs)) {
        throw std::runtime_error("lock " + startLock.fileName().toStdString() + " is held");
    }
    QLocalSocket socket;
    socket.connectToServer(guardName(directory));
    if (socket.waitForConnected(kAnswerWaitMs)) {
        handOverToRunningCopy(socket);
        handOverToEveryOtherCopy(directory);
        return false;
    }

    // A server file left behind by a copy that crashed refuses connections.
    if (socket.error() == QLocalSocket::ConnectionRefusedError)
        QLocalServer::removeServer(guardName(directory));
    else if (socket.error() != QLocalSocket::ServerNotFoundError) {
        throw std::runtime_error(socket.errorString().toStdString());
    }
    impl_->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!impl_->server.listen(guardName(directory)))
        throw std::runtime_error(impl_->server.errorString().toStdString());
    return true;
}

void SingleInstance::installHandOverHook() {
    if (impl_->hooked) return;
    impl_->hooked = true;
    if (!impl_->server.isListening()) {  // without the guard: under this process's own name
        try {
            const QString name = meetingDirectory() + '/' + ownServerPrefix() +
                                 QString::number(QCoreApplication::applicationPid());
            QLocalServer::removeServer(name);  // a crashed process of the same number
            impl_->server.setSocketOptions(QLocalServer::UserAccessOption);
            if (!impl_->server.listen(name))
                throw std::runtime_error(impl_->server.errorString().toStdString());
        } catch (const std::exception& e) {
            logLine("dogadjaj",
                    std::string("druga kopija programa nece moci vratiti ovu u prvi plan: ") + e.what());
            return;
        }
    }
    connect(&impl_->server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = impl_->server.nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine()) return;
                if (client->readLine() == kRequest) emit handOverRequested();
                client->write(kAnswer);
                client->disconnectFromServer();
            });
        }
    });
}

#endif

bool SingleInstance::acquireBeside(const std::string& directory) {
    auto lock = std::make_unique<QLockFile>(QFile::decodeName(QByteArray::fromStdString(directory)) +
                                            QStringLiteral("FMerilon.lock"));
    lock->setStaleLockTime(0);  // a lock is stale once its process is gone
    if (lock->tryLock(0)) {
        besideLock_ = std::move(lock);
        return true;
    }
    if (lock->error() == QLockFile::LockFailedError) return false;
    throw std::runtime_error("ne mogu zakljucati " + lock->fileName().toStdString());
}

SingleInstance::SingleInstance() : impl_(std::make_unique<Impl>()) {}
SingleInstance::~SingleInstance() = default;

}  // namespace fm::desktop

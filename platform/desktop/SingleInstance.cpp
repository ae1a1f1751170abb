#include "platform/desktop/SingleInstance.h"

#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include "platform/NamedMutex.h"
#else
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
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

// In the user's private runtime directory, so no other user can take or block the name.
QString serverName() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/FMERILON-%1").arg(::getuid());
}

// A running copy has its server up: ask it to come to the front and wait until it has.
void handOverToRunningCopy(QLocalSocket& socket) {
    socket.write(kRequest);
    socket.waitForBytesWritten(kAnswerWaitMs);
    while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerWaitMs)) {
    }
}

}  // namespace

struct SingleInstance::Impl {
    QLocalServer server;
    bool hooked = false;
};

bool SingleInstance::acquire() {
    // Two copies started at the same moment must not both miss the other's server.
    QLockFile startLock(serverName() + QStringLiteral(".lock"));
    if (!startLock.tryLock(kAnswerWaitMs)) {
        throw std::runtime_error("lock " + startLock.fileName().toStdString() + " is held");
    }
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (socket.waitForConnected(kAnswerWaitMs)) {
        handOverToRunningCopy(socket);
        return false;
    }

    // A server file left behind by a copy that crashed refuses connections.
    if (socket.error() == QLocalSocket::ConnectionRefusedError)
        QLocalServer::removeServer(serverName());
    else if (socket.error() != QLocalSocket::ServerNotFoundError) {
        throw std::runtime_error(socket.errorString().toStdString());
    }
    impl_->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!impl_->server.listen(serverName()))
        throw std::runtime_error(impl_->server.errorString().toStdString());
    return true;
}

void SingleInstance::installHandOverHook() {
    if (impl_->hooked) return;
    impl_->hooked = true;
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

SingleInstance::SingleInstance() : impl_(std::make_unique<Impl>()) {}
SingleInstance::~SingleInstance() = default;

}  // namespace fm::desktop

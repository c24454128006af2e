#include "app/shell/core/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace quillora::shell {

namespace {
constexpr int kConnectMs = 1000;
constexpr int kReplyMs = 2000;
constexpr char kReply[] = "ok\n";
}  // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), key_(std::move(key)) {}

SingleInstance::~SingleInstance() {
    Release();
}

QString SingleInstance::KeyFor(const QString& userDataFolder) {
    const QByteArray folder = QDir::cleanPath(userDataFolder).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("quillora-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.left(16)));
}

bool SingleInstance::Send(const QByteArray& request) const {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(kConnectMs)) {
        return false;
    }
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(kReplyMs)) {
        return false;
    }
    // The answer tells us the instance is alive and has taken the request.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kReplyMs)) {
            return false;
        }
    }
    return socket.readLine() == kReply;
}

bool SingleInstance::Claim() {
    if (server_ != nullptr) {
        return true;
    }
    // Two programs starting at the same moment must not both decide they are
    // first: the lock makes looking and listening one step.
    QLockFile lock(QDir::temp().filePath(key_ + QStringLiteral(".lock")));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000)) {
        return Send(kActivateRequest) ? false : true;
    }
    if (Send(kActivateRequest)) {
        return false;
    }
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(key_)) {
        // Nobody answered: the socket is a leftover of an instance that died.
        QLocalServer::removeServer(key_);
        if (!server->listen(key_)) {
            return true;  // run without the guard rather than not at all
        }
    }
    connect(server.get(), &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    server_ = std::move(server);
    return true;
}

void SingleInstance::Release() {
    if (server_ != nullptr) {
        server_->close();
        server_.reset();
    }
}

bool SingleInstance::IsListening() const {
    return server_ != nullptr && server_->isListening();
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* socket = server_ != nullptr ? server_->nextPendingConnection() : nullptr) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray request = socket->readLine().trimmed();
                socket->write(kReply);
                socket->flush();
                if (request == kActivateRequest) {
                    emit activateRequested();
                } else if (request == kCloseRequest) {
                    emit closeRequested();
                }
            }
        });
    }
}

}  // namespace quillora::shell

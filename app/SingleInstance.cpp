#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include <memory>

namespace vantora {

namespace {

const QByteArray kAck = QByteArrayLiteral("ok\n");

QString defaultFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)),
      lock_(QDir(folder_).filePath(QLatin1String(kName) + QStringLiteral(".lock"))) {
    // Only a lock whose process has ended is stale, however old it is.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverPath() const {
    return QDir(folder_).filePath(QLatin1String(kName));
}

bool SingleInstance::tryBecomePrimary() {
    if (primary_)
        return true;
    if (!lock_.tryLock(0))
        return false;
    primary_ = true;
    // A socket left by a copy that crashed would block listen().
    QLocalServer::removeServer(serverPath());
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!server_->listen(serverPath()))
        server_.reset(); // still the only copy; files just cannot be handed over
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // One path per connection, ended by a NUL (which no path contains).
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
            received->append(socket->readAll());
            const qsizetype end = received->indexOf('\0');
            if (end < 0)
                return;
            const QString path = QString::fromUtf8(received->left(end));
            received->clear();
            socket->write(kAck);
            socket->flush();
            emit pathReceived(path);
        });
    }
}

bool SingleInstance::sendToPrimary(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(path.toUtf8() + '\0');
    if (!socket.waitForBytesWritten(timeoutMs) && socket.bytesToWrite() > 0)
        return false;
    while (socket.bytesAvailable() < kAck.size()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.read(kAck.size()) == kAck;
}

} // namespace vantora

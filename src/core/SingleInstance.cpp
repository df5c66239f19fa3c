#include "core/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

QString lockFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

} // namespace

QString SingleInstanceKeyForDataFolder(const QString& dataFolder)
{
    const QFileInfo info(dataFolder);
    const QString canonical = info.canonicalFilePath();
    return QStringLiteral("Telvora21:") + (canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical);
}

TSingleInstance::TSingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    serverName_ = QStringLiteral("telvora21-") + QString::fromLatin1(hash);
    lockPath_ = lockFolder() + u'/' + serverName_ + QStringLiteral(".lock");
}

TSingleInstance::~TSingleInstance()
{
    if (server_)
        server_->close();
    if (lock_)
        lock_->unlock();
}

bool TSingleInstance::Acquire()
{
    if (server_)
        return true;
    auto lock = std::make_unique<QLockFile>(lockPath_);
    lock->setStaleLockTime(0); // a lock whose process is gone is stale at once
    // The first instance may be between taking its lock and listening: give
    // it a moment before concluding anything, and retry the lock in case it
    // just ended.
    QElapsedTimer timer;
    timer.start();
    while (!lock->tryLock(0)) {
        if (notifyRunning())
            return false;
        if (timer.elapsed() > 3000)
            return false; // held but unreachable: still never run twice
        QThread::msleep(50);
    }
    lock_ = std::move(lock);
    // We hold the lock, so a socket file left by a crashed instance is ours to remove.
    QLocalServer::removeServer(serverName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::onNewConnection);
    server_->listen(serverName_);
    return true;
}

bool TSingleInstance::notifyRunning() const
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(500))
        return false;
    socket.write(kActivate);
    const bool ok = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return ok;
}

void TSingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray data = socket->readAll();
            if (data.contains(kActivate.trimmed()))
                emit activationRequested();
        });
        if (socket->bytesAvailable() > 0)
            emit socket->readyRead();
    }
}

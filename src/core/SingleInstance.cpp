#include "core/SingleInstance.h"

#include "platform/PrivateFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

TSingleInstance::TSingleInstance(const QString& key, const QString& dataFolder, QObject* parent) : QObject(parent)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    serverName_ = QStringLiteral("telvora21-") + QString::fromLatin1(hash);
    lockPath_ = lockFolder() + u'/' + serverName_ + QStringLiteral(".lock");
    if (!dataFolder.isEmpty())
        folderLockPath_ = QDir(dataFolder).filePath(QStringLiteral("Telvora21.lck"));
}

TSingleInstance::~TSingleInstance()
{
    if (server_)
        server_->close();
    if (lock_)
        lock_->unlock();
    if (folderLockFd_ >= 0)
        ::close(folderLockFd_); // releases the file lock
}

bool TSingleInstance::lockDataFolder()
{
    if (folderLockPath_.isEmpty() || folderLockFd_ >= 0)
        return true;
    const QByteArray path = QFile::encodeName(folderLockPath_);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC); // a file lock needs no write access
    if (fd < 0)
        return true; // a folder nothing can be written to: two programs cannot overwrite each other there
    MakePrivateFile(fd);
    // Held by a start whose runtime folder is not ours: ask it through the
    // socket (it is in the temporary folder, which it may share with us)
    // while it may still be on its way to listening, else say it is there.
    // TryLockFile falls back to fcntl locks where the file system has no
    // flock (some FUSE and network ones): two programs are kept apart there
    // too, instead of both starting.
    QElapsedTimer timer;
    timer.start();
    while (const int error = TryLockFile(fd, true)) {
        if (error != EWOULDBLOCK) {
            ::close(fd); // no file lock of any kind here: the runtime lock alone has to do
            return true;
        }
        const bool raised = notifyRunning();
        if (raised || timer.elapsed() > answerTimeoutMs_) {
            ::close(fd);
            unreachable_ = !raised;
            return false;
        }
        QThread::msleep(50);
    }
    folderLockFd_ = fd;
    return true;
}

bool TSingleInstance::Acquire()
{
    if (server_)
        return true;
    unreachable_ = false;
    auto lock = std::make_unique<QLockFile>(lockPath_);
    // No age limit: a running instance may hold its lock for weeks. A lock
    // whose process is gone is stale at once (QLockFile checks that itself).
    lock->setStaleLockTime(0);
    // The first instance may be between taking its lock and listening: give
    // it a moment before concluding anything, and retry the lock in case it
    // just ended.
    QElapsedTimer timer;
    timer.start();
    bool runtimeLocked = true;
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError) {
            // The lock could not be written (a full or read-only runtime
            // folder): that says nothing of another copy. The data folder's
            // lock alone keeps two programs apart then.
            runtimeLocked = false;
            break;
        }
        if (notifyRunning())
            return false;
        if (timer.elapsed() > answerTimeoutMs_) {
            qint64 pid = 0;
            QString host, app;
            // Held and no answer. The holder is this program on this data
            // folder only if it runs our executable and keeps the lock file
            // open; anything else (a killed instance's number reused) has
            // no claim on it.
            if (lock->getLockInfo(&pid, &host, &app) && holderRunsHere(pid)) {
                unreachable_ = true;
                return false;
            }
            lock->removeStaleLockFile();
            if (!lock->tryLock(0)) {
                if (lock->error() == QLockFile::LockFailedError) {
                    unreachable_ = true; // another start took it meanwhile
                    return false;
                }
                runtimeLocked = false; // a stale lock gone and no room for ours: as above
            }
            break;
        }
        QThread::msleep(50);
    }
    // Taken while the runtime lock is held, so two starts in one session never
    // race for it; given up with that lock when the folder is taken.
    if (!lockDataFolder())
        return false;
    if (runtimeLocked)
        lock_ = std::move(lock);
    // We hold the locks, so a socket file left by a crashed instance is ours to remove.
    QLocalServer::removeServer(serverName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::onNewConnection);
    server_->listen(serverName_);
    return true;
}

bool TSingleInstance::holderRunsHere(qint64 pid) const
{
    if (pid <= 0)
        return false;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    if (!QFileInfo::exists(proc))
        return false;
    const QString ours = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString theirs = QFile::symLinkTarget(proc + QStringLiteral("/exe"));
    if (theirs.isEmpty() || theirs != ours)
        return false; // another program, or another user's, which cannot hold our lock
    // The holder keeps its lock file open for as long as it runs.
    QDir fds(proc + QStringLiteral("/fd"));
    const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    if (entries.isEmpty())
        return true; // cannot look: our own program, so assume the worst and never run twice
    const QString lockFile = QFileInfo(lockPath_).canonicalFilePath();
    for (const QString& fd : entries)
        if (QFile::symLinkTarget(fds.filePath(fd)) == lockFile)
            return true;
    return false;
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

#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakePrivateFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(clean).isDir())
        return true;
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !MakePrivateFolder(parent))
        return false;
    const QByteArray name = QFile::encodeName(clean);
    if (::mkdir(name.constData(), 0700) != 0)
        return errno == EEXIST && QFileInfo(clean).isDir(); // made meanwhile by another process
    return ::chmod(name.constData(), 0700) == 0; // the umask may have taken bits off, never adds
}

bool MakePrivateFile(int fd)
{
    return fd >= 0 && ::fchmod(fd, 0600) == 0;
}

bool MakePrivateFile(QFileDevice& file)
{
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool MakePrivateFile(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), 0600) == 0;
}

bool CreatePrivateFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST;
    const bool ok = MakePrivateFile(fd);
    ::close(fd);
    return ok;
}

namespace
{

const QLatin1String kTempMark(".t21save-");

// Temporaries of ours whose process is gone were left by a kill; a live
// process's (this one's included) may be a save under way. Only names as
// the save makes them are taken: the mark, the process id, a hyphen and the
// random part in base 36, and nothing after it. A file the user named so
// that it holds the mark (a layout titled "memo.t21save-3999999-1" ends in
// its extension) is no temporary.
void removeStaleTemporaries(const QString& folder)
{
    static const QRegularExpression temporary(QStringLiteral("^.+\\.t21save-([1-9][0-9]{0,9})-[0-9a-z]{1,7}$"));
    QDir dir(folder);
    for (const QString& f : dir.entryList({u'*' + kTempMark + u'*'}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = temporary.match(f);
        const qint64 pid = m.hasMatch() ? m.captured(1).toLongLong() : 0;
        if (pid > 0 && pid <= std::numeric_limits<pid_t>::max() && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 &&
            errno == ESRCH)
            dir.remove(f);
    }
}

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A symbolic link is written through: its target is replaced, the link kept.
QString finalName(const QString& fileName)
{
    QFileInfo info(fileName);
    for (int depth = 0; depth < 64 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? fileName : info.filePath();
}

// 0 when the save may put its file in target's place, else why not.
int placeRefusal(const QByteArray& target, TSaveTarget replaces)
{
    if (replaces == TSaveTarget::Any)
        return 0;
    struct stat st{};
    if (::lstat(target.constData(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    if (replaces == TSaveTarget::NoFile)
        return EEXIST;
    return S_ISREG(st.st_mode) ? 0 : S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
}

bool unsupported(int errnum)
{
    return errnum == EINVAL || errnum == ENOSYS || errnum == ENOTSUP || errnum == EOPNOTSUPP || errnum == EPERM;
}

// Puts the written temporary in target's place. Where nothing may be
// replaced, the rename itself refuses to (a check before it would leave a
// moment for another program's file to appear); a file system without that
// rename takes a hard link, which never replaces either, and the temporary
// name is then dropped. Only one with neither (some network and FUSE file
// systems) is left the check just before a plain rename.
bool putInPlace(const QByteArray& temp, const QByteArray& target, TSaveTarget replaces)
{
    if (replaces == TSaveTarget::NoFile) {
        if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return true;
        if (!unsupported(errno))
            return false;
        if (::link(temp.constData(), target.constData()) == 0) {
            ::unlink(temp.constData());
            return true;
        }
        if (!unsupported(errno))
            return false;
    }
    if (const int refused = placeRefusal(target, replaces)) {
        errno = refused;
        return false;
    }
    return ::rename(temp.constData(), target.constData()) == 0;
}

} // namespace

bool SaveFileAtomically(const QString& fileName, const QByteArray& bytes, bool privateFile, QString* error,
                        TSaveTarget replaces)
{
    // A name that must be free is never followed: a link standing there is
    // a file of that name.
    const QString target = replaces == TSaveTarget::NoFile ? fileName : finalName(fileName);
    removeStaleTemporaries(QFileInfo(target).path());
    auto failed = [error](const QString& why, int errnum) {
        if (error)
            *error = why;
        errno = errnum; // for a caller that says the cause in its own words
        return false;
    };
    if (const int refused = placeRefusal(QFile::encodeName(target), replaces)) {
        errno = refused;
        return failed(lastError(), refused);
    }
    QByteArray temp;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        temp = QFile::encodeName(target + kTempMark + QString::number(::getpid()) + u'-' +
                                 QString::number(QRandomGenerator::global()->generate(), 36));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFile ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return failed(lastError(), errno);
    }
    if (fd < 0)
        return failed(lastError(), errno);
    // A file replaced keeps its permissions (as an editor's save does); a
    // private one is 0600 whatever they were.
    struct stat old{};
    bool ok = true;
    if (privateFile)
        ok = MakePrivateFile(fd);
    else if (::stat(QFile::encodeName(target).constData(), &old) == 0)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR) {
            if (n == 0)
                errno = ENOSPC; // a disk that takes nothing more
            ok = false;
        }
    }
    ok = ok && ::fsync(fd) == 0;
    int errnum = ok ? 0 : errno;
    QString why = ok ? QString() : lastError();
    if (::close(fd) != 0 && ok) {
        ok = false;
        errnum = errno;
        why = lastError();
    }
    if (ok && !putInPlace(temp, QFile::encodeName(target), replaces)) {
        ok = false;
        errnum = errno;
        why = lastError();
    }
    if (!ok) {
        ::unlink(temp.constData());
        return failed(why, errnum);
    }
    return true;
}

void KeepRunningAtFileSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

namespace
{

TFlockHandler& flockHandler()
{
    static TFlockHandler handler;
    return handler;
}

int callFlock(int fd, int operation)
{
    const TFlockHandler& handler = flockHandler();
    return handler ? handler(fd, operation) : ::flock(fd, operation);
}

} // namespace

TFlockHandler SetFlockHandler(TFlockHandler handler)
{
    TFlockHandler previous = std::move(flockHandler());
    flockHandler() = std::move(handler);
    return previous;
}

int TryLockFile(int fd, bool exclusive)
{
    int rc;
    do
        rc = callFlock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return 0;
    const int flockError = errno;
    if (flockError == EWOULDBLOCK)
        return EWOULDBLOCK;
    if (flockError != ENOLCK && flockError != ENOTSUP && flockError != EOPNOTSUPP && flockError != EINVAL &&
        flockError != ENOSYS)
        return flockError;
    struct flock lock{};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET; // l_start 0, l_len 0: the whole file, however long
    do
        rc = ::fcntl(fd, F_OFD_SETLK, &lock);
    while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return 0;
    return errno == EAGAIN || errno == EACCES ? EWOULDBLOCK : errno;
}

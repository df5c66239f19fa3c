#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
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

bool SaveFileAtomically(const QString& fileName, const QByteArray& bytes, bool privateFile, QString* error)
{
    QSaveFile file(fileName);
    const bool done = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && (!privateFile || MakePrivateFile(file)) &&
                      file.write(bytes) == bytes.size() && file.commit();
    if (!done) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return done;
}

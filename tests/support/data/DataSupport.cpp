#include "support/data/DataSupport.h"

#include "core/Folders.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

std::optional<QByteArray> OpensslAes(bool decrypt, const QByteArray& data, const QByteArray& key)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        return std::nullopt;
    QStringList args{QStringLiteral("enc"), QStringLiteral("-aes-128-ecb"), QStringLiteral("-nopad"),
                     QStringLiteral("-K"), QString::fromLatin1(key.left(16).toHex())};
    if (decrypt)
        args.insert(1, QStringLiteral("-d"));
    QProcess p;
    p.start(openssl, args);
    p.write(data);
    p.closeWriteChannel();
    p.waitForFinished();
    return p.readAllStandardOutput();
}

TTempDataFolder::TTempDataFolder()
{
    SetDataFolder(dir_.path());
    CreateDataFolders();
}

TTempDataFolder::~TTempDataFolder() = default;

QString TTempDataFolder::path() const { return DataFolder(); }

namespace {
QByteArray gLimitedFile;
int gPageLimit = 0;
int limitPages(sqlite3* db, char**, const sqlite3_api_routines*)
{
    const char* name = sqlite3_db_filename(db, "main");
    if (gPageLimit > 0 && name && gLimitedFile == name)
        sqlite3_exec(db, ("PRAGMA max_page_count=" + QByteArray::number(gPageLimit)).constData(), nullptr, nullptr,
                     nullptr);
    return SQLITE_OK;
}
} // namespace

TPageLimit::TPageLimit(const QString& file, int pages)
{
    gLimitedFile = QFileInfo(file).canonicalFilePath().toUtf8();
    gPageLimit = pages;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(limitPages));
}

TPageLimit::~TPageLimit()
{
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(limitPages));
    gPageLimit = 0;
}

void TPageLimit::Set(int pages) { gPageLimit = pages; }

TSmallDisk::TSmallDisk(qint64 bytes)
{
    if (::geteuid() != 0) {
        skipReason_ = QStringLiteral("mounting a small tmpfs needs root");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        skipReason_ = QStringLiteral("cannot mount a tmpfs here: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    mounted_ = true;
}

TSmallDisk::~TSmallDisk()
{
    if (mounted_ && ::umount2(QFile::encodeName(dir_.path()).constData(), 0) != 0)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH); // still in use: let it go when closed
}

void TSmallDisk::Fill()
{
    const int fd = ::open(QFile::encodeName(dir_.path() + QStringLiteral("/filler")).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray block(4096, 'f');
    // Whole blocks first, then single bytes to take what is left of the last one.
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

void TSmallDisk::Free()
{
    QFile::remove(dir_.path() + QStringLiteral("/filler"));
}

TFileSizeLimit::TFileSizeLimit(qint64 bytes)
{
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    soft_ = limit.rlim_cur;
    set_ = true;
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

TFileSizeLimit::~TFileSizeLimit()
{
    rlimit limit{};
    if (!set_ || ::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    limit.rlim_cur = rlim_t(soft_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

#include "support/data/DataSupport.h"

#include "core/Folders.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <sqlite3.h>

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

TFileSizeLimit::TFileSizeLimit(qint64 bytes)
{
    KeepRunningAtFileSizeLimit();
    ::getrlimit(RLIMIT_FSIZE, &before_);
    rlimit limit = before_;
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

QScopeGuard<std::function<void()>> NoFlock(int error)
{
    const TFlockHandler previous = SetFlockHandler([error](int, int) {
        errno = error;
        return -1;
    });
    return QScopeGuard<std::function<void()>>([previous] { SetFlockHandler(previous); });
}

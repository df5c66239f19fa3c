#include "support/data/DataSupport.h"

#include "core/Folders.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

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

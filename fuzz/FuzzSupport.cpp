#include "FuzzSupport.h"

#include "core/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

QString FuzzScratchFolder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/telvora-fuzz-XXXXXX"));
    static const QString path = dir.path() + u'/';
    return path;
}

QString FuzzWriteFile(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = FuzzScratchFolder() + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

void FuzzUseScratchDataFolder()
{
    static const bool done = [] {
        SetDataFolder(FuzzScratchFolder() + QStringLiteral("data"));
        return CreateDataFolders();
    }();
    FuzzCheck(done, "the scratch data folder cannot be made");
}

void FuzzCheck(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

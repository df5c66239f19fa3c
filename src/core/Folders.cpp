#include "core/Folders.h"

#include "platform/CustomColors.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

QString withSlash(const QString& path)
{
    if (path.isEmpty())
        return path;
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    return p.endsWith(u'/') ? p : p + u'/';
}

struct FolderState {
    QString app;
    QString data;
    QString dataPath;
};

FolderState& state()
{
    static FolderState s;
    return s;
}

} // namespace

QString AppPath()
{
    if (state().app.isEmpty() && QCoreApplication::instance())
        state().app = withSlash(QCoreApplication::applicationDirPath());
    return state().app;
}

QString DataFolder()
{
    if (state().data.isEmpty())
        SetDataFolder(DefaultDataFolder());
    return state().data;
}

QString DataPath()
{
    if (state().dataPath.isEmpty())
        state().dataPath = DataFolder() + QStringLiteral("Data/");
    return state().dataPath;
}

QString LayoutFolder() { return DataPath() + QStringLiteral("Layout/"); }
QString LabelFolder() { return DataPath() + QStringLiteral("Label/"); }
QString CardFolder() { return DataPath() + QStringLiteral("Card/"); }
QString DesignFolder() { return DataPath() + QStringLiteral("Design/"); }

QString DefaultDataFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(base + QStringLiteral("/zok/Telvora21"));
}

void SetAppPath(const QString& path) { state().app = withSlash(path); }

void SetDataFolder(const QString& path)
{
    state().data = withSlash(path);
    state().dataPath = state().data + QStringLiteral("Data/");
    // The colour dialogs keep their custom colours in the data folder.
    SetCustomColorsFolderProvider([] { return DataFolder(); });
}

void SetDataPath(const QString& path) { state().dataPath = withSlash(path); }

bool CreateDataFolders()
{
    const QStringList subs = {QString(), QStringLiteral("Adrs"), QStringLiteral("Other"), QStringLiteral("History"),
                              QStringLiteral("Layout"), QStringLiteral("Label"), QStringLiteral("Card"),
                              QStringLiteral("Design")};
    // Only the folders made here are private; a parent that already exists
    // (the user's home) is left as it is.
    if (!MakePrivateFolder(DataFolder()))
        return false;
    for (const QString& s : subs)
        if (!MakePrivateFolder(DataPath() + s))
            return false;
    return true;
}

bool InitFolders(const QStringList& args)
{
    QString folder;
    int i = static_cast<int>(args.indexOf(QStringLiteral("--data-folder")));
    if (i >= 0 && i + 1 < args.size())
        folder = args.at(i + 1);
    else if (!qEnvironmentVariableIsEmpty("TELVORA_DATA_FOLDER"))
        folder = qEnvironmentVariable("TELVORA_DATA_FOLDER");
    else
        folder = DefaultDataFolder();
    SetDataFolder(folder);
    return CreateDataFolders();
}

#include "core/AdrsBook.h"

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/IniFile.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

QString AdrsName;
std::vector<TAdrsFolderInfo> AdrsBookList;

namespace {

const QString kSection = QStringLiteral("ADRSMNG");
constexpr int kMaxListed = 10000; // more than any real data folder holds
constexpr int kMaxNameBytes = 40;

// A name (or folder) made only of blanks and ideographic spaces looks empty
// in every list; an empty folder would be Adrs/ itself.
bool looksBlank(const QString& name)
{
    return std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x3000; });
}

// A control character (a bare CR inside a line, say) is never part of a
// name: it would not survive the list being written back.
bool hasControl(const QString& name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

} // namespace

QString AdrsMngFileName() { return DataPath() + QStringLiteral("AdrsMng.ini"); }

int IndexOfAdrsBook(const QString& name)
{
    for (size_t i = 0; i < AdrsBookList.size(); ++i)
        if (AdrsBookList[i].Name == name)
            return int(i);
    return -1;
}

void BuildAdrsBookList()
{
    AdrsBookList.clear();
    auto hasTable = [](const QString& folder) { return QFileInfo::exists(AdrsTableFileName(folder)); };
    auto listed = [](const QString& folder) {
        return std::any_of(AdrsBookList.begin(), AdrsBookList.end(),
                           [&](const TAdrsFolderInfo& b) { return b.Folder == folder; });
    };

    // A settings file this size is no list of books: read none of it.
    const bool sane = QFileInfo(AdrsMngFileName()).size() <= 1024 * 1024;
    TIniFile ini(sane ? AdrsMngFileName() : QString());
    const int count = qBound(0, ini.ReadInteger(kSection, QStringLiteral("Count"), 0), kMaxListed);
    for (int i = 1; i <= count; ++i) {
        const QString n = QString::number(i);
        TAdrsFolderInfo info;
        info.Name = cp932::Trim(ini.ReadString(kSection, QStringLiteral("Name") + n));
        info.Folder = cp932::Trim(ini.ReadString(kSection, QStringLiteral("Folder") + n, info.Name));
        info.State = ini.ReadInteger(kSection, QStringLiteral("State") + n, 0) == 1 ? 1 : 0;
        if (info.Name.isEmpty())
            break; // the list is read as far as it is sound
        if (looksBlank(info.Name) || looksBlank(info.Folder) || hasControl(info.Name) || hasControl(info.Folder))
            continue; // a book whose folder is there is still found on disk below
        if (info.Folder.contains(u'/') || info.Folder.contains(u'\\') || info.Folder.startsWith(u'.'))
            continue; // a book lies directly under Adrs/, nowhere else
        if (hasTable(info.Folder) && !listed(info.Folder) && IndexOfAdrsBook(info.Name) < 0)
            AdrsBookList.push_back(info);
    }

    QDir adrs(DataPath() + QStringLiteral("Adrs"));
    QStringList found = adrs.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& folder : found)
        if (!looksBlank(folder) && hasTable(folder) && !listed(folder) && IndexOfAdrsBook(folder) < 0)
            AdrsBookList.push_back({folder, folder, 0});
}

bool SaveAdrsBookList()
{
    TIniFile ini(AdrsMngFileName());
    ini.EraseSection(kSection);
    ini.WriteInteger(kSection, QStringLiteral("Count"), int(AdrsBookList.size()));
    for (size_t i = 0; i < AdrsBookList.size(); ++i) {
        const QString n = QString::number(i + 1);
        ini.WriteString(kSection, QStringLiteral("Name") + n, AdrsBookList[i].Name);
        ini.WriteString(kSection, QStringLiteral("Folder") + n, AdrsBookList[i].Folder);
        ini.WriteInteger(kSection, QStringLiteral("State") + n, AdrsBookList[i].State);
    }
    return ini.UpdateFile();
}

QString CheckAdrsBookName(const QString& name)
{
    const QString n = cp932::Trim(name);
    if (looksBlank(n))
        return QStringLiteral("アドレス帳名を入力してください  ");
    // A leading '.' makes a hidden folder, which the next start neither
    // takes from AdrsMng.ini nor finds on disk: the book would vanish.
    if (n != name || n.startsWith(u'.') ||
        n.contains(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1F]"))))
        return QStringLiteral("アドレス帳名に使用できない文字が含まれています  ");
    if (!cp932::CanEncode(n))
        return QStringLiteral("アドレス帳名に使用できない文字が含まれています  ");
    if (cp932::ByteLength(n) > kMaxNameBytes)
        return QStringLiteral("アドレス帳名が長すぎます  ");
    if (IndexOfAdrsBook(n) >= 0 || QFileInfo::exists(AdrsBookFolderPath(n)))
        return QStringLiteral("同じ名前のアドレス帳が既に存在します  ");
    return {};
}

namespace {

// Builds the book's folder with its table under a hidden name beside the
// books and renames it into place: a kill leaves either the whole book or a
// hidden folder that no list takes (removed by the next creation once its
// process is gone).
// cause: why not, in Japanese.
bool buildBookFolder(const QString& folder, QString& cause)
{
    const QFileInfo target(QDir::cleanPath(folder));
    QDir adrs(target.path());
    for (const QString& left : adrs.entryList({QStringLiteral(".new-*")}, QDir::Dirs | QDir::Hidden)) {
        bool ok = false;
        const qint64 pid = left.mid(5).toLongLong(&ok);
        if (ok && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QDir(adrs.filePath(left)).removeRecursively();
    }
    const QString temp = target.path() + QStringLiteral("/.new-%1").arg(QCoreApplication::applicationPid());
    QDir(temp).removeRecursively();
    try {
        if (!MakePrivateFolder(temp)) {
            cause = FileErrorCause(errno);
            return false;
        }
        TSqlTable::CreateTable(temp + QStringLiteral("/Adrs.DB"), AdrsTableDef());
    } catch (const ESqlTableError& e) {
        cause = e.Cause();
        QDir(temp).removeRecursively();
        return false;
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target.filePath()).constData()) != 0) {
        cause = FileErrorCause(errno);
        QDir(temp).removeRecursively();
        return false;
    }
    return true;
}

} // namespace

bool CreateAdrsBook(const QString& name, QString* error)
{
    QString msg = CheckAdrsBookName(name);
    if (msg.isEmpty()) {
        QString cause;
        if (!MakePrivateFolder(DataPath() + QStringLiteral("Adrs"))) {
            cause = FileErrorCause(errno);
        } else if (buildBookFolder(AdrsBookFolderPath(name), cause)) {
            AdrsBookList.push_back({name, name, 0});
            if (SaveAdrsBookList())
                return true;
            cause = FileErrorCause(errno);
            AdrsBookList.pop_back();
            QDir(AdrsBookFolderPath(name)).removeRecursively(); // no book the list does not hold
        }
        msg = QStringLiteral("アドレス帳を作成できませんでした  ");
        if (!cause.isEmpty())
            msg += QStringLiteral("\r\n") + cause + QStringLiteral("  ");
    }
    if (error)
        *error = msg;
    return false;
}

bool EnsureDefaultAdrsBook(QString* cause)
{
    BuildAdrsBookList();
    if (!AdrsBookList.empty())
        return true;
    // A folder of the default name without a table is what an earlier,
    // interrupted first start may have left: the book is made in it.
    const QString folder = AdrsBookFolderPath(kDefaultAdrsName);
    if (QFileInfo(folder).isDir() && !QFileInfo::exists(AdrsTableFileName(kDefaultAdrsName))) {
        try {
            TSqlTable::CreateTable(AdrsTableFileName(kDefaultAdrsName), AdrsTableDef());
        } catch (const ESqlTableError& e) {
            if (cause)
                *cause = e.Cause();
            return false;
        }
        AdrsBookList.push_back({kDefaultAdrsName, kDefaultAdrsName, 0});
        if (SaveAdrsBookList())
            return true;
        if (cause)
            *cause = FileErrorCause(errno);
        return false;
    }
    QString error;
    if (CreateAdrsBook(kDefaultAdrsName, &error))
        return true;
    if (cause)
        *cause = error.section(QStringLiteral("\r\n"), 1).trimmed();
    return false;
}

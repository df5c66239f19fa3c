#include "drawing/objects/PrintDataFile.h"

#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/PrivateFiles.h"

#include <QBuffer>
#include <QDir>
#include <QSet>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <new>
#include <sys/stat.h>

namespace {

constexpr TPrintDataKind kKinds[kPrintDataKindCount] = {
    {".gpl", "Mosvik Layout File", "Layout/", 28, "宛名", "宛名面"},
    {".gpa", "Mosvik Label File", "Label/", 28, "ラベル", "ラベル"},
    {".gpc", "Mosvik Card File", "Card/", 28, "名刺", "名刺"},
    {".gpd", "Mosvik Design File", "Design/", 32, "文面", "文面"},
};

QString& printDataPath()
{
    static QString path;
    return path;
}

qint32 identifierLength(quint8 Kind) { return qint32(qstrlen(PrintDataKind(Kind).Identifier)); }

} // namespace

const TPrintDataKind& PrintDataKind(quint8 Kind) { return kKinds[Kind < kPrintDataKindCount ? Kind : 0]; }

QString PrintDataExtension(quint8 Kind) { return QString::fromLatin1(PrintDataKind(Kind).Extension); }

QByteArray PrintDataIdentifierBytes(quint8 Kind)
{
    QByteArray id(PrintDataKind(Kind).Identifier);
    for (char& c : id)
        c = char(~quint8(c));
    return id;
}

qint64 PrintDataThumbnailOffset(quint8 Kind) { return identifierLength(Kind) + 4 + PrintDataKind(Kind).HeaderSize; }

void SetPrintDataPath(const QString& Path)
{
    printDataPath() = Path.isEmpty() || Path.endsWith(u'/') ? Path : Path + u'/';
}

QString PrintDataPath() { return printDataPath(); }

QString PrintDataFolder(quint8 Kind) { return PrintDataPath() + QString::fromLatin1(PrintDataKind(Kind).FolderName); }

// ---- Head -------------------------------------------------------------------

bool IsPrintDataOfKind(quint8 Kind, const QByteArray& Data)
{
    const QByteArray id = PrintDataIdentifierBytes(Kind);
    return Data.size() >= id.size() && Data.left(id.size()) == id;
}

void WritePrintDataHead(QIODevice& Out, quint8 Kind, const TPrintDataHead& Head)
{
    const QByteArray id = PrintDataIdentifierBytes(Kind);
    WriteStreamBytes(Out, id.constData(), id.size());
    WriteStreamInt32(Out, Head.Version);
    QByteArray header = Head.Header.left(PrintDataKind(Kind).HeaderSize);
    header.append(PrintDataKind(Kind).HeaderSize - header.size(), '\0');
    WriteStreamBytes(Out, header.constData(), header.size());
    WriteStreamInt32(Out, qint32(Head.Thumbnail.size()));
    WriteStreamBytes(Out, Head.Thumbnail.constData(), Head.Thumbnail.size());
}

TPrintDataHead ReadPrintDataHead(QIODevice& In, quint8 Kind)
{
    const qint32 idLength = identifierLength(Kind);
    QByteArray id(idLength, '\0');
    ReadStreamBytes(In, id.data(), idLength);
    if (!IsPrintDataOfKind(Kind, id))
        throw EDrawRectStreamError("not a print-data file of this kind");
    TPrintDataHead head;
    head.Version = ReadStreamInt32(In);
    head.Header.resize(PrintDataKind(Kind).HeaderSize);
    ReadStreamBytes(In, head.Header.data(), head.Header.size());
    const qint32 n = ReadStreamInt32(In);
    // The length comes from the file: it must fit in what the file holds
    // before a byte of it is allocated.
    const qint64 left = In.isSequential() ? In.bytesAvailable() : In.size() - In.pos();
    if (n < 0 || n > left)
        throw EDrawRectStreamError("thumbnail length beyond the end of the file");
    head.Thumbnail.resize(n);
    ReadStreamBytes(In, head.Thumbnail.data(), n);
    return head;
}

QByteArray ReadPrintDataThumbnail(const QString& FileName, quint8 Kind)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EDrawRectStreamError(QStringLiteral("ファイルを開けません: %1").arg(FileName).toStdString());
    try {
        return ReadPrintDataHead(file, Kind).Thumbnail;
    } catch (const EDrawRectStreamError&) {
        throw EDrawRectStreamError(QStringLiteral("ファイルが壊れています: %1").arg(FileName).toStdString());
    }
}

// ---- Listing ----------------------------------------------------------------

QString TPrintDataEntry::DateText() const { return Modified.toString(QStringLiteral("yyyy/MM/dd")); }

std::vector<TPrintDataEntry> ListPrintDataFolder(const QString& Folder, quint8 Kind)
{
    const QString ext = PrintDataExtension(Kind);
    const qint32 idLength = identifierLength(Kind);
    QDir dir(Folder);
    std::vector<TPrintDataEntry> out;
    // The layouts of the kind: files that open and start with its identifier.
    QSet<QString> layouts;
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort)) {
        const QString name = info.fileName();
        if (!name.endsWith(ext, Qt::CaseInsensitive))
            continue;
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly) || !IsPrintDataOfKind(Kind, file.read(idLength)))
            continue;
        layouts.insert(name);
        out.push_back({name.left(name.size() - ext.size()), info.absoluteFilePath(), info.lastModified()});
    }
    // "$$X" beside the layout X is a save's copy of its old file (an older
    // save left it so when it was killed), never a layout of its own. Beside
    // an X that is no layout (left empty or cut by that kill) it is what is
    // left of the layout, and alone it is one the user titled so: both stay
    // listed.
    std::erase_if(out, [&](const TPrintDataEntry& e) {
        const QString name = QFileInfo(e.FileName).fileName();
        return name.startsWith(kPrintDataBackupPrefix) && layouts.contains(name.mid(kPrintDataBackupPrefix.size()));
    });
    std::sort(out.begin(), out.end(), [](const TPrintDataEntry& a, const TPrintDataEntry& b) {
        const int c = QString::compare(a.FileName, b.FileName, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.FileName < b.FileName;
    });
    return out;
}

// ---- Titles -----------------------------------------------------------------

const QString kForbiddenTitleChars = QStringLiteral("\\/:;*?\"<>|");

QString ForbiddenTitleMessage()
{
    QString text = QStringLiteral("ファイル名には次の文字は使えません\n   ");
    for (QChar c : kForbiddenTitleChars)
        text += c + QStringLiteral(" ");
    return text;
}

bool HasForbiddenTitleChars(const QString& Title)
{
    for (QChar c : Title)
        if (kForbiddenTitleChars.contains(c))
            return true;
    return false;
}

QString TrimTitle(const QString& Title)
{
    const auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x3000; };
    qsizetype from = 0, to = Title.size();
    while (from < to && blank(Title[from]))
        ++from;
    while (to > from && blank(Title[to - 1]))
        --to;
    return Title.mid(from, to - from);
}

QString CutTitle(const QString& Title) { return cp932::CutToBytes(Title, kMaxTitleBytes); }

bool IsBackupTitle(const QString& Title) { return Title.startsWith(kPrintDataBackupPrefix); }

QString BackupTitleMessage() { return QStringLiteral("タイトルの先頭に「$$」は使えません  "); }

bool IsHiddenTitle(const QString& Title) { return Title.startsWith(u'.'); }

QString HiddenTitleMessage() { return QStringLiteral("タイトルの先頭に「.」は使えません  "); }

namespace {
// What the save's temporary name adds to the file name:
// ".t21save-<pid>-<random>", a pid of up to 7 digits and up to 7 random ones.
constexpr qsizetype kSaveNameOverhead = 24;
constexpr qsizetype kMaxFileNameBytes = 255;
} // namespace

bool PrintDataTitleFits(const QString& Title, quint8 Kind)
{
    return QFile::encodeName(Title + PrintDataExtension(Kind)).size() + kSaveNameOverhead <= kMaxFileNameBytes;
}

QString TitleTooLongMessage()
{
    return QStringLiteral("タイトルが長すぎてファイル名にできません  \n短いタイトルにしてください");
}

TRenameCheck CheckRename(const QString& OldTitle, QString& NewTitle, const QString& CurrentName,
                         const QStringList& Others, quint8 Kind)
{
    return CheckRename(OldTitle, NewTitle, OldTitle.compare(CurrentName, Qt::CaseInsensitive) == 0, Others, Kind);
}

TRenameCheck CheckRename(const QString& OldTitle, QString& NewTitle, bool IsOpenLayout, const QStringList& Others,
                         quint8 Kind)
{
    if (NewTitle.isEmpty() || NewTitle == OldTitle)
        return TRenameCheck::Unchanged;
    if (IsOpenLayout)
        return TRenameCheck::OpenLayout;
    NewTitle = CutTitle(NewTitle);
    if (const TRenameCheck check = CheckTitle(NewTitle, Kind); check != TRenameCheck::Rename)
        return check;
    if (NewTitle == OldTitle)
        return TRenameCheck::Unchanged;
    for (const QString& other : Others)
        if (other.compare(NewTitle, Qt::CaseInsensitive) == 0)
            return TRenameCheck::Exists;
    return TRenameCheck::Rename;
}

TRenameCheck CheckTitle(const QString& Title, quint8 Kind)
{
    if (HasForbiddenTitleChars(Title))
        return TRenameCheck::Forbidden;
    if (cp932::FirstUnencodable(Title))
        return TRenameCheck::Unencodable;
    // A "$$" title would be taken for the copy of its namesake's old file.
    if (IsBackupTitle(Title))
        return TRenameCheck::BackupTitle;
    if (IsHiddenTitle(Title))
        return TRenameCheck::HiddenTitle;
    if (!PrintDataTitleFits(Title, Kind))
        return TRenameCheck::TooLong;
    return TRenameCheck::Rename;
}

QString TitleRefusalMessage(TRenameCheck Check, const QString& Title)
{
    switch (Check) {
    case TRenameCheck::Forbidden: return ForbiddenTitleMessage();
    case TRenameCheck::Unencodable: return cp932::UnencodableMessage(cp932::FirstUnencodable(Title));
    case TRenameCheck::BackupTitle: return BackupTitleMessage();
    case TRenameCheck::HiddenTitle: return HiddenTitleMessage();
    case TRenameCheck::TooLong: return TitleTooLongMessage();
    default: return QString();
    }
}

// ---- Saving -----------------------------------------------------------------

QString PrintDataFileOnDisk(const QString& FileName)
{
    struct stat st{};
    if (::lstat(QFile::encodeName(FileName).constData(), &st) == 0)
        return FileName;
    const QFileInfo info(FileName);
    const QString wanted = info.fileName().normalized(QString::NormalizationForm_C);
    const QDir dir(info.path());
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString& name : dir.entryList(all, QDir::Name))
        if (name.normalized(QString::NormalizationForm_C).compare(wanted, Qt::CaseInsensitive) == 0)
            return info.path() + u'/' + name;
    return QString();
}

QString PrintDataBackupName(const QString& FileName)
{
    const QFileInfo info(FileName);
    return info.path() + u'/' + kPrintDataBackupPrefix + info.fileName();
}

bool SavePrintDataFile(const QString& FileName, const TPrintDataWriter& Writer, QString* Error, TPrintDataSave Mode)
{
    auto fail = [Error](const QString& why) {
        if (Error)
            *Error = why;
        return false;
    };
    // The layout is put together in memory first: a writer failing half-way
    // has touched no file at all.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    try {
        if (!Writer || !Writer(bytes))
            return fail(FileErrorCause(0));
    } catch (const std::bad_alloc&) {
        return fail(QStringLiteral("メモリが足りません"));
    } catch (const std::exception&) {
        return fail(FileErrorCause(0));
    }
    const QFileInfo target(FileName);
    if (!MakePrivateFolder(target.path())) {
        // mkdir says EEXIST where a file stands in the folder's place.
        return fail(FileErrorCause(errno == EEXIST ? ENOTDIR : errno));
    }
    // Written whole under a temporary name that carries this process's id,
    // then renamed over the old file in one step; a save killed half-way
    // leaves that temporary, which the next save in the folder removes once
    // its process is gone, as the settings files' saves do.
    QString why;
    const TSaveTarget replaces = Mode == TPrintDataSave::New ? TSaveTarget::NoFile : TSaveTarget::RegularFile;
    if (!SaveFileAtomically(target.absoluteFilePath(), bytes.data(), true, &why, replaces)) {
        // SaveFileAtomically leaves errno as the failing call set it.
        const int errnum = errno;
        return fail(FileErrorCause(errnum));
    }
    return true;
}

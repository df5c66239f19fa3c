#include "DrawRectTestItem.h"
#include "ImageTestSupport.h"
#include "drawing/objects/PrintDataFile.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "support/data/DataSupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray Thumb()
{
    QImage picture(40, 28, QImage::Format_RGB888);
    picture.fill(QColor(200, 80, 20)); // encoded bytes must not depend on leftover memory
    return MakeJpeg(picture);
}

// A whole file as a designer writes one: head, then a body.
QByteArray FileBytes(quint8 kind, const QByteArray& body = "BODY")
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    TPrintDataHead head;
    head.Version = DrawRectCurrentVersion;
    head.Header = QByteArray("designer header");
    head.Thumbnail = Thumb();
    WritePrintDataHead(b, kind, head);
    b.write(body);
    return b.data();
}

void SetTime(const QString& path, const QDateTime& t)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

TEST(PrintDataFile, HeadRoundTripsThroughTheStoredBytesForEveryKind)
{
    for (quint8 kind = 0; kind < kPrintDataKindCount; ++kind) {
        const QByteArray bytes = FileBytes(kind);
        // The identifier is stored inverted; "M" is 0x4D, stored 0xB2.
        EXPECT_EQ(quint8(bytes[0]), 0xB2);
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        const TPrintDataHead head = ReadPrintDataHead(in, kind);
        EXPECT_EQ(head.Version, DrawRectCurrentVersion);
        EXPECT_EQ(head.Thumbnail, Thumb());
        EXPECT_EQ(in.readAll(), QByteArray("BODY")); // the body starts right after
        EXPECT_EQ(head.Header.size(), PrintDataKind(kind).HeaderSize);

        QBuffer out;
        out.open(QIODevice::WriteOnly);
        WritePrintDataHead(out, kind, head);
        EXPECT_EQ(out.data() + "BODY", bytes);
        // Another kind's reader does not take it.
        in.seek(0);
        EXPECT_THROW(ReadPrintDataHead(in, quint8((kind + 1) % 4)), EDrawRectStreamError);
    }
}

TEST(PrintDataFile, ThumbnailLengthsBeyondTheFileAreErrorsNotAllocations)
{
    const QByteArray good = FileBytes(pdAddress, QByteArray());
    const qint64 at = PrintDataThumbnailOffset(pdAddress);
    for (qint32 n : {-1, INT32_MIN, INT32_MAX, qint32(Thumb().size()) + 1}) {
        QByteArray bad = good;
        qToLittleEndian(n, bad.data() + at);
        QBuffer in;
        in.setData(bad);
        in.open(QIODevice::ReadOnly);
        EXPECT_THROW(ReadPrintDataHead(in, pdAddress), EDrawRectStreamError) << n;
    }
    for (int cut : {0, 5, int(at) + 2}) {
        QBuffer in;
        in.setData(good.left(cut));
        in.open(QIODevice::ReadOnly);
        EXPECT_THROW(ReadPrintDataHead(in, pdAddress), EDrawRectStreamError) << cut;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.gpl"));
    QByteArray bad = good;
    qToLittleEndian(qint32(1) << 30, bad.data() + at);
    ASSERT_TRUE(WriteFile(path, bad));
    try {
        ReadPrintDataThumbnail(path, pdAddress);
        ADD_FAILURE() << "no error";
    } catch (const EDrawRectStreamError& e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(path));
    }
    EXPECT_THROW(ReadPrintDataThumbnail(dir.filePath(QStringLiteral("gone.gpl")), pdAddress), EDrawRectStreamError);
}

TEST(PrintDataFile, ListingTakesGoodFilesOfTheKindSortedWithoutCaseAndLeavesOthersOut)
{
    QTemporaryDir dir;
    const QString f = dir.path() + u'/';
    const QDateTime t1(QDate(2024, 3, 9), QTime(23, 30));
    const QDateTime t2(QDate(2025, 12, 31), QTime(0, 5));
    ASSERT_TRUE(WriteFile(f + QStringLiteral("beta.gpl"), FileBytes(pdAddress)));
    ASSERT_TRUE(WriteFile(f + QStringLiteral("Alpha.GPL"), FileBytes(pdAddress)));    // upper-case extension
    ASSERT_TRUE(WriteFile(f + QStringLiteral("表示ソ.gpl"), FileBytes(pdAddress)));    // 0x5C trail bytes
    ASSERT_TRUE(WriteFile(f + QStringLiteral("card.gpl"), FileBytes(pdCard)));        // wrong identifier
    ASSERT_TRUE(WriteFile(f + QStringLiteral("empty.gpl"), QByteArray()));            // empty
    ASSERT_TRUE(WriteFile(f + QStringLiteral("short.gpl"), FileBytes(pdAddress).left(17)));
    ASSERT_TRUE(WriteFile(f + QStringLiteral("other.gpd"), FileBytes(pdAddress)));     // other extension
    ASSERT_TRUE(WriteFile(f + QStringLiteral("locked.gpl"), FileBytes(pdAddress)));
    QFile::setPermissions(f + QStringLiteral("locked.gpl"), QFileDevice::Permissions());
    ASSERT_TRUE(QDir(f).mkdir(QStringLiteral("folder.gpl")));
    SetTime(f + QStringLiteral("beta.gpl"), t1);
    SetTime(f + QStringLiteral("Alpha.GPL"), t2);

    const auto list = ListPrintDataFolder(f, pdAddress);
    QStringList titles;
    for (const auto& e : list)
        titles << e.Title;
    const bool rootReadsAll = QFile(f + QStringLiteral("locked.gpl")).open(QIODevice::ReadOnly);
    QStringList expected{QStringLiteral("Alpha"), QStringLiteral("beta")};
    if (rootReadsAll)
        expected << QStringLiteral("locked");
    expected << QStringLiteral("表示ソ");
    EXPECT_EQ(titles, expected);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0].DateText(), QStringLiteral("2025/12/31"));
    EXPECT_EQ(list[1].DateText(), QStringLiteral("2024/03/09"));
    EXPECT_EQ(list[0].FileName, f + QStringLiteral("Alpha.GPL"));

    // Listing reads and changes nothing.
    EXPECT_EQ(ReadFile(f + QStringLiteral("beta.gpl")), FileBytes(pdAddress));
    EXPECT_TRUE(ListPrintDataFolder(f + QStringLiteral("missing/"), pdAddress).empty());
}

TEST(PrintDataFile, RenameRulesCutAtALeadByteAndRefuseForbiddenAndTakenNames)
{
    const QStringList others{QStringLiteral("Other"), QStringLiteral("表")};
    QString t = QStringLiteral("x:y");
    EXPECT_EQ(CheckRename(QStringLiteral("a"), t, QString(), others), TRenameCheck::Forbidden);
    for (QChar c : kForbiddenTitleChars) {
        QString s = QStringLiteral("a") + c;
        EXPECT_EQ(CheckRename(QStringLiteral("a"), s, QString(), others), TRenameCheck::Forbidden) << int(c.unicode());
    }
    QString emoji = QStringLiteral("a\U0001F600");
    EXPECT_EQ(CheckRename(QStringLiteral("a"), emoji, QString(), others), TRenameCheck::Unencodable);
    EXPECT_EQ(ForbiddenTitleMessage(),
              QStringLiteral("ファイル名には次の文字は使えません\n   \\ / : ; * ? \" < > | "));

    // 99 single bytes and a double-byte character whose lead byte is the
    // 100th: 101 bytes, cut to 99.
    QString longTitle = QString(99, u'a') + QStringLiteral("表");
    ASSERT_EQ(cp932::ByteLength(longTitle), 101);
    EXPECT_EQ(CheckRename(QStringLiteral("a"), longTitle, QString(), others), TRenameCheck::Rename);
    EXPECT_EQ(longTitle, QString(99, u'a'));
    QString even = QString(98, u'a') + QStringLiteral("表ソ");
    EXPECT_EQ(CheckRename(QStringLiteral("a"), even, QString(), others), TRenameCheck::Rename);
    EXPECT_EQ(even, QString(98, u'a') + QStringLiteral("表"));

    // A file name is at most 255 bytes of UTF-8, and the save's temporary
    // name adds up to 24: 75 half-width katakana (225 + ".gpl") fit, 76 do not.
    QString kana = QString(76, u'ｱ');
    EXPECT_EQ(CheckRename(QStringLiteral("a"), kana, QString(), others, pdCard), TRenameCheck::TooLong);
    kana.chop(1);
    EXPECT_EQ(CheckRename(QStringLiteral("a"), kana, QString(), others, pdCard), TRenameCheck::Rename);
    QString taken = QStringLiteral("OTHER");
    EXPECT_EQ(CheckRename(QStringLiteral("a"), taken, QString(), others), TRenameCheck::Exists);
    QString same = QStringLiteral("a");
    EXPECT_EQ(CheckRename(QStringLiteral("a"), same, QString(), others), TRenameCheck::Unchanged);
    QString empty;
    EXPECT_EQ(CheckRename(QStringLiteral("a"), empty, QString(), others), TRenameCheck::Unchanged);
    QString fromOpen = QStringLiteral("b");
    EXPECT_EQ(CheckRename(QStringLiteral("Open"), fromOpen, QStringLiteral("OPEN"), others), TRenameCheck::OpenLayout);
    QString caseOnly = QStringLiteral("A");
    EXPECT_EQ(CheckRename(QStringLiteral("a"), caseOnly, QString(), others), TRenameCheck::Rename);
}

TEST(PrintDataFile, SaveReplacesWholeOrLeavesTheOldFileByteIdentical)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/new/Layout/");
    const QString path = folder + QStringLiteral("表示ソ.gpl");
    const QByteArray oldBytes = FileBytes(pdAddress, "OLD BODY");
    const QByteArray newBytes = FileBytes(pdAddress, "NEW BODY, LONGER");
    auto writer = [](const QByteArray& bytes) {
        return [bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); };
    };

    // A missing folder is made.
    ASSERT_TRUE(SavePrintDataFile(path, writer(oldBytes)));
    EXPECT_EQ(ReadFile(path), oldBytes);
    EXPECT_EQ(FilesIn(folder), QStringList{QStringLiteral("表示ソ.gpl")});

    // Writers failing half-way, each way a writer can fail.
    const std::vector<TPrintDataWriter> failing{
        [&](QIODevice& out) {
            out.write(newBytes.left(newBytes.size() / 2));
            return false;
        },
        [&](QIODevice& out) -> bool {
            out.write(newBytes.left(30));
            throw EDrawRectStreamError("disk full");
        },
        [&](QIODevice& out) -> bool {
            out.write(newBytes.left(30));
            throw std::runtime_error("anything else");
        },
        TPrintDataWriter(),
    };
    for (size_t i = 0; i < failing.size(); ++i) {
        QString error;
        EXPECT_FALSE(SavePrintDataFile(path, failing[i], &error)) << i;
        EXPECT_FALSE(error.isEmpty()) << i;
        EXPECT_EQ(ReadFile(path), oldBytes) << i;
        EXPECT_EQ(FilesIn(folder), QStringList{QStringLiteral("表示ソ.gpl")}) << i; // no "$$", no leftovers
    }

    // A "$$" file an older save left does not stop a save, and stays: it may be the user's.
    ASSERT_TRUE(WriteFile(PrintDataBackupName(path), "stale"));
    ASSERT_TRUE(SavePrintDataFile(path, writer(newBytes)));
    EXPECT_EQ(ReadFile(path), newBytes);
    EXPECT_EQ(FilesIn(folder), (QStringList{QStringLiteral("$$表示ソ.gpl"), QStringLiteral("表示ソ.gpl")}));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());

    // A name beyond 260 characters is used whole.
    const QString deep = folder + QString(120, u'd') + u'/' + QString(150, u'n') + QStringLiteral(".gpl");
    ASSERT_GT(deep.size(), 260);
    ASSERT_TRUE(SavePrintDataFile(deep, writer(newBytes)));
    EXPECT_EQ(ReadFile(deep), newBytes);
    // The longest title that fits saves, whatever the process id in its temporary name.
    EXPECT_TRUE(SavePrintDataFile(folder + QString(75, u'ｱ') + QStringLiteral(".gpl"), writer(newBytes)));
    // A file where the folder is to be made: the cause says so, and the file stays.
    ASSERT_TRUE(WriteFile(folder + QStringLiteral("Layout"), "a file"));
    QString error;
    EXPECT_FALSE(SavePrintDataFile(folder + QStringLiteral("Layout/a.gpl"), writer(newBytes), &error));
    EXPECT_EQ(error, FileErrorCause(ENOTDIR));
    EXPECT_EQ(ReadFile(folder + QStringLiteral("Layout")), QByteArray("a file"));
}

TEST(PrintDataFile, KilledSavesLeaveNothingListedAndADeadProcesssTemporariesGoAtTheNextSave)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Label/"), path = folder + QStringLiteral("Plan.gpa");
    const QByteArray oldBytes = FileBytes(pdLabel, "OLD"), newBytes = FileBytes(pdLabel, "NEW");
    ASSERT_TRUE(SavePrintDataFile(path, [&](QIODevice& out) { return out.write(oldBytes) == oldBytes.size(); }));
    // A save killed while the layout is written leaves the old file and nothing else.
    const pid_t killed = ::fork();
    if (killed == 0) {
        SavePrintDataFile(path, [&](QIODevice& out) { out.write(newBytes.left(40)); return ::raise(SIGKILL) == 0; });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(FilesIn(folder), QStringList{QStringLiteral("Plan.gpa")});
    EXPECT_EQ(ReadFile(path), oldBytes);

    // Left by saves killed later: temporaries of a gone and of a living
    // process, an older program's "$$" backup beside its layout.
    const QString deadTemp = path + QStringLiteral(".t21save-%1-k1ll3d").arg(killed);
    const QString liveTemp = folder + QStringLiteral("Other.gpa.t21save-%1-l1v3").arg(::getppid());
    for (const QString& f : {deadTemp, liveTemp, PrintDataBackupName(path), folder + QStringLiteral("$$Mine.gpa")})
        ASSERT_TRUE(WriteFile(f, oldBytes));
    QStringList titles; // "$$Mine" has no layout beside it: the user titled it so
    for (const TPrintDataEntry& e : ListPrintDataFolder(folder, pdLabel))
        titles << e.Title;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("$$Mine"), QStringLiteral("Plan")}));
    ASSERT_TRUE(SavePrintDataFile(path, [&](QIODevice& out) { return out.write(newBytes) == newBytes.size(); }));
    EXPECT_FALSE(QFile::exists(deadTemp));
    EXPECT_EQ(ReadFile(liveTemp), oldBytes); // may be a save under way
    EXPECT_EQ(ReadFile(PrintDataBackupName(path)), oldBytes);
    EXPECT_EQ(FilesIn(folder).size(), 4);
}

TEST(PrintDataFile, ADollarCopyIsListedWhenItsLayoutIsNoLayoutAndAUsersTitleLikeATemporarySurvivesSaves)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    // What a killed save leaves: the layout empty or cut, its "$$" copy whole.
    const std::pair<const char*, QByteArray> files[] = {
        {"Plan.gpl", ""}, {"$$Plan.gpl", FileBytes(pdAddress)}, {"Memo.gpl", QByteArray(10, 'x')},
        {"$$Memo.gpl", FileBytes(pdAddress)}, {"Note.gpl", FileBytes(pdAddress)}, {"$$Note.gpl", FileBytes(pdAddress)},
        {"memo.t21save-3999999-1.gpl", FileBytes(pdAddress, "USER")}, {"Note.gpl.t21save-3999999-1", "TEMP"}};
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(WriteFile(folder + QString::fromUtf8(name), bytes));
    ASSERT_TRUE(SavePrintDataFile(folder + QStringLiteral("Other.gpl"), [](QIODevice& out) { return out.write("X") > 0; }));
    QStringList titles;
    for (const TPrintDataEntry& e : ListPrintDataFolder(folder, pdAddress))
        titles << e.Title;
    EXPECT_EQ(titles, (QStringList{"$$Memo", "$$Plan", "memo.t21save-3999999-1", "Note"}));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("Note.gpl.t21save-3999999-1"))); // a dead save's temporary
}

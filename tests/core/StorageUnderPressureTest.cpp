// The program on storage under pressure: a data folder on a disk that fills
// up, a runtime folder that takes no lock file, a file system without
// flock. It tells the true cause, never calls an intact book damaged, never
// takes itself for another copy, and keeps two copies apart wherever some
// lock works.
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"
#include "core/ui/AdrsList.h"
#include "platform/FileErrors.h"
#include "platform/PrivateFiles.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QUuid>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

QStringList said(const TMessageBoxRequest& message)
{
    QStringList lines;
    for (const QString& line : message.text.split(QStringLiteral("\r\n")))
        lines << line.trimmed();
    return lines;
}

// Files below root whose names the engine gives its side files.
QStringList sideFiles(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (f.endsWith(QLatin1String("-wal")) || f.endsWith(QLatin1String("-shm")) ||
            f.endsWith(QLatin1String("-journal")))
            out << f;
    }
    return out;
}

// XDG_RUNTIME_DIR set for the life of the object.
class TRuntimeFolder {
public:
    explicit TRuntimeFolder(const QString& path) : old_(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path));
    }
    ~TRuntimeFolder() { qputenv("XDG_RUNTIME_DIR", old_); }

private:
    QByteArray old_;
};

} // namespace

// Started, quit, the disk filled, started again: the book and the sender
// file are intact and said to be refused for want of room, never damaged;
// nothing is left beside them, and both open once there is room again.
TEST(StorageUnderPressure, AnIntactBookOnAFullDiskIsRefusedForWantOfRoomNotCalledDamaged)
{
    TSmallDisk disk(4 * 1024 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.SkipReason().toStdString();
    SetDataFolder(disk.path() + QStringLiteral("/data"));
    ASSERT_TRUE(CreateDataFolders());
    TMessageRecorder messages;
    LoadSettings();
    {
        TDMTelvora21 dm;
        TAddressList list;
        ASSERT_TRUE(list.OpenStartBook()) << messages.LastText().toStdString();
    }
    ASSERT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    const QString book = AdrsTableFileName(kDefaultAdrsName);
    const QByteArray bookBytes = ReadFile(book);
    const QByteArray senderBytes = ReadFile(SenderTableFileName());
    ASSERT_FALSE(bookBytes.isEmpty());
    ASSERT_FALSE(senderBytes.isEmpty());
    ASSERT_EQ(sideFiles(DataPath()), QStringList());

    disk.Fill();
    TDMTelvora21 dm;
    TAddressList list;
    EXPECT_FALSE(list.OpenStartBook());
    const QString noRoom = FileErrorCause(ENOSPC);
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(said(messages.Messages()[0]), QStringList({QStringLiteral("差出人ファイルが読み込めませんでした"), noRoom}));
    EXPECT_EQ(said(messages.Messages()[1]),
              QStringList({QStringLiteral("アドレス帳ファイルがオープンできませんでした"), noRoom,
                           QStringLiteral("アドレス帳：") + kDefaultAdrsName}));
    EXPECT_EQ(messages.Messages()[1].flags & 0xF0, unsigned(MB_ICONERROR));
    EXPECT_EQ(ReadFile(book), bookBytes);
    EXPECT_EQ(ReadFile(SenderTableFileName()), senderBytes);
    EXPECT_EQ(sideFiles(DataPath()), QStringList());

    disk.Free();
    messages.Clear();
    EXPECT_TRUE(list.OpenStartBook());
    EXPECT_TRUE(list.LoadSenderList());
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
}

// A first start on a full disk says the default book could not be made and
// why, instead of not finding it; it leaves no half-made book, and the next
// start with room makes it.
TEST(StorageUnderPressure, AFirstStartOnAFullDiskSaysTheDefaultBookCouldNotBeMadeAndWhy)
{
    TSmallDisk disk(1024 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.SkipReason().toStdString();
    SetDataFolder(disk.path() + QStringLiteral("/data"));
    ASSERT_TRUE(CreateDataFolders());
    LoadSettings();
    disk.Fill();
    TMessageRecorder messages;
    TDMTelvora21 dm;
    TAddressList list;
    messages.Clear(); // the sender file could not be made either: told on its own
    EXPECT_FALSE(list.OpenStartBook());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(said(messages.Messages()[0]),
              QStringList({QStringLiteral("アドレス帳「%1」を作成できませんでした").arg(kDefaultAdrsName),
                           FileErrorCause(ENOSPC)}));
    EXPECT_EQ(messages.Messages()[0].flags & 0xF0, unsigned(MB_ICONERROR));
    BuildAdrsBookList();
    EXPECT_TRUE(AdrsBookList.empty());
    EXPECT_EQ(QDir(DataPath() + QStringLiteral("Adrs")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());

    disk.Free();
    messages.Clear();
    EXPECT_TRUE(list.OpenStartBook());
    EXPECT_EQ(AdrsName, kDefaultAdrsName);
}

// A runtime folder that takes no lock file (full) is no other copy: the
// start goes on at once on the data folder's lock, which still keeps a
// second start out.
TEST(StorageUnderPressure, AFullRuntimeFolderIsNoOtherCopyAndTheDataFolderLockStillKeepsTwoApart)
{
    TSmallDisk runtime(64 * 1024);
    if (!runtime.Mounted())
        GTEST_SKIP() << runtime.SkipReason().toStdString();
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    runtime.Fill();
    TRuntimeFolder xdg(runtime.path());
    QTemporaryDir data;
    const QString key = QStringLiteral("test:") + QUuid::createUuid().toString();
    TSingleInstance first(key, data.path());
    first.SetAnswerTimeout(3000);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(first.Unreachable());
    EXPECT_LT(timer.elapsed(), 2000); // not waited out as a copy that does not answer
    TSingleInstance second(key, data.path());
    second.SetAnswerTimeout(300);
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Unreachable()); // the first was asked to come forward
}

// Where flock fails with ENOLCK (some FUSE file systems), the data folder's
// lock is taken through fcntl: a second start from another session is kept
// out instead of both running on one folder.
TEST(StorageUnderPressure, WithoutFlockTheDataFolderLockStillKeepsTwoApart)
{
    const TFlockHandler previous = SetFlockHandler([](int, int) {
        errno = ENOLCK;
        return -1;
    });
    QTemporaryDir data;
    TSingleInstance first(QStringLiteral("test:") + QUuid::createUuid().toString(), data.path());
    // Another session: its own runtime lock, the same data folder.
    TSingleInstance other(QStringLiteral("test:") + QUuid::createUuid().toString(), data.path());
    other.SetAnswerTimeout(300);
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(other.Acquire());
    EXPECT_TRUE(other.Unreachable());
    SetFlockHandler(previous);
}

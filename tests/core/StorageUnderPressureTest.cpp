// The program on a disk that fills up, a runtime folder that takes no lock
// file and a file system without flock: the true cause is told, and two
// copies are kept apart wherever some lock works.
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"
#include "core/ui/AdrsList.h"
#include "platform/FileErrors.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QUuid>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// A disk that really fills up: a tmpfs of `bytes` on a temporary folder,
// unmounted with the object. Mounting needs root: skipReason says why not.
class TSmallDisk {
public:
    explicit TSmallDisk(qint64 bytes)
    {
        const QByteArray options = "size=" + QByteArray::number(bytes);
        if (::geteuid() != 0)
            skipReason = "mounting a small tmpfs needs root";
        else if (::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                         options.constData()) != 0)
            skipReason = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
    }
    ~TSmallDisk()
    {
        if (skipReason.empty())
            ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH); // also while a file on it is still open
    }
    QString path() const { return dir_.path(); }
    // A filler file written until the disk takes no more; Free removes it.
    void Fill()
    {
        QFile filler(path() + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (filler.write(QByteArray(4096, 'f')) > 0) {
        }
    }
    void Free() { QFile::remove(path() + QStringLiteral("/filler")); }

    std::string skipReason;

private:
    QTemporaryDir dir_;
};

} // namespace

// Started, quit, the disk filled, started again: the intact book and sender
// file are refused for want of room, not called damaged, and left as they were.
TEST(StorageUnderPressure, AnIntactBookOnAFullDiskIsRefusedForWantOfRoomNotCalledDamaged)
{
    TSmallDisk disk(4 * 1024 * 1024);
    if (!disk.skipReason.empty())
        GTEST_SKIP() << disk.skipReason;
    SetDataFolder(disk.path() + QStringLiteral("/data"));
    ASSERT_TRUE(CreateDataFolders());
    LoadSettings();
    TMessageRecorder messages;
    {
        TDMTelvora21 dm;
        TAddressList list;
        ASSERT_TRUE(list.OpenStartBook()) << messages.LastText().toStdString();
    }
    const QStringList files{AdrsTableFileName(kDefaultAdrsName), SenderTableFileName()};
    const QByteArray bytes = ReadFile(files[0]) + ReadFile(files[1]);
    disk.Fill();
    TDMTelvora21 dm;
    TAddressList list;
    EXPECT_FALSE(list.OpenStartBook());
    const QString noRoom = FileErrorCause(ENOSPC);
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[0].text, QStringLiteral("差出人ファイルが読み込めませんでした  \r\n") + noRoom + "  ");
    EXPECT_EQ(messages.Messages()[1].text, QStringLiteral("アドレス帳ファイルがオープンできませんでした  \r\n") + noRoom +
                                               QStringLiteral("  \r\nアドレス帳：%1  ").arg(kDefaultAdrsName));
    EXPECT_EQ(ReadFile(files[0]) + ReadFile(files[1]), bytes);
    for (const QString& file : files)
        EXPECT_FALSE(QFile::exists(file + "-wal") || QFile::exists(file + "-shm")) << file.toStdString();

    disk.Free();
    EXPECT_TRUE(list.OpenStartBook());
}

// A first start on a full disk says that the default book could not be made
// and why, not that it was not found, and leaves no half-made book.
TEST(StorageUnderPressure, AFirstStartOnAFullDiskSaysTheDefaultBookCouldNotBeMadeAndWhy)
{
    TSmallDisk disk(1024 * 1024);
    if (!disk.skipReason.empty())
        GTEST_SKIP() << disk.skipReason;
    SetDataFolder(disk.path() + QStringLiteral("/data"));
    ASSERT_TRUE(CreateDataFolders());
    LoadSettings();
    disk.Fill();
    TMessageRecorder messages;
    TDMTelvora21 dm;
    TAddressList list;
    messages.Clear(); // the sender file could not be made either: told on its own
    EXPECT_FALSE(list.OpenStartBook());
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳「%1」を作成できませんでした  \r\n").arg(kDefaultAdrsName) +
                                       FileErrorCause(ENOSPC) + "  ");
    EXPECT_TRUE(QDir(DataPath() + QStringLiteral("Adrs")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    disk.Free();
    EXPECT_TRUE(list.OpenStartBook());
}

// A runtime lock file that cannot be written, as in a full runtime folder
// (here under a file size limit), is no other copy: the start goes on at once,
// and the data folder's lock still keeps a second start out, which asks the
// first to come forward.
TEST(StorageUnderPressure, AFullRuntimeFolderIsNoOtherCopyAndTheDataFolderLockStillKeepsTwoApart)
{
    QTemporaryDir data;
    const QString key = QStringLiteral("test:") + QUuid::createUuid().toString();
    TSingleInstance first(key, data.path()), second(key, data.path());
    first.SetAnswerTimeout(3000);
    second.SetAnswerTimeout(300);
    const TFileSizeLimit full(0);
    ASSERT_FALSE(QLockFile(data.path() + QStringLiteral("/probe.lock")).tryLock(0)); // no lock file is written
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(first.Acquire());
    EXPECT_LT(timer.elapsed(), 2000); // not waited out as a copy that does not answer
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Unreachable());
}

// Where flock fails with ENOLCK (some FUSE file systems), the data folder's
// lock, taken through fcntl, keeps out a start from another session (one
// with a runtime lock of its own).
TEST(StorageUnderPressure, WithoutFlockTheDataFolderLockStillKeepsTwoApart)
{
    const auto noFlock = NoFlock(ENOLCK);
    QTemporaryDir data;
    TSingleInstance first(QStringLiteral("test:") + QUuid::createUuid().toString(), data.path());
    TSingleInstance other(QStringLiteral("test:") + QUuid::createUuid().toString(), data.path());
    other.SetAnswerTimeout(300);
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(other.Acquire());
    EXPECT_TRUE(other.Unreachable());
}

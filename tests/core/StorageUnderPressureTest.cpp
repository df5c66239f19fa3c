// The program on a full disk, a full runtime folder and a file system without flock.
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"
#include "core/ui/AdrsList.h"
#include "core/ui/Startup.h"
#include "platform/FileErrors.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QUuid>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// A tmpfs of `bytes` that really fills up, mounted while the object lives (root only: skipReason says why not).
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
    void Fill()
    {
        QFile filler(path() + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (filler.write(QByteArray(4096, 'f')) > 0) {
        }
    }
    void Free() { QFile::remove(path() + QStringLiteral("/filler")); }
    bool SetReadOnly()
    {
        return ::mount(nullptr, QFile::encodeName(path()).constData(), nullptr,
                       MS_REMOUNT | MS_NOSUID | MS_NODEV | MS_RDONLY, nullptr) == 0;
    }

    std::string skipReason;

private:
    QTemporaryDir dir_;
};

// The engine's record locks (fcntl) refused, as by a network file system without its lock service.
int fcntlWithoutLocks(int fd, int cmd, ...)
{
    va_list args;
    va_start(args, cmd);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (cmd == F_SETLK || cmd == F_SETLKW || cmd == F_GETLK)
        return errno = ENOLCK, -1;
    return ::fcntl(fd, cmd, arg);
}

// The start as the program runs it: the window shown, then, once painted,
// the senders read and the start book opened; nothing is told before. Waits
// until a book is open or `told` messages have been shown.
void StartShown(TAddressList& list, const TMessageRecorder& messages, size_t told)
{
    EXPECT_TRUE(messages.Messages().empty());
    AdrsName.clear();
    list.show();
    StartupOpenWhenShown(list);
    EXPECT_TRUE(messages.Messages().empty()) << "told before the window was painted";
    for (int i = 0; i < 200 && AdrsName.isEmpty() && messages.Messages().size() < told; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

} // namespace

// A first start says why the default book could not be made and leaves none half-made; a later one calls the
// intact book and sender file full, not damaged, and leaves them and nothing beside them.
TEST(StorageUnderPressure, AFullDiskIsToldAsSuchWhetherTheBookIsStillToBeMadeOrIntact)
{
    TSmallDisk disk(4 * 1024 * 1024);
    if (!disk.skipReason.empty())
        GTEST_SKIP() << disk.skipReason;
    SetDataFolder(disk.path() + QStringLiteral("/data"));
    ASSERT_TRUE(CreateDataFolders());
    LoadSettings();
    TMessageRecorder messages;
    const QString noRoom = QStringLiteral("  \r\n") + FileErrorCause(ENOSPC) + QStringLiteral("  ");
    disk.Fill();
    {
        TDMTelvora21 dm;
        TAddressList list;
        StartShown(list, messages, 2); // the sender file could not be made either: told on its own
        EXPECT_TRUE(AdrsName.isEmpty());
        EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳「%1」を作成できませんでした").arg(kDefaultAdrsName) + noRoom);
        const QDir books(DataPath() + QStringLiteral("Adrs"));
        EXPECT_TRUE(books.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) << "a half-made book";
    }
    disk.Free();
    {
        messages.Clear();
        TDMTelvora21 dm;
        TAddressList list;
        StartShown(list, messages, 1);
        ASSERT_FALSE(AdrsName.isEmpty()) << messages.LastText().toStdString();
    }
    const QStringList files{AdrsTableFileName(kDefaultAdrsName), SenderTableFileName()};
    const QByteArray bytes = ReadFile(files[0]) + ReadFile(files[1]);
    disk.Fill();
    messages.Clear();
    TDMTelvora21 dm;
    TAddressList list;
    StartShown(list, messages, 2);
    EXPECT_TRUE(AdrsName.isEmpty());
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[0].text, QStringLiteral("差出人ファイルが読み込めませんでした") + noRoom);
    EXPECT_EQ(messages.Messages()[1].text, QStringLiteral("アドレス帳ファイルがオープンできませんでした") + noRoom +
                                               QStringLiteral("\r\nアドレス帳：%1  ").arg(kDefaultAdrsName));
    EXPECT_EQ(ReadFile(files[0]) + ReadFile(files[1]), bytes);
    for (const QString& file : files)
        EXPECT_FALSE(QFile::exists(file + "-wal") || QFile::exists(file + "-shm")) << file.toStdString();
    // A read-only disk is told as such, not as a permission that could be given.
    disk.Free();
    ASSERT_TRUE(disk.SetReadOnly());
    const QString readOnly = QStringLiteral("  \r\n") + FileErrorCause(EROFS) + QStringLiteral("  ");
    messages.Clear();
    EXPECT_FALSE(list.OpenStartBook());
    EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳ファイルがオープンできませんでした") + readOnly +
                                       QStringLiteral("\r\nアドレス帳：%1  ").arg(kDefaultAdrsName));
}

// A runtime lock file that cannot be written (full folder; here a file size limit) is no other copy.
TEST(StorageUnderPressure, AFullRuntimeFolderIsNoOtherCopyAndTheDataFolderLockStillKeepsTwoApart)
{
    QTemporaryDir data;
    const QString key = QStringLiteral("test:") + QUuid::createUuid().toString();
    TSingleInstance first(key, data.path()), second(key, data.path());
    second.SetAnswerTimeout(300);
    const TFileSizeLimit full(0);
    ASSERT_FALSE(QLockFile(data.path() + QStringLiteral("/probe.lock")).tryLock(0)); // no lock file is written
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(first.Acquire());
    EXPECT_LT(timer.elapsed(), 2000); // not waited out (3 s) as a copy that does not answer
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Unreachable());
}

// Without flock (ENOLCK on some FUSE file systems) fcntl locks the data folder against another session.
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

// Where the file system refuses every record lock, a first start says the files cannot be locked, not "in use".
TEST(StorageUnderPressure, AFileSystemWithoutLocksIsNoBookInUseOnAFirstStart)
{
    TTempDataFolder folder;
    LoadSettings();
    TMessageRecorder messages;
    sqlite3_vfs* vfs = (sqlite3_initialize(), sqlite3_vfs_find(nullptr));
    vfs->xSetSystemCall(vfs, "fcntl", reinterpret_cast<sqlite3_syscall_ptr>(&fcntlWithoutLocks));
    const auto locks = qScopeGuard([vfs] { vfs->xSetSystemCall(vfs, "fcntl", nullptr); });
    TDMTelvora21 dm;
    TAddressList list;
    StartShown(list, messages, 2);
    EXPECT_TRUE(AdrsName.isEmpty());
    const QString noLock = QStringLiteral("  \r\n") + FileErrorCause(ENOLCK) + QStringLiteral("  ");
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[0].text, QStringLiteral("差出人ファイルが読み込めませんでした") + noLock);
    EXPECT_EQ(messages.Messages()[1].text,
              QStringLiteral("アドレス帳「%1」を作成できませんでした").arg(kDefaultAdrsName) + noLock);
    EXPECT_EQ(SqliteErrorCause(SQLITE_BUSY, ENOLCK), FileErrorCause(ENOLCK)); // where the engine kept the errno
}

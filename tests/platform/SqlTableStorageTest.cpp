// A table on storage under pressure: a disk too full or a file size limit
// too small for the engine's side files, and a file system without flock.
// What fails says its true cause, the file is left as it was, and a lock
// keeps opens apart wherever some lock works.
#include "platform/FileErrors.h"
#include "platform/PrivateFiles.h"
#include "platform/SqlTable.h"

#include "support/data/DataSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TSqlTableDef bookDef()
{
    TSqlTableDef d;
    d.TableName = QStringLiteral("Book");
    d.Fields = {{QStringLiteral("RecNo"), TSqlFieldType::AutoInc}, {QStringLiteral("Name"), TSqlFieldType::Text, 20}};
    return d;
}

// A book of a few rows, closed as a program ending leaves it (no side files).
QString closedBook(const QString& dir)
{
    QDir().mkpath(dir);
    const QString file = dir + QStringLiteral("/Book.DB");
    TSqlTable::CreateTable(file, bookDef());
    TSqlTable t(bookDef());
    t.Open(file);
    for (const char* name : {"表", "ソ", "能"}) {
        t.Append();
        t.SetString(QStringLiteral("Name"), QString::fromUtf8(name));
        t.Post();
    }
    t.Close();
    return file;
}

QStringList sideFiles(const QString& file)
{
    QStringList out;
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        if (QFileInfo::exists(file + QLatin1String(suffix)))
            out << file + QLatin1String(suffix);
    return out;
}

// The open fails with its cause, not as a damaged file, and leaves the
// file byte for byte and no side file of the engine behind.
void expectRefusedIntact(const QString& file, const QString& cause)
{
    const QByteArray before = ReadFile(file);
    TSqlTable t(bookDef());
    try {
        t.Open(file);
        ADD_FAILURE() << "opened";
    } catch (const ESqlTableError& e) {
        EXPECT_EQ(e.Kind(), ESqlTableError::TKind::Other) << e.Message().toStdString();
        EXPECT_EQ(e.Cause(), cause) << e.Message().toStdString();
    }
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(sideFiles(file), QStringList());
}

int rowCount(const QString& file)
{
    TSqlTable t(bookDef());
    t.Open(file);
    return t.RecordCount();
}

// flock as a FUSE file system without it answers: every call refused.
class TNoFlock {
public:
    explicit TNoFlock(int error = ENOLCK)
        : previous_(SetFlockHandler([error](int, int) {
              errno = error;
              return -1;
          }))
    {
    }
    ~TNoFlock() { SetFlockHandler(previous_); }

private:
    TFlockHandler previous_;
};

} // namespace

// The engine's index of its log is grown by a write far into the file,
// which a small file size limit refuses as a full disk does (the full disk
// itself, which needs root, is in StorageUnderPressure).
TEST(SqlTableStorage, AFileSizeLimitRefusesAnIntactTableForWhatItIs)
{
    QTemporaryDir dir;
    const QString file = closedBook(dir.path());
    {
        TFileSizeLimit limit(1024);
        expectRefusedIntact(file, FileErrorCause(EFBIG));
    }
    EXPECT_EQ(rowCount(file), 3);
    // A foreign file is still called what it is.
    const QString foreign = dir.path() + QStringLiteral("/Foreign.DB");
    ASSERT_TRUE(WriteFile(foreign, QByteArray(8192, '\x5C')));
    TSqlTable t(bookDef());
    try {
        t.Open(foreign);
        ADD_FAILURE() << "opened";
    } catch (const ESqlTableError& e) {
        EXPECT_EQ(e.Kind(), ESqlTableError::TKind::Damaged);
    }
    EXPECT_EQ(ReadFile(foreign), QByteArray(8192, '\x5C'));
    EXPECT_EQ(sideFiles(foreign), QStringList());
}

// A failed open removes the engine's side files only when no other
// connection uses them: those of a book another program has open stay.
// A lock that fails for another reason than a holder is no "in use".
TEST(SqlTableStorage, AFailedOpenLeavesTheSideFilesOfAnotherConnectionAlone)
{
    QTemporaryDir dir;
    // A table without the column the open asks for: refused after the engine opened it.
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    TSqlTableDef narrow = bookDef();
    narrow.Fields.pop_back();
    TSqlTable::CreateTable(file, narrow);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=WAL; BEGIN; SELECT count(*) FROM Book;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    ASSERT_EQ(sideFiles(file).size(), 2);
    TSqlTable t(bookDef());
    try {
        t.Open(file);
        ADD_FAILURE() << "opened";
    } catch (const ESqlTableError& e) {
        EXPECT_EQ(e.Kind(), ESqlTableError::TKind::Damaged) << e.Message().toStdString(); // no book of ours
    }
    EXPECT_EQ(sideFiles(file).size(), 2);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    const QString book = closedBook(dir.path() + QStringLiteral("/b"));
    TNoFlock noFlock(EIO);
    try {
        t.Open(book);
        ADD_FAILURE() << "opened";
    } catch (const ESqlTableError& e) {
        EXPECT_EQ(e.Kind(), ESqlTableError::TKind::Other);
        EXPECT_EQ(e.Cause(), FileErrorCause(EIO));
    }
}

// Where flock fails (ENOLCK, ENOTSUP, EINVAL) the table locks through fcntl
// instead: opens that fit together open, one that does not is "in use",
// also against another process.
TEST(SqlTableStorage, WithoutFlockAnFcntlLockKeepsOpensApartAndOnlyAHeldLockIsInUse)
{
    QTemporaryDir dir;
    const QString file = closedBook(dir.path());
    for (const int error : {ENOLCK, ENOTSUP, EINVAL}) {
        SCOPED_TRACE(error);
        TNoFlock noFlock(error);
        TSqlTable a(bookDef()), b(bookDef()), c(bookDef());
        ASSERT_NO_THROW(a.Open(file));
        ASSERT_NO_THROW(b.Open(file)); // two shared opens
        EXPECT_EQ(b.RecordCount(), 3);
        try {
            c.Open(file, true);
            ADD_FAILURE() << "exclusive open beside shared ones";
        } catch (const ESqlTableError& e) {
            EXPECT_EQ(e.Kind(), ESqlTableError::TKind::InUse);
            EXPECT_EQ(e.Cause(), FileErrorCause(EWOULDBLOCK));
        }
        a.Close();
        b.Close();
        ASSERT_NO_THROW(c.Open(file, true));
        EXPECT_THROW(a.Open(file), ESqlTableError);
        c.Close();
    }
    // Another process holds the book exclusively, through the same fallback.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TNoFlock noFlock;
        const int fd = ::open(QFile::encodeName(dir.path() + QStringLiteral("/Book.lck")).constData(), O_RDWR);
        const char c = fd >= 0 && TryLockFile(fd, true) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    {
        TNoFlock noFlock;
        TSqlTable t(bookDef());
        try {
            t.Open(file);
            ADD_FAILURE() << "opened while another process holds it";
        } catch (const ESqlTableError& e) {
            EXPECT_EQ(e.Kind(), ESqlTableError::TKind::InUse);
        }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    TNoFlock noFlock;
    EXPECT_EQ(rowCount(file), 3); // its holder gone, the lock went with it
}

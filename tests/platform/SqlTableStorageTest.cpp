// A table on storage under pressure without root (the real full disk is in StorageUnderPressure).
#include "platform/FileErrors.h"
#include "platform/SqlTable.h"

#include "support/data/DataSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <functional>
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

// How an open fails, "<kind>: <cause>", or "opened".
QString refusal(const QString& file, bool exclusive = false)
{
    TSqlTable t(bookDef());
    try {
        t.Open(file, exclusive);
    } catch (const ESqlTableError& e) {
        const char* kinds[] = {"Other", "InUse", "Damaged"};
        return QLatin1String(kinds[int(e.Kind())]) + QStringLiteral(": ") + e.Cause();
    }
    return QStringLiteral("opened");
}

QStringList sideFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*-wal"), QStringLiteral("*-shm"), QStringLiteral("*-journal")});
}

int waitChild(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The time the engine asks to sleep while the object lives (its waits for another connection's lock), counted
// through a VFS of its own made default: what the waits add up to, not how long a busy machine took.
class TEngineSleeps {
public:
    TEngineSleeps()
    {
        sqlite3_initialize();
        real_ = sqlite3_vfs_find(nullptr);
        counting_ = *real_;
        counting_.zName = "counting-sleeps";
        counting_.xSleep = [](sqlite3_vfs*, int us) {
            slept_ += us;
            return real_->xSleep(real_, us);
        };
        slept_ = 0;
        sqlite3_vfs_register(&counting_, 1);
    }
    ~TEngineSleeps()
    {
        sqlite3_vfs_unregister(&counting_);
        sqlite3_vfs_register(real_, 1);
    }
    qint64 Milliseconds() const { return slept_ / 1000; }

private:
    static inline sqlite3_vfs* real_ = nullptr;
    static inline qint64 slept_ = 0;
    sqlite3_vfs counting_{};
};

} // namespace

// The engine grows its log's index by a write far into the file, refused here as on a full disk.
TEST(SqlTableStorage, AFileSizeLimitRefusesAnIntactTableForWhatItIs)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    TSqlTable::CreateTable(file, bookDef());
    ASSERT_EQ(refusal(file), QStringLiteral("opened")); // and closed, as a program ending leaves it
    const QByteArray bytes = ReadFile(file);
    {
        TFileSizeLimit limit(1024);
        EXPECT_EQ(refusal(file), QStringLiteral("Other: ") + FileErrorCause(EFBIG));
    }
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(sideFiles(dir.path()), QStringList());
    ASSERT_TRUE(WriteFile(file, QByteArray(8192, '\x5C'))); // a foreign file is still called what it is
    EXPECT_EQ(refusal(file), QStringLiteral("Damaged: ") + SqliteErrorCause(SQLITE_NOTADB, 0));
}

// A failed open removes the engine's side files only when no other connection (here another program) uses them.
TEST(SqlTableStorage, AFailedOpenLeavesTheSideFilesOfAnotherConnectionAlone)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    TSqlTableDef narrow = bookDef();
    narrow.Fields.pop_back(); // no column the open asks for: refused once the engine has opened it
    TSqlTable::CreateTable(file, narrow);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const auto close = qScopeGuard([other] { sqlite3_close(other); });
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=WAL; SELECT 1 FROM Book", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sideFiles(dir.path()).size(), 2);
    EXPECT_EQ(refusal(file), QStringLiteral("Damaged: ") + SqliteErrorCause(SQLITE_NOTADB, 0)); // no book of ours
    EXPECT_EQ(sideFiles(dir.path()).size(), 2);
}

// Without flock the table locks through fcntl; a lock refused for another reason than a holder is no "in use".
TEST(SqlTableStorage, WithoutFlockAnFcntlLockKeepsOpensApartAndOnlyAHeldLockIsInUse)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    TSqlTable::CreateTable(file, bookDef());
    for (const int error : {ENOLCK, ENOTSUP, EINVAL}) {
        SCOPED_TRACE(error);
        const auto noFlock = NoFlock(error);
        TSqlTable a(bookDef()), b(bookDef());
        ASSERT_NO_THROW(a.Open(file));
        ASSERT_NO_THROW(b.Open(file));
        EXPECT_EQ(refusal(file, true), QStringLiteral("InUse: ") + FileErrorCause(EWOULDBLOCK));
    }
    const auto noFlock = NoFlock(EIO);
    EXPECT_EQ(refusal(file), QStringLiteral("Other: ") + FileErrorCause(EIO));
}

// Another program (here a child process, as the sqlite3 shell would be) holds the book with a write still open:
// a failed open beside it must not take away the log it commits into, whatever its locking mode. In exclusive
// mode the log is empty and there is no index file until the commit; only the lock on the book shows it is used.
TEST(SqlTableStorage, AFailedOpenNeverRemovesTheLogAnotherProgramIsWritingInEitherLockingMode)
{
    for (const char* mode : {"EXCLUSIVE", "NORMAL"}) {
        SCOPED_TRACE(mode);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/Book.DB");
        TSqlTableDef narrow = bookDef();
        narrow.Fields.pop_back(); // the open here asks for a column this file lacks: refused after the engine opened it
        TSqlTable::CreateTable(file, narrow);
        int ready[2], go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            sqlite3* db = nullptr;
            const QByteArray setup = QByteArray("PRAGMA locking_mode=") + mode +
                                     "; PRAGMA journal_mode=WAL; BEGIN; INSERT INTO Book DEFAULT VALUES;"
                                     " INSERT INTO Book DEFAULT VALUES; INSERT INTO Book DEFAULT VALUES;";
            const bool held = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK &&
                              sqlite3_exec(db, setup.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
            (void)!::write(ready[1], held ? "r" : "x", 1);
            char c;
            (void)!::read(go[0], &c, 1);
            const bool committed = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
            ::_exit(committed ? 0 : 1); // ended without a close, as a killed program ends
        }
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ASSERT_EQ(c, 'r');
        {
            const TEngineSleeps sleeps;
            EXPECT_NE(refusal(file), QStringLiteral("opened"));
            EXPECT_LE(sleeps.Milliseconds(), 1000); // one short wait for the holder, not one per statement
        }
        (void)!::write(go[1], "g", 1);
        EXPECT_EQ(waitChild(child), 0);
        TSqlTable reader(narrow);
        ASSERT_NO_THROW(reader.Open(file));
        EXPECT_EQ(reader.RecordCount(), 3); // the rows the other program committed are there
        for (int fd : {ready[0], ready[1], go[0], go[1]})
            ::close(fd);
    }
}

// Where the engine's locks are refused (a network file system without its lock service) nothing can hold the
// file: a table is said to be unlockable, never "in use".
TEST(SqlTableStorage, AFileSystemWithoutRecordLocksIsNotSaidToBeInUse)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    const auto noLocks = NoEngineLocks(ENOLCK);
    try {
        TSqlTable::CreateTable(file, bookDef());
        ADD_FAILURE() << "made without a lock";
    } catch (const ESqlTableError& e) {
        EXPECT_EQ(e.Kind(), ESqlTableError::TKind::Other);
        EXPECT_EQ(e.Cause(), FileErrorCause(ENOLCK));
    }
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(SqliteErrorCause(SQLITE_BUSY, ENOLCK), FileErrorCause(ENOLCK)); // where the engine keeps the errno
    EXPECT_EQ(SqliteErrorCause(SQLITE_BUSY, 0), FileErrorCause(EWOULDBLOCK));
}

namespace {

// Runs steps as a user who is not root (root writes any file), in a child process; its exit status.
int asPlainUser(const QString& dir, const std::function<int()>& steps)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::chown(QFile::encodeName(dir).constData(), 65534, 65534) != 0 ||
                                 ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        int rc = 101;
        try {
            rc = steps();
        } catch (...) {
        }
        ::_exit(rc);
    }
    return child > 0 ? waitChild(child) : 102;
}

} // namespace

// A book its owner cannot write is refused at its open for that cause, and it leaves no side file behind; side
// files a read-only open of an earlier run left unwritable do not keep the book unwritable once it is mended.
TEST(SqlTableStorage, AReadOnlyBookIsRefusedAtItsOpenAndWritableAgainOnceMended)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    const QByteArray path = QFile::encodeName(file);
    const int rc = asPlainUser(dir.path(), [&] {
        TSqlTable::CreateTable(file, bookDef());
        TSqlTable t(bookDef());
        t.Open(file); // the book is in WAL mode from here on
        t.Close();
        ::chmod(path.constData(), 0400);
        try {
            t.Open(file);
            return 1;
        } catch (const ESqlTableError& e) {
            if (e.Cause() != FileErrorCause(EACCES))
                return 2;
        }
        if (!sideFiles(dir.path()).isEmpty())
            return 3;
        ::chmod(path.constData(), 0600);
        for (const char* side : {"-wal", "-shm"}) { // as a read-only open of an earlier run left them
            if (!WriteFile(file + QLatin1String(side), QByteArray()) ||
                ::chmod((path + side).constData(), 0400) != 0)
                return 4;
        }
        t.Open(file);
        t.Append();
        t.SetString(QStringLiteral("Name"), QStringLiteral("表"));
        t.Post();
        return t.RecordCount() == 1 ? 0 : 5;
    });
    EXPECT_EQ(rc, 0);
}

// A table on storage under pressure without root (the real full disk is in StorageUnderPressure).
#include "platform/FileErrors.h"
#include "platform/BookTable.h"

#include "support/data/DataSupport.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <functional>
#include <iostream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How an open fails, "<kind>: <cause>", or "opened".
QString refusal(const QString& file, bool exclusive = false)
{
    const QString failed = failure([&] { TSqlTable(bookDef()).Open(file, exclusive); });
    return failed.isEmpty() ? QStringLiteral("opened") : failed;
}

QStringList sideFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*-wal"), QStringLiteral("*-shm"), QStringLiteral("*-journal")});
}

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

// Another program (a child here, as the sqlite3 shell) holds the book with a write open: a failed open beside it
// waits once, briefly, and leaves the log that write commits into. In exclusive mode that log is empty and there is
// no index file; only the lock on the book shows it is in use.
TEST(SqlTableStorage, AFailedOpenNeverRemovesTheLogAnotherProgramIsWritingInEitherLockingMode)
{
    // The engine's waits added up through its own sleep, not how long a busy machine took.
    static sqlite3_vfs* vfs = (sqlite3_initialize(), sqlite3_vfs_find(nullptr));
    static const auto realSleep = vfs->xSleep;
    static qint64 sleptUs = 0;
    vfs->xSleep = [](sqlite3_vfs* v, int us) { return sleptUs += us, realSleep(v, us); };
    const auto restore = qScopeGuard([] { vfs->xSleep = realSleep; });
    for (const char* mode : {"EXCLUSIVE", "NORMAL"}) {
        SCOPED_TRACE(mode);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/Book.DB");
        TSqlTableDef narrow = bookDef();
        narrow.Fields.pop_back(); // a column the open asks for is missing: refused after the engine opened it
        TSqlTable::CreateTable(file, narrow);
        int ready[2], go[2];
        ASSERT_TRUE(::pipe(ready) == 0 && ::pipe(go) == 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const QByteArray write = "PRAGMA locking_mode=" + QByteArray(mode) + "; PRAGMA journal_mode=WAL; BEGIN;" +
                                     QByteArray(" INSERT INTO Book DEFAULT VALUES;").repeated(3);
            sqlite3* db = nullptr;
            const bool held = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK &&
                              sqlite3_exec(db, write.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
            char c = held ? 'r' : 'x';
            (void)!::write(ready[1], &c, 1);
            (void)!::read(go[0], &c, 1);
            ::_exit(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr)); // no close, as a killed program ends
        }
        char c = 0;
        ASSERT_TRUE(::read(ready[0], &c, 1) == 1 && c == 'r');
        sleptUs = 0;
        EXPECT_NE(refusal(file), QStringLiteral("opened"));
        EXPECT_LE(sleptUs, 1000000); // one short wait for the holder, not one per statement
        (void)!::write(go[1], "g", 1);
        EXPECT_EQ(waitChild(child), 0);
        TSqlTable reader(narrow);
        reader.Open(file);
        EXPECT_EQ(reader.RecordCount(), 3); // the rows the other program committed
        for (int fd : {ready[0], ready[1], go[0], go[1]})
            ::close(fd);
    }
}

// A book its owner cannot write is refused at its open for that cause and leaves no side file; side files an
// earlier read-only open left unwritable do not keep the mended book unwritable. As a plain user: root writes all.
TEST(SqlTableStorage, AReadOnlyBookIsRefusedAtItsOpenAndWritableAgainOnceMended)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    const QByteArray path = QFile::encodeName(file);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534) != 0 ||
                                 ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        try {
            TSqlTable::CreateTable(file, bookDef());
            TSqlTable t(bookDef());
            t.Open(file); // in WAL mode from here on
            t.Close();
            ::chmod(path.constData(), 0400);
            if (refusal(file) != QStringLiteral("Other: ") + FileErrorCause(EACCES) || !sideFiles(dir.path()).isEmpty())
                ::_exit(1);
            ::chmod(path.constData(), 0600);
            for (const char* side : {"-wal", "-shm"}) // as a read-only open of an earlier run left them
                if (!WriteFile(file + QLatin1String(side), {}) || ::chmod((path + side).constData(), 0400) != 0)
                    ::_exit(2);
            t.Open(file);
            t.Append();
            t.SetString(QStringLiteral("Name"), QStringLiteral("表"));
            t.Post();
            ::_exit(t.RecordCount() == 1 ? 0 : 3);
        } catch (...) {
            ::_exit(4);
        }
    }
    EXPECT_EQ(waitChild(child), 0);
}

namespace {

void addRow(TSqlTable& t, const char* name)
{
    t.Append();
    t.SetString(QStringLiteral("Name"), QString::fromUtf8(name));
    t.Post();
}

// "<kind>: <cause>" of a refused write, or "written".
std::string refusedAs(const std::function<void()>& write)
{
    try {
        write();
    } catch (const ESqlTableError& e) {
        const char* kinds[] = {"Other", "InUse", "Damaged", "Moved"};
        return kinds[int(e.Kind())] + (QStringLiteral(": ") + e.Cause()).toStdString();
    }
    return "written";
}

// The rows a fresh open finds, "表|ソ", or what refused the open; with an integrity check of the engine.
std::string rowsOf(const QString& file)
{
    try {
        TSqlTable t(bookDef());
        t.Open(file);
        QStringList out;
        for (t.First(); !t.Eof(); t.Next())
            out << t.AsString(QStringLiteral("Name"));
        return out.join(u'|').toStdString();
    } catch (const ESqlTableError& e) {
        return "refused: " + e.Message().toStdString();
    }
}

std::string integrity(const QString& file)
{
    sqlite3* db = nullptr;
    std::string out = "(no open)";
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* o, int, char** v, char**) { return *static_cast<std::string*>(o) = v[0] ? v[0] : "", 0; }, &out,
            nullptr);
    sqlite3_close(db);
    return out;
}

} // namespace

// "cp backup.DB Book.DB" while the book is open writes the backup into the very file the table holds (no rename, no
// new file): every write is refused as for a replaced file, and neither a fold nor the last close puts the session's
// log into it; the backup's rows stay, byte for byte. Two tables of this process on the book (the list's and the
// record window's) both see it, whichever folded last. Folds of another program sharing the book are no replacement.
TEST(SqlTableStorage, ABackupCopiedIntoTheOpenFileIsNeitherWrittenOverNorFoldedInto)
{
    const std::string moved = (QStringLiteral("Moved: ") + FileMovedCause()).toStdString();
    for (const bool twoTables : {false, true}) {
        SCOPED_TRACE(twoTables);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/Book.DB");
        const QString backup = dir.path() + QStringLiteral("/backup.DB");
        TSqlTable::CreateTable(file, bookDef());
        TSqlTable t(bookDef()), record(bookDef());
        t.Open(file);
        addRow(t, "表");
        addRow(t, "ソ");
        QCoreApplication::processEvents(); // idle: the file alone is whole
        ASSERT_EQ(QProcess::execute(QStringLiteral("cp"), {file, backup}), 0);
        sqlite3* shell = nullptr; // another program sharing the book, folding its own writes
        ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &shell), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(shell, "INSERT INTO Book(Name) VALUES('他'); PRAGMA wal_checkpoint", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        sqlite3_close(shell);
        EXPECT_EQ(refusedAs([&] { addRow(t, "能"); }), "written");
        // A mode mended by hand moves the change time alone: nothing was replaced.
        ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        EXPECT_EQ(refusedAs([&] { addRow(t, "力"); }), "written");
        TSqlTable& last = twoTables ? record : t; // the table that writes and folds just before the copy
        if (twoTables)
            record.Open(file);
        for (int i = 0; i < 40; ++i)
            addRow(last, "予予予予予予予予予予");
        QCoreApplication::processEvents();
        ASSERT_EQ(QProcess::execute(QStringLiteral("cp"), {backup, file}), 0);
        const QByteArray restored = ReadFile(file);

        EXPECT_EQ(refusedAs([&] { addRow(t, "構"); }), moved);
        t.Cancel();
        EXPECT_EQ(refusedAs([&] { t.StartTransaction(); }), moved);
        EXPECT_EQ(refusedAs([&] {
                      t.First();
                      t.Edit();
                      t.SetString(QStringLiteral("Name"), QStringLiteral("暴"));
                      t.Post();
                  }),
                  moved);
        t.Cancel();
        EXPECT_EQ(refusedAs([&] { t.Delete(); }), moved);
        QCoreApplication::processEvents();
        t.Close();
        record.Close();
        EXPECT_EQ(ReadFile(file), restored);
        EXPECT_EQ(rowsOf(file), "表|ソ");
        EXPECT_EQ(integrity(file), "ok");
        EXPECT_EQ(TSqlTable::TakeSetAsideLogs().size(), 2); // the session's log, kept beside it
        t.Open(file);
        addRow(t, "新");
        EXPECT_EQ(rowsOf(file), "表|ソ|新");
    }
}

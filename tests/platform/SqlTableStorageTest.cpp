// A table on storage under pressure without root (the real full disk is in StorageUnderPressure).
#include "platform/FileErrors.h"
#include "platform/SqlTable.h"

#include "support/data/DataSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>

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

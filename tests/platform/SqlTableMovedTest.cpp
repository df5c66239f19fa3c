// A book's file renamed over, deleted or replaced under an open table; logs
// left beside a file that is not theirs; the file alone whole once idle.
#include "platform/BookTable.h"
#include "platform/FileErrors.h"

#include "support/data/DataSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void add(TSqlTable& t, const char* name)
{
    t.Append();
    t.SetString(QStringLiteral("Name"), QString::fromUtf8(name));
    t.Post();
}

// A closed book of its own holding rows.
void makeBook(const QString& file, std::initializer_list<const char*> rows)
{
    TSqlTable::CreateTable(file, bookDef());
    TSqlTable t(bookDef());
    t.Open(file);
    for (const char* r : rows)
        add(t, r);
}

// The rows a fresh open of file finds, "表|ソ"; with copy, of a copy of the file alone, as "cp" takes it.
std::string names(const QString& file, const QString& copy = QString())
{
    if (!copy.isEmpty() && !WriteFile(copy, ReadFile(file)))
        return "(not copied)";
    TSqlTable t(bookDef());
    t.Open(copy.isEmpty() ? file : copy);
    QStringList out;
    for (t.First(); !t.Eof(); t.Next())
        out << t.AsString(QStringLiteral("Name"));
    return out.join(u'|').toStdString();
}

} // namespace

// Another book renamed over the open one (a sync tool, a restore), a copy of itself taken before its last save
// renamed over it, the file deleted: every way of writing is refused, the file in its place keeps its bytes, the
// old log is set aside (never replayed onto that file), and the book goes on in the file in place.
TEST(SqlTableMoved, WritesIntoAFileNoLongerAtItsPathAreRefusedAndItsLogIsSetAsideNotReplayed)
{
    enum { Other, Copy, Deleted };
    for (const int change : {Other, Copy, Deleted}) {
        SCOPED_TRACE(change);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/Book.DB"), other = dir.path() + QStringLiteral("/Other.DB");
        makeBook(other, {"他の表"});
        makeBook(file, {});
        TSqlTable t(bookDef());
        t.Open(file);
        add(t, "表");
        add(t, "ソ");
        QCoreApplication::processEvents(); // idle: the file alone is whole, as a backup copies it
        if (change == Copy) {
            ASSERT_EQ(names(file, other), "表|ソ");
        }
        add(t, "能");
        QCoreApplication::processEvents();
        t.StartTransaction(); // a bulk run under way when the file goes
        add(t, "予");
        const QByteArray path = QFile::encodeName(file);
        ASSERT_EQ(change == Deleted ? ::unlink(path.constData())
                                    : ::rename(QFile::encodeName(other).constData(), path.constData()),
                  0);
        const QByteArray inPlace = ReadFile(file);
        const std::function<void()> writes[] = {[&] { t.Commit(); }, [&] { add(t, "構"); },
                                                [&] { t.StartTransaction(); }, [&] { t.First(), t.Delete(); }};
        for (const auto& write : writes) {
            EXPECT_EQ(failure(write), QStringLiteral("Moved: ") + FileMovedCause());
            EXPECT_FALSE(t.InTransaction());
            t.Cancel();
        }
        EXPECT_EQ(ReadFile(file), inPlace);
        t.Close();
        EXPECT_FALSE(QFile::exists(file + QStringLiteral("-wal"))); // no other program's open takes it in either

        if (change == Deleted) // the next start makes the book anew, beside the old log
            TSqlTable::CreateTable(file, bookDef());
        const std::string held = change == Other ? "他の表|" : change == Copy ? "表|ソ|" : "";
        EXPECT_EQ(TSqlTable::TakeSetAsideLogs().size(), 2); // named by the start's message (Startup)
        t.Open(file);
        add(t, "新");
        QCoreApplication::processEvents();
        EXPECT_EQ(names(file, dir.path() + QStringLiteral("/Backup.DB")), held + "新");
    }
}

// A log its own file could have written is taken in as ever: one killed before the log was folded, after, or
// folded in part while a reader was in the way. Another file renamed over such a log after its last write gets
// none of it, nor does a new file made where the old one is gone; the set-aside log keeps its bytes. While the
// program that wrote it still runs, the file put in place is not opened with it and the log stays where it is.
TEST(SqlTableMoved, ALogIsTakenOnlyIntoAFileItCouldBelongTo)
{
    enum { NotFolded, Folded, PartlyFolded };
    enum { Own, OtherAfter, Gone, OtherWhileItsProgramRuns };
    for (const int fold : {NotFolded, Folded, PartlyFolded}) {
        for (const int put : {Own, OtherAfter, Gone, OtherWhileItsProgramRuns}) {
            SCOPED_TRACE(fold * 10 + put);
            QTemporaryDir dir;
            const QString file = dir.path() + QStringLiteral("/Book.DB"), other = dir.path() + QStringLiteral("/Other.DB");
            const QByteArray wal = QFile::encodeName(file + QStringLiteral("-wal"));
            makeBook(file, {"能"});
            makeBook(other, {"他"});
            int ready[2], go[2];
            ASSERT_TRUE(::pipe(ready) == 0 && ::pipe(go) == 0);
            const pid_t child = ::fork();
            if (child == 0) { // killed after its writes, without a close, or closing when told
                sqlite3 *db = nullptr, *reader = nullptr;
                const auto run = [](sqlite3* c, const char* sql) { return !sqlite3_exec(c, sql, nullptr, nullptr, nullptr); };
                bool ok = !sqlite3_open(file.toUtf8().constData(), &db) && run(db, "INSERT INTO Book(Name) VALUES('表'),('ソ')");
                if (fold == PartlyFolded) // the reader keeps the fold from the next write's pages
                    ok = ok && !sqlite3_open(file.toUtf8().constData(), &reader) &&
                         run(reader, "BEGIN; SELECT count(*) FROM Book") && run(db, "INSERT INTO Book(Name) VALUES('十')");
                char c = ok && (fold == NotFolded || run(db, "PRAGMA wal_checkpoint(PASSIVE)")) ? 0 : 1;
                if (put == OtherWhileItsProgramRuns && ::write(ready[1], &c, 1) == 1 && ::read(go[0], &c, 1) == 1)
                    ::_exit(sqlite3_close_v2(reader) | sqlite3_close_v2(db));
                ::_exit(c);
            }
            if (put == OtherWhileItsProgramRuns) {
                char c = 1;
                ASSERT_TRUE(::read(ready[0], &c, 1) == 1 && c == 0);
            } else {
                ASSERT_EQ(waitChild(child), 0);
            }
            const QByteArray log = ReadFile(QFile::decodeName(wal));
            if (put == OtherAfter || put == OtherWhileItsProgramRuns) { // the log last written a while before
                const timespec before[2] = {{::time(nullptr) - 60, 0}, {::time(nullptr) - 60, 0}};
                ASSERT_EQ(::utimensat(AT_FDCWD, wal.constData(), before, 0), 0);
                ASSERT_TRUE(QFile::remove(file) && QFile::rename(other, file));
            } else if (put == Gone) {
                ASSERT_TRUE(QFile::remove(file));
                TSqlTable::CreateTable(file, bookDef());
            }
            if (put == OtherWhileItsProgramRuns) {
                EXPECT_EQ(failure([&] { TSqlTable(bookDef()).Open(file); }),
                          QStringLiteral("InUse: ") + FileErrorCause(EWOULDBLOCK));
                EXPECT_EQ(ReadFile(QFile::decodeName(wal)), log);
                ASSERT_EQ(::write(go[1], "g", 1), 1);
                EXPECT_EQ(waitChild(child), 0);
            }
            const std::string own = fold == PartlyFolded ? "能|表|ソ|十" : "能|表|ソ";
            EXPECT_EQ(names(file), put == Own ? own : put == Gone ? "" : "他");
            const QStringList aside = TSqlTable::TakeSetAsideLogs();
            EXPECT_EQ(aside.size(), put == Own ? 0 : 2);
            EXPECT_EQ(put == Own ? log : ReadFile(aside.value(0)), log);
            for (int fd : {ready[0], ready[1], go[0], go[1]})
                ::close(fd);
        }
    }
}

// A bulk run's rows are in the file alone once the program is idle, as a plain copy takes it (single saves:
// WritesIntoAFile...); a reader of another connection in the way only puts that off until it is gone.
TEST(SqlTableMoved, TheFileAloneHoldsEverySavedRowOnceIdle)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB"), copy = dir.path() + QStringLiteral("/Copy.DB");
    makeBook(file, {});
    TSqlTable t(bookDef());
    t.Open(file);
    t.StartTransaction();
    for (int i = 0; i < 300; ++i)
        add(t, "構");
    t.Commit();
    QCoreApplication::processEvents();
    EXPECT_EQ(names(file, copy), "構" + QString(QStringLiteral("|構")).repeated(299).toStdString());

    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Book", nullptr, nullptr, nullptr), SQLITE_OK);
    add(t, "暴");
    QCoreApplication::processEvents();
    EXPECT_FALSE(names(file, copy).ends_with("|暴")); // the reader still needs the file as it was
    sqlite3_close_v2(reader);
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(file, copy).ends_with("|暴"); }));
}

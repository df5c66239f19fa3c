// A book's file renamed over, deleted or replaced under an open table; logs
// left beside a file that is not theirs; the file alone whole once idle.
#include "platform/FileErrors.h"
#include "platform/SqlTable.h"

#include "support/data/DataSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
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

void add(TSqlTable& t, const QString& name)
{
    t.Append();
    t.SetString(QStringLiteral("Name"), name);
    t.Post();
}

// The rows a fresh open of file finds, in order: "表|ソ".
std::string names(const QString& file)
{
    TSqlTable t(bookDef());
    t.Open(file);
    QStringList out;
    for (t.First(); !t.Eof(); t.Next())
        out << t.AsString(QStringLiteral("Name"));
    return out.join(u'|').toStdString();
}

// A book of its own holding rows, closed.
void makeBook(const QString& file, const QStringList& rows)
{
    TSqlTable::CreateTable(file, bookDef());
    TSqlTable t(bookDef());
    t.Open(file);
    for (const QString& r : rows)
        add(t, r);
}

// The program waits for its user: what it left for then is done.
void idle()
{
    QCoreApplication::processEvents();
}

// "<kind>: <cause>" of a refused write, or "written".
std::string refusal(const std::function<void()>& write)
{
    try {
        write();
    } catch (const ESqlTableError& e) {
        const char* kinds[] = {"Other", "InUse", "Damaged", "Moved"};
        return kinds[int(e.Kind())] + (QStringLiteral(": ") + e.Cause()).toStdString();
    }
    return "written";
}

// Rows of a copy of the file alone, as "cp Book.DB" takes it.
std::string namesOfCopy(const QString& file, const QString& copy)
{
    EXPECT_TRUE(WriteFile(copy, ReadFile(file)));
    EXPECT_FALSE(QFile::exists(copy + QStringLiteral("-wal")));
    return names(copy);
}

QStringList asideIn(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*.set-aside-*")}, QDir::Files, QDir::Name);
}

int waitChild(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kMoved = (QStringLiteral("Moved: ") + FileMovedCause()).toStdString();

} // namespace

// Another book renamed over the open one (a sync tool, a restore), a copy of itself taken before its last save
// renamed over it, the file deleted: every write is refused, the file in its place keeps its bytes, and the old
// log is set aside, never replayed onto that file.
TEST(SqlTableMoved, WritesIntoAFileNoLongerAtItsPathAreRefusedAndItsLogIsSetAsideNotReplayed)
{
    enum { Other, Copy, Deleted };
    for (const int change : {Other, Copy, Deleted}) {
        SCOPED_TRACE(change);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/Book.DB");
        const QString other = dir.path() + QStringLiteral("/Other.DB");
        makeBook(other, {QStringLiteral("他の表")});
        TSqlTable::CreateTable(file, bookDef());
        TSqlTable t(bookDef());
        t.Open(file);
        add(t, QStringLiteral("表"));
        add(t, QStringLiteral("ソ"));
        idle();
        if (change == Copy) { // the file alone, as a backup copies it
            ASSERT_TRUE(WriteFile(other, ReadFile(file)));
        }
        add(t, QStringLiteral("能"));
        idle();
        t.StartTransaction(); // a bulk run under way when the file goes
        add(t, QStringLiteral("予"));
        const QByteArray path = QFile::encodeName(file);
        ASSERT_EQ(change == Deleted ? ::unlink(path.constData()) : ::rename(QFile::encodeName(other).constData(), path.constData()),
                  0);
        const QByteArray inPlace = change == Deleted ? QByteArray() : ReadFile(file);

        EXPECT_EQ(refusal([&] { t.Commit(); }), kMoved);
        EXPECT_FALSE(t.InTransaction());
        EXPECT_EQ(refusal([&] { add(t, QStringLiteral("構")); }), kMoved);
        t.Cancel();
        EXPECT_EQ(refusal([&] { t.StartTransaction(); }), kMoved);
        EXPECT_FALSE(t.InTransaction());
        t.First();
        EXPECT_EQ(refusal([&] {
                      t.Edit();
                      t.SetString(QStringLiteral("Name"), QStringLiteral("暴"));
                      t.Post();
                  }),
                  kMoved);
        t.Cancel();
        EXPECT_EQ(refusal([&] { t.Delete(); }), kMoved);
        EXPECT_EQ(change == Deleted ? QByteArray() : ReadFile(file), inPlace);
        t.Close();

        if (change == Deleted) // the next start makes the book anew, beside the old log
            TSqlTable::CreateTable(file, bookDef());
        const std::string held = change == Other ? "他の表" : change == Copy ? "表|ソ" : "";
        EXPECT_EQ(names(file), held);
        const QStringList aside = TSqlTable::TakeSetAsideLogs();
        EXPECT_FALSE(aside.isEmpty());
        EXPECT_EQ(asideIn(dir.path()).size(), aside.size());
        for (const QString& name : aside)
            EXPECT_TRUE(name.startsWith(file + QStringLiteral("-wal.set-aside-")) ||
                        name.startsWith(file + QStringLiteral("-shm.set-aside-")))
                << name.toStdString();
        // The book goes on: a save lands in the file in place, whole in it once idle.
        t.Open(file);
        add(t, QStringLiteral("新"));
        idle();
        EXPECT_EQ(namesOfCopy(file, dir.path() + QStringLiteral("/Backup.DB")), held + (held.empty() ? "新" : "|新"));
        EXPECT_TRUE(TSqlTable::TakeSetAsideLogs().isEmpty());
    }
}

// A log its own file could have written is taken in as ever: one killed before the log was folded, one killed
// after, one folded in part while a reader was in the way. Another file renamed over such a log after its last
// write gets none of it; so does a new file made where the old one is gone. Set-aside logs keep their bytes.
TEST(SqlTableMoved, ALogIsTakenOnlyIntoAFileItCouldBelongTo)
{
    enum { NotFolded, Folded, PartlyFolded };
    const auto killedWriting = [](const QString& file, int fold) {
        const pid_t child = ::fork();
        if (child == 0) {
            sqlite3 *db = nullptr, *reader = nullptr;
            const auto run = [](sqlite3* c, const char* sql) { return sqlite3_exec(c, sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
            bool ok = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK &&
                      run(db, "INSERT INTO Book(Name) VALUES('表'),('ソ')");
            if (fold == PartlyFolded) // the reader keeps the fold from the next write's pages
                ok = ok && sqlite3_open(file.toUtf8().constData(), &reader) == SQLITE_OK &&
                     run(reader, "BEGIN; SELECT count(*) FROM Book") && run(db, "INSERT INTO Book(Name) VALUES('十')");
            ok = ok && (fold == NotFolded || run(db, "PRAGMA wal_checkpoint(PASSIVE)"));
            ::_exit(ok ? 0 : 1); // no close, as a killed program ends
        }
        return waitChild(child);
    };
    enum { Own, OtherAfter, Gone };
    for (const int fold : {NotFolded, Folded, PartlyFolded}) {
        for (const int put : {Own, OtherAfter, Gone}) {
            SCOPED_TRACE(QStringLiteral("fold %1, case %2").arg(fold).arg(put).toStdString());
            QTemporaryDir dir;
            const QString file = dir.path() + QStringLiteral("/Book.DB");
            makeBook(file, {QStringLiteral("能")});
            makeBook(dir.path() + QStringLiteral("/Other.DB"), {QStringLiteral("他")});
            ASSERT_EQ(killedWriting(file, fold), 0);
            const QString wal = file + QStringLiteral("-wal");
            const QByteArray log = ReadFile(wal);
            ASSERT_GT(log.size(), 0);
            if (put == OtherAfter) {
                // The log's last write a while before the other file is put in its file's place.
                const timespec before[2] = {{::time(nullptr) - 60, 0}, {::time(nullptr) - 60, 0}};
                ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(wal).constData(), before, 0), 0);
                ASSERT_EQ(::rename(QFile::encodeName(dir.path() + QStringLiteral("/Other.DB")).constData(),
                                   QFile::encodeName(file).constData()),
                          0);
            }
            if (put == Gone) {
                ASSERT_TRUE(QFile::remove(file));
                TSqlTable::CreateTable(file, bookDef());
            }
            const std::string rows = names(file);
            const QStringList aside = TSqlTable::TakeSetAsideLogs();
            if (put == Own) {
                EXPECT_EQ(rows, fold == PartlyFolded ? "能|表|ソ|十" : "能|表|ソ");
                EXPECT_TRUE(aside.isEmpty());
            } else {
                EXPECT_EQ(rows, put == OtherAfter ? "他" : "");
                ASSERT_FALSE(aside.isEmpty());
                EXPECT_EQ(ReadFile(aside.value(0)), log);
            }
        }
    }
}

// Another program still has the old file open and uses its log: the file put in its place is not opened with that
// log, and the log stays where it is until the program ends.
TEST(SqlTableMoved, ALogAProgramStillUsesForAnotherFileIsNeitherSharedNorMoved)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    makeBook(file, {QStringLiteral("表")});
    makeBook(dir.path() + QStringLiteral("/Other.DB"), {QStringLiteral("他")});
    int ready[2], go[2];
    ASSERT_TRUE(::pipe(ready) == 0 && ::pipe(go) == 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, "INSERT INTO Book(Name) VALUES('ソ'); PRAGMA wal_checkpoint(PASSIVE)", nullptr,
                                     nullptr, nullptr) == SQLITE_OK;
        char c = ok ? 'r' : 'x';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(go[0], &c, 1);
        ::_exit(sqlite3_close(db) == SQLITE_OK ? 0 : 1);
    }
    char c = 0;
    ASSERT_TRUE(::read(ready[0], &c, 1) == 1 && c == 'r');
    ASSERT_TRUE(QFile::remove(file) && QFile::rename(dir.path() + QStringLiteral("/Other.DB"), file));
    const QByteArray log = ReadFile(file + QStringLiteral("-wal"));
    TSqlTable t(bookDef());
    EXPECT_EQ(refusal([&] { t.Open(file); }), (QStringLiteral("InUse: ") + FileErrorCause(EWOULDBLOCK)).toStdString());
    EXPECT_EQ(ReadFile(file + QStringLiteral("-wal")), log);
    EXPECT_TRUE(asideIn(dir.path()).isEmpty());
    (void)!::write(go[1], "g", 1);
    EXPECT_EQ(waitChild(child), 0);
    EXPECT_EQ(names(file), "他");
    EXPECT_EQ(TSqlTable::TakeSetAsideLogs().size(), 2);
    for (int fd : {ready[0], ready[1], go[0], go[1]})
        ::close(fd);
}

// Saved rows, changes and deletes are in the file alone once the program is idle, as a plain copy of it takes it;
// a reader of another connection in the way only puts that off until it is gone.
TEST(SqlTableMoved, TheFileAloneHoldsEverySavedRowOnceIdle)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    const QString copy = dir.path() + QStringLiteral("/Copy.DB");
    TSqlTable::CreateTable(file, bookDef());
    TSqlTable t(bookDef());
    t.Open(file);
    for (const char* name : {"表", "ソ", "能"})
        add(t, QString::fromUtf8(name));
    idle();
    EXPECT_EQ(namesOfCopy(file, copy), "表|ソ|能");

    t.First();
    t.Edit();
    t.SetString(QStringLiteral("Name"), QStringLiteral("十"));
    t.Post();
    t.Last();
    t.Delete();
    t.StartTransaction();
    for (int i = 0; i < 300; ++i)
        add(t, QStringLiteral("予%1").arg(i));
    t.Commit();
    idle();
    const QStringList whole = QString::fromStdString(namesOfCopy(file, copy)).split(u'|');
    EXPECT_EQ(whole.size(), 302);
    EXPECT_EQ(whole.mid(0, 2).join(u'|').toStdString(), "十|ソ");

    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Book", nullptr, nullptr, nullptr), SQLITE_OK);
    add(t, QStringLiteral("構"));
    idle();
    EXPECT_FALSE(namesOfCopy(file, copy).ends_with("|構")); // the reader still needs the file as it was
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    EXPECT_TRUE(QTest::qWaitFor([&] { return WriteFile(copy, ReadFile(file)) && names(copy).ends_with("|構"); }));
}

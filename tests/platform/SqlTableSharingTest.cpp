// Two programs on one book, bulk writes row by row, a table made whole or
// not at all, and the modes of the files a table leaves.
#include "platform/SqlTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TSqlTableDef bookDef()
{
    TSqlTableDef d;
    d.TableName = QStringLiteral("Book");
    d.Fields = {{QStringLiteral("RecNo"), TSqlFieldType::AutoInc},
                {QStringLiteral("Name"), TSqlFieldType::Text, 10},
                {QStringLiteral("Count"), TSqlFieldType::Integer},
                {QStringLiteral("Memo"), TSqlFieldType::Memo}};
    d.Indexes = {{QStringLiteral("Name"), {QStringLiteral("Name")}}};
    return d;
}

void add(TSqlTable& t, const QString& name, int count = 0)
{
    t.Append();
    t.SetString(QStringLiteral("Name"), name);
    t.SetInteger(QStringLiteral("Count"), count);
    t.Post();
}

QStringList names(const QString& file)
{
    TSqlTable t(bookDef());
    t.Open(file);
    QStringList out;
    for (t.First(); !t.Eof(); t.Next())
        out << t.AsString(QStringLiteral("Name")) + u'/' + QString::number(t.AsInteger(QStringLiteral("Count"))) +
                   u'/' + t.AsString(QStringLiteral("Memo"));
    return out;
}

// A new, empty book in dir.
QString newBook(const QTemporaryDir& dir)
{
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    TSqlTable::CreateTable(file, bookDef());
    return file;
}

int waitChild(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

unsigned mode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0xFFFFu;
}

} // namespace

TEST(SqlTableSharing, TwoProcessesEditingOneRowTheSecondPostFailsAndNothingIsLost)
{
    QTemporaryDir dir;
    const QString file = newBook(dir);
    TSqlTable mine(bookDef());
    mine.Open(file);
    add(mine, QStringLiteral("表ソ"), 1);
    add(mine, QStringLiteral("他"), 7);

    // This program reads the row and starts editing it...
    ASSERT_TRUE(mine.Locate(QStringLiteral("Name"), QStringLiteral("表ソ")));
    mine.Edit();
    mine.SetInteger(QStringLiteral("Count"), 2);

    // ...while another program on the same book changes one column of it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int rc = 1;
        try {
            TSqlTable other(bookDef());
            other.Open(file);
            if (other.Locate(QStringLiteral("Name"), QStringLiteral("表ソ"))) {
                other.Edit();
                other.SetString(QStringLiteral("Memo"), QStringLiteral("変更\r\n"));
                other.Post();
                rc = 0;
            }
        } catch (...) {
        }
        ::_exit(rc);
    }
    ASSERT_EQ(waitChild(child), 0);

    try {
        mine.Post();
        FAIL() << "a post over a row changed since Edit succeeded";
    } catch (const ESqlTableError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("データが他で変更されています"))) << e.Message().toStdString();
    }
    EXPECT_EQ(mine.State(), TSqlTable::TState::Edit); // the edit is still there to cancel
    mine.Cancel();
    EXPECT_EQ(names(file), QStringList({QStringLiteral("表ソ/1/変更\r\n"), QStringLiteral("他/7/")}));

    // Read again, the same edit goes through; a row left alone is untouched.
    ASSERT_TRUE(mine.Locate(QStringLiteral("Name"), QStringLiteral("表ソ")));
    mine.Edit();
    mine.SetInteger(QStringLiteral("Count"), 2);
    mine.Post();
    EXPECT_EQ(names(file), QStringList({QStringLiteral("表ソ/2/変更\r\n"), QStringLiteral("他/7/")}));
}

TEST(SqlTableSharing, AReaderIsNotStoppedByAWriterOfAnotherProcess)
{
    QTemporaryDir dir;
    const QString file = newBook(dir);
    {
        TSqlTable t(bookDef());
        t.Open(file);
        add(t, QStringLiteral("一"));
    }
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A writer in the middle of a bulk write that holds the file for itself.
        int rc = 1;
        try {
            TSqlTable w(bookDef());
            w.Open(file);
            sqlite3* db = nullptr;
            sqlite3_open(file.toUtf8().constData(), &db);
            if (sqlite3_exec(db, "BEGIN EXCLUSIVE; INSERT INTO Book(Name) VALUES('二');", nullptr, nullptr, nullptr) ==
                SQLITE_OK) {
                rc = 0;
                (void)!::write(ready[1], "r", 1);
                char c;
                (void)!::read(done[0], &c, 1);
                sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            } else {
                (void)!::write(ready[1], "x", 1);
            }
            sqlite3_close(db);
        } catch (...) {
        }
        ::_exit(rc);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'r');
    QElapsedTimer timer;
    timer.start();
    QStringList seen;
    try {
        seen = names(file);
    } catch (const ESqlTableError& e) {
        ADD_FAILURE() << e.Message().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(seen, QStringList({QStringLiteral("一/0/")})); // the writer's row is not committed yet
    (void)!::write(done[1], "d", 1);
    EXPECT_EQ(waitChild(child), 0);
    EXPECT_EQ(names(file), QStringList({QStringLiteral("一/0/"), QStringLiteral("二/0/")}));
    for (int fd : {ready[0], ready[1], done[0], done[1]})
        ::close(fd);
}

TEST(SqlTableCreate, AnEmptyFileGetsItsTableAndEveryFileIsTheOwnersOnly)
{
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(0); // the modes must not depend on the umask
    const QString file = dir.path() + QStringLiteral("/sub/Book.DB");
    // A kill while a table was first made could leave an empty file.
    ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral("/sub")));
    {
        QFile empty(file);
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    {
        TSqlTable t(bookDef());
        ASSERT_NO_THROW(t.Open(file));
        add(t, QStringLiteral("表"));
        EXPECT_EQ(mode(file), 0600u);
        EXPECT_EQ(mode(dir.path() + QStringLiteral("/sub/Book.lck")), 0600u);
        EXPECT_EQ(mode(file + QStringLiteral("-wal")), 0600u);
        EXPECT_EQ(mode(file + QStringLiteral("-shm")), 0600u);
    }
    EXPECT_EQ(names(file), QStringList({QStringLiteral("表/0/")}));
    EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral("-wal"))); // the last close folds the log in

    // CreateTable on a file that holds the table leaves its rows alone; a
    // new file and the folders made for it are the owner's only.
    TSqlTable::CreateTable(file, bookDef());
    EXPECT_EQ(names(file), QStringList({QStringLiteral("表/0/")}));
    const QString deep = dir.path() + QStringLiteral("/a/b/New.DB");
    TSqlTable::CreateTable(deep, bookDef());
    EXPECT_EQ(mode(deep), 0600u);
    EXPECT_EQ(mode(dir.path() + QStringLiteral("/a")), 0700u);
    EXPECT_EQ(mode(dir.path() + QStringLiteral("/a/b")), 0700u);
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/a/b")).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("New.DB")})); // nothing built beside it is left
    ::umask(oldMask);
}

TEST(SqlTableCreate, AKilledCreationNeverLeavesAFileWithoutItsTable)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/Book.DB");
    std::srand(12);
    for (int i = 0; i < 30; ++i) {
        QFile::remove(file);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                TSqlTable::CreateTable(file, bookDef());
            } catch (...) {
            }
            ::_exit(0);
        }
        ::usleep(useconds_t(std::rand() % 4000));
        ::kill(child, SIGKILL);
        waitChild(child);
        if (QFileInfo::exists(file)) {
            TSqlTable t(bookDef());
            ASSERT_NO_THROW(t.Open(file)) << "try " << i;
            EXPECT_EQ(t.RecordCount(), 0);
        }
    }
}

// The sqlite3 shell killed after its commits, with its automatic fold off: the log it leaves is the book's own and
// is taken in whole. The book's folder renamed or deleted under an open table: writes are refused, nothing is
// deleted, and the renamed folder's book opens with every row saved before.
TEST(SqlTableSharing, AKilledShellsLogIsTakenInAndAFolderGoneUnderATableLosesNothing)
{
    QTemporaryDir dir;
    const QString file = newBook(dir);
    const pid_t shell = ::fork();
    ASSERT_GE(shell, 0);
    if (shell == 0) {
        const QByteArray sql = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                               "INSERT INTO Book(Name) VALUES('表'); INSERT INTO Book(Name) VALUES('ソ');";
        ::execlp("sqlite3", "sqlite3", QFile::encodeName(file).constData(), sql.constData(), ".shell kill -9 $PPID",
                 nullptr);
        ::_exit(127);
    }
    EXPECT_EQ(waitChild(shell), 128 + SIGKILL);
    ASSERT_GT(QFileInfo(file + QStringLiteral("-wal")).size(), 0);
    EXPECT_EQ(names(file), QStringList({QStringLiteral("表/0/"), QStringLiteral("ソ/0/")}));
    EXPECT_TRUE(TSqlTable::TakeSetAsideLogs().isEmpty());

    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted);
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/アドレス");
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString book = folder + QStringLiteral("/Book.DB");
        TSqlTable::CreateTable(book, bookDef());
        TSqlTable t(bookDef());
        t.Open(book);
        add(t, QStringLiteral("能"));
        ASSERT_TRUE(deleted ? QDir(folder).removeRecursively()
                            : QDir().rename(folder, root.path() + QStringLiteral("/移動")));
        EXPECT_THROW(add(t, QStringLiteral("予")), ESqlTableError);
        t.Cancel();
        EXPECT_THROW(t.StartTransaction(), ESqlTableError);
        EXPECT_THROW(t.Delete(), ESqlTableError);
        t.Close();
        if (!deleted)
            EXPECT_EQ(names(root.path() + QStringLiteral("/移動/Book.DB")), QStringList({QStringLiteral("能/0/")}));
    }
}

#include "platform/SqlTable.h"
#include "platform/SqlTableInternal.h"

#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const auto& quoted = SqlQuoted;

const char* sqlType(TSqlFieldType t)
{
    switch (t) {
    case TSqlFieldType::AutoInc:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case TSqlFieldType::Integer:
    case TSqlFieldType::Boolean:
        return "INTEGER NOT NULL DEFAULT 0";
    case TSqlFieldType::Float:
        return "REAL NOT NULL DEFAULT 0";
    case TSqlFieldType::Text:
        return "TEXT NOT NULL DEFAULT ''";
    case TSqlFieldType::Memo:
        return "TEXT";
    }
    return "TEXT";
}

QString lockFileName(const QString& fileName)
{
    QFileInfo fi(fileName);
    return fi.path() + u'/' + fi.completeBaseName() + QStringLiteral(".lck");
}

// A bulk append of a whole book stays in memory until its commit: the page
// cache is large while a transaction runs, and small again after, its pages
// given back. Held for the connection's life, the large cache kept every
// page the list's load had read (32 MB of a 46 MB book).
const char* const kBulkCache = "PRAGMA cache_size=-32768";
const char* const kIdleCache = "PRAGMA cache_size=-2000";

// How long a statement waits for another connection's lock (ms), and the
// one wait of an open.
constexpr int kBusyWait = 5000;
constexpr int kOpenBusyWait = 1000;

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// The engine's failure on db, with its cause in words a user reads and
// what the caller may act on; its own English text stays in the message.
ESqlTableError engineError(sqlite3* db, const QString& what)
{
    const int code = db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM;
    const int systemErrno = db ? sqlite3_system_errno(db) : 0;
    // A lock the file system refuses is "locked" to the engine too.
    const auto kind = SqliteErrorMeansDamaged(code)                           ? ESqlTableError::TKind::Damaged
                      : SqliteErrorMeansInUse(code) && systemErrno != ENOLCK ? ESqlTableError::TKind::InUse
                                                                              : ESqlTableError::TKind::Other;
    return ESqlTableError(what + QStringLiteral(": ") + QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"),
                          SqliteErrorCause(code, systemErrno, QString::fromUtf8(db ? sqlite3_errmsg(db) : "")), kind,
                          code);
}

// A book opened while it could not be written leaves its side files with
// its mode: read-only files the engine then opens for reading only, so every
// write to the mended book failed until they were deleted by hand. The
// owner's write is given back to the owner's own side files (changing a mode
// takes nothing from a program that has them open).
void mendSideFileModes(const QString& fileName)
{
    struct stat book{};
    if (::stat(QFile::encodeName(fileName).constData(), &book) != 0 || !(book.st_mode & S_IWUSR))
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QByteArray side = QFile::encodeName(fileName) + suffix;
        struct stat st{};
        if (::lstat(side.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            !(st.st_mode & S_IWUSR))
            ::chmod(side.constData(), (st.st_mode | S_IWUSR) & 07777);
    }
}

// Takes an open-file write lock on len bytes from start of fd without
// waiting; false when any connection, of this process or another, holds a
// lock there. Held until fd is closed.
bool lockIdleRange(int fd, off_t start, off_t len)
{
    struct flock lock{};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = len;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Side files of the engine that a failed open may have made (on a full disk
// the log index cannot grow, and the open fails after both were created).
// They are removed only when nothing could be lost: the log is empty, and no
// connection anywhere holds a lock on the book's lock bytes or on the
// index's. The book's lock tells it all: a connection in WAL mode holds one
// there for its whole life, and one in exclusive locking mode keeps its
// index in memory and writes into a log that stays empty until its commit.
// Both ranges stay locked while the files go, so no connection starts on
// them meanwhile. The caller holds the book's lock file alone, so no
// connection of this process has the book open (closing an fd drops this
// process's own record locks on that file).
void removeIdleSideFiles(const QString& fileName)
{
    // The engine's lock bytes of the book: the pending and reserved bytes
    // at 1 GiB and the 510 shared bytes after them.
    constexpr off_t kBookLockBytes = 0x40000000;
    constexpr off_t kBookLockLength = 2 + 510;
    const QByteArray book = QFile::encodeName(fileName);
    const QByteArray wal = QFile::encodeName(fileName + QStringLiteral("-wal"));
    const QByteArray shm = QFile::encodeName(fileName + QStringLiteral("-shm"));
    const int bookFd = ::open(book.constData(), O_RDWR | O_CLOEXEC);
    if (bookFd < 0)
        return;
    const auto closeBook = qScopeGuard([bookFd] { ::close(bookFd); });
    if (!lockIdleRange(bookFd, kBookLockBytes, kBookLockLength))
        return;
    struct stat st{};
    if (::stat(wal.constData(), &st) == 0 && st.st_size > 0)
        return; // committed rows not yet in the book
    const int shmFd = ::open(shm.constData(), O_RDWR | O_CLOEXEC);
    if (shmFd >= 0) {
        // The index's lock bytes: 120 onwards, the last (128) held shared
        // by every live connection that shares the index.
        const bool idle = lockIdleRange(shmFd, 120, 9);
        ::close(shmFd);
        if (!idle)
            return;
    } else if (errno != ENOENT) {
        return;
    }
    ::unlink(wal.constData());
    ::unlink(shm.constData());
}


} // namespace

ESqlTableError::ESqlTableError(const QString& message, const QString& cause, TKind kind, int code)
    : std::runtime_error(message.toStdString()), message_(message), cause_(cause), kind_(kind), code_(code)
{
}

TSqlTable::TSqlTable(TSqlTableDef def) : def_(std::move(def))
{
    QStringList cols;
    for (const auto& f : def_.Fields) {
        cols << quoted(f.Name);
        info_.push_back({f.Type, f.Type == TSqlFieldType::Text || f.Type == TSqlFieldType::Memo,
                         f.Type == TSqlFieldType::Memo || f.Type == TSqlFieldType::AutoInc, f.DigitsOnly, f.Size});
    }
    selectList_ = cols.join(u',');
    selectFrom_ = QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") + quoted(def_.TableName);
}

TSqlTable::~TSqlTable()
{
    Close();
}

namespace
{

QString createSql(const TSqlTableDef& def)
{
    QString sql = QStringLiteral("BEGIN;CREATE TABLE IF NOT EXISTS ") + quoted(def.TableName) + u'(';
    for (size_t i = 0; i < def.Fields.size(); ++i) {
        if (i)
            sql += u',';
        sql += quoted(def.Fields[i].Name) + u' ' + QLatin1String(sqlType(def.Fields[i].Type));
    }
    sql += QStringLiteral(");");
    for (const auto& ix : def.Indexes) {
        QStringList cols;
        for (const auto& f : ix.Fields)
            cols << quoted(f);
        sql += QStringLiteral("CREATE INDEX IF NOT EXISTS ") + quoted(ix.Name) + QStringLiteral(" ON ") +
               quoted(def.TableName) + u'(' + cols.join(u',') + QStringLiteral(");");
    }
    sql += QStringLiteral("COMMIT;");
    return sql;
}

// Adds the table to the file (made when missing, 0600) in one transaction.
// A file of this process's own making (fresh) is known to no other: the
// engine's "locked" there means the file system refuses its locks (a
// network file system without its lock service), which the engine does not
// tell apart from a lock another connection holds.
void createIn(const QString& fileName, const QString& shownName, const TSqlTableDef& def, bool fresh)
{
    if (!CreatePrivateFile(fileName))
        throw ESqlTableError(QStringLiteral("%1 を作成できません").arg(shownName), FileErrorCause(errno));
    const auto refused = [&](sqlite3* db) {
        ESqlTableError error = engineError(db, QStringLiteral("%1 を作成できません").arg(shownName));
        if (fresh && error.Kind() == ESqlTableError::TKind::InUse)
            return ESqlTableError(error.Message(), FileErrorCause(ENOLCK), ESqlTableError::TKind::Other, error.Code());
        return error;
    };
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc != SQLITE_OK)
        throw refused(raw);
    if (sqlite3_exec(db.get(), createSql(def).toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw refused(db.get());
}

// Files "<name>.new-<pid>" are tables being built; one whose process is gone
// was left by a kill and is removed.
void removeAbandonedBuilds(const QFileInfo& target)
{
    QDir dir(target.path());
    const QString prefix = target.fileName() + QStringLiteral(".new-");
    for (const QString& f : dir.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden)) {
        bool ok = false;
        const qint64 pid = f.mid(prefix.size()).section(u'-', 0, 0).toLongLong(&ok);
        if (ok && pid > 0 && (pid == ::getpid() || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)))
            dir.remove(f);
    }
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void TSqlTable::CreateTable(const QString& fileName, const TSqlTableDef& def)
{
    const QFileInfo target(fileName);
    if (!MakePrivateFolder(target.path()))
        throw ESqlTableError(QStringLiteral("%1 を作成できません").arg(fileName), FileErrorCause(errno));
    if (target.exists() && target.size() > 0) {
        createIn(fileName, fileName, def, false); // a table added to a file is one transaction
        return;
    }
    // A new file (or an empty one, left by a kill) is built under another
    // name and renamed into place: it exists with its table or not at all.
    removeAbandonedBuilds(target);
    const QString temp = fileName + QStringLiteral(".new-%1").arg(::getpid());
    try {
        createIn(temp, fileName, def, true);
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal")); // a transaction a full disk stopped
        throw;
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(fileName).constData()) != 0) {
        const int error = errno;
        QFile::remove(temp);
        throw ESqlTableError(QStringLiteral("%1 を作成できません: %2").arg(fileName, QString::fromLocal8Bit(std::strerror(error))),
                             FileErrorCause(error));
    }
    syncFolder(target.path());
}

void TSqlTable::Open(const QString& fileName, bool exclusive)
{
    Close();
    if (!QFileInfo::exists(fileName))
        throw ESqlTableError(QStringLiteral("%1 がありません").arg(fileName), FileErrorCause(ENOENT));

    const QString lockName = lockFileName(fileName);
    const bool madeLock = !QFileInfo::exists(lockName);
    int fd = ::open(QFile::encodeName(lockName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw ESqlTableError(QStringLiteral("%1 をロックできません").arg(fileName), FileErrorCause(errno));
    if (madeLock)
        MakePrivateFile(fd);
    // An empty file is what a kill while the table was first made leaves:
    // it gets its table, by the one open that holds the book alone.
    if (QFileInfo(fileName).size() == 0 && TryLockFile(fd, true) == 0) {
        try {
            if (QFileInfo(fileName).size() == 0)
                CreateTable(fileName, def_);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }
    if (const int error = TryLockFile(fd, exclusive); error != 0) {
        ::close(fd);
        // "In use" only when another open holds the lock; a file system
        // that refuses locks altogether is said as such.
        if (error == EWOULDBLOCK)
            throw ESqlTableError(QStringLiteral("%1 は他で使用中です").arg(fileName), FileErrorCause(EWOULDBLOCK),
                                 ESqlTableError::TKind::InUse);
        throw ESqlTableError(QStringLiteral("%1 をロックできません").arg(fileName), FileErrorCause(error));
    }
    lockFd_ = fd;

    mendSideFileModes(fileName);
    sqlite3* raw = nullptr;
    // One connection per table object, used by one thread: no mutex.
    int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_ = raw;
    fileName_ = fileName;
    if (rc != SQLITE_OK) {
        const ESqlTableError error = engineError(raw, QStringLiteral("%1 を開けません").arg(fileName));
        abandonOpen();
        throw error;
    }
    // The engine opens a book it may not write for reading only, and every
    // later write failed. Refused here, before the engine's first read: that
    // would make the side files, with the book's own mode.
    if (sqlite3_db_readonly(db_, "main") == 1) {
        const int error =
            ::faccessat(AT_FDCWD, QFile::encodeName(fileName).constData(), W_OK, AT_EACCESS) == 0 ? EACCES : errno;
        abandonOpen();
        throw ESqlTableError(QStringLiteral("%1 に書き込めません").arg(fileName), FileErrorCause(error));
    }
    // Two programs can meet on one book. With the write-ahead log a reader
    // is never stopped by a writer (the rollback journal locks the whole
    // file while a write commits, and a reader arriving then got "database
    // is locked"); writers still take turns, waiting up to the busy timeout.
    // The mode is stored in the file; a book another connection holds in the
    // old mode keeps it until the next open.
    // The open itself waits once and briefly: a book held elsewhere is told
    // at once instead of after a wait for every statement of the open.
    sqlite3_busy_timeout(db_, kOpenBusyWait);
    // A double-quoted name that is no column must fail, not turn silently
    // into a string literal (a query on a misspelt column found nothing).
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    if ((sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) & 0xFF) == SQLITE_BUSY)
        sqlite3_busy_timeout(db_, 0); // waited for already
    sqlite3_exec(db_, kIdleCache, nullptr, nullptr, nullptr);
    sqlite3_extended_result_codes(db_, 1);
    try {
        // The file must really hold the table with every field: a damaged or
        // foreign file is refused here instead of failing on the first read.
        sqlite3_stmt* st = prepare(selectFrom() + QStringLiteral(" LIMIT 0"));
        sqlite3_finalize(st);
    } catch (const ESqlTableError& e) {
        // A database without our table or one of its fields is no file of
        // ours; the engine calls that a plain error.
        const bool foreign = (sqlite3_extended_errcode(db_) & 0xFF) == SQLITE_ERROR;
        abandonOpen();
        if (!foreign)
            throw;
        throw ESqlTableError(e.Message(), SqliteErrorCause(SQLITE_NOTADB, 0), ESqlTableError::TKind::Damaged);
    } catch (...) {
        abandonOpen();
        throw;
    }
    sqlite3_busy_timeout(db_, kBusyWait);
    state_ = TState::Browse;
    buf_.assign(def_.Fields.size(), TValue{});
    SetIndexName(QString());
    First();
}

void TSqlTable::Close()
{
    for (auto& c : stmts_)
        sqlite3_finalize(c.stmt);
    stmts_.clear();
    sqlite3_finalize(insertStmt_);
    sqlite3_finalize(updateStmt_);
    insertStmt_ = updateStmt_ = nullptr;
    if (db_) {
        if (inTransaction_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        read_.clear();
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_); // releases the flock
        lockFd_ = -1;
    }
    inTransaction_ = false;
    state_ = TState::Inactive;
    cur_ = 0;
    eof_ = bof_ = true;
}

void TSqlTable::fail(const QString& what)
{
    ESqlTableError error = engineError(db_, QStringLiteral("%1 (%2)").arg(what, QFileInfo(fileName_).fileName()));
    noticeEndedTransaction();
    throw error;
}

void TSqlTable::abandonOpen()
{
    // The lock is kept across the close: side files are removed only while
    // no other open of ours can be using them.
    const int fd = lockFd_;
    lockFd_ = -1;
    const QString fileName = fileName_;
    Close();
    if (fd >= 0) {
        if (!fileName.isEmpty() && TryLockFile(fd, true) == 0)
            removeIdleSideFiles(fileName);
        ::close(fd);
    }
}

void TSqlTable::exec(const char* sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QString::fromLatin1(sql));
}

sqlite3_stmt* TSqlTable::prepare(const QString& sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(db_, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
        fail(QStringLiteral("SQL"));
    return st;
}

int TSqlTable::FieldIndex(const QString& name) const
{
    for (size_t i = 0; i < def_.Fields.size(); ++i)
        if (def_.Fields[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int TSqlTable::checkedIndex(const QString& name) const
{
    int i = FieldIndex(name);
    if (i < 0)
        throw ESqlTableError(QStringLiteral("項目 %1 がありません").arg(name));
    return i;
}

void TSqlTable::requireBrowse(const char* op) const
{
    if (state_ == TState::Inactive)
        throw ESqlTableError(QStringLiteral("%1: テーブルが開いていません").arg(QLatin1String(op)));
}

bool TSqlTable::IsEmpty()
{
    return RecordCount() == 0;
}

int TSqlTable::RecordCount()
{
    requireBrowse("RecordCount");
    sqlite3_stmt* st = cached(5, 0, [&] { return QStringLiteral("SELECT count(*) FROM ") + quoted(def_.TableName); });
    int n = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    else
        fail(QStringLiteral("件数"));
    sqlite3_reset(st);
    return n;
}

void TSqlTable::Append()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("Append");
    blankBuffer();
    state_ = TState::Insert;
}

void TSqlTable::Edit()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        return;
    requireBrowse("Edit");
    if (cur_ == 0)
        throw ESqlTableError(QStringLiteral("編集するデータがありません"));
    read_ = buf_; // what the post checks the row against (texts are shared, not copied)
    state_ = TState::Edit;
}

void TSqlTable::Post()
{
    if (state_ != TState::Edit && state_ != TState::Insert)
        return;
    for (size_t i = 0; i < def_.Fields.size(); ++i) {
        TValue& v = buf_[i];
        if (v.null || v.fits == 1)
            continue;
        if (v.fits < 0) // as read from the file: an edit writes it back, so it is checked too
            v.fits = valueFits(int(i), v.text.constData(), v.text.size(), v.cp932Length);
        if (v.fits == 0) // the table is untouched; the caller cancels or corrects
            throw ESqlTableError(CheckValue(int(i), v.text, v.cp932Length));
    }
    const int n = int(def_.Fields.size());
    sqlite3_stmt* st = nullptr;
    qint64 newRecNo = 0;
    if (state_ == TState::Insert) {
        if (!insertStmt_) {
            QStringList marks(n, QStringLiteral("?"));
            insertStmt_ = prepare(QStringLiteral("INSERT INTO ") + quoted(def_.TableName) + u'(' + selectList() +
                                  QStringLiteral(") VALUES(") + marks.join(u',') + u')');
        }
        st = insertStmt_;
        for (int i = 0; i < n; ++i)
            bindValue(st, i + 1, i, buf_[i], false);
    } else {
        // An edit may give the row another number (a table cleared back to
        // its first record); one in use fails on the key and writes nothing.
        // The row is written only if it still holds what Edit read: another
        // program on the same book may have changed it since, and writing
        // every column over its change would lose that change in silence.
        newRecNo = buf_[0].null ? cur_ : buf_[0].i;
        if (newRecNo <= 0)
            throw ESqlTableError(QStringLiteral("RecNo %1 は保存できません").arg(newRecNo));
        if (!updateStmt_) {
            QStringList sets, same;
            for (int i = 0; i < n; ++i)
                sets << quoted(def_.Fields[i].Name) + QStringLiteral("=?");
            for (int i = 1; i < n; ++i)
                same << quoted(def_.Fields[i].Name) + QStringLiteral(" IS ?");
            updateStmt_ = prepare(QStringLiteral("UPDATE ") + quoted(def_.TableName) + QStringLiteral(" SET ") +
                                  sets.join(u',') + QStringLiteral(" WHERE RecNo=? AND ") + same.join(QStringLiteral(" AND ")));
        }
        st = updateStmt_;
        // Parameters: 1..n the new values (RecNo first), n+1 the row's
        // number, n+2.. the values Edit read.
        sqlite3_bind_int64(st, 1, newRecNo);
        for (int i = 1; i < n; ++i) {
            bindValue(st, i + 1, i, buf_[i], false);
            bindValue(st, n + 1 + i, i, read_[i], false);
        }
        sqlite3_bind_int64(st, n + 1, cur_);
    }
    // Every parameter is bound anew before each step, so the bindings are
    // not cleared: the buffer's texts they point at are never read again.
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("保存"));
    // An update that changed nothing wrote nothing: the row was deleted or
    // changed by another open of the book since it was read.
    if (state_ == TState::Edit && sqlite3_changes(db_) == 0) {
        const QString file = QFileInfo(fileName_).fileName();
        sqlite3_stmt* exists = cached(11, 0, [&] {
            return QStringLiteral("SELECT 1 FROM ") + quoted(def_.TableName) + QStringLiteral(" WHERE RecNo=?");
        });
        sqlite3_bind_int64(exists, 1, cur_);
        const int found = sqlite3_step(exists);
        sqlite3_reset(exists);
        if (found == SQLITE_ROW)
            throw ESqlTableError(QStringLiteral("保存 (%1): データが他で変更されています").arg(file),
                                 QStringLiteral("データが他で変更されています"));
        throw ESqlTableError(QStringLiteral("保存 (%1): データが他で削除されています").arg(file),
                             QStringLiteral("データが他で削除されています"));
    }
    read_.clear();
    cur_ = state_ == TState::Insert ? sqlite3_last_insert_rowid(db_) : newRecNo;
    buf_[0].i = cur_;
    buf_[0].null = false;
    state_ = TState::Browse;
    eof_ = bof_ = false;
}

void TSqlTable::Cancel()
{
    if (state_ == TState::SetKey) {
        state_ = TState::Browse;
        return;
    }
    if (state_ != TState::Edit && state_ != TState::Insert)
        return;
    state_ = TState::Browse;
    read_.clear();
    refreshCurrent();
}

void TSqlTable::refreshCurrent()
{
    if (cur_ == 0 || !Locate(QStringLiteral("RecNo"), cur_)) {
        blankBuffer();
        cur_ = 0;
        First();
    }
}

void TSqlTable::Delete()
{
    if (state_ == TState::Insert) {
        Cancel();
        return;
    }
    if (state_ == TState::Edit)
        state_ = TState::Browse;
    requireBrowse("Delete");
    if (cur_ == 0)
        throw ESqlTableError(QStringLiteral("削除するデータがありません"));
    sqlite3_stmt* st = cached(10, 0, [&] {
        return QStringLiteral("DELETE FROM ") + quoted(def_.TableName) + QStringLiteral(" WHERE RecNo=?");
    });
    sqlite3_bind_int64(st, 1, cur_);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("削除"));
    // Like the engine: the row after the deleted one becomes current, else the one before.
    Next();
    if (eof_) {
        Prior();
        eof_ = true;
        if (bof_) {
            blankBuffer();
            cur_ = 0;
        }
    }
}

void TSqlTable::ClearFields()
{
    if (state_ != TState::Edit && state_ != TState::Insert)
        throw ESqlTableError(QStringLiteral("ClearFields: 編集中ではありません"));
    TValue recNo = buf_[0];
    blankBuffer();
    buf_[0] = recNo;
}

void TSqlTable::FlushBuffers()
{
    // Outside a transaction every post is already on disk (the journal is
    // synced); inside one the data is written at Commit.
    if (db_ && !inTransaction_)
        sqlite3_db_cacheflush(db_);
}

// A full disk, a size limit or an I/O error makes SQLite take the whole
// transaction back on its own. Left unnoticed, the table went on as if in
// one: no new BEGIN, every later row committed alone, and the caller's
// Rollback failed on the missing transaction.
void TSqlTable::noticeEndedTransaction()
{
    if (inTransaction_ && db_ && sqlite3_get_autocommit(db_))
        transactionEnded();
}

void TSqlTable::transactionEnded()
{
    inTransaction_ = false;
    sqlite3_exec(db_, kIdleCache, nullptr, nullptr, nullptr);
    sqlite3_db_release_memory(db_);
}

bool TSqlTable::InTransaction() const
{
    return inTransaction_ && db_ && !sqlite3_get_autocommit(db_);
}

void TSqlTable::StartTransaction()
{
    requireBrowse("StartTransaction");
    noticeEndedTransaction();
    if (inTransaction_)
        throw ESqlTableError(QStringLiteral("トランザクションが既に開始されています"));
    exec("BEGIN IMMEDIATE");
    inTransaction_ = true;
    sqlite3_exec(db_, kBulkCache, nullptr, nullptr, nullptr);
}

void TSqlTable::Commit()
{
    if (!inTransaction_)
        return;
    try {
        exec("COMMIT");
    } catch (const ESqlTableError&) {
        if (!inTransaction_) { // taken back whole: the current row may be one that is gone
            try {
                refreshCurrent();
            } catch (const ESqlTableError&) {
            }
        }
        throw;
    }
    transactionEnded();
}

void TSqlTable::Rollback()
{
    if (!inTransaction_)
        return;
    if (state_ == TState::Edit || state_ == TState::Insert)
        state_ = TState::Browse;
    read_.clear();
    noticeEndedTransaction();
    if (inTransaction_) {
        exec("ROLLBACK");
        transactionEnded();
    }
    refreshCurrent();
}

void TSqlTable::scanImpl(void (*fn)(void*, const TSqlRow&), void* ctx)
{
    requireBrowse("Scan");
    sqlite3_stmt* st = prepare(selectFrom() + QStringLiteral(" ORDER BY RecNo"));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    TSqlRow row(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        fn(ctx, row);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("読み込み"));
}

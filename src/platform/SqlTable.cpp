#include "platform/SqlTable.h"
#include "platform/SqlTableInternal.h"

#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/PrivateFiles.h"
#include "platform/SqlTableSideFiles.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <utility>
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
    const auto kind = code == SQLITE_READONLY_DBMOVED                         ? ESqlTableError::TKind::Moved
                      : SqliteErrorMeansDamaged(code)                         ? ESqlTableError::TKind::Damaged
                      : SqliteErrorMeansInUse(code) && systemErrno != ENOLCK ? ESqlTableError::TKind::InUse
                                                                              : ESqlTableError::TKind::Other;
    return ESqlTableError(what + QStringLiteral(": ") + QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"),
                          SqliteErrorCause(code, systemErrno, QString::fromUtf8(db ? sqlite3_errmsg(db) : "")), kind,
                          code);
}

// The lock files of the tables this process has open. Side files are judged
// and set aside only while no table of this process has their file open:
// closing any descriptor of a file drops every lock the process holds on it,
// the engine's own included. The judging and the registering of an open
// are one step under the mutex, so no other thread's open comes between.
std::mutex heldMutex;
std::vector<std::pair<dev_t, ino_t>> heldLockFiles;
std::mutex asideMutex;
QStringList setAsideLogs;

std::pair<dev_t, ino_t> identityOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

// Sets aside a log beside fileName that is not its own, noted for the
// window that tells the user; then, when lockFd is given, registers the
// open holding it. Left to the engine while a table of this process has
// the file open: the log is then that table's own.
void setAsideForeignLog(const QString& fileName, bool newFile, int lockFd = -1)
{
    struct stat st{};
    const bool known = lockFd >= 0 ? ::fstat(lockFd, &st) == 0
                                   : ::stat(QFile::encodeName(lockFileName(fileName)).constData(), &st) == 0;
    const std::lock_guard lock(heldMutex);
    const bool held =
        known && std::find(heldLockFiles.begin(), heldLockFiles.end(), identityOf(st)) != heldLockFiles.end();
    if (!held) {
        if (const QStringList names = SetAsideForeignLog(fileName, newFile); !names.isEmpty()) {
            SyncFolder(QFileInfo(fileName).path());
            const std::lock_guard noted(asideMutex);
            setAsideLogs += names;
        }
    }
    if (lockFd >= 0 && known)
        heldLockFiles.push_back(identityOf(st));
}

void releaseHeld(int lockFd)
{
    struct stat st{};
    if (::fstat(lockFd, &st) != 0)
        return;
    const std::lock_guard lock(heldMutex);
    if (const auto it = std::find(heldLockFiles.begin(), heldLockFiles.end(), identityOf(st)); it != heldLockFiles.end())
        heldLockFiles.erase(it);
}

} // namespace

QStringList TSqlTable::TakeSetAsideLogs()
{
    const std::lock_guard lock(asideMutex);
    return std::exchange(setAsideLogs, {});
}

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

} // namespace

void TSqlTable::CreateTable(const QString& fileName, const TSqlTableDef& def)
{
    const QFileInfo target(fileName);
    if (!MakePrivateFolder(target.path()))
        throw ESqlTableError(QStringLiteral("%1 を作成できません").arg(fileName), FileErrorCause(errno));
    // A log left beside the path by another file must not be taken into
    // the one made or added to here.
    const bool fresh = !target.exists() || target.size() == 0;
    setAsideForeignLog(fileName, fresh);
    if (!fresh) {
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
    SyncFolder(target.path());
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
    try {
        setAsideForeignLog(fileName, false, fd);
    } catch (...) {
        ::close(fd);
        throw;
    }
    lockFd_ = fd;

    MendSideFileModes(fileName);
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
    const auto isWal = [](void* wal, int, char** value, char**) {
        *static_cast<bool*>(wal) = value[0] && std::strcmp(value[0], "wal") == 0;
        return 0;
    };
    if ((sqlite3_exec(db_, "PRAGMA journal_mode=WAL", isWal, &wal_, nullptr) & 0xFF) == SQLITE_BUSY)
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
    fileRewritten(); // the file as the table first saw it
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
    int moved = 0;
    if (db_) {
        // A file whose bytes were replaced in place gets nothing of the log,
        // neither now nor from the engine's fold at the last close.
        const bool rewritten = fileRewritten();
        if (rewritten)
            sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        if (inTransaction_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        else if (foldPending_ && !rewritten) // the engine folds at close only when no other connection is open
            sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
            moved = 0;
        moved = moved || rewritten;
        read_.clear();
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    foldPending_ = false;
    seen_.reset();
    wal_ = rewritten_ = false;
    if (lockFd_ >= 0) {
        releaseHeld(lockFd_);
        ::close(lockFd_); // releases the flock
        lockFd_ = -1;
    }
    // The engine leaves the log of a file gone from its path beside that
    // path, where the next open of it by any program would take it in.
    // Judged and set aside now, as the next open of ours would.
    if (moved) {
        try {
            const QFileInfo file(fileName_);
            setAsideForeignLog(fileName_, !file.exists() || file.size() == 0);
        } catch (const ESqlTableError&) {
            // still in use by another program: the next open refuses it
        }
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
        releaseHeld(fd);
        if (!fileName.isEmpty() && TryLockFile(fd, true) == 0)
            RemoveIdleSideFiles(fileName);
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
    // A post outside a run is a transaction of its own, so that the file is
    // checked with the write lock held, before and after the row goes in.
    const bool own = !inTransaction_;
    if (own)
        beginOwnWrite(QStringLiteral("保存"));
    auto drop = qScopeGuard([&] {
        if (own)
            dropOwnWrite();
    });
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
    if (own)
        commitOwnWrite(QStringLiteral("保存"));
    drop.dismiss();
    read_.clear();
    cur_ = state_ == TState::Insert ? sqlite3_last_insert_rowid(db_) : newRecNo;
    buf_[0].i = cur_;
    buf_[0].null = false;
    state_ = TState::Browse;
    eof_ = bof_ = false;
    if (own) // taken away while it committed: the row went with the file
        requireUnmoved(QStringLiteral("保存"));
}

// The file the engine writes into must still be the one at the table's
// path. Asked with the write lock held: a file renamed over the path, or the
// path deleted, after the check is seen by the check after the commit.
void TSqlTable::requireUnmoved(const QString& what)
{
    int moved = 0;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved) {
        if (!fileRewritten())
            return;
    }
    throw ESqlTableError(QStringLiteral("%1 (%2): %3").arg(what, QFileInfo(fileName_).fileName(), FileMovedCause()),
                         FileMovedCause(), ESqlTableError::TKind::Moved);
}

void TSqlTable::beginOwnWrite(const QString& what)
{
    exec("BEGIN IMMEDIATE");
    try {
        requireUnmoved(what);
    } catch (...) {
        dropOwnWrite();
        throw;
    }
}

// Checked once more with every row in place, then committed.
void TSqlTable::commitOwnWrite(const QString& what)
{
    requireUnmoved(what);
    exec("COMMIT");
    noteCommitted();
}

// Takes back a transaction of a single write that failed; the engine may
// have ended it already (a full disk).
void TSqlTable::dropOwnWrite()
{
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

// The log is folded into the file once the thread's event loop has nothing
// else to do, so a run of writes that holds the loop (a copy, a bulk
// append) folds once at its end, not per row; without an event loop, at
// once.
void TSqlTable::noteCommitted()
{
    foldRetryMs_ = 0;
    const bool loop = QAbstractEventDispatcher::instance() != nullptr;
    if (!loop || (idle_ && idle_->thread() != QThread::currentThread())) {
        foldLog();
        return;
    }
    if (foldPending_)
        return;
    if (!idle_)
        idle_ = std::make_unique<QObject>();
    foldPending_ = true;
    QTimer::singleShot(0, idle_.get(), [this] {
        foldPending_ = false;
        foldLog();
    });
}

// A passive fold never waits: it stops at the oldest page a reader of
// another connection may still need, and is tried again later, less often
// each time, until the log is in the file.
void TSqlTable::foldLog()
{
    if (!db_ || inTransaction_ || fileRewritten())
        return;
    int logFrames = 0, folded = 0;
    const int rc = sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_PASSIVE, &logFrames, &folded);
    fileRewritten(); // the file as this fold left it
    if (rc == SQLITE_OK && folded >= logFrames)
        return;
    if (!idle_ || idle_->thread() != QThread::currentThread() || !QAbstractEventDispatcher::instance())
        return;
    foldRetryMs_ = qBound(250, foldRetryMs_ * 2, 8000);
    foldPending_ = true;
    QTimer::singleShot(foldRetryMs_, idle_.get(), [this] {
        foldPending_ = false;
        foldLog();
    });
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
    const bool own = !inTransaction_;
    if (own)
        beginOwnWrite(QStringLiteral("削除"));
    auto drop = qScopeGuard([&] {
        if (own)
            dropOwnWrite();
    });
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("削除"));
    if (own)
        commitOwnWrite(QStringLiteral("削除"));
    drop.dismiss();
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
    if (own)
        requireUnmoved(QStringLiteral("削除"));
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
    beginOwnWrite(QStringLiteral("書き込み"));
    inTransaction_ = true;
    sqlite3_exec(db_, kBulkCache, nullptr, nullptr, nullptr);
}

void TSqlTable::Commit()
{
    if (!inTransaction_)
        return;
    try {
        requireUnmoved(QStringLiteral("保存"));
    } catch (const ESqlTableError&) {
        // Nothing of the run goes into a file that is no longer the table's.
        try {
            Rollback();
        } catch (const ESqlTableError&) {
        }
        throw;
    }
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
    noteCommitted();
    requireUnmoved(QStringLiteral("保存")); // taken away while it committed: the rows went with the file
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

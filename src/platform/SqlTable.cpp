#include "platform/SqlTable.h"

#include "platform/Cp932.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

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

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

} // namespace

ESqlTableError::ESqlTableError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}

qint64 TSqlRow::Integer(int field) const
{
    return sqlite3_column_int64(stmt_, field);
}
double TSqlRow::Float(int field) const
{
    return sqlite3_column_double(stmt_, field);
}
bool TSqlRow::IsNull(int field) const
{
    return sqlite3_column_type(stmt_, field) == SQLITE_NULL;
}

const char* TSqlRow::Text(int field, int* length) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, field));
    *length = p ? sqlite3_column_bytes(stmt_, field) : 0;
    return p ? p : "";
}

TSqlTable::TSqlTable(TSqlTableDef def) : def_(std::move(def)) {}

TSqlTable::~TSqlTable()
{
    Close();
}

void TSqlTable::CreateTable(const QString& fileName, const TSqlTableDef& def)
{
    QDir().mkpath(QFileInfo(fileName).path());
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc != SQLITE_OK)
        throw ESqlTableError(QStringLiteral("%1 を作成できません: %2")
                                 .arg(fileName, QString::fromUtf8(raw ? sqlite3_errmsg(raw) : "out of memory")));
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
    char* err = nullptr;
    if (sqlite3_exec(db.get(), sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        QString msg = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        throw ESqlTableError(QStringLiteral("%1 を作成できません: %2").arg(fileName, msg));
    }
}

void TSqlTable::Open(const QString& fileName, bool exclusive)
{
    Close();
    if (!QFileInfo::exists(fileName))
        throw ESqlTableError(QStringLiteral("%1 がありません").arg(fileName));

    int fd = ::open(lockFileName(fileName).toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw ESqlTableError(QStringLiteral("%1 をロックできません").arg(fileName));
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        throw ESqlTableError(QStringLiteral("%1 は他で使用中です").arg(fileName));
    }
    lockFd_ = fd;

    sqlite3* raw = nullptr;
    // One connection per table object, used by one thread: no mutex.
    int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_ = raw;
    fileName_ = fileName;
    if (rc != SQLITE_OK) {
        QString msg = QString::fromUtf8(raw ? sqlite3_errmsg(raw) : "out of memory");
        Close();
        throw ESqlTableError(QStringLiteral("%1 を開けません: %2").arg(fileName, msg));
    }
    sqlite3_busy_timeout(db_, 3000);
    // A bulk append of a whole book stays in memory until its commit.
    sqlite3_exec(db_, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
    sqlite3_extended_result_codes(db_, 1);
    try {
        // The file must really hold the table with every field: a damaged or
        // foreign file is refused here instead of failing on the first read.
        sqlite3_stmt* st = prepare(QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") +
                                   quoted(def_.TableName) + QStringLiteral(" LIMIT 0"));
        sqlite3_finalize(st);
    } catch (...) {
        Close();
        throw;
    }
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

void TSqlTable::fail(const QString& what) const
{
    QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString();
    throw ESqlTableError(QStringLiteral("%1 (%2): %3").arg(what, QFileInfo(fileName_).fileName(), detail));
}

void TSqlTable::exec(const char* sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QString::fromLatin1(sql));
}

sqlite3_stmt* TSqlTable::prepare(const QString& sql) const
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(db_, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
        fail(QStringLiteral("SQL"));
    return st;
}

// Statements are prepared once per call site, variant (key count or field)
// and index; the SQL text is built only then.
template <class F> sqlite3_stmt* TSqlTable::cached(int site, int variant, F&& sql)
{
    for (auto& c : stmts_)
        if (c.site == site && c.variant == variant && c.index == indexName_) {
            sqlite3_reset(c.stmt);
            sqlite3_clear_bindings(c.stmt);
            return c.stmt;
        }
    sqlite3_stmt* st = prepare(sql());
    stmts_.push_back({site, variant, indexName_, st});
    return st;
}

QString TSqlTable::selectList() const
{
    QStringList cols;
    for (const auto& f : def_.Fields)
        cols << quoted(f.Name);
    return cols.join(u',');
}

QString TSqlTable::orderBy(bool desc) const
{
    QStringList cols;
    for (const auto& f : indexFields_)
        cols << quoted(f) + (desc ? QStringLiteral(" DESC") : QString());
    cols << (desc ? QStringLiteral("RecNo DESC") : QStringLiteral("RecNo"));
    return QStringLiteral(" ORDER BY ") + cols.join(u',');
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

void TSqlTable::SetIndexName(const QString& name)
{
    requireBrowse("SetIndexName");
    if (name.isEmpty() || name.compare(QLatin1String("RecNo"), Qt::CaseInsensitive) == 0) {
        indexName_.clear();
        indexFields_.clear();
    } else {
        const TSqlIndexDef* found = nullptr;
        for (const auto& ix : def_.Indexes)
            if (ix.Name.compare(name, Qt::CaseInsensitive) == 0)
                found = &ix;
        if (!found)
            throw ESqlTableError(QStringLiteral("索引 %1 がありません").arg(name));
        indexName_ = found->Name;
        indexFields_ = found->Fields;
    }
    indexFieldNos_.clear();
    for (const auto& f : indexFields_)
        indexFieldNos_.push_back(checkedIndex(f));
}

void TSqlTable::loadRow(sqlite3_stmt* st)
{
    for (size_t i = 0; i < def_.Fields.size(); ++i) {
        TValue& v = buf_[i];
        int type = sqlite3_column_type(st, int(i));
        v.null = type == SQLITE_NULL;
        v.cp932Length = -1;
        switch (def_.Fields[i].Type) {
        case TSqlFieldType::Text:
        case TSqlFieldType::Memo: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, int(i)));
            v.text = p ? QByteArray(p, sqlite3_column_bytes(st, int(i))) : QByteArray();
            break;
        }
        case TSqlFieldType::Float:
            v.d = sqlite3_column_double(st, int(i));
            break;
        default:
            v.i = sqlite3_column_int64(st, int(i));
            break;
        }
    }
    cur_ = buf_[0].i;
}

bool TSqlTable::stepOne(sqlite3_stmt* st)
{
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        loadRow(st);
        sqlite3_reset(st);
        return true;
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("読み込み"));
    return false;
}

void TSqlTable::blankBuffer()
{
    for (TValue& v : buf_) {
        v = TValue{};
    }
    for (size_t i = 0; i < def_.Fields.size(); ++i)
        buf_[i].null = def_.Fields[i].Type == TSqlFieldType::Memo || def_.Fields[i].Type == TSqlFieldType::AutoInc;
}

void TSqlTable::bindValue(sqlite3_stmt* st, int pos, int field, const TValue& v, bool copy) const
{
    if (v.null) {
        sqlite3_bind_null(st, pos);
        return;
    }
    switch (def_.Fields[field].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo:
        // Posting binds without a copy: the buffer outlives the step and the
        // bindings are cleared right after it. Keys are copied, since reading
        // the found row replaces the buffer they come from.
        sqlite3_bind_text(st, pos, v.text.constData(), int(v.text.size()), copy ? SQLITE_TRANSIENT : SQLITE_STATIC);
        break;
    case TSqlFieldType::Float:
        sqlite3_bind_double(st, pos, v.d);
        break;
    default:
        sqlite3_bind_int64(st, pos, v.i);
        break;
    }
}

void TSqlTable::bindCurrentKey(sqlite3_stmt* st) const
{
    int pos = 1;
    for (int f : indexFieldNos_)
        bindValue(st, pos++, f, buf_[f], true);
    sqlite3_bind_int64(st, pos, cur_);
}

void TSqlTable::bindKeyValues(sqlite3_stmt* st, const QVariantList& values) const
{
    for (int k = 0; k < values.size(); ++k) {
        int f = indexFieldNos_.empty() ? 0 : indexFieldNos_[k];
        const QVariant& v = values[k];
        switch (def_.Fields[f].Type) {
        case TSqlFieldType::Text:
        case TSqlFieldType::Memo: {
            QByteArray u = v.toString().toUtf8();
            sqlite3_bind_text(st, k + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            break;
        }
        case TSqlFieldType::Float:
            sqlite3_bind_double(st, k + 1, v.toDouble());
            break;
        default:
            sqlite3_bind_int64(st, k + 1, v.toLongLong());
            break;
        }
    }
}

void TSqlTable::First()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("First");
    sqlite3_stmt* st = cached(1, 0, [&] {
        return QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(def_.TableName) +
               orderBy(false) + QStringLiteral(" LIMIT 1");
    });
    bool found = stepOne(st);
    if (!found) {
        blankBuffer();
        cur_ = 0;
    }
    bof_ = true;
    eof_ = !found;
}

void TSqlTable::Last()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("Last");
    sqlite3_stmt* st = cached(2, 0, [&] {
        return QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(def_.TableName) +
               orderBy(true) + QStringLiteral(" LIMIT 1");
    });
    bool found = stepOne(st);
    if (!found) {
        blankBuffer();
        cur_ = 0;
    }
    eof_ = true;
    bof_ = !found;
}

bool TSqlTable::stepAlong(bool forward)
{
    const QString from = QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(def_.TableName);
    if (indexFieldNos_.size() == 1) {
        // The rest of the rows with the same key (by RecNo), else the nearest
        // other key: two index seeks, where one row-value comparison would
        // scan the whole run of equal keys (thousands of blank Fax numbers).
        const int f = indexFieldNos_[0];
        const QString col = quoted(indexFields_[0]);
        sqlite3_stmt* same = cached(forward ? 11 : 12, 0, [&] {
            return from + QStringLiteral(" WHERE ") + col + QStringLiteral("=? AND RecNo") +
                   (forward ? QStringLiteral(">? ORDER BY RecNo") : QStringLiteral("<? ORDER BY RecNo DESC")) +
                   QStringLiteral(" LIMIT 1");
        });
        bindValue(same, 1, f, buf_[f], true);
        sqlite3_bind_int64(same, 2, cur_);
        if (stepOne(same))
            return true;
        sqlite3_stmt* other = cached(forward ? 13 : 14, 0, [&] {
            return from + QStringLiteral(" WHERE ") + col + (forward ? QStringLiteral(">?") : QStringLiteral("<?")) +
                   orderBy(!forward) + QStringLiteral(" LIMIT 1");
        });
        bindValue(other, 1, f, buf_[f], true);
        return stepOne(other);
    }
    sqlite3_stmt* st = cached(forward ? 3 : 4, 0, [&] {
        QStringList cols;
        for (const auto& name : indexFields_)
            cols << quoted(name);
        cols << QStringLiteral("RecNo");
        return from + QStringLiteral(" WHERE (") + cols.join(u',') +
               (forward ? QStringLiteral(")>(") : QStringLiteral(")<(")) +
               QStringList(cols.size(), QStringLiteral("?")).join(u',') + u')' + orderBy(!forward) +
               QStringLiteral(" LIMIT 1");
    });
    bindCurrentKey(st);
    return stepOne(st);
}

void TSqlTable::Next()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("Next");
    if (cur_ == 0) {
        eof_ = true;
        return;
    }
    bof_ = false;
    eof_ = !stepAlong(true);
}

void TSqlTable::Prior()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("Prior");
    if (cur_ == 0) {
        bof_ = true;
        return;
    }
    eof_ = false;
    bof_ = !stepAlong(false);
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

int TSqlTable::Position()
{
    requireBrowse("Position");
    if (cur_ == 0)
        return 0;
    sqlite3_stmt* st = cached(6, 0, [&] {
        const QString table = quoted(def_.TableName);
        if (indexFields_.isEmpty())
            return QStringLiteral("SELECT count(*) FROM ") + table + QStringLiteral(" WHERE RecNo<?");
        QStringList cols;
        for (const auto& name : indexFields_)
            cols << quoted(name);
        if (cols.size() == 1) // counted along the index in two seeks
            return QStringLiteral("SELECT (SELECT count(*) FROM ") + table + QStringLiteral(" WHERE ") + cols[0] +
                   QStringLiteral("<?1)+(SELECT count(*) FROM ") + table + QStringLiteral(" WHERE ") + cols[0] +
                   QStringLiteral("=?1 AND RecNo<?2)");
        cols << QStringLiteral("RecNo");
        return QStringLiteral("SELECT count(*) FROM ") + table + QStringLiteral(" WHERE (") + cols.join(u',') +
               QStringLiteral(")<(") + QStringList(cols.size(), QStringLiteral("?")).join(u',') + u')';
    });
    bindCurrentKey(st);
    int n = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    sqlite3_reset(st);
    return n + 1;
}

bool TSqlTable::FindKey(const QVariantList& values)
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("FindKey");
    if (values.isEmpty() || values.size() > qMax<qsizetype>(1, indexFields_.size()))
        throw ESqlTableError(QStringLiteral("FindKey: キーの数が合いません"));
    sqlite3_stmt* st = cached(7, int(values.size()), [&] {
        const QStringList fields = indexFields_.isEmpty() ? QStringList{QStringLiteral("RecNo")} : indexFields_;
        QStringList conds;
        for (int k = 0; k < values.size(); ++k)
            conds << quoted(fields[k]) + QStringLiteral("=?");
        return QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(def_.TableName) +
               QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND ")) + orderBy(false) +
               QStringLiteral(" LIMIT 1");
    });
    bindKeyValues(st, values);
    if (!stepOne(st))
        return false; // the current row stays where it was
    eof_ = bof_ = false;
    return true;
}

void TSqlTable::FindNearest(const QVariantList& values)
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("FindNearest");
    if (values.isEmpty() || values.size() > qMax<qsizetype>(1, indexFields_.size()))
        throw ESqlTableError(QStringLiteral("FindNearest: キーの数が合いません"));
    sqlite3_stmt* st = cached(8, int(values.size()), [&] {
        const QStringList fields = indexFields_.isEmpty() ? QStringList{QStringLiteral("RecNo")} : indexFields_;
        QStringList cols, marks;
        for (int k = 0; k < values.size(); ++k) {
            cols << quoted(fields[k]);
            marks << QStringLiteral("?");
        }
        return QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(def_.TableName) +
               QStringLiteral(" WHERE (") + cols.join(u',') + QStringLiteral(")>=(") + marks.join(u',') + u')' +
               orderBy(false) + QStringLiteral(" LIMIT 1");
    });
    bindKeyValues(st, values);
    if (stepOne(st)) {
        eof_ = bof_ = false;
        return;
    }
    Last(); // every key is smaller: the nearest row is the last one
}

void TSqlTable::SetKey()
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("SetKey");
    key_.assign(def_.Fields.size(), TValue{});
    state_ = TState::SetKey;
}

bool TSqlTable::GotoKey()
{
    if (state_ != TState::SetKey)
        throw ESqlTableError(QStringLiteral("GotoKey: SetKey がありません"));
    state_ = TState::Browse;
    QVariantList values;
    if (indexFieldNos_.empty()) {
        values << key_[0].i;
    } else {
        for (int f : indexFieldNos_) {
            const TValue& v = key_[f];
            switch (def_.Fields[f].Type) {
            case TSqlFieldType::Text:
            case TSqlFieldType::Memo:
                values << QString::fromUtf8(v.text);
                break;
            case TSqlFieldType::Float:
                values << v.d;
                break;
            default:
                values << v.i;
                break;
            }
        }
    }
    return FindKey(values);
}

bool TSqlTable::Locate(const QString& field, const QVariant& value)
{
    if (state_ == TState::Edit || state_ == TState::Insert)
        Post();
    requireBrowse("Locate");
    int f = checkedIndex(field);
    sqlite3_stmt* st = cached(9, f, [&] {
        return QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(def_.TableName) +
               QStringLiteral(" WHERE ") + quoted(def_.Fields[f].Name) + QStringLiteral("=?") + orderBy(false) +
               QStringLiteral(" LIMIT 1");
    });
    switch (def_.Fields[f].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo: {
        QByteArray u = value.toString().toUtf8();
        sqlite3_bind_text(st, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        break;
    }
    case TSqlFieldType::Float:
        sqlite3_bind_double(st, 1, value.toDouble());
        break;
    default:
        sqlite3_bind_int64(st, 1, value.toLongLong());
        break;
    }
    if (!stepOne(st))
        return false;
    eof_ = bof_ = false;
    return true;
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
    state_ = TState::Edit;
}

QString TSqlTable::CheckValue(int field, const QByteArray& utf8, int cp932Length) const
{
    const TSqlFieldDef& d = def_.Fields[field];
    if (d.Type != TSqlFieldType::Text && d.Type != TSqlFieldType::Memo)
        return {};
    if (d.DigitsOnly) {
        for (char c : utf8)
            if (c < '0' || c > '9')
                return QStringLiteral("%1 には数字のみ保存できます").arg(d.Name);
    }
    if (d.Size <= 0 || utf8.size() <= d.Size)
        return {}; // code page 932 never takes more bytes than UTF-8
    const int bytes = cp932Length >= 0 ? cp932Length : cp932::ByteLength(QString::fromUtf8(utf8));
    if (bytes > d.Size)
        return QStringLiteral("%1 が長すぎます（%2 バイト、最大 %3 バイト）").arg(d.Name).arg(bytes).arg(d.Size);
    return {};
}

void TSqlTable::Post()
{
    if (state_ != TState::Edit && state_ != TState::Insert)
        return;
    for (size_t i = 0; i < def_.Fields.size(); ++i) {
        if (buf_[i].null)
            continue;
        QString err = CheckValue(int(i), buf_[i].text, buf_[i].cp932Length);
        if (!err.isEmpty())
            throw ESqlTableError(err); // the table is untouched; the caller cancels or corrects
    }
    const int n = int(def_.Fields.size());
    sqlite3_stmt* st = nullptr;
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
        if (!updateStmt_) {
            QStringList sets;
            for (int i = 1; i < n; ++i)
                sets << quoted(def_.Fields[i].Name) + QStringLiteral("=?");
            updateStmt_ = prepare(QStringLiteral("UPDATE ") + quoted(def_.TableName) + QStringLiteral(" SET ") +
                                  sets.join(u',') + QStringLiteral(" WHERE RecNo=?"));
        }
        st = updateStmt_;
        for (int i = 1; i < n; ++i)
            bindValue(st, i, i, buf_[i], false);
        sqlite3_bind_int64(st, n, cur_);
    }
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("保存"));
    // The row may have been deleted by another open of the book since it was
    // read: an update that changed nothing wrote nothing.
    if (state_ == TState::Edit && sqlite3_changes(db_) == 0)
        throw ESqlTableError(QStringLiteral("保存 (%1): データが他で削除されています").arg(QFileInfo(fileName_).fileName()));
    if (state_ == TState::Insert) {
        cur_ = sqlite3_last_insert_rowid(db_);
        buf_[0].i = cur_;
        buf_[0].null = false;
    }
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

void TSqlTable::StartTransaction()
{
    requireBrowse("StartTransaction");
    if (inTransaction_)
        throw ESqlTableError(QStringLiteral("トランザクションが既に開始されています"));
    exec("BEGIN IMMEDIATE");
    inTransaction_ = true;
}

void TSqlTable::Commit()
{
    if (!inTransaction_)
        return;
    exec("COMMIT");
    inTransaction_ = false;
}

void TSqlTable::Rollback()
{
    if (!inTransaction_)
        return;
    if (state_ == TState::Edit || state_ == TState::Insert)
        state_ = TState::Browse;
    exec("ROLLBACK");
    inTransaction_ = false;
    refreshCurrent();
}

TSqlTable::TValue& TSqlTable::writable(int field)
{
    if (field < 0 || field >= int(def_.Fields.size()))
        throw ESqlTableError(QStringLiteral("項目番号 %1 がありません").arg(field));
    if (state_ == TState::SetKey)
        return key_[field];
    if (state_ != TState::Edit && state_ != TState::Insert)
        throw ESqlTableError(QStringLiteral("%1: 編集中ではありません").arg(def_.Fields[field].Name));
    if (field == 0 && state_ == TState::Edit)
        throw ESqlTableError(QStringLiteral("RecNo は変更できません"));
    return buf_[field];
}

void TSqlTable::SetString(int field, const QString& value)
{
    SetUtf8(field, value.toUtf8());
}

void TSqlTable::SetUtf8(int field, const QByteArray& utf8, int cp932Length)
{
    TValue& v = writable(field);
    switch (def_.Fields[field].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo:
        v.text = utf8;
        v.cp932Length = cp932Length;
        v.null = false;
        break;
    case TSqlFieldType::Float:
        v.d = utf8.trimmed().toDouble();
        v.null = false;
        break;
    default:
        v.i = utf8.trimmed().toLongLong();
        v.null = false;
        break;
    }
}

void TSqlTable::SetInteger(int field, qint64 value)
{
    TValue& v = writable(field);
    switch (def_.Fields[field].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo:
        v.text = QByteArray::number(value);
        v.cp932Length = -1;
        break;
    case TSqlFieldType::Float:
        v.d = double(value);
        break;
    default:
        v.i = value;
        break;
    }
    v.null = false;
}

void TSqlTable::SetFloat(int field, double value)
{
    TValue& v = writable(field);
    if (def_.Fields[field].Type == TSqlFieldType::Float)
        v.d = value;
    else if (def_.Fields[field].Type == TSqlFieldType::Text || def_.Fields[field].Type == TSqlFieldType::Memo)
        v.text = QByteArray::number(value, 'g', 17), v.cp932Length = -1;
    else
        v.i = qint64(value);
    v.null = false;
}

void TSqlTable::SetBoolean(int field, bool value)
{
    SetInteger(field, value ? 1 : 0);
}

void TSqlTable::SetNull(int field)
{
    TValue& v = writable(field);
    v = TValue{};
    v.null = def_.Fields[field].Type == TSqlFieldType::Memo || def_.Fields[field].Type == TSqlFieldType::AutoInc;
}

QString TSqlTable::AsString(int field) const
{
    const TValue& v = buf_.at(field);
    switch (def_.Fields[field].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo:
        return QString::fromUtf8(v.text);
    case TSqlFieldType::Float:
        return v.null ? QString() : QString::number(v.d, 'g', 17);
    default:
        return v.null ? QString() : QString::number(v.i);
    }
}

QByteArray TSqlTable::AsUtf8(int field) const
{
    return buf_.at(field).text;
}

qint64 TSqlTable::AsInteger(int field) const
{
    const TValue& v = buf_.at(field);
    switch (def_.Fields[field].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo:
        return v.text.trimmed().toLongLong();
    case TSqlFieldType::Float:
        return qint64(v.d);
    default:
        return v.i;
    }
}

double TSqlTable::AsFloat(int field) const
{
    const TValue& v = buf_.at(field);
    return def_.Fields[field].Type == TSqlFieldType::Float ? v.d : double(AsInteger(field));
}

bool TSqlTable::AsBoolean(int field) const
{
    return AsInteger(field) != 0;
}

bool TSqlTable::IsNull(int field) const
{
    return buf_.at(field).null;
}

void TSqlTable::scanImpl(void (*fn)(void*, const TSqlRow&), void* ctx)
{
    requireBrowse("Scan");
    sqlite3_stmt* st = prepare(QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") +
                               quoted(def_.TableName) + QStringLiteral(" ORDER BY RecNo"));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    TSqlRow row(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        fn(ctx, row);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("読み込み"));
}

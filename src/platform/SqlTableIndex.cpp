// TSqlTable: the current index, moving along it and looking rows up by key.
#include "platform/SqlTableInternal.h"

namespace {
const auto& quoted = SqlQuoted;
} // namespace

QString TSqlTable::orderBy(bool desc) const
{
    QStringList cols;
    for (const auto& f : indexFields_)
        cols << quoted(f) + (desc ? QStringLiteral(" DESC") : QString());
    cols << (desc ? QStringLiteral("RecNo DESC") : QStringLiteral("RecNo"));
    return QStringLiteral(" ORDER BY ") + cols.join(u',');
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
        return selectFrom() + orderBy(false) + QStringLiteral(" LIMIT 1");
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
        return selectFrom() + orderBy(true) + QStringLiteral(" LIMIT 1");
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
    const QString& from = selectFrom(); // built once with the table
    if (indexFieldNos_.size() == 1) {
        // The rest of the rows with the same key (by RecNo), else the nearest
        // other key: two index seeks, where one row-value comparison would
        // scan the whole run of equal keys (thousands of blank Fax numbers).
        const int f = indexFieldNos_[0];
        sqlite3_stmt* same = cached(forward ? 11 : 12, 0, [&] {
            const QString col = quoted(indexFields_[0]);
            return from + QStringLiteral(" WHERE ") + col + QStringLiteral("=? AND RecNo") +
                   (forward ? QStringLiteral(">? ORDER BY RecNo") : QStringLiteral("<? ORDER BY RecNo DESC")) +
                   QStringLiteral(" LIMIT 1");
        });
        bindValue(same, 1, f, buf_[f], true);
        sqlite3_bind_int64(same, 2, cur_);
        if (stepOne(same))
            return true;
        sqlite3_stmt* other = cached(forward ? 13 : 14, 0, [&] {
            const QString col = quoted(indexFields_[0]);
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
        return selectFrom() + QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND ")) + orderBy(false) +
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
        return selectFrom() + QStringLiteral(" WHERE (") + cols.join(u',') + QStringLiteral(")>=(") + marks.join(u',') + u')' +
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
        return selectFrom() + QStringLiteral(" WHERE ") + quoted(def_.Fields[f].Name) + QStringLiteral("=?") + orderBy(false) +
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

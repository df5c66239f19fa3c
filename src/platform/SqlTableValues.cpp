// TSqlTable: the edit buffer's values, their write checks and their binding.
#include "platform/SqlTableInternal.h"

#include "platform/Cp932.h"

#include <cstring>

namespace
{

// What QByteArray::resize does when the storage is the value's own and large
// enough, without the call into Qt: the edit buffer's texts are resized two
// or three times for every field of every row of a bulk write (a tenth of
// what the table added to SQLite's own work per row).
void resizeText(QByteArray& text, qsizetype size)
{
    QByteArray::DataPointer& d = text.data_ptr();
    if (!d.needsDetach() && size <= qsizetype(d.constAllocatedCapacity()) - d.freeSpaceAtBegin()) {
        d.size = size;
        d.data()[size] = '\0';
    } else {
        text.resize(size);
    }
}

} // namespace

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

void TSqlTable::loadRow(sqlite3_stmt* st)
{
    for (size_t i = 0; i < def_.Fields.size(); ++i) {
        TValue& v = buf_[i];
        int type = sqlite3_column_type(st, int(i));
        v.null = type == SQLITE_NULL;
        v.cp932Length = -1;
        v.fits = -1;
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

void TSqlTable::blankBuffer()
{
    // Texts keep their storage for the next row unless someone shares it.
    for (size_t i = 0; i < buf_.size(); ++i) {
        TValue& v = buf_[i];
        v.null = info_[i].blankNull;
        v.i = 0;
        v.d = 0;
        if (!v.text.isEmpty()) {
            if (v.text.isDetached())
                resizeText(v.text, 0);
            else
                v.text = QByteArray();
        }
        v.cp932Length = -1;
        v.fits = 1;
    }
}

void TSqlTable::bindValue(sqlite3_stmt* st, int pos, int field, const TValue& v, bool copy) const
{
    if (v.null) {
        sqlite3_bind_null(st, pos);
        return;
    }
    switch (info_[size_t(field)].type) {
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

signed char TSqlTable::valueFits(int field, const char* utf8, qsizetype length, int cp932Length) const
{
    const TFieldInfo& d = info_[size_t(field)];
    if (!d.text)
        return 1;
    if (d.digitsOnly) {
        for (qsizetype k = 0; k < length; ++k)
            if (utf8[k] < '0' || utf8[k] > '9')
                return 0;
    }
    if (d.size <= 0 || length <= d.size)
        return 1; // code page 932 never takes more bytes than UTF-8
    const int bytes = cp932Length >= 0 ? cp932Length
                                       : cp932::ByteLength(QString::fromUtf8(utf8, length));
    return bytes <= d.size ? 1 : 0;
}

QString TSqlTable::CheckValue(int field, const QByteArray& utf8, int cp932Length) const
{
    if (valueFits(field, utf8.constData(), utf8.size(), cp932Length))
        return {};
    const TSqlFieldDef& d = def_.Fields[field];
    if (d.DigitsOnly) {
        for (char c : utf8)
            if (c < '0' || c > '9')
                return QStringLiteral("%1 には数字のみ保存できます").arg(d.Name);
    }
    const int bytes = cp932Length >= 0 ? cp932Length : cp932::ByteLength(QString::fromUtf8(utf8));
    return QStringLiteral("%1 が長すぎます（%2 バイト、最大 %3 バイト）").arg(d.Name).arg(bytes).arg(d.Size);
}

// A bulk write sets every field of every row: the edit buffer's value is
// found inline, the key buffer and the refusals out of line.
inline TSqlTable::TValue& TSqlTable::writable(int field)
{
    if ((state_ == TState::Insert || state_ == TState::Edit) && unsigned(field) < unsigned(buf_.size()))
        return buf_[size_t(field)];
    return writableOther(field);
}

TSqlTable::TValue& TSqlTable::writableOther(int field)
{
    if (field < 0 || field >= int(def_.Fields.size()))
        throw ESqlTableError(QStringLiteral("項目番号 %1 がありません").arg(field));
    if (state_ == TState::SetKey)
        return key_[field];
    if (state_ != TState::Edit && state_ != TState::Insert)
        throw ESqlTableError(QStringLiteral("%1: 編集中ではありません").arg(def_.Fields[field].Name));
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
        setText(v, field, cp932Length);
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

void TSqlTable::SetUtf8(int field, const char* utf8, int length, int cp932Length)
{
    const bool copied = FillUtf8(field, length, cp932Length, [&](char* out) {
        if (length > 0)
            std::memcpy(out, utf8, size_t(length));
        return length;
    });
    if (!copied) // not a text field: read as a number
        SetUtf8(field, QByteArray(utf8, length), cp932Length);
}

char* TSqlTable::textRoom(int field, int capacity)
{
    TValue& v = writable(field);
    if (!info_[size_t(field)].text)
        return nullptr;
    if (!v.text.isDetached())
        v.text = QByteArray();
    resizeText(v.text, capacity);
    return v.text.data();
}

void TSqlTable::textFilled(int field, int length, int cp932Length)
{
    TValue& target = state_ == TState::SetKey ? key_[size_t(field)] : buf_[size_t(field)];
    resizeText(target.text, length);
    setText(target, field, cp932Length);
}

void TSqlTable::setText(TValue& v, int field, int cp932Length)
{
    v.cp932Length = cp932Length;
    v.null = false;
    v.fits = valueFits(field, v.text.constData(), v.text.size(), cp932Length);
}

void TSqlTable::SetInteger(int field, qint64 value)
{
    TValue& v = writable(field);
    switch (def_.Fields[field].Type) {
    case TSqlFieldType::Text:
    case TSqlFieldType::Memo:
        v.text = QByteArray::number(value);
        setText(v, field, -1);
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
        v.text = QByteArray::number(value, 'g', 17), setText(v, field, -1);
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

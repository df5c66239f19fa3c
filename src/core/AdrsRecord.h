#pragma once
// TAdrsRecord: one row of an address book's Adrs.DB in memory. Texts are code
// page 932 bytes held to their field's width; a longer value is cut to the
// width without splitting a double-byte character. The Note and ExtLink
// lists exist only when the record has them, and are owned by the record: a
// copy gets lists of its own. The fields are declared by core/AdrsFieldList.h.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

class TSqlTable;

// A code page 932 string of at most N bytes.
template <int N>
class TShortStr {
public:
    static constexpr int Width = N;

    TShortStr() = default;
    TShortStr(const char* bytes, int length) { Assign(bytes, length); }

    void Assign(const char* bytes, int length);
    void Assign(const QByteArray& bytes) { Assign(bytes.constData(), int(bytes.size())); }
    void SetText(const QString& text); // encoded to code page 932, then cut
    void Clear() { len_ = 0; }

    QByteArray Bytes() const { return QByteArray(buf_, len_); }
    QString Text() const;
    const char* Data() const { return buf_; }
    int Length() const { return len_; }
    bool IsEmpty() const { return len_ == 0; }

    friend bool operator==(const TShortStr& a, const TShortStr& b)
    {
        return a.len_ == b.len_ && std::equal(a.buf_, a.buf_ + a.len_, b.buf_);
    }

private:
    std::uint16_t len_ = 0;
    char buf_[N] = {};
};

// The longest prefix of at most width bytes that does not split a double-byte
// character of code page 932.
int Cp932CutLength(const char* bytes, int length, int width);

template <int N>
void TShortStr<N>::Assign(const char* bytes, int length)
{
    len_ = std::uint16_t(Cp932CutLength(bytes, length, N));
    std::copy(bytes, bytes + len_, buf_);
}

QString Cp932ToQString(const char* bytes, int length);
QByteArray QStringToCp932(const QString& text);

template <int N>
QString TShortStr<N>::Text() const
{
    return Cp932ToQString(buf_, len_);
}

template <int N>
void TShortStr<N>::SetText(const QString& text)
{
    Assign(QStringToCp932(text));
}

// A memo list: one code page 932 line per entry.
using TStringList = QList<QByteArray>;

// A memo list the record owns: absent (null) or its lines. A copy gets lines
// of its own, never shared with the source's later edits.
//
// Lines lose how the stored text ended and which line breaks it used ("a" and
// "a\r\n" are both the line "a"); a list read from a table also keeps the
// text it was read from, and is written back as exactly that text while its
// lines are still those of the text. A list given new lines forgets it.
class TLineList : public std::unique_ptr<TStringList> {
public:
    using Base = std::unique_ptr<TStringList>;
    TLineList() noexcept = default;
    TLineList(std::nullptr_t) noexcept {}
    TLineList(Base lines) noexcept : Base(std::move(lines)) {}
    TLineList(const TLineList& other);
    TLineList& operator=(const TLineList& other);
    TLineList(TLineList&&) noexcept = default;
    TLineList& operator=(TLineList&&) noexcept = default;
    TLineList& operator=(Base&& lines) noexcept
    {
        Base::operator=(std::move(lines));
        stored_.clear();
        return *this;
    }
    TLineList& operator=(std::nullptr_t) noexcept
    {
        reset();
        stored_.clear();
        return *this;
    }

    // The lines of a stored text, keeping the text.
    static TLineList FromStored(const QByteArray& text);
    // The text to store: the text read when the lines are still its lines,
    // else every line followed by CR LF. Null gives an empty text.
    QByteArray StoredText() const;

private:
    QByteArray stored_;
};

#include "core/AdrsFieldList.h"

// Every field of the record, declared by the field list (core/AdrsFieldList.h).
#define TELVORA_DECLARE_ADRS_FIELD(member, column, kind, width, ...) __VA_ARGS__ member{};
struct TAdrsRecordFields {
    TELVORA_ADRS_FIELDS(TELVORA_DECLARE_ADRS_FIELD)
};
#undef TELVORA_DECLARE_ADRS_FIELD

struct TAdrsRecord : TAdrsRecordFields {};

// Every field equal, lists compared by presence and content.
bool operator==(const TAdrsRecord& a, const TAdrsRecord& b);

// Frees the lists and zero-fills the record.
void ClearAdrsRecord(TAdrsRecord& record);

// The table keeps Tel, Fax, Portable1 and Portable2 as digits; every reader
// that shows a record hands them on hyphenated.
void HyphenatePhoneFields(TAdrsRecord& record);

// AddDateTime and UpdDateTime are stored as days since 1899-12-30 (local
// time), the fraction being the time of day. 0 means "not set".
QDateTime StoredToDateTime(double value);
double DateTimeToStored(const QDateTime& value);

// The state of a new record before anything is typed: all blank except
// PrivCorp as given, JointPrint on and the default symbol colour.
inline constexpr std::int32_t kDefaultSymbolColor = 0x7FDF3F;
void InitNewAdrsRecord(TAdrsRecord& record, bool privCorp);

// Memo text as the table holds it: every line followed by CR LF. Splitting
// takes CR LF, CR and LF as line breaks; a final break starts no line.
QByteArray JoinMemoLines(const TStringList& lines);
TStringList SplitMemoLines(const QByteArray& text);

// Record <-> current row of an Adrs.DB table. ReadAdrsRecord takes the
// current row; WriteAdrsRecord fills the edit buffer (Append or Edit first,
// Post after) with every field but RecNo, which the table gives. Telephone,
// fax and mobile numbers go in as their digits.
void ReadAdrsRecord(const TSqlTable& table, TAdrsRecord& record);
void WriteAdrsRecord(const TAdrsRecord& record, TSqlTable& table);

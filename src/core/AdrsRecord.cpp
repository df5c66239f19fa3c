#include "core/AdrsRecord.h"

#include "core/phone/PhoneNumber.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "core/AdrsFields.h"
#include "core/DBInfo.h"
#include "platform/Cp932.h"
#include "platform/SqlTable.h"

#include <type_traits>
#include <vector>

namespace {

bool isAscii(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

char* putUtf8(char* out, char16_t u)
{
    if (u < 0x80) {
        *out++ = char(u);
    } else if (u < 0x800) {
        *out++ = char(0xC0 | (u >> 6));
        *out++ = char(0x80 | (u & 0x3F));
    } else {
        *out++ = char(0xE0 | (u >> 12));
        *out++ = char(0x80 | ((u >> 6) & 0x3F));
        *out++ = char(0x80 | (u & 0x3F));
    }
    return out;
}

// Code page 932 -> UTF-8 by table: the converter's own answer for every
// single- and double-byte code, taken once. A code that does not decode to
// exactly one UTF-16 unit sends the whole text through the converter.
struct TUtf8Table {
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pair; // (lead << 8 | trail) - 0x8100; 0 = not by table
    TUtf8Table() : pair(size_t(0xFD00 - 0x8100), 0)
    {
        for (int b = 0; b < 256; ++b) {
            if (cp932::IsLeadByte(uchar(b)))
                continue;
            const char c = char(b);
            const QString u = cp932::Decode(&c, 1);
            single[b] = u.size() == 1 ? u[0].unicode() : 0;
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!cp932::IsLeadByte(uchar(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char c[2] = {char(lead), char(trail)};
                const QString u = cp932::Decode(c, 2);
                if (u.size() == 1 && !u[0].isSurrogate() && u[0] != QChar::ReplacementCharacter)
                    pair[size_t((lead << 8 | trail) - 0x8100)] = u[0].unicode();
            }
        }
        // The same answers as UTF-8 bytes (low three bytes) and their count
        // (high byte), stored with one four-byte copy.
        auto packed = [](char16_t u) {
            if (u == 0)
                return std::uint32_t(0);
            char b[4] = {};
            const int n = int(putUtf8(b, u) - b);
            return std::uint32_t(uchar(b[0]) | uchar(b[1]) << 8 | uchar(b[2]) << 16) | std::uint32_t(n) << 24;
        };
        for (size_t k = 0; k < single.size(); ++k)
            single8[k] = packed(single[k]);
        pair8.resize(pair.size());
        for (size_t k = 0; k < pair.size(); ++k)
            pair8[k] = packed(pair[k]);
    }
    std::array<std::uint32_t, 256> single8{};
    std::vector<std::uint32_t> pair8;
};


// Code page 932 bytes as the table's UTF-8, written to out (room for three
// bytes per input byte); -1 when a code is not in the table, which leaves
// the text to the converter.
int toUtf8Into(const char* p, int n, char* out)
{
    static const TUtf8Table table;
    char* o = out;
    for (int i = 0; i < n; ++i) {
        const auto b = uchar(p[i]);
        if (b < 0x80) {
            *o++ = char(b);
            continue;
        }
        std::uint32_t e = 0;
        if (cp932::IsLeadByte(b)) {
            if (i + 1 < n && uchar(p[i + 1]) >= 0x40 && uchar(p[i + 1]) <= 0xFC)
                e = table.pair8[size_t((b << 8 | uchar(p[i + 1])) - 0x8100)];
            ++i;
        } else {
            e = table.single8[b];
        }
        if (e == 0)
            return -1;
        static_assert(std::endian::native == std::endian::little, "the first UTF-8 byte is the lowest");
        const std::uint32_t bytes = e & 0xFFFFFF;
        std::memcpy(o, &bytes, 4);                // the room has a byte to spare
        o += e >> 24;
    }
    return int(o - out);
}

QByteArray fromUtf8(const QByteArray& utf8)
{
    if (isAscii(utf8.constData(), int(utf8.size())))
        return utf8;
    return cp932::Encode(QString::fromUtf8(utf8));
}

// Code page 932 bytes into the edit buffer as UTF-8, converted in place.
void putText(TSqlTable& t, int field, const char* p, int n)
{
    // A single byte becomes at most three UTF-8 bytes, two bytes at most
    // three; one more for the four-byte copies.
    if (!t.FillUtf8(field, n * 3 + 1, n, [&](char* out) { return toUtf8Into(p, n, out); }))
        t.SetUtf8(field, cp932::Decode(p, n).toUtf8(), n);
}

template <int N>
void put(TSqlTable& t, int field, const TShortStr<N>& s)
{
    putText(t, field, s.Data(), s.Length());
}

template <int N>
void get(const TSqlTable& t, int field, TShortStr<N>& s)
{
    s.Assign(fromUtf8(t.AsUtf8(field)));
}

// A telephone-like number as the table keeps it: its single-byte digits.
template <int N>
void putDigits(TSqlTable& t, int field, const TShortStr<N>& s)
{
    t.FillUtf8(field, s.Length(), -1, [&](char* out) {
        int n = 0;
        const char* p = s.Data();
        for (int i = 0; i < s.Length(); ++i) {
            const auto c = static_cast<unsigned char>(p[i]);
            if (cp932::IsLeadByte(c)) {
                ++i; // a double-byte character is no digit
                continue;
            }
            if (c >= '0' && c <= '9')
                out[n++] = char(c);
        }
        return n;
    });
}

void putMemo(TSqlTable& t, int field, const TLineList& list)
{
    if (!list) {
        t.SetNull(field);
        return;
    }
    QByteArray text = list.StoredText();
    putText(t, field, text.constData(), int(text.size()));
}

TLineList getMemo(const TSqlTable& t, int field)
{
    if (t.IsNull(field))
        return nullptr;
    return TLineList::FromStored(fromUtf8(t.AsUtf8(field)));
}

} // namespace

int Cp932CutLength(const char* bytes, int length, int width)
{
    if (length <= width)
        return length;
    return int(cp932::CutBytes(QByteArray::fromRawData(bytes, length), width).size());
}

QString Cp932ToQString(const char* bytes, int length) { return cp932::Decode(bytes, length); }
QByteArray QStringToCp932(const QString& text) { return cp932::Encode(text); }

TLineList::TLineList(const TLineList& other)
    : Base(other ? std::make_unique<TStringList>(*other) : nullptr), stored_(other.stored_)
{
    // QList shares its data implicitly; a kept copy must never see its
    // source's later edits, so detach now.
    if (*this)
        (*this)->detach();
}

TLineList& TLineList::operator=(const TLineList& other)
{
    if (this != &other)
        *this = TLineList(other);
    return *this;
}

TLineList TLineList::FromStored(const QByteArray& text)
{
    TLineList list(std::make_unique<TStringList>(SplitMemoLines(text)));
    list.stored_ = text;
    return list;
}

QByteArray TLineList::StoredText() const
{
    if (!*this)
        return {};
    const TStringList& lines = **this;
    // Splitting again is cheap next to the write, and it is what tells
    // whether the lines were edited since they were read.
    if (!stored_.isNull() && SplitMemoLines(stored_) == lines)
        return stored_;
    return JoinMemoLines(lines);
}

bool operator==(const TAdrsRecord& a, const TAdrsRecord& b)
{
    bool same = true;
    ForEachAdrsField([&](const auto& d) {
        for (int i = 0; i < d.Count && same; ++i) {
            if constexpr (std::remove_cvref_t<decltype(d)>::Kind == TFieldKind::Lines) {
                const auto& x = d.At(a, i);
                const auto& y = d.At(b, i);
                same = (x && y) ? *x == *y : !x && !y;
            } else {
                same = d.At(a, i) == d.At(b, i);
            }
        }
    });
    return same;
}

void ClearAdrsRecord(TAdrsRecord& record)
{
    record.Note.reset();
    record.ExtLink.reset();
    static_cast<TAdrsRecordFields&>(record) = TAdrsRecordFields{};
}

void InitNewAdrsRecord(TAdrsRecord& record, bool privCorp)
{
    ClearAdrsRecord(record);
    record.PrivCorp = privCorp;
    record.JointPrint = true;
    record.SymbolColor = kDefaultSymbolColor;
}

QByteArray JoinMemoLines(const TStringList& lines)
{
    QByteArray text;
    for (const QByteArray& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TStringList SplitMemoLines(const QByteArray& text)
{
    TStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

void ReadAdrsRecord(const TSqlTable& t, TAdrsRecord& r)
{
    ClearAdrsRecord(r);
    ForEachAdrsColumn([&](const auto& d, int i, int column) {
        auto& v = d.At(r, i);
        using V = std::remove_reference_t<decltype(v)>;
        if constexpr (std::remove_cvref_t<decltype(d)>::Kind == TFieldKind::Lines)
            v = getMemo(t, column);
        else if constexpr (std::is_same_v<V, bool>)
            v = t.AsBoolean(column);
        else if constexpr (std::is_same_v<V, double>)
            v = t.AsFloat(column);
        else if constexpr (std::is_integral_v<V>)
            v = V(t.AsInteger(column));
        else
            get(t, column, v);
    });
}

void WriteAdrsRecord(const TAdrsRecord& r, TSqlTable& t)
{
    ForEachAdrsColumn([&](const auto& d, int i, int column) {
        const auto& v = d.At(r, i);
        using V = std::remove_cvref_t<decltype(v)>;
        if constexpr (std::remove_cvref_t<decltype(d)>::Kind == TFieldKind::RecNo)
            return; // the table numbers its rows
        else if constexpr (std::remove_cvref_t<decltype(d)>::Kind == TFieldKind::Lines)
            putMemo(t, column, v);
        else if constexpr (std::remove_cvref_t<decltype(d)>::Kind == TFieldKind::Phone)
            putDigits(t, column, v);
        else if constexpr (std::is_same_v<V, bool>)
            t.SetBoolean(column, v);
        else if constexpr (std::is_same_v<V, double>)
            t.SetFloat(column, v);
        else if constexpr (std::is_integral_v<V>)
            t.SetInteger(column, v);
        else
            put(t, column, v);
    });
}

QDateTime StoredToDateTime(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return {};
    // Whole milliseconds first, so 0.5 days is noon and not 11:59:59.999.
    // The time of day counts forward from midnight even before 1899-12-30
    // (-1.25 is 1899-12-29 06:00), as the stored form has always meant.
    const long long ms = std::llround(value * 86400000.0);
    const long long msPerDay = 86400000LL;
    long long days = ms / msPerDay;
    long long rest = ms % msPerDay;
    if (rest < 0)
        rest = -rest;
    return QDateTime(QDate(1899, 12, 30).addDays(days), QTime::fromMSecsSinceStartOfDay(int(rest)));
}

double DateTimeToStored(const QDateTime& value)
{
    if (!value.isValid())
        return 0.0;
    const double days = double(QDate(1899, 12, 30).daysTo(value.date()));
    const double fraction = double(value.time().msecsSinceStartOfDay()) / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
}

void HyphenatePhoneFields(TAdrsRecord& record)
{
    for (auto* field : {&record.Tel, &record.Fax, &record.Portable1, &record.Portable2})
        field->SetText(HyphenatePhoneNumber(field->Text()));
}

#include "core/AdrsRecord.h"

#include "core/phone/PhoneNumber.h"

#include <cmath>

#include "core/DBInfo.h"
#include "platform/Cp932.h"
#include "platform/SqlTable.h"

#include <vector>

namespace {

bool isAscii(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
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
    }
};

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

// Code page 932 bytes as the table's UTF-8 (ASCII passes unchanged).
QByteArray toUtf8(const char* p, int n)
{
    if (isAscii(p, n))
        return QByteArray(p, n);
    static const TUtf8Table table;
    // A single byte becomes at most three UTF-8 bytes, two bytes at most three.
    QByteArray out(qsizetype(n) * 3, Qt::Uninitialized);
    char* o = out.data();
    for (int i = 0; i < n; ++i) {
        const auto b = uchar(p[i]);
        char16_t u = 0;
        if (cp932::IsLeadByte(b)) {
            if (i + 1 < n && uchar(p[i + 1]) >= 0x40 && uchar(p[i + 1]) <= 0xFC)
                u = table.pair[size_t((b << 8 | uchar(p[i + 1])) - 0x8100)];
            ++i;
        } else {
            u = table.single[b];
        }
        if (u == 0)
            return cp932::Decode(p, n).toUtf8();
        o = putUtf8(o, u);
    }
    out.truncate(o - out.constData());
    return out;
}

QByteArray fromUtf8(const QByteArray& utf8)
{
    if (isAscii(utf8.constData(), int(utf8.size())))
        return utf8;
    return cp932::Encode(QString::fromUtf8(utf8));
}

template <int N>
void put(TSqlTable& t, int field, const TShortStr<N>& s)
{
    t.SetUtf8(field, toUtf8(s.Data(), s.Length()), s.Length());
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
    QByteArray digits;
    const char* p = s.Data();
    for (int i = 0; i < s.Length(); ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (cp932::IsLeadByte(c)) {
            ++i; // a double-byte character is no digit
            continue;
        }
        if (c >= '0' && c <= '9')
            digits.append(char(c));
    }
    t.SetUtf8(field, digits);
}

void putMemo(TSqlTable& t, int field, const TStringList* list)
{
    if (!list) {
        t.SetNull(field);
        return;
    }
    QByteArray text = JoinMemoLines(*list);
    t.SetUtf8(field, toUtf8(text.constData(), int(text.size())), int(text.size()));
}

std::unique_ptr<TStringList> getMemo(const TSqlTable& t, int field)
{
    if (t.IsNull(field))
        return nullptr;
    return std::make_unique<TStringList>(SplitMemoLines(fromUtf8(t.AsUtf8(field))));
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

TAdrsRecord::TAdrsRecord(const TAdrsRecord& other)
    : TAdrsRecordFields(other),
      Note(other.Note ? std::make_unique<TStringList>(*other.Note) : nullptr),
      ExtLink(other.ExtLink ? std::make_unique<TStringList>(*other.ExtLink) : nullptr)
{
    // QList shares its data implicitly; a kept copy must never see its
    // source's later edits, so detach now.
    if (Note)
        Note->detach();
    if (ExtLink)
        ExtLink->detach();
}

TAdrsRecord& TAdrsRecord::operator=(const TAdrsRecord& other)
{
    if (this != &other) {
        TAdrsRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

namespace {
bool sameList(const std::unique_ptr<TStringList>& a, const std::unique_ptr<TStringList>& b)
{
    if (!a || !b)
        return !a && !b;
    return *a == *b;
}
} // namespace

bool operator==(const TAdrsRecord& a, const TAdrsRecord& b)
{
    const TAdrsRecordFields& x = a;
    const TAdrsRecordFields& y = b;
    return x.RecNo == y.RecNo && x.Group == y.Group && x.CustomCode == y.CustomCode && x.Tel == y.Tel &&
           x.TelDiv == y.TelDiv && x.Fax == y.Fax && x.PubDate == y.PubDate && x.Portable1 == y.Portable1 &&
           x.Portable2 == y.Portable2 && x.Pos == y.Pos && x.Tdfkn == y.Tdfkn && x.Adrs1 == y.Adrs1 &&
           x.Adrs2 == y.Adrs2 && x.Adrs3 == y.Adrs3 && x.AdrsKana == y.AdrsKana && x.JisCode == y.JisCode &&
           x.KajoCode == y.KajoCode && x.Latitude == y.Latitude && x.Longitude == y.Longitude &&
           x.PrivCorp == y.PrivCorp && x.MyNumber == y.MyNumber && x.CorpKanji == y.CorpKanji &&
           x.CorpKana == y.CorpKana && x.Dptmnt == y.Dptmnt && x.Post == y.Post && x.EmployeeNo == y.EmployeeNo &&
           x.NameKanji == y.NameKanji && x.NameKana == y.NameKana && x.Honor == y.Honor &&
           x.IgnoreName == y.IgnoreName && x.URL == y.URL && x.EMail1 == y.EMail1 && x.EMail2 == y.EMail2 &&
           x.Joint == y.Joint && x.JointHonor == y.JointHonor && x.JointMyNumber == y.JointMyNumber &&
           x.JointOwner == y.JointOwner && x.JointPrint == y.JointPrint && x.JointPrintN == y.JointPrintN &&
           x.PrintTarget == y.PrintTarget && x.Sender == y.Sender && x.Keyword == y.Keyword &&
           x.ProtectMemo == y.ProtectMemo && x.ProtectNote == y.ProtectNote && x.SymbolMark == y.SymbolMark &&
           x.SymbolColor == y.SymbolColor && x.AddDateTime == y.AddDateTime && x.UpdDateTime == y.UpdDateTime &&
           x.CodeMain == y.CodeMain && x.CodeSub == y.CodeSub && x.CodeGenre == y.CodeGenre &&
           sameList(a.Note, b.Note) && sameList(a.ExtLink, b.ExtLink);
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
    r.RecNo = std::int32_t(t.AsInteger(afRecNo));
    r.Group = std::int32_t(t.AsInteger(afGroup));
    get(t, afCustomCode, r.CustomCode);
    get(t, afTel, r.Tel);
    r.TelDiv = std::int32_t(t.AsInteger(afTelDiv));
    get(t, afFax, r.Fax);
    get(t, afPubDate, r.PubDate);
    get(t, afPortable1, r.Portable1);
    get(t, afPortable2, r.Portable2);
    get(t, afPos, r.Pos);
    get(t, afTdfkn, r.Tdfkn);
    get(t, afAdrs1, r.Adrs1);
    get(t, afAdrs2, r.Adrs2);
    get(t, afAdrs3, r.Adrs3);
    get(t, afAdrsKana, r.AdrsKana);
    get(t, afJisCode, r.JisCode);
    get(t, afKajoCode, r.KajoCode);
    r.Latitude = std::int32_t(t.AsInteger(afLatitude));
    r.Longitude = std::int32_t(t.AsInteger(afLongitude));
    r.PrivCorp = t.AsBoolean(afPrivCorp);
    get(t, afMyNumber, r.MyNumber);
    get(t, afCorpKanji, r.CorpKanji);
    get(t, afCorpKana, r.CorpKana);
    get(t, afDptmnt, r.Dptmnt);
    get(t, afPost, r.Post);
    get(t, afEmployeeNo, r.EmployeeNo);
    get(t, afNameKanji, r.NameKanji);
    get(t, afNameKana, r.NameKana);
    get(t, afHonor, r.Honor);
    r.IgnoreName = t.AsBoolean(afIgnoreName);
    get(t, afURL, r.URL);
    get(t, afEMail1, r.EMail1);
    get(t, afEMail2, r.EMail2);
    for (int i = 0; i < 5; ++i) {
        get(t, afJoint1 + i, r.Joint[i]);
        get(t, afJointHonor1 + i, r.JointHonor[i]);
        get(t, afJointMyNumber1 + i, r.JointMyNumber[i]);
        r.JointPrintN[i] = t.AsBoolean(afJointPrint1 + i);
    }
    r.JointOwner = std::int32_t(t.AsInteger(afJointOwner));
    r.JointPrint = t.AsBoolean(afJointPrint);
    r.Sender = std::int32_t(t.AsInteger(afSender));
    r.PrintTarget = std::int32_t(t.AsInteger(afPrintTarget));
    r.Note = getMemo(t, afNote);
    for (int i = 0; i < 8; ++i)
        get(t, afKeyword1 + i, r.Keyword[i]);
    for (int i = 0; i < 10; ++i)
        get(t, afProtectMemo1 + i, r.ProtectMemo[i]);
    get(t, afProtectNote, r.ProtectNote);
    r.ExtLink = getMemo(t, afExtLink);
    get(t, afSymbolMark, r.SymbolMark);
    r.SymbolColor = std::int32_t(t.AsInteger(afSymbolColor));
    r.CodeMain = std::int32_t(t.AsInteger(afCodeMain));
    r.CodeSub = std::int32_t(t.AsInteger(afCodeSub));
    r.CodeGenre = std::int32_t(t.AsInteger(afCodeGenre));
    r.AddDateTime = t.AsFloat(afAddDateTime);
    r.UpdDateTime = t.AsFloat(afUpdDateTime);
}

void WriteAdrsRecord(const TAdrsRecord& r, TSqlTable& t)
{
    t.SetInteger(afGroup, r.Group);
    put(t, afCustomCode, r.CustomCode);
    putDigits(t, afTel, r.Tel);
    t.SetInteger(afTelDiv, r.TelDiv);
    putDigits(t, afFax, r.Fax);
    put(t, afPubDate, r.PubDate);
    putDigits(t, afPortable1, r.Portable1);
    putDigits(t, afPortable2, r.Portable2);
    put(t, afPos, r.Pos);
    put(t, afTdfkn, r.Tdfkn);
    put(t, afAdrs1, r.Adrs1);
    put(t, afAdrs2, r.Adrs2);
    put(t, afAdrs3, r.Adrs3);
    put(t, afAdrsKana, r.AdrsKana);
    put(t, afJisCode, r.JisCode);
    put(t, afKajoCode, r.KajoCode);
    t.SetInteger(afLatitude, r.Latitude);
    t.SetInteger(afLongitude, r.Longitude);
    t.SetBoolean(afPrivCorp, r.PrivCorp);
    put(t, afMyNumber, r.MyNumber);
    put(t, afCorpKanji, r.CorpKanji);
    put(t, afCorpKana, r.CorpKana);
    put(t, afDptmnt, r.Dptmnt);
    put(t, afPost, r.Post);
    put(t, afEmployeeNo, r.EmployeeNo);
    put(t, afNameKanji, r.NameKanji);
    put(t, afNameKana, r.NameKana);
    put(t, afHonor, r.Honor);
    t.SetBoolean(afIgnoreName, r.IgnoreName);
    put(t, afURL, r.URL);
    put(t, afEMail1, r.EMail1);
    put(t, afEMail2, r.EMail2);
    for (int i = 0; i < 5; ++i) {
        put(t, afJoint1 + i, r.Joint[i]);
        put(t, afJointHonor1 + i, r.JointHonor[i]);
        put(t, afJointMyNumber1 + i, r.JointMyNumber[i]);
        t.SetBoolean(afJointPrint1 + i, r.JointPrintN[i]);
    }
    t.SetInteger(afJointOwner, r.JointOwner);
    t.SetBoolean(afJointPrint, r.JointPrint);
    t.SetInteger(afSender, r.Sender);
    t.SetInteger(afPrintTarget, r.PrintTarget);
    putMemo(t, afNote, r.Note.get());
    for (int i = 0; i < 8; ++i)
        put(t, afKeyword1 + i, r.Keyword[i]);
    for (int i = 0; i < 10; ++i)
        put(t, afProtectMemo1 + i, r.ProtectMemo[i]);
    put(t, afProtectNote, r.ProtectNote);
    putMemo(t, afExtLink, r.ExtLink.get());
    put(t, afSymbolMark, r.SymbolMark);
    t.SetInteger(afSymbolColor, r.SymbolColor);
    t.SetInteger(afCodeMain, r.CodeMain);
    t.SetInteger(afCodeSub, r.CodeSub);
    t.SetInteger(afCodeGenre, r.CodeGenre);
    t.SetFloat(afAddDateTime, r.AddDateTime);
    t.SetFloat(afUpdDateTime, r.UpdDateTime);
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

#pragma once
// TAdrsRecord: one row of an address book's Adrs.DB in memory. Texts are code
// page 932 bytes held to their field's width; a longer value is cut to the
// width without splitting a double-byte character. The Note and ExtLink
// lists exist only when the record has them, and are owned by the record: a
// copy gets lists of its own.

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

// Everything of the record but its two lists; copied as it stands.
struct TAdrsRecordFields {
    std::int32_t RecNo = 0;
    std::int32_t Group = 0;
    TShortStr<20> CustomCode;
    TShortStr<13> Tel;
    std::int32_t TelDiv = 0;
    TShortStr<13> Fax;
    TShortStr<8> PubDate;
    TShortStr<13> Portable1;
    TShortStr<13> Portable2;
    TShortStr<7> Pos;
    TShortStr<8> Tdfkn;
    TShortStr<32> Adrs1;
    TShortStr<100> Adrs2;
    TShortStr<116> Adrs3;
    TShortStr<100> AdrsKana;
    TShortStr<5> JisCode;
    TShortStr<6> KajoCode;
    std::int32_t Latitude = 0;
    std::int32_t Longitude = 0;
    bool PrivCorp = false;
    TShortStr<34> MyNumber;
    TShortStr<112> CorpKanji;
    TShortStr<80> CorpKana;
    TShortStr<100> Dptmnt;
    TShortStr<50> Post;
    TShortStr<15> EmployeeNo;
    TShortStr<75> NameKanji; // wide-text form ("@" + four hex digits per UTF-16 unit) when not code page 932
    TShortStr<25> NameKana;
    TShortStr<10> Honor;
    bool IgnoreName = false;
    TShortStr<128> URL;
    TShortStr<64> EMail1;
    TShortStr<64> EMail2;
    std::array<TShortStr<55>, 5> Joint;         // Joint1-Joint5
    std::array<TShortStr<10>, 5> JointHonor;    // JointHonor1-JointHonor5
    std::array<TShortStr<34>, 5> JointMyNumber; // JointMyNumber1-JointMyNumber5
    std::int32_t JointOwner = 0;
    bool JointPrint = false;
    std::array<bool, 5> JointPrintN = {};       // JointPrint1-JointPrint5
    std::int32_t PrintTarget = 0;
    std::int32_t Sender = 0;
    std::array<TShortStr<100>, 8> Keyword;      // Keyword1-Keyword8
    std::array<TShortStr<130>, 10> ProtectMemo; // ProtectMemo1-ProtectMemo10
    TShortStr<1000> ProtectNote;
    TShortStr<10> SymbolMark;
    std::int32_t SymbolColor = 0;
    double AddDateTime = 0;
    double UpdDateTime = 0;
    std::int32_t CodeMain = 0;
    std::int32_t CodeSub = 0;
    std::int32_t CodeGenre = 0;
};

struct TAdrsRecord : TAdrsRecordFields {
    std::unique_ptr<TStringList> Note;
    std::unique_ptr<TStringList> ExtLink;

    TAdrsRecord() = default;
    TAdrsRecord(const TAdrsRecord& other);
    TAdrsRecord& operator=(const TAdrsRecord& other);
    TAdrsRecord(TAdrsRecord&&) noexcept = default;
    TAdrsRecord& operator=(TAdrsRecord&&) noexcept = default;
};

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

// Memo text as the table holds it: every line followed by CR LF.
QByteArray JoinMemoLines(const TStringList& lines);
TStringList SplitMemoLines(const QByteArray& text);

// Record <-> current row of an Adrs.DB table. ReadAdrsRecord takes the
// current row; WriteAdrsRecord fills the edit buffer (Append or Edit first,
// Post after) with every field but RecNo, which the table gives. Telephone,
// fax and mobile numbers go in as their digits.
void ReadAdrsRecord(const TSqlTable& table, TAdrsRecord& record);
void WriteAdrsRecord(const TAdrsRecord& record, TSqlTable& table);

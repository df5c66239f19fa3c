#pragma once
// The print settings every designer keeps: how record data are written when
// printed (character conversions, legal-form notation, postal marks,
// honorifics) and how the automatic layout sizes and places them.
//
// The record is stored whole, 108 bytes little-endian without padding, in
// the layout files of all three designers and in the undo history's
// data-format step. Fields hold what was read, byte for byte: a value out of
// range is kept for re-saving and clamped only where it is used (the
// accessors below and the dialogs), so writing a record read from a file
// gives back the very bytes read.
//
//   offset size field
//     0     1   HideTdfkn           Boolean  prefecture left out of addresses
//     1     1   VertNumeral         Boolean  digits upright in vertical writing
//     2     1   ChineseNumeral      Boolean  digits printed as kanji numerals
//     3     1   ConnectNo           Boolean  hyphen printed as "の"
//     4     4   CorpNotation        Int32    0 as stored, 1 abbreviated, 2 written out
//     8     4   PosMark             Int32    addressee postal code: 0 digits, 1 mark, 2 hyphen
//    12     4   SenderPosMark       Int32    sender postal code, same values
//    16    11   DefHonor            short string (length byte + 10 bytes code page 932)
//    27    11   CorpHonor           short string
//    38    11   PostHonor           short string
//    49    11   SenderHonor         short string
//    60    4    AddressSize         Int32 1-5  maximum character size steps ...
//    64    4    NameSize            Int32 1-5
//    68    4    AdditionSize        Int32 1-5
//    72    4    SenderAddressSize   Int32 1-5
//    76    4    SenderNameSize      Int32 1-5
//    80    4    SenderAdditionSize  Int32 1-5
//    84    4    CorpRatio           Int32 0-5  company line: 0 = 10/10 ... 5 = 5/10
//    88    4    DptmntRatio         Int32 0-5
//    92    4    PostRatio           Int32 0-5
//    96    1    CharSpace           Boolean  name characters spread over the frame
//    97    1    NameAlign           Byte 0 justified, 1 left/top, 2 right/bottom, 3 centred
//    98    1    SenderNameAlign     Byte, same values
//    99    1    SenderJointSeries   Boolean  0 side by side, 1 gathered
//   100    1    CorpBreak           Boolean  long company information broken at blanks
//   101    7    reserved            zero in a new layout, kept as read
//
// Bytes 0-59 are edited in the data-format dialog, 60-100 in the layout
// detail dialog; neither touches the other's bytes nor the reserved ones.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

class QIODevice;

// A short string of at most 10 bytes: the length byte, then the text. The
// bytes after the text are not cleared when a shorter text is put in, and
// are stored as they stand.
struct TShortHonor {
    static constexpr int kMaxBytes = 10;

    quint8 Length = 0;
    std::array<char, kMaxBytes> Bytes{};

    // The text, from at most 10 bytes whatever the length byte says, and
    // without a double-byte character cut in half at the end.
    QByteArray TextBytes() const;
    QString Text() const;
    // Puts in text cut to 10 bytes (never splitting a double-byte
    // character); the bytes after it stay as they were.
    void SetText(const QString& text);
    // Empties the string; only the length byte changes.
    void Clear() { Length = 0; }

    friend bool operator==(const TShortHonor&, const TShortHonor&) = default;
};

struct TPrintSetting {
    static constexpr int kSize = 108;
    // The byte ranges each dialog edits: [0, kDataFormEnd) and
    // [kDataFormEnd, kDetailEnd); [kDetailEnd, kSize) is reserved.
    static constexpr int kDataFormEnd = 60;
    static constexpr int kDetailEnd = 101;
    static constexpr int kReservedBytes = kSize - kDetailEnd;

    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 5;
    static constexpr int kMaxRatio = 5;
    static constexpr int kMaxAlign = 3;

    // Data format (bytes 0-59).
    quint8 HideTdfkn = 0;
    quint8 VertNumeral = 0;
    quint8 ChineseNumeral = 0;
    quint8 ConnectNo = 0;
    qint32 CorpNotation = 0;
    qint32 PosMark = 0;
    qint32 SenderPosMark = 0;
    TShortHonor DefHonor;
    TShortHonor CorpHonor;
    TShortHonor PostHonor;
    TShortHonor SenderHonor;
    // Layout detail (bytes 60-100).
    qint32 AddressSize = 0;
    qint32 NameSize = 0;
    qint32 AdditionSize = 0;
    qint32 SenderAddressSize = 0;
    qint32 SenderNameSize = 0;
    qint32 SenderAdditionSize = 0;
    qint32 CorpRatio = 0;
    qint32 DptmntRatio = 0;
    qint32 PostRatio = 0;
    quint8 CharSpace = 0;
    quint8 NameAlign = 0;
    quint8 SenderNameAlign = 0;
    quint8 SenderJointSeries = 0;
    quint8 CorpBreak = 0;
    std::array<quint8, kReservedBytes> Reserved{};

    // The stored form. FromBytes takes the first kSize bytes of data and
    // answers false (leaving the record alone) when there are fewer.
    QByteArray ToBytes() const;
    void ToBytes(char* out) const; // kSize bytes
    bool FromBytes(const QByteArray& data);
    void FromBytes(const char* data); // kSize bytes

    // Whole record on a stream, as the layout files and undo steps hold it;
    // a short read or failed write raises EDrawRectStreamError (the record
    // is then left as it was).
    void LoadFromStream(QIODevice& Stream);
    void SaveToStream(QIODevice& Stream) const;

    // The values as the designers hand them to the text objects, clamped
    // into their ranges: size steps 1-5, ratios as a fraction of the name's
    // size (index 0 = 1.0 ... 5 = 0.5).
    static int SizeStep(qint32 stored);
    static double RatioFraction(qint32 stored);
    static int RatioIndex(qint32 stored); // 0-5
    // Name alignment 0-3; a value above 3 is centred.
    static int Align(quint8 stored);

    friend bool operator==(const TPrintSetting&, const TPrintSetting&) = default;
};

// The defaults a designer sets when it starts a new layout; every field not
// named keeps its value (0 in a designer just made).

// Sizes 3, ratios 7/10, 6/10 and 5/10, character spacing on: the part the
// address-side and label designers share.
void SetLayoutDefaults(TPrintSetting& setting);
// Address side: the layout defaults and the honorifics 様, 御中, 様, 行.
// On paper without a background picture the addressee's postal code takes
// a hyphen and the sender's the postal mark; on pictured paper (whose boxes
// are printed already) both are digits only.
void SetAddressSideDefaults(TPrintSetting& setting, bool paperHasPicture);
// Label designer: the layout defaults; on label paper (kind 2) the four
// honorifics and a hyphened addressee postal code; on business-card paper
// (kind 3) no default honorific.
void SetLabelDefaults(TPrintSetting& setting, int paperKind);
// Message side: sizes 3 except the addressee's additional information, the
// same ratios, character spacing on, the sender's postal code with its mark.
void SetMessageSideDefaults(TPrintSetting& setting);

// Paper kinds the designers pass to the dialogs.
inline constexpr int kPaperKindLabel = 2;
inline constexpr int kPaperKindCard = 3;

#pragma once
// The full record of one business listing as the listing-search library
// hands it out: 596 bytes, character fields blank-padded code page 932,
// integers little-endian. In memory the character fields are held trimmed.

#include "core/AdrsRecord.h"
#include <QByteArray>
#include <QString>
#include <cstdint>

struct TListingDetail {
    static constexpr int kSize = 596;

    QString Tel;          // 0, 14
    int32_t TelKind = 0;  // 20: 1 fax, 2 telephone and fax, 3 main number, other telephone
    QString PostalCode;   // 24, 8
    QString Name;         // 32, 120
    QString NameKana;     // 152, 62
    QString Tdfkn;        // 214, 10 prefecture
    QString City;         // 224, 26
    QString Town;         // 250, 38
    QString Adrs2;        // 288, 38
    QString Adrs3;        // 326, 82
    QString TdfknKana;    // 408, 10
    QString CityKana;     // 418, 26
    QString TownKana;     // 444, 38
    QString Kana4;        // 482, 34
    QString Kana5;        // 516, 34
    QString AreaCode;     // 550, 16: 1-5 municipality code, 6-11 sub-area code
    int32_t ListingKind = 0; // 568: 99 person, other company
    QString PubDate;      // 572, 8: yyyymm
    int32_t Latitude = 0;  // 580, 1/256 second of arc
    int32_t Longitude = 0; // 584
    QString Category;     // 588, 6: major 2 digits, minor 2 digits

    // Reads a 596-byte record; false (and the record left empty) when the
    // buffer is shorter.
    bool FromBytes(const QByteArray& bytes);
    // The record as the library writes it; fields too long for their width
    // are cut without splitting a double-byte character.
    QByteArray ToBytes() const;

    bool IsPerson() const { return ListingKind == 99; }
    // Town area, second and third address part joined (up to 158 bytes).
    QString JoinedAddress() const { return Town + Adrs2 + Adrs3; }
    // The five reading parts joined in order.
    QString JoinedReading() const { return TdfknKana + CityKana + TownKana + Kana4 + Kana5; }
    QString JisCode() const { return AreaCode.left(5); }
    QString KajoCode() const { return AreaCode.mid(5, 6); }
    int CategoryMain() const { return Category.left(2).toInt(); }
    int CategorySub() const { return Category.mid(2, 2).toInt(); }
    // The category as the program's category lists name it: the minor's
    // name, the major's when the minor is 0, the code itself when the lists
    // do not know it; empty for a listing without a category.
    QString CategoryName() const;
    // Position in milliseconds of arc, rounded half away from zero.
    int32_t LatitudeMs() const { return ToMilliseconds(Latitude); }
    int32_t LongitudeMs() const { return ToMilliseconds(Longitude); }
    static int32_t ToMilliseconds(int32_t value256);

    bool operator==(const TListingDetail&) const = default;
};

// The program's category lists, read from the category file when nobody has
// read them yet (the windows of this library may be opened before the
// program's start-up has, as in tests); false when there are none.
bool EnsureCategoriesLoaded();

// Widths in code page 932 bytes of the address-book fields that listing and
// lookup values go into. Values from the listings may be wider (a joined
// address up to 158 bytes); they are cut with FitToField before they reach a
// control so that what is shown, compared and stored is the same text.
namespace field_width {
// Taken from the record itself, so the two can never disagree.
inline constexpr int Tdfkn = decltype(TAdrsRecordFields::Tdfkn)::Width;
inline constexpr int Adrs1 = decltype(TAdrsRecordFields::Adrs1)::Width;
inline constexpr int Adrs2 = decltype(TAdrsRecordFields::Adrs2)::Width;
inline constexpr int Adrs3 = decltype(TAdrsRecordFields::Adrs3)::Width;
inline constexpr int JisCode = decltype(TAdrsRecordFields::JisCode)::Width;
inline constexpr int KajoCode = decltype(TAdrsRecordFields::KajoCode)::Width;
} // namespace field_width

// The text cut to maxBytes code page 932 bytes, never splitting a character.
QString FitToField(const QString& text, int maxBytes);

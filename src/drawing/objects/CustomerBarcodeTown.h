#pragma once
// Inside the customer barcode: where in an address the address number
// begins, and the text helpers the number's extraction and the town search
// share. Not for other callers (CustomerBarcode.h is the interface).

#include <QByteArray>
#include <QString>
#include <QStringView>

class TPostalDictionary;

namespace customer_barcode {

// The line break an address keeps where two of its lines meet after a digit
// (a break elsewhere is dropped): the number ends there, the town search
// reads across it.
inline constexpr char16_t kLineBreak = u'\n';

bool IsDigit(QChar c);
bool IsBlank(QChar c);
bool IsKanjiNumeral(QChar c);
bool IsKanji(QChar c);
// A run of kanji numerals as Arabic digits (二十一 21, 二〇三 203).
QString KanjiNumber(QStringView run);
// Half-width capitals, digits and hyphens; & / ・ . taken out; line breaks
// kept only after a digit.
QString Normalized(const QString& address);
// The address number of a normalised text; AfterTown when it begins right
// after the town the dictionary matched, so that a kanji numeral standing
// alone there (永田町一) is the town's first number.
QByteArray NumberOf(const QString& Normal, bool AfterTown = false);

// Where the address number begins in Normal (the normalised Address): after
// the town the postal code names, or for a code the dictionary does not
// list or that names a whole municipality the town the address names; else
// after a Kyoto street designation; else 0. TownFound, when given, says
// whether a town of the dictionary was matched.
qsizetype AddressNumberStart(TPostalDictionary& Dictionary, const QByteArray& PostalCode7, const QString& Address,
                             const QString& Normal, bool* TownFound = nullptr);
// Where a Kyoto street designation after From ends (河原町通四条下る２丁目,
// 上ノ口通二ノ宮西入ル, 御前通今出川２筋目上る): after the last of its
// direction words and blocks. From when there is none before the address
// number.
qsizetype StreetDesignationEnd(QStringView s, qsizetype From);

} // namespace customer_barcode

#pragma once
// The postal customer barcode of an address: the address number taken out
// of the address by the postal service's published rules, joined to the
// postal code and cut to 20 symbol characters, the check digit modulo 19,
// and the 67 bars drawn as a 1-bit bitmap file.
//
// The barcode objects reach it through a small binding shaped like a
// run-time library (load, free, create): a process-wide reference count,
// and a create call that writes the bitmap file. The bars are built in, so
// loading cannot fail; the count still says whether anyone has loaded.
//
// Symbol characters in text form: '0'-'9', '-', and 'a'-'h' for the control
// codes CC1-CC8 (a letter is a control code and a digit: A-J CC1 0-9, K-T CC2
// 0-9, U-Z CC3 0-5; CC4 fills the 20 places).
//
// The address number is read from what follows the town the postal code
// names (Debian's postal-code dictionary, read once per process), so a town
// name that holds a numeral (麻布十番, 一番, 八丁堀) never adds a number. The
// address may begin at the prefecture, the city, the ward or the town, and
// spell the town as people write it: ヶ/ケ/が, の/ノ/之, numerals in any
// width, in kanji or digits, and Kyoto's street designations (河原町通四条
// 下る２丁目稲荷町) with る or ル, 入, 入る or 入ル, 上がる, 通 or 通り
// written or not, from another crossing, or left out, and Hokkaido's 条
// towns written short (南6西10 for 南六条西十丁目). A postal code typed into
// the address with its mark (〒100-0014) is left out. For a code the
// dictionary does not list (a large office's own code) the town is the one
// the address names: among the towns of the municipality the address begins
// with, else of the municipalities of the code's first three digits. Where
// the address does not spell a town or the dictionary is missing, the whole
// address goes through the extraction, so a town name that holds digits or a
// lone letter adds them to the address number; a Kyoto street designation
// (up to its last 上る, 下る, 東入 or 西入 and the blocks after it, 二丁目,
// 3筋目) is part of the place and never read. Kanji numerals in front of a
// mark (丁目, 丁, 番地, 番, 号, 地割, 線, の, ノ) are a number: in front
// of 丁目, 号, 番地, 地割 and 線 always, and as the next smaller block after a
// number (二丁目四番丸の内ビル); otherwise not when the kanji of a town name
// follow the mark, so town names such as 北六条東, 十日町, 八丁堀, 三ノ輪 or
// 一番町 add nothing while a building name straight after the mark
// (六番ソ表能ビル, 三丁目新宿ビル) leaves the number in. Kanji numerals with
// no mark after them are the next number when they go on from one, straight
// after 丁目, 丁, 番, 番地, の, ノ or a hyphen that closed it (一ノ七ノ一,
// 一丁目二番三, 二丁目四－五; 号 ends the number), and the address or a line
// ends, or a blank, a digit, a hyphen, a letter, a bracket, 階 or 室 follows;
// other kanji or kana after them may begin a building name (一ノ七ノ一三井
// ビル), so they are left out rather than a number guessed. Straight after
// the town the dictionary matched (永田町一) they go on from the town; with
// no town matched they never do. Whatever is not part of a number becomes a
// hyphen, a run of them one, and none is left at either end.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class TPostalDictionary;

// Result codes of the create call.
inline constexpr int kBarcodeOk = 0;
inline constexpr int kBarcodeBadPostalCode = 1; // not seven digits
inline constexpr int kBarcodeWriteFailed = 2;   // the bitmap file could not be written
inline constexpr int kBarcodeNotLoaded = 103;

// Bar kinds, top to bottom: long, ascender (upper part), descender (lower
// part), timing (middle only).
enum : quint8 { bkLong = 1, bkAscender = 2, bkDescender = 3, bkTiming = 4 };

// The postal code as seven half-width digits (full-width digits and a hyphen
// between them accepted); empty when it is not seven digits.
QByteArray NormalizeBarcodePostalCode(const QString& PostalCode);

// The address number of an address: digits, hyphens and lone letters. With
// the postal code (seven digits), read from what follows the town it names;
// without, from the whole address after any street designation. The
// dictionary is the shared one unless given.
QByteArray ExtractAddressNumber(const QByteArray& PostalCode7, const QString& Address);
QByteArray ExtractAddressNumber(TPostalDictionary& Dictionary, const QByteArray& PostalCode7, const QString& Address);
QByteArray ExtractAddressNumber(const QString& Address);

// A record's prefecture and address lines as the barcode takes them: joined
// with line breaks, so that a number ends where two lines meet (2-21-1 /
// 101号室 is 2-21-1-101) while a town name wrapped mid-word still reads as
// one (麻布十 / 番). A break straight after a digit always ends the number.
QString JoinBarcodeAddress(const QStringList& Lines);

// Postal code and address number as 20 symbol characters (text form above):
// letters as two characters, cut after 20 (a control code in place 20 stays
// without its digit), filled with CC4.
QByteArray CustomerBarcodeSymbols(const QByteArray& PostalCode7, const QByteArray& AddressNumber);

// Value of a symbol character (0-9, '-' 10, CC1-CC8 11-18); -1 for another.
int CustomerBarcodeValue(char Symbol);
// The check character of 20 symbol characters.
char CustomerBarcodeCheck(const QByteArray& Symbols);

// The 67 bars: start, the 20 symbols, check, stop.
std::vector<quint8> CustomerBarcodeBars(const QByteArray& Symbols);

// Pixels of one bar width in the bitmap; bars, spaces and heights are whole
// multiples of it (a bar is one unit wide, the long bar six units high), so
// stretched onto a printer page every bar keeps one width.
inline constexpr int kBarcodeUnitPixels = 10;
// The bars as a 1-bit bitmap (black bars on white), read left to right, or
// turned right by 90 degrees when not Horizontal (read top to bottom).
QImage CustomerBarcodeImage(const std::vector<quint8>& Bars, bool Horizontal);

// The binding. SipwenLoad counts a reference and returns 0; SipwenFree
// releases one. SipwenCreateAdrsBar writes the barcode of the postal code and
// the address (code page 932 bytes) to FileName (DictionaryFolder +
// "Barcode.bmp" when FileName is blank); Direction 0 horizontal, 1 vertical.
int SipwenLoad(const QString& Folder);
void SipwenFree();
int SipwenRefCount();
int SipwenCreateAdrsBar(const QByteArray& PostalCode, const QByteArray& Address, int Direction,
                        const QString& LibraryFolder, const QString& DictionaryFolder, const QString& FileName);

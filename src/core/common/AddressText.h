#pragma once
// Address and name text: number extraction from code page 932 text, the
// "@XXXX" form of wide text in narrow strings, the conversions the designers
// apply to printed addresses, and width conversion.

#include <QByteArray>
#include <QString>
#include <cstdint>

class QDateTime;

// Kinds bits for ExtractNumChars.
enum : uint8_t { kExtractDigits = 1, kExtractHyphen = 2, kExtractPeriod = 4 };
// The single-byte digits (bit 1), '-' (bit 2) and '.' (bit 4) of a code page
// 932 text, in order; double-byte characters are skipped whole (so their
// trail bytes are never taken for digits), everything else dropped.
QByteArray ExtractNumChars(const QByteArray& text, uint8_t kinds);
void ExtractNumChars(const QByteArray& text, uint8_t kinds, QByteArray& result);

// Wide text through a narrow string: every UTF-16 unit as '@' and four
// upper-case hexadecimal digits ("AB" -> "@0041@0042").
QByteArray WideToAtHex(const QString& text);
// The inverse for text that is wholly in that form; any other text (also one
// that merely begins with '@', such as "@home") is code page 932 as it stands.
QString AtHexToWide(const QByteArray& text);

// Replaces every bracketed one-character corporate-form mark by the full
// form: "(株)", "（株）", "㈱", "㊑" and "㍿" all become "株式会社". The 54
// marks are listed in Utils.cpp.
QString ExpandCorpFormW(const QString& text);

// Each digit, half- or full-width, as its kanji numeral, digit by digit as
// addresses are written vertically: "1-10" -> "一-一〇".
QString DigitsToKanjiW(const QString& text);

// Replaces a hyphen-like character that stands between two digits (half-width,
// full-width or kanji numerals) by the long-vowel mark "ー" (kind 0) or by "の"
// (kind 1). Hyphen-like: - U+002D, ‐ U+2010, ‑ U+2011, ‒ U+2012, – U+2013,
// — U+2014, ― U+2015, − U+2212, － U+FF0D, ｰ U+FF70 and ー U+30FC. A hyphen
// elsewhere ("A-1", "TEL-") is kept.
QString ReplaceHyphenW(const QString& text, int kind);

// Removes every occurrence of the 47 prefecture names ("東京都", "北海道",
// "大阪府", "京都府", "青森県" ...).
QString DeleteTdfknW(const QString& text);

// Width conversion as a Japanese user expects it: ASCII to full-width forms
// (the space to U+3000, ' " \ ~ to ’ ” ￥ ～), half-width katakana to
// katakana with their voiced marks composed ("ｶﾞ" -> "ガ", "ﾊﾟ" -> "パ").
// ToHalfWidth is the inverse ("ガ" -> "ｶﾞ"); characters without a
// counterpart (kanji, hiragana) stay as they are.
QString ToFullWidth(const QString& text);
QString ToHalfWidth(const QString& text);

// The value cut to whole seconds.
QDateTime TruncToSeconds(const QDateTime& value);

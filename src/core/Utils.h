#pragma once
// Small routines the whole system shares: rounding and dpi scaling, number
// extraction from code page 932 text, the "@XXXX" form of wide text in narrow
// strings, the text conversions the designers apply to printed addresses,
// telephone hyphenation, width conversion, and starting outside programs.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

class QColor;
class QDateTime;

// Trunc(x + 0.5) for x >= 0, else Trunc(x - 0.5): halves round away from zero.
// Every pixel conversion of the drawing objects goes through this.
int64_t RoundHalfUp(long double x);

// Converts between 96-dpi units (as window positions are kept in the
// settings) and screen pixels: toScreen gives Trunc(value * dpi / 96 + 0.5),
// otherwise Trunc(value * 96 / dpi + 0.5).
int ScaleForDpi(int value, bool toScreen);
// The screen's pixels per inch: the primary screen's logical dpi (96 without
// a screen). SetScreenPixelsPerInch fixes it (tests); 0 returns to the screen.
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int dpi);

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

// The trimmed number with its Japanese hyphens ("0312345678" ->
// "03-1234-5678"), or the trimmed number when it is no valid Japanese number.
QString HyphenatePhoneNumber(const QString& number);

// Width conversion as a Japanese user expects it: ASCII to full-width forms
// (the space to U+3000, ' " \ ~ to ’ ” ￥ ～), half-width katakana to
// katakana with their voiced marks composed ("ｶﾞ" -> "ガ", "ﾊﾟ" -> "パ").
// ToHalfWidth is the inverse ("ガ" -> "ｶﾞ"); characters without a
// counterpart (kanji, hiragana) stay as they are.
QString ToFullWidth(const QString& text);
QString ToHalfWidth(const QString& text);

// The value cut to whole seconds.
QDateTime TruncToSeconds(const QDateTime& value);

// Colours are stored as 0x00BBGGRR integers (blue in the high byte).
QColor ColorFromStored(int value);
int ColorToStored(const QColor& color);

// Starts a program with its arguments in folder (empty: the current folder).
// No shell is involved. There is no show state to pass: the program's
// windows appear as the desktop places them. Unless noWait, waits for it and returns its exit code;
// with noWait returns 0 once it has started. -1 when it cannot be started or
// when it crashed.
int ExecuteProgram(const QString& program, const QStringList& arguments, const QString& folder, bool noWait);
// The same for a command line, split by QProcess::splitCommand: arguments are
// separated by blanks, double quotes group blanks into one argument, and
// three consecutive quotes stand for one literal quote. No shell expansion,
// redirection or piping happens. -1 for an empty command line.
int ExecuteProgram(const QString& commandLine, const QString& folder, bool noWait);

// Desktops here hand mailto: links to the user's mail program through
// xdg-open; there is no protocol registration to repair.
void EnsureMailtoUrlProtocol();

#pragma once
// Code page 932 (Windows Shift-JIS), the byte form of every text the system
// stores: record fields, layout stream strings, INI and history files.
//
// Policy for characters code page 932 cannot hold: Encode() writes '?' for
// each of them (storage never fails half-way); input edits ask CanEncode()
// first and refuse such characters, so nothing typed is silently changed.
// CanEncode() is true only for text that reads back as written, save for the
// folds: before encoding, the Unicode forms that other code pages use for the
// characters code page 932 calls 〜 − — ‖ ¢ £ ¬ ￥ ￣ are folded to its own
// forms (U+301C U+2212 U+2014 U+2016 U+00A2 U+00A3 U+00AC U+00A5 U+203E).

#include <QByteArray>
#include <QString>

namespace cp932 {

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsLeadByte(unsigned char b);

QByteArray Encode(const QString& text);
QString Decode(const QByteArray& bytes);
QString Decode(const char* bytes, int length);

bool CanEncode(const QString& text);
bool CanEncodeChar(char32_t ch);
// The first character of the text that CanEncodeChar refuses; 0 when none.
char32_t FirstUnencodable(const QString& text);
// The text with each folded character in the code page's own form, the
// form it reads back in: what an edit shows is then what is stored. Every
// other character stays as it is, one for one (the folded characters are
// all in the BMP, so lengths and positions stand).
QString FoldToOwnForms(const QString& text);
// What a user is told of a character code page 932 cannot hold, wherever it
// arrives: 「♥」（U+2665）は入力できない文字です。 A character that shows as
// nothing or as a blank is named by its code, and by its name where it has
// one that tells it apart: （U+00A0 NO-BREAK SPACE）は入力できない文字です。
QString UnencodableMessage(char32_t ch);

// Byte length of the text in code page 932 ('?' counts one byte).
int ByteLength(const QString& text);

// The longest prefix of at most maxBytes bytes that does not split a
// double-byte character.
QByteArray CutBytes(const QByteArray& bytes, int maxBytes);
// The same on text: the characters whose code page 932 form fits in maxBytes.
QString CutToBytes(const QString& text, int maxBytes);

// The system's "trimmed": removes leading and trailing characters up to
// U+0020 only (QString::trimmed would also remove U+3000, the ideographic
// space, which is data here).
QString Trim(const QString& text);
QString TrimLeft(const QString& text);
QString TrimRight(const QString& text);
QByteArray Trim(const QByteArray& bytes);

} // namespace cp932

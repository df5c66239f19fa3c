#pragma once
// The 16 custom colours every colour dialog of the system shares, kept in
// CstmClr.ini, section [COMMON], keys "0" to "15".
//
// Stored form: the colour value as Windows writes it, six upper-case hex
// digits of 0xBBGGRR (blue first), so "FF0000" is pure blue and "0000FF"
// pure red; the dialog has always received each one as "ColorA=FF0000" ...
// "ColorP=...". A missing key reads as "000000" (black). Reading also takes
// lower case, fewer digits and a leading "$"; text that is no colour value
// reads as black. Writing always gives the six-digit form.

#include <QColor>
#include <QString>
#include <array>
#include <functional>

using TCustomColors = std::array<QColor, 16>;

inline constexpr const char* kCustomColorsFileName = "CstmClr.ini";

// Windows colour values (0x00BBGGRR) and their text form.
QColor ColorFromWinColor(unsigned value);
unsigned WinColorFromColor(const QColor& color);
QString CustomColorText(const QColor& color);
QColor CustomColorFromText(const QString& text); // invalid text: black

TCustomColors LoadCustomColors(const QString& iniFileName);
// False when the file could not be written.
bool SaveCustomColors(const QString& iniFileName, const TCustomColors& colors);

// Where ChooseColor keeps the custom colours: the folder the provider names
// (the data folder; set once at start-up) plus "CstmClr.ini". Without a
// provider the colours live only as long as the program runs.
void SetCustomColorsFolderProvider(std::function<QString()> provider);
QString CustomColorsFile();

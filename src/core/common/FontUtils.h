#pragma once
// Font routines shared by the drawing objects and their settings dialogs.

#include "platform/Font.h"

#include <QString>
#include <cstdint>
#include <vector>

class TCanvas;

struct TFontListEntry {
    QString name;
    std::uint8_t charset = ANSI_CHARSET;
};

// Adds, once each, the installed outline faces of the Western (0) and
// Japanese (128) character sets, with SymbolToo also the symbol faces (2);
// with FixedPitchOnly only fixed-pitch faces. Names beginning with "@" are
// never listed. The Windows Japanese faces that layouts name are listed too:
// they draw with their IPA stand-ins.
// A family the database lists per foundry ("Name [Foundry]") is listed once,
// under its bare name.
void ListTrueTypeFonts(std::vector<TFontListEntry>& list, bool fixedPitchOnly, bool symbolToo);
// The entry that names the face: by its exact name, else by any other name
// of the same installed family; -1 when none does.
int FindFontListEntry(const std::vector<TFontListEntry>& list, const QString& name);

// Sets character set, face, size in points and style (1 bold, 2 italic,
// 4 underline, 8 strikeout). False, and nothing done, without a font.
bool SetFontAttr(TFont* font, std::uint8_t charset, const QString& name, int size, int styleBits);
int FontStyleToBits(const TFont& font);

// Vertical writing: a Japanese face gets the "@" in front; escapement and
// orientation 2700. A font without a face takes "ＭＳ 明朝".
void SetFontVertical(TFont& font);
// Horizontal writing: no "@", escapement and orientation 0.
void SetFontHorizontal(TFont& font);
// Narrows or widens the canvas font to Ratio of its average character width;
// a Ratio of 0 or 1 gives the face's own width back.
void SetFontWidthRatio(TCanvas& canvas, double ratio);
// Turns the text by 180 degrees; twice gives the font back.
void RotateFont180(TFont& font);

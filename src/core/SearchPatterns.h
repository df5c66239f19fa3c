#pragma once
// The filter's stored forms, both in DataPath:
//   Search.ptn  the named condition patterns of the narrowing dialog
//   Search.lst  the main window's current filter, kept from run to run
//               (docs/formats.md)
// Both are replaced atomically, so a failed write leaves the old file as it
// was. Readers take every value out of range as damage: what was read
// before it is kept, the rest dropped.
//
// Search.ptn, little-endian, texts in code page 932 without terminator:
//   pattern count (1 byte), then per pattern: name length (1), name (a name
//   code page 932 cannot hold, or one that looks like it, as "@XXXX" wide
//   text), condition count (1),
//   the conditions, all/any (1: 1 all, 0 any).
// A condition: Item (1), Kind (1), then by kind: 0 text length (Int32) and
// text, 1 and 12 Value1 (Int32), 11 Value1 and Value2; then Match (1,
// signed, -1 = 0xFF) and Exclude (1). Deleting the last pattern deletes the
// file.

#include "core/NarrowDown.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The byte form of one condition, shared by both files.
void AppendNarrowDownItem(QByteArray& out, const TNarrowDownItem& item);
// Reads one condition at pos; false (pos undefined) when it is cut short or
// damaged.
bool ReadNarrowDownItem(const QByteArray& bytes, qsizetype& pos, TNarrowDownItem& item);

struct TSearchPattern {
    QString Name; // compared on the decoded text, exactly
    TNarrowDownCondition Condition;
};
using TSearchPatterns = std::vector<TSearchPattern>;

inline constexpr int kMaxSearchPatterns = 255; // the count is one byte

QString SearchPatternFileName(); // DataPath/Search.ptn

// The patterns of a file's bytes: the complete, sound patterns before the
// first damage or cut.
TSearchPatterns ParseSearchPatterns(const QByteArray& bytes);
// A missing or unreadable file gives no patterns.
TSearchPatterns LoadSearchPatterns(const QString& fileName = SearchPatternFileName());

// The file's bytes; empty (and false) when the patterns do not fit the format
// (more than 255 patterns or conditions, a name or text too long).
bool EncodeSearchPatterns(const TSearchPatterns& patterns, QByteArray& bytes);
// Writes the file anew, or deletes it when no pattern is left; false, with
// the old file untouched, when that failed or the patterns do not fit.
bool SaveSearchPatterns(const TSearchPatterns& patterns, const QString& fileName = SearchPatternFileName());

// The stored form of a pattern name: code page 932, or "@XXXX" wide text
// when code page 932 cannot hold it or its bytes would read as wide text;
// one line, a line break or other control character written as a blank.
QByteArray SearchPatternNameBytes(const QString& name);
// The index of the pattern of that name, -1 when none.
int IndexOfSearchPattern(const TSearchPatterns& patterns, const QString& name);

// The current filter.
struct TSavedFilter {
    TNarrowDownCondition Condition;
    bool Disabled = false; // suspended by the user
};
QString SearchListFileName(); // DataPath/Search.lst
TSavedFilter ParseSearchList(const QByteArray& bytes);
TSavedFilter LoadSearchList(const QString& fileName = SearchListFileName());
QByteArray EncodeSearchList(const TSavedFilter& filter);
// False, with the old file untouched, when it could not be written (or the
// filter has more than 255 conditions).
bool SaveSearchList(const TSavedFilter& filter, const QString& fileName = SearchListFileName());

#pragma once
// The 52 columns of the address list: one table shared by the list itself and
// by the column-choice dialog. A column's number is its position in this
// table; the keyword columns are 34-41.

#include <QString>
#include <array>
#include <cstdint>
#include <span>

class TIniFile;

struct TAdrsListColumnDef {
    const char* caption;    // UTF-8
    bool alignRight;
    int width;              // pixels at 96 dpi
    bool defaultShown;
    int field = -1;         // the column of Adrs.DB it shows by the field's kind; -1: made by the list
};

inline constexpr int kAdrsListColumnCount = 52;
inline constexpr int kAdrsListKeywordColumn = 34; // キーワード1; キーワード8 is 41

// Column numbers that the list fills specially.
enum TAdrsListColumn : int {
    alcNo = 0, alcGroup, alcCustomCode, alcTel, alcTelDiv, alcFax, alcPubDate, alcPortable1, alcPortable2,
    alcPos, alcAddress, alcAdrsKana, alcPrivCorp, alcMyNumber, alcCorpKanji, alcCorpKana, alcDptmnt, alcPost,
    alcEmployeeNo, alcNameKanji, alcNameKana, alcURL, alcEMail1, alcEMail2, alcJoint1,
    alcJointMyNumber1 = alcJoint1 + 5, alcKeyword1 = alcJointMyNumber1 + 5, alcNote = alcKeyword1 + 8,
    alcSymbol, alcAddDateTime, alcAddDate, alcAddTime, alcUpdDateTime, alcUpdDate, alcUpdTime, alcCodeMain,
    alcCodeSub
};
static_assert(alcKeyword1 == kAdrsListKeywordColumn && alcCodeSub == kAdrsListColumnCount - 1);

extern const std::array<TAdrsListColumnDef, kAdrsListColumnCount> AdrsListColumnDefs;

// The caption a column shows: the keyword columns take the keyword item
// names given (eight of them), every other column its table caption.
QString AdrsListColumnCaption(int column, const QString* keywordNames = nullptr);

// One column setting, in display order: the column's number, its position in
// the table (its default order), a value the column dialog passes through
// unchanged (the list keeps the column width there) and whether it is shown.
struct TListColumnSetting {
    int32_t ColumnNo = 0;
    int32_t Position = 0;
    int32_t Width = 0;
    bool Shown = false;
    bool operator==(const TListColumnSetting&) const = default;
};

using TListColumnSettings = std::array<TListColumnSetting, kAdrsListColumnCount>;

// True when the entries are the 52 columns, each once, each at its own table
// position; anything else must not reach the list.
bool IsValidListColumns(std::span<const TListColumnSetting> columns);

// Table order, the table's widths, the eight default columns shown.
TListColumnSettings DefaultListColumns();

// Reads [LIST COLUMN] of AdrsList.ini; anything missing or damaged (a column
// twice, one missing, numbers out of range, nothing shown) gives the defaults,
// so a bad file never loses a column from the list.
TListColumnSettings LoadListColumns(const TIniFile& ini);
void SaveListColumns(TIniFile& ini, const TListColumnSettings& columns);

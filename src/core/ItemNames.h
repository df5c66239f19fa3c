#pragma once
// Names and input modes of the eight keyword and ten protected-memo items,
// one set for every book of DataPath, kept in AdrsList.ini [KEYWORD] and
// [PROTECT MEMO].

#include <QString>
#include <array>

inline constexpr int kKeywordCount = 8;
inline constexpr int kProtectMemoCount = 10;

// Stored input-mode numbers (the platform edit controls' values).
enum TImeModeNo : int { imOff = 1, imFullAlpha = 5, imHiragana = 6, imHalfKatakana = 7, imFullKatakana = 8 };
bool IsValidImeModeNo(int mode);

// The input modes in the order the mode choices list them.
struct TImeModeEntry {
    const char16_t* caption;
    int mode;
};
inline constexpr int kImeModeEntryCount = 5;
extern const TImeModeEntry ImeModeEntries[kImeModeEntryCount];
// The entry of a stored mode number; the hiragana entry for an unknown one.
int ImeModeEntryIndex(int mode);

extern std::array<QString, kKeywordCount> KeywordNames;
extern std::array<int, kKeywordCount> KeywordModes;
extern std::array<QString, kProtectMemoCount> ProtectMemoNames;
extern std::array<int, kProtectMemoCount> ProtectMemoModes;

QString AdrsListIniFileName(); // DataPath/AdrsList.ini
QString FullWidthNumber(int n);  // the decimal digits of n in full width
QString DefaultKeywordName(int n);     // "キーワード" + n in full-width digits
QString DefaultProtectMemoName(int n); // "保護メモ" + n in full-width digits

// Reads both sets with their defaults: an empty or missing name gives the
// default name, a missing or unknown mode gives hiragana (6).
void LoadItemNames();

using TKeywordNames = std::array<QString, kKeywordCount>;
using TKeywordModes = std::array<int, kKeywordCount>;
using TProtectMemoNames = std::array<QString, kProtectMemoCount>;
using TProtectMemoModes = std::array<int, kProtectMemoCount>;

// Write the given names and modes into their section of AdrsList.ini,
// keeping the file's other sections and keys; false when the file could not
// be written (it is then as it was). The globals are left alone, so a caller
// takes the new values only once they are stored.
bool SaveKeywordItems(const TKeywordNames& names, const TKeywordModes& modes);
bool SaveProtectMemoItems(const TProtectMemoNames& names, const TProtectMemoModes& modes);
// The same for the values the globals hold.
inline bool SaveKeywordItems() { return SaveKeywordItems(KeywordNames, KeywordModes); }
inline bool SaveProtectMemoItems() { return SaveProtectMemoItems(ProtectMemoNames, ProtectMemoModes); }

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
bool SaveKeywordItems();
bool SaveProtectMemoItems();

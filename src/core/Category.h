#pragma once
// The industry categories: major categories 1-99 and, per major, minor
// categories, read from the category file in Dic/ (format in
// docs/formats.md). The program ships a sample file.

#include <QString>
#include <vector>

struct TCtgryItem {
    int Code = 0; // major: the major code; minor: major * 100 + minor
    QString Name;
};

inline constexpr int kMaxCtgryMain = 99;

// In code order: with "指定しない" put in front, the major with code n
// stands at position n (the file is read up to the first missing code).
extern std::vector<TCtgryItem> CtgryMainList;
// Indexed by major code (entry 0 unused); each list in code order.
extern std::vector<std::vector<TCtgryItem>> CtgrySubLists;

QString CategoryFileName(); // AppPath/Dic/dbctgry.dat

// Loads the lists; false when the file is missing or not a category file
// (the lists are then empty). A damaged file is read as far as it is sound.
bool LoadCategories(const QString& fileName = CategoryFileName());

QString GetCtgryMainName(int mainCode);
// code = major * 100 + minor.
QString GetCtgrySubName(int code);

#pragma once
// The duplicate display of the address list: the records whose chosen item,
// or pair of items, is equal to another record's. Records are grouped by a
// hash of their item text (never compared pair by pair), so a book of
// 100,000 records takes one pass and one sort.

#include <vector>

class TAdrsListCache;

// The items a duplicate can be looked for by, with the numbers the list
// keeps for them (0: no duplicate display / no second item).
enum TDuplicateItem : int { diNone = 0, diTel = 1, diAddress = 2, diCompany = 3, diName = 4 };
inline constexpr int kDuplicateItemCount = 4;

// The duplicate sets of the cache's rows by item1 (1-4) and, when item2 is
// 1-4 and another item, by both. Each set holds two or more cache rows in
// book order; the sets come in the order of their first rows. Rows whose
// item is blank (with two items: both blank) are left out. An item1 out of
// range gives no sets; an item2 out of range or equal to item1 is no second
// item. Texts are compared as shown, without the spaces around them.
std::vector<std::vector<int>> DuplicateSets(const TAdrsListCache& cache, int item1, int item2);

// The same sets one after another: the rows of the duplicate display.
std::vector<int> DuplicateRows(const TAdrsListCache& cache, int item1, int item2);

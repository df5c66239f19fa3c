#pragma once
// The word search of the address list: finds a word in the texts the list
// shows, in the shown columns, row by row in display order. A cell is
// matched as the user reads it (telephone numbers hyphenated, the address
// joined, a masked My Number as its stars), never by what is stored behind
// it. Most cells are ruled out on the stored bytes without building their
// text, so that a word found nowhere in a large book is answered at once.

#include <QString>
#include <cstdint>
#include <vector>

class TAdrsListCache;
class TAdrsListModel;

class TListWordSearch {
public:
    // columns: the shown column numbers. The word is looked for as it is
    // (exact characters); an empty word is found nowhere.
    TListWordSearch(const TAdrsListCache& cache, const std::vector<int>& columns, const QString& word);
    TListWordSearch(const TListWordSearch&) = delete;
    TListWordSearch& operator=(const TListWordSearch&) = delete;

    // True when a shown cell of the cache row contains the word.
    bool RowHolds(int cacheRow) const;
    // True when some row holds the word.
    bool Any() const { return any_; }

private:
    // Per cache row: a shown cell holds the word. Every row is settled
    // when the search is made, column by column.
    std::vector<std::uint8_t> holds_;
    bool any_ = false;
};

// The first row of the list at or after `from` whose shown cells hold the
// word; -1 when no such row is shown (or the word is empty).
int FindWordInList(const TAdrsListModel& model, const QString& word, int from);

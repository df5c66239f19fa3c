#pragma once
// The word search of the address list: finds a word in the texts the list
// shows, in the shown columns, row by row in display order. A cell is
// matched as the user reads it (telephone numbers hyphenated, the address
// joined, a masked My Number as its stars), never by what is stored behind
// it. Most cells are ruled out on the stored bytes without building their
// text, so that a word found nowhere in a large book is answered at once.

#include <QString>
#include <functional>
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

private:
    // One test per shown column: true when the row's cell holds the word.
    std::vector<std::function<bool(int cacheRow)>> matchers_;
};

// The first row of the list at or after `from` whose shown cells hold the
// word; -1 when no such row is shown (or the word is empty).
int FindWordInList(const TAdrsListModel& model, const QString& word, int from);

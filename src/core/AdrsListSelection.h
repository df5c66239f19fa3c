#pragma once
// The selected rows of the address list as sorted, merged row intervals.
//
// Counting or testing rows through QItemSelectionModel::selectedRows() or
// isRowSelected() walks every range (and every column) per call; a selection
// made of thousands of ctrl-clicked rows then takes seconds. The list builds
// these intervals once per selection change from the selection's ranges and
// answers every count and test from them.

#include <utility>
#include <vector>

class QItemSelection;

class TRowIntervals {
public:
    using Interval = std::pair<int, int>; // first and last row, inclusive

    void Assign(const QItemSelection& selection);
    // Any intervals, in any order, overlapping or not.
    void Assign(std::vector<Interval> intervals);
    void Clear();

    int Count() const { return count_; }
    bool Contains(int row) const;
    int First() const { return intervals_.empty() ? -1 : intervals_.front().first; }
    int Last() const { return intervals_.empty() ? -1 : intervals_.back().second; }
    const std::vector<Interval>& Intervals() const { return intervals_; }

private:
    std::vector<Interval> intervals_;
    int count_ = 0;
};

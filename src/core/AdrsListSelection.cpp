#include "core/AdrsListSelection.h"

#include <QItemSelection>
#include <algorithm>

void TRowIntervals::Assign(const QItemSelection& selection)
{
    std::vector<Interval> list;
    list.reserve(size_t(selection.size()));
    for (const QItemSelectionRange& range : selection)
        if (range.isValid())
            list.emplace_back(range.top(), range.bottom());
    Assign(std::move(list));
}

void TRowIntervals::Assign(std::vector<Interval> list)
{
    std::sort(list.begin(), list.end());
    intervals_.clear();
    count_ = 0;
    for (const Interval& iv : list) {
        if (iv.second < iv.first)
            continue;
        // Ranges over different columns of the same rows, or adjacent rows,
        // fold into one interval.
        if (!intervals_.empty() && iv.first <= intervals_.back().second + 1)
            intervals_.back().second = std::max(intervals_.back().second, iv.second);
        else
            intervals_.push_back(iv);
    }
    for (const Interval& iv : intervals_)
        count_ += iv.second - iv.first + 1;
}

void TRowIntervals::Clear()
{
    intervals_.clear();
    count_ = 0;
}

bool TRowIntervals::Contains(int row) const
{
    auto it = std::upper_bound(intervals_.begin(), intervals_.end(), row,
                               [](int r, const Interval& iv) { return r < iv.first; });
    if (it == intervals_.begin())
        return false;
    --it;
    return row <= it->second;
}

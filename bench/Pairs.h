#pragma once
// Side-by-side measurements: a benchmark times the program and its plain
// baseline back to back in every round and reports the median of the
// rounds' ratios, which a machine whose load comes and goes moves far less
// than either absolute time.
#include <algorithm>
#include <vector>

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto mid = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    return *mid;
}

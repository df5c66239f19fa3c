#pragma once
// Side-by-side measurements: a benchmark times the program and its plain
// baseline back to back in every round and reports the median of the
// rounds' ratios, which a machine whose load comes and goes moves far less
// than either absolute time.
#include <algorithm>
#include <ctime>
#include <vector>

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t m = values.size() / 2;
    return values.size() % 2 ? values[m] : (values[m - 1] + values[m]) / 2;
}

// Seconds of CPU this thread used: the work measured runs in the caller's
// thread, so this leaves out the time other programs on a loaded machine take.
inline double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

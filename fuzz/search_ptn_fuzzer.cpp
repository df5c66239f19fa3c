// Search.ptn: any bytes give sound patterns only; written and read back they
// are the same patterns, and a second writing gives the same bytes as the
// first. tests/core replays the seed corpus under ASan/UBSan.
#include "core/SearchPatterns.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "search_ptn: %s\n", what);
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TSearchPatterns patterns = ParseSearchPatterns(bytes);
    check(patterns.size() <= size_t(kMaxSearchPatterns), "at most 255 patterns");
    for (const TSearchPattern& p : patterns)
        for (const TNarrowDownItem& item : p.Condition.Items)
            check(IsSoundNarrowDownItem(item), "only sound conditions are read");
    QByteArray first, second;
    if (!EncodeSearchPatterns(patterns, first))
        return 0; // a name that grew past 255 bytes as wide text cannot be written back
    const TSearchPatterns back = ParseSearchPatterns(first);
    check(back.size() == patterns.size(), "every pattern reads back");
    for (size_t i = 0; i < back.size(); ++i)
        check(back[i].Condition == patterns[i].Condition, "a written condition reads back the same");
    check(EncodeSearchPatterns(back, second) && second == first, "the second writing equals the first");
    return 0;
}

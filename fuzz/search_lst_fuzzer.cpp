// Search.lst: any bytes give a filter of sound conditions that is written
// and read back unchanged. tests/core replays the seed corpus under
// ASan/UBSan.
#include "core/SearchPatterns.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TSavedFilter filter = ParseSearchList(bytes);
    bool ok = filter.Condition.Items.size() <= 255;
    for (const TNarrowDownItem& item : filter.Condition.Items)
        ok = ok && IsSoundNarrowDownItem(item);
    const QByteArray written = EncodeSearchList(filter);
    const TSavedFilter back = ParseSearchList(written);
    ok = ok && back.Condition == filter.Condition && back.Disabled == filter.Disabled
        && EncodeSearchList(back) == written;
    if (!ok) {
        std::fprintf(stderr, "search_lst: a filter did not read back as written\n");
        std::abort();
    }
    return 0;
}

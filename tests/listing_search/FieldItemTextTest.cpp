// The stored form of an ordered field choice (the record window's copy
// settings): the fuzz harness's seeds, repeated codes and short lists among
// them, replay under ASan/UBSan.
#include "support/CorpusReplay.h"

#include "../../fuzz/FuzzSupport.cpp"
#define LLVMFuzzerTestOneInput CopyItemsFuzzOne
#include "../../fuzz/copy_items_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

TEST(CopyItemSettings, EverySeedOfTheFuzzCorpusReplaysCleanly)
{
    ReplayFuzzCorpus("copy_items", 4, copy_items_fuzz::OneInput);
}

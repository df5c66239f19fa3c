// The name-side records' fuzz harness, so its seed corpus replays under the
// sanitizers of these tests.

#include "DrawRectTestItem.h"

#include "support/CorpusReplay.h"

#define NAMERECT_FUZZER_NO_ENTRY
#include "../../fuzz/namerect_fuzzer.cpp"

TEST(NameRecordSeeds, EverySeedReplaysCleanly)
{
    ReplayFuzzCorpus("namerect", 10, namerect_fuzz::OneInput);
}

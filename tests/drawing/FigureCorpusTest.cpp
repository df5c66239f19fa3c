// The figure-record fuzz harness itself, so its seed corpus (damaged and
// oversized records among them) replays under ASan/UBSan here.

#include "support/CorpusReplay.h"

#define LLVMFuzzerTestOneInput FigureRecordFuzzInput
#include "../../fuzz/figurerect_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

TEST(FigureRecords, EverySeedOfTheFuzzCorpusReplaysCleanly)
{
    const qint32 version = DrawRectFileVersion;
    ReplayFuzzCorpus("figurerect", 8, FigureRecordFuzzInput);
    DrawRectFileVersion = version;
}

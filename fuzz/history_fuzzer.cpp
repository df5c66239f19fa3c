// The history lists (.mtd): any bytes read as far as they are sound, and the
// list written back reads back the same. The first byte chooses the item size
// and the list length the program opens the file with.
#include "FuzzSupport.h"
#include "core/HistoryData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const int sizes[] = {100, 50, 10, 1, 2, 255, 0xFFFF, 0};
    const int itemSize = sizes[data[0] & 7];
    const int maxCount = 1 + ((data[0] >> 3) & 31) * 4;
    const QString path = FuzzWriteFile(QStringLiteral("fuzz.mtd"), data + 1, size - 1);
    THistoryData h(path, itemSize, maxCount);
    FuzzCheck(h.GetCount() <= h.MaxCount(), "no more items than the list holds");
    for (int i = 0; i < h.GetCount(); ++i) {
        FuzzCheck(h.GetItemBytes(i).size() <= h.ItemSize(), "an item within its size");
        h.GetItem(i);
        h.GetDateTime(i);
    }
    FuzzCheck(h.Save(), "the list could not be written");
    THistoryData again(path, itemSize, maxCount);
    FuzzCheck(again.GetCount() == h.GetCount(), "the written list reads back as long");
    for (int i = 0; i < h.GetCount(); ++i)
        FuzzCheck(again.GetItemBytes(i) == h.GetItemBytes(i) && again.GetDateTime(i) == h.GetDateTime(i),
                  "a written item reads back the same");
    return 0;
}

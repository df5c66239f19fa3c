// Group.dat: any bytes give ten names within their size, which are written
// and read back unchanged.
#include "FuzzSupport.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzUseScratchDataFolder();
    FuzzWriteFile(QStringLiteral("data/Data/Group.dat"), data, size);
    LoadGroupNames();
    QStringList names;
    for (int g = 1; g <= kGroupCount; ++g) {
        names << GroupName(g);
        FuzzCheck(cp932::ByteLength(names.last()) <= kGroupNameBytes, "a name within its size");
    }
    FuzzCheck(GroupName(0).isEmpty() && GroupName(kGroupCount + 1).isEmpty(), "no group outside 1-10");
    FuzzCheck(SaveGroupNames(), "the names could not be written");
    LoadGroupNames();
    for (int g = 1; g <= kGroupCount; ++g)
        FuzzCheck(GroupName(g) == names[g - 1], "a written name reads back the same");
    return 0;
}

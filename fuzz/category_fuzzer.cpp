// The category file: any bytes load without fault, within the code ranges.
#include "FuzzSupport.h"
#include "core/Category.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzWriteFile(QStringLiteral("dbctgry.dat"), data, size);
    LoadCategories(path);
    FuzzCheck(CtgryMainList.size() <= size_t(kMaxCtgryMain) + 1, "at most 99 majors and the blank");
    for (int main = 0; main <= kMaxCtgryMain + 1; ++main) {
        GetCtgryMainName(main);
        for (int sub = 0; sub < 100; sub += 7)
            GetCtgrySubName(main * 100 + sub);
    }
    GetCtgrySubName(-1);
    GetCtgrySubName(INT32_MAX);
    return 0;
}

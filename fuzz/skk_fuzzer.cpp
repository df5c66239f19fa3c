// The dictionary line parsers (postal codes and name readings, EUC-JP):
// any bytes read without fault and answer lookups.
#include "FuzzSupport.h"
#include "listing_search/SkkDictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzWriteFile(QStringLiteral("SKK-JISYO.fuzz"), data, size);
    TPostalDictionary postal(path);
    if (postal.Ready()) {
        postal.FindByCode(QStringLiteral("1000001"));
        postal.FindByCode(QStringLiteral("100"));
        postal.FindByAddress(QStringLiteral("東京都千代田区"));
        postal.Split(QStringLiteral("東京都千代田区千代田１－１"));
    }
    TNameDictionary names(path);
    if (names.Ready()) {
        names.Find(QStringLiteral("やまだ"), false);
        names.Find(QStringLiteral("ヤ"), true, 5);
    }
    return 0;
}

// The dictionary line parsers (postal codes and name readings, EUC-JP):
// any bytes read without fault and answer lookups, the customer barcode's
// town lookup among them.
#include "FuzzSupport.h"
#include "drawing/objects/CustomerBarcode.h"
#include "listing_search/SkkDictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzWriteFile(QStringLiteral("SKK-JISYO.fuzz"), data, size);
    TPostalDictionary postal(path);
    if (postal.Ready()) {
        postal.FindByCode(QStringLiteral("1000001"));
        postal.FindByCode(QStringLiteral("100"));
        postal.FindByAddress(QStringLiteral("東京都千代田区"));
        postal.FindByAddress(QStringLiteral("東京都千代田区千代田１－１"));
        postal.PlacesUnder(QStringLiteral("北海道札幌市白石区"));
        postal.Split(QStringLiteral("東京都千代田区千代田１－１"));
        // The codes the seeds name, each with an address that spells its town.
        for (const char* code : {"1000001", "1060045", "0030022", "0287901"}) {
            for (const TAddressParts& p : postal.PlacesOf(QString::fromLatin1(code))) {
                ExtractAddressNumber(postal, code, p.Tdfkn + p.City + p.Town + QStringLiteral("二丁目３番四号"));
                ExtractAddressNumber(postal, code, p.Town + QStringLiteral("第八地割十の２"));
            }
        }
        // Codes the seeds do not list: the town from the address itself;
        // Kyoto's street designations.
        ExtractAddressNumber(postal, "1068790", QStringLiteral("東京都港区麻布十番２－３－４"));
        ExtractAddressNumber(postal, "0038799", QStringLiteral("白石区南郷通\n南１"));
        for (const TAddressParts& p : postal.PlacesOf(u"6008022"))
            ExtractAddressNumber(postal, "6008022", p.City + p.Town + QStringLiteral("３５５"));
        ExtractAddressNumber(postal, "6008999", QStringLiteral("下京区河原町通り四条下ル二丁目稲荷町３５５"));
    }
    TNameDictionary names(path);
    if (names.Ready()) {
        names.Find(QStringLiteral("やまだ"), false);
        names.Find(QStringLiteral("ヤ"), true, 5);
    }
    return 0;
}

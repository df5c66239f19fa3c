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
        postal.Split(QStringLiteral("東京都千代田区千代田１－１"));
        // The codes the seeds name, each with an address that spells its town.
        for (const char* code : {"1000001", "1060045", "0030022", "0287901"}) {
            for (const TAddressParts& p : postal.PlacesOf(QString::fromLatin1(code))) {
                ExtractAddressNumber(postal, code, p.Tdfkn + p.City + p.Town + QStringLiteral("二丁目３番四号"));
                ExtractAddressNumber(postal, code, p.Town + QStringLiteral("第八地割十の２"));
            }
        }
    }
    TNameDictionary names(path);
    if (names.Ready()) {
        names.Find(QStringLiteral("やまだ"), false);
        names.Find(QStringLiteral("ヤ"), true, 5);
    }
    return 0;
}

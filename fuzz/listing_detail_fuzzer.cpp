// The 596-byte listing record: any bytes read without fault, and a record
// written and read again is the same record.
#include "FuzzSupport.h"
#include "listing_search/ListingDetail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TListingDetail d;
    const bool ok = d.FromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    FuzzCheck(ok == (size >= size_t(TListingDetail::kSize)), "a whole record reads");
    if (!ok)
        return 0;
    d.JoinedAddress();
    d.JoinedReading();
    d.CategoryMain();
    d.CategorySub();
    d.LatitudeMs();
    d.LongitudeMs();
    const QByteArray bytes = d.ToBytes();
    FuzzCheck(bytes.size() == TListingDetail::kSize, "a record is 596 bytes");
    TListingDetail again;
    FuzzCheck(again.FromBytes(bytes) && again == d, "a written record reads back the same");
    return 0;
}

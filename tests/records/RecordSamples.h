#pragma once
// The sample record and a sample listing, as the record tests need them.

#include "listing_search/ListingDetail.h"
#include "support/RecordSamples.h"

// A company listing of kind 2 (telephone and fax) in category 05-03.
inline TListingDetail SampleCompanyListing()
{
    TListingDetail l;
    l.Tel = QStringLiteral("0312345678");
    l.TelKind = 2;
    l.PostalCode = QStringLiteral("1000001");
    l.Name = QStringLiteral("(株)能登表示");
    l.NameKana = QStringLiteral("ﾉﾄﾋｮｳｼﾞ");
    l.Tdfkn = QStringLiteral("東京都");
    l.City = QStringLiteral("千代田区");
    l.Town = QStringLiteral("千代田");
    l.Adrs2 = QStringLiteral("１－１");
    l.AreaCode = QStringLiteral("13101001002");
    l.PubDate = QStringLiteral("199804");
    l.Latitude = 256;
    l.Longitude = -384;
    l.Category = QStringLiteral("0503");
    return l;
}

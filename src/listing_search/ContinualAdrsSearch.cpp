#include "listing_search/ContinualAdrsSearch.h"

#include "listing_search/ListingSource.h"
#include "listing_search/SkkDictionary.h"

TContinualAdrsSearch::TContinualAdrsSearch(const QString&, const QString&) {}

QString JisCodeWithCheckDigit(const QString& code5)
{
    if (code5.size() != 5)
        return code5;
    static constexpr int kWeights[5] = {6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 5; ++i) {
        if (!code5.at(i).isDigit())
            return code5;
        sum += code5.at(i).digitValue() * kWeights[i];
    }
    const int check = (11 - sum % 11) % 10;
    return code5 + QChar(u'0' + check);
}

int TContinualAdrsSearch::Search(const QString& address)
{
    results_.clear();
    TPostalDictionary& dic = TPostalDictionary::Shared();
    if (!dic.Ready())
        return 2;
    QString text;
    for (QChar c : address)
        if (c.unicode() > 0x20 && c != u'\u3000')
            text += c;
    const TAddressParts parts = dic.Split(text);
    if (parts.Tdfkn.isEmpty() || parts.City.isEmpty())
        return 1;
    TContinualAdrsResult r;
    r.Tdfkn = parts.Tdfkn;
    r.City = parts.City;
    // The town is the longest dictionary town the remainder begins with.
    const std::vector<TPostalEntry> hits = dic.FindByAddress(text);
    const QString head = r.Tdfkn + r.City;
    if (!hits.empty() && hits.front().Address.startsWith(head) && text.startsWith(hits.front().Address))
        r.Town = hits.front().Address.mid(head.size());
    r.Rest = text.mid(head.size() + r.Town.size());

    // Codes from the listings of the same place.
    std::vector<TListingDetail> listings;
    TSearchCondition cond;
    cond.SearchKind = TSearchCondition::ByAddress;
    cond.Key = head + r.Town;
    TSearchCursor cursor;
    if (ListingSource().SearchPage(cond, cursor, listings, nullptr) <= kListingNoMoreData) {
        for (const TListingDetail& d : listings) {
            if (d.Tdfkn != r.Tdfkn || d.City != r.City)
                continue;
            r.JisCode = JisCodeWithCheckDigit(d.JisCode());
            if (!r.Town.isEmpty() && d.Town == r.Town)
                r.KajoCode = d.AreaCode.mid(5, 7).trimmed();
            break;
        }
    }
    results_.push_back(r);
    return 0;
}

TContinualAdrsResult TContinualAdrsSearch::GetResult(int index) const
{
    return index >= 0 && index < int(results_.size()) ? results_[index] : TContinualAdrsResult();
}

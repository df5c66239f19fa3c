#include "records/InquiryLinks.h"

#include "listing_search/ListingDetail.h"
#include "listing_search/NmAdSch.h"
#include "records/DtInqiry.h"

namespace {

// A search window's results as the record window steps through them.
class TSearchResultLink : public TResultLink {
public:
    TSearchResultLink(TListingSearchBase* search, int sourceMode) : search_(search), mode_(sourceMode) {}

    bool Serves(const TListingSearchBase* search) const { return search_ == search; }
    bool IsFirst() override { return search_->IsFirstResult(); }
    bool IsLast() override { return search_->IsLastResult(); }
    int Count() override { return search_->GetResultCount(); }
    int CurrentIndex() override { return search_->GetResultIndex(); }
    void SetCurrentIndex(int index) override { search_->SetResultIndex(index); }
    void UpdateColor() override
    {
        search_->SetShownInRecordWindow(DataInquiry && DataInquiry->SourceMode() == mode_ &&
                                        DataInquiry->DataShown() == 1);
        search_->UpdateResultColor();
    }
    bool Move(TMoveKind kind, TListingDetail& listing) override
    {
        switch (kind) {
        case mkFirst: return search_->FirstResult(listing);
        case mkPrior: return search_->PriorResult(listing);
        case mkNext: return search_->NextResult(listing);
        case mkLast: return search_->LastResult(listing);
        }
        return false;
    }

private:
    TListingSearchBase* search_;
    int mode_;
};

TInquiryLinks RunningWindows()
{
    static std::unique_ptr<TSearchResultLink> nameSearch;
    TInquiryLinks links;
    if (TNameAdrsSearch* search = TNameAdrsSearch::Instance()) {
        // Kept while the same window lives: callers may hold links across calls.
        if (!nameSearch || !nameSearch->Serves(search))
            nameSearch = std::make_unique<TSearchResultLink>(search, TDataInquiry::smNameSearch);
        links.NameSearch = nameSearch.get();
    }
    return links;
}

TInquiryLinksProvider& Provider()
{
    static TInquiryLinksProvider provider;
    return provider;
}

} // namespace

TInquiryLinks CurrentInquiryLinks()
{
    return Provider() ? Provider()() : RunningWindows();
}

TInquiryLinksProvider SetInquiryLinksProvider(TInquiryLinksProvider provider)
{
    TInquiryLinksProvider old = std::move(Provider());
    Provider() = std::move(provider);
    return old;
}

#include "records/InquiryLinks.h"

#include "listing_search/CtgrySch.h"
#include "listing_search/ListingDetail.h"
#include "listing_search/NmAdSch.h"
#include "records/DtInqiry.h"

#include <memory>

namespace {

// A search window's results as the record window steps through them.
class TSearchResultLink : public TResultLink {
public:
    TSearchResultLink(TListingSearchBase* search, int sourceMode) : search_(search), mode_(sourceMode) {}

    bool Serves(const TListingSearchBase* search) const { return search_ == search; }
    bool IsFirst() const override { return search_->IsFirstResult(); }
    bool IsLast() const override { return search_->IsLastResult(); }
    int Count() const override { return search_->GetResultCount(); }
    int CurrentIndex() const override { return search_->GetResultIndex(); }
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

// Kept while the same window lives: callers may hold links across calls.
TResultLink* SearchLink(std::unique_ptr<TSearchResultLink>& link, TListingSearchBase* search, int mode)
{
    if (!search)
        return nullptr;
    if (!link || !link->Serves(search))
        link = std::make_unique<TSearchResultLink>(search, mode);
    return link.get();
}

TAddressListResolver& AddressListResolver()
{
    static TAddressListResolver resolver;
    return resolver;
}

TInquiryLinks RunningWindows()
{
    static std::unique_ptr<TSearchResultLink> nameSearch;
    static std::unique_ptr<TSearchResultLink> categorySearch;
    TInquiryLinks links;
    links.NameSearch = SearchLink(nameSearch, TNameAdrsSearch::Instance(), TDataInquiry::smNameSearch);
    links.CategorySearch =
        SearchLink(categorySearch, TCategorySearch::Instance(), TDataInquiry::smCategorySearch);
    if (AddressListResolver())
        links.AddressList = AddressListResolver()();
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

TAddressListResolver SetAddressListResolver(TAddressListResolver resolver)
{
    TAddressListResolver old = std::move(AddressListResolver());
    AddressListResolver() = std::move(resolver);
    return old;
}

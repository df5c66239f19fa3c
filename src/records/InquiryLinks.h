#pragma once
// The windows the record window steps through and reports to: the address
// list and the two search windows. The record window reaches them only
// through these links, which the program resolves to the running windows
// (an absent window is a null link) and tests replace with their own. The
// search results' link stays here: it speaks in listings, which the core
// does not know.

#include "core/AdrsListLinks.h"

#include <functional>

struct TListingDetail;

// A search window's result list.
class TResultLink : public TSourceLink {
public:
    // Loads the first, previous, next or last result and makes it current.
    virtual bool Move(TMoveKind kind, TListingDetail& listing) = 0;
};

struct TInquiryLinks {
    TResultLink* NameSearch = nullptr;     // source mode 0
    TAddressListLink* AddressList = nullptr; // source mode 1
    TResultLink* CategorySearch = nullptr; // source mode 2
};

using TInquiryLinksProvider = std::function<TInquiryLinks()>;

// The links of the running windows. SetInquiryLinksProvider replaces the
// resolver (tests); an empty one restores the default. Returns the old one.
TInquiryLinks CurrentInquiryLinks();
TInquiryLinksProvider SetInquiryLinksProvider(TInquiryLinksProvider provider);

// The address-book main window as the running program's links reach it. The
// main window installs a resolver that returns its link while it exists
// (nullptr once it is gone); until one is installed the record window works
// without an address list: nothing is re-listed and no one is told of
// written records. Returns the old resolver.
using TAddressListResolver = std::function<TAddressListLink*()>;
TAddressListResolver SetAddressListResolver(TAddressListResolver resolver);

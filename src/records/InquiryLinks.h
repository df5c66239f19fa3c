#pragma once
// The windows the record window steps through and reports to: the address
// list and the two search windows. The record window reaches them only
// through these links, which the program resolves to the running windows
// (an absent window is a null link) and tests replace with their own.

#include <QList>
#include <QString>
#include <functional>

struct TAdrsRecord;
struct TListingDetail;

// Move buttons, by their tag.
enum TMoveKind : int { mkFirst = 0, mkPrior = 1, mkNext = 2, mkLast = 3 };

// What every list the record window was opened from offers.
class TSourceLink {
public:
    virtual ~TSourceLink() = default;
    virtual bool IsFirst() = 0;
    virtual bool IsLast() = 0;
    virtual int Count() = 0;
    virtual int CurrentIndex() = 0;
    virtual void SetCurrentIndex(int index) = 0; // -1 allowed
    // Repaints the list in its linked colour (or without it).
    virtual void UpdateColor() = 0;
};

// A search window's result list.
class TResultLink : public TSourceLink {
public:
    // Loads the first, previous, next or last result and makes it current.
    virtual bool Move(TMoveKind kind, TListingDetail& listing) = 0;
};

// The address-book main window.
class TAddressListLink : public TSourceLink {
public:
    virtual bool Move(TMoveKind kind, TAdrsRecord& record) = 0;
    virtual bool ReadRecord(int recNo, TAdrsRecord& record) = 0;
    virtual bool ReadRecordAt(int index, TAdrsRecord& record) = 0;
    virtual void RefreshList(bool reloadColumns, bool rebuild, bool keepTop) = 0;
    virtual int IndexOfRecNo(int recNo) = 0;
    virtual void SelectItem(int index, bool exclusive, bool makeVisible) = 0;
    virtual void NotifyRecordsUpdated(const QList<int>& recNos) = 0;
    virtual void NotifyRecordsDeleted(const QList<int>& recNos) = 0;
    virtual int SenderCount() = 0;
    virtual QString SenderTitle(int index) = 0;
    virtual int SenderRecNo(int index) = 0;
    virtual void EditGroupNames() = 0;
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

#include "records/AppWiring.h"

#include "core/ui/AdrsList.h"
#include "core/AdrsRecord.h"
#include "listing_search/CtgrySch.h"
#include "listing_search/ListingDetail.h"
#include "listing_search/NmAdSch.h"
#include "platform/ui/MessageBox.h"
#include "records/DtInqiry.h"

#include <QAction>

namespace {

// The main window as the record window steps through it. It always speaks to
// the main window of the moment (the global), which the resolver below only
// hands out while one exists.
class TMainWindowLink : public TAddressListLink {
public:
    bool IsFirst() override { return AddressList->IsFirstRecord(); }
    bool IsLast() override { return AddressList->IsLastRecord(); }
    int Count() override { return AddressList->GetRecordCount(); }
    int CurrentIndex() override { return AddressList->GetCurrentIndex(); }
    void SetCurrentIndex(int index) override { AddressList->SetCurrentIndex(index); }
    // The list asks the record window itself (SetRecordWindowLink) whether
    // it shows one of its records.
    void UpdateColor() override { AddressList->UpdateListColor(); }
    bool Move(TMoveKind kind, TAdrsRecord& record) override
    {
        switch (kind) {
        case mkFirst: return AddressList->ReadFirstRecord(record);
        case mkPrior: return AddressList->ReadPriorRecord(record);
        case mkNext: return AddressList->ReadNextRecord(record);
        case mkLast: return AddressList->ReadLastRecord(record);
        }
        return false;
    }
    bool ReadRecord(int recNo, TAdrsRecord& record) override { return AddressList->ReadRecord(recNo, record); }
    bool ReadRecordAt(int index, TAdrsRecord& record) override { return AddressList->ReadRecordAt(index, record); }
    void RefreshList(bool reloadColumns, bool rebuild, bool keepTop) override
    {
        AddressList->RefreshList(reloadColumns, rebuild, keepTop);
    }
    int IndexOfRecNo(int recNo) override { return AddressList->IndexOfRecNo(recNo); }
    void SelectItem(int index, bool exclusive, bool makeVisible) override
    {
        AddressList->SelectItem(index, exclusive, makeVisible);
    }
    void NotifyRecordsUpdated(const QList<int>& recNos) override { AddressList->NotifyRecordsUpdated(recNos); }
    void NotifyRecordsDeleted(const QList<int>& recNos) override { AddressList->NotifyRecordsDeleted(recNos); }
    int SenderCount() override { return AddressList->GetSenderCount(); }
    QString SenderTitle(int index) override { return AddressList->GetSenderTitle(index); }
    int SenderRecNo(int index) override { return AddressList->GetSenderRecNo(index); }
    void EditGroupNames() override
    {
        if (AddressList->actEditGroup)
            AddressList->actEditGroup->trigger();
    }
};

TAddressListLink* RunningMainWindow()
{
    static TMainWindowLink link;
    return AddressList ? &link : nullptr;
}

bool RecordWindowShowsListRecord()
{
    return DataInquiry && DataInquiry->SourceMode() == TDataInquiry::smAddressList && DataInquiry->DataShown() == 1;
}

void BringForward(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

// The record window that is on the screen. One that was closed is only
// waiting to be deleted: it goes now, so it is not shown again and then
// deleted under the user.
TDataInquiry* ShownRecordWindow()
{
    TDataInquiry* window = DataInquiry;
    if (window && !window->isVisible()) {
        delete window;
        window = nullptr;
    }
    return window;
}

// A search window made by the program closes for good, and navigation in
// the record window follows when it goes.
template <class TSearch>
TSearch* ShowSearch(int sourceMode)
{
    static const char* const kWired = "telvoraWired";
    TSearch* search = TSearch::Instance();
    if (!search) {
        search = new TSearch;
        search->setAttribute(Qt::WA_DeleteOnClose);
        if (AddressList)
            CenterFormOnOwner(search, AddressList);
    }
    if (!search->property(kWired).toBool()) {
        search->setProperty(kWired, true);
        QObject::connect(search, &TListingSearchBase::openListing, search,
                         [search, sourceMode](int index) { OpenListingFromSearch(*search, sourceMode, index); });
        QObject::connect(search, &QObject::destroyed, [] {
            if (DataInquiry)
                DataInquiry->UpdateNavigation();
        });
    }
    BringForward(search);
    return search;
}

} // namespace

void WireMainWindow(TAddressList& window)
{
    SetAddressListResolver(RunningMainWindow);
    window.SetRecordWindowLink(RecordWindowShowsListRecord);
    // Whatever the record window holds belongs to the open book: it is saved
    // (or discarded) and the window closed before another book is opened.
    window.SetBookChangeGuard([] {
        TDataInquiry* shown = ShownRecordWindow();
        return !shown || shown->close();
    });
    // A re-listed list (another group, a filter, a sort) moves the record
    // window's position in it.
    QObject::connect(&window, &TAddressList::listRebuilt, &window, [] {
        if (DataInquiry && DataInquiry->SourceMode() == TDataInquiry::smAddressList)
            DataInquiry->UpdateNavigation();
    });
    QObject::connect(&window, &TAddressList::openRecordRequested, &window, &OpenRecordFromList);
    QObject::connect(&window, &TAddressList::newRecordRequested, &window, &OpenNewRecord);
    QObject::connect(&window, &TAddressList::nameAdrsSearchRequested, &window, &ShowNameAdrsSearch);
    QObject::connect(&window, &TAddressList::categorySearchRequested, &window, &ShowCategorySearch);
}

bool OpenRecordFromList(int index)
{
    TAddressList* list = AddressList;
    if (!list || index < 0 || index >= list->GetRecordCount())
        return false;
    const int recNo = list->GetRecNo(index);
    TDataInquiry* window = ShownRecordWindow();
    if (window) {
        if (RecordWindowShowsListRecord() && window->GetCurrentRecNo() == recNo) {
            // Already shown: keep what is being typed.
            list->SetCurrentIndex(index);
            list->SelectItem(index, true, true);
            window->UpdateNavigation();
            BringForward(window);
            return true;
        }
        const int saved = window->ConfirmSaveChanges(0, false);
        if (saved == 9) {
            BringForward(window);
            return false;
        }
        if (saved == 0) {
            // The saved record may have moved or left the list.
            list->RefreshList(false, true, true);
            index = list->IndexOfRecNo(recNo);
        }
    }
    TAdrsRecord record;
    if (index < 0 || !list->ReadRecordAt(index, record)) {
        // Gone from the book since the list was built.
        list->RefreshList(false, true, true);
        return false;
    }
    if (!window)
        window = new TDataInquiry;
    window->SetSourceMode(TDataInquiry::smAddressList);
    window->ShowInquiry(record);
    BringForward(window);
    return true;
}

bool OpenListingFromSearch(TListingSearchBase& search, int sourceMode, int index)
{
    TListingDetail listing;
    if (!search.GetResult(index, listing))
        return false;
    TDataInquiry* window = ShownRecordWindow();
    if (window && window->ConfirmSaveChanges(0, true) == 9) {
        BringForward(window);
        return false;
    }
    if (!window)
        window = new TDataInquiry;
    search.SetResultIndex(index);
    window->SetSourceMode(sourceMode);
    window->ShowRegist(listing);
    BringForward(window);
    return true;
}

TDataInquiry* OpenNewRecord()
{
    TDataInquiry* window = ShownRecordWindow();
    if (!window)
        window = new TDataInquiry;
    BringForward(window);
    // On the screen, this is the window's own "new" button: unsaved input is
    // offered for saving, then the window empties.
    window->StartNumberSearch();
    return window;
}

TNameAdrsSearch* ShowNameAdrsSearch() { return ShowSearch<TNameAdrsSearch>(TDataInquiry::smNameSearch); }

TCategorySearch* ShowCategorySearch() { return ShowSearch<TCategorySearch>(TDataInquiry::smCategorySearch); }

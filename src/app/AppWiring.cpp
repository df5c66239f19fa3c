#include "app/AppWiring.h"

#include "app/PrintWiring.h"

#include "core/ui/AdrsList.h"
#include "core/ui/SettingsDialog.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/SenderRecord.h"
#include "core/Settings.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/objects/PrintDataFile.h"
#include "listing_search/CtgrySch.h"
#include "listing_search/ListingDetail.h"
#include "listing_search/NmAdSch.h"
#include "platform/ui/MessageBox.h"
#include "records/AdrsCopy.h"
#include "records/DtInqiry.h"
#include "records/ItemNameEdit.h"
#include "records/KeywordEdit.h"
#include "records/ProtectMemoEdit.h"
#include "records/SenderForm.h"


namespace {

// The main window is the record window's address list while it exists.
TAddressListLink* RunningMainWindow() { return AddressList; }

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
    SetDrawingSettingsFileProvider(SettingsFileName);
    SetPrintDataPath(DataPath());
    SetAddressListResolver(RunningMainWindow);
    WirePrinting(window);
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
    QObject::connect(&window, &TAddressList::adrsCopyRequested, &window, [&window] { ShowAddressCopy(window); });
    QObject::connect(&window, &TAddressList::keywordItemsEditRequested, &window,
                     [&window] { EditKeywordItems(window); });
    QObject::connect(&window, &TAddressList::protectMemoItemsEditRequested, &window,
                     [&window] { EditProtectMemoItems(window); });
    // The default sender, as every designer reads it at its start.
    LoadDefaultSenderNo();
    QObject::connect(&window, &TAddressList::senderEditRequested, &window, [&window] { EditSenders(window); });
    QObject::connect(&window, &TAddressList::settingsEditRequested, &window, [&window] { EditSettings(window); });
    // The open record window follows what the other windows changed.
    const auto onRecordWindow = [&window](const auto& signal, void (TDataInquiry::*apply)()) {
        QObject::connect(&ItemNameSignals(), signal, &window, [apply] {
            if (DataInquiry)
                (DataInquiry->*apply)();
        });
    };
    onRecordWindow(&TItemNameSignals::keywordNamesChanged, &TDataInquiry::ApplyKeywordNames);
    onRecordWindow(&TItemNameSignals::keywordModesChanged, &TDataInquiry::ApplyKeywordModes);
    onRecordWindow(&TItemNameSignals::protectMemoNamesChanged, &TDataInquiry::ApplyProtectMemoNames);
    onRecordWindow(&TItemNameSignals::protectMemoModesChanged, &TDataInquiry::ApplyProtectMemoModes);
    QObject::connect(&window, &TAddressList::groupNamesChanged, &window, [] {
        if (DataInquiry)
            DataInquiry->RefreshGroupList();
    });
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
        const TSaveResult saved = window->ConfirmSaveChanges(0, false);
        if (saved == TSaveResult::Cancelled) {
            BringForward(window);
            return false;
        }
        if (saved == TSaveResult::Saved) {
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
    // A listing is opened to be registered; without an open book the
    // registration could only fail once the user had worked on it.
    if (!DMTelvora21 || !DMTelvora21->AdrsTable().Active()) {
        ShowMessage(&search, QStringLiteral("アドレス帳が開かれていないため、登録できません  "),
                    MB_OK | MB_ICONINFORMATION);
        return false;
    }
    TDataInquiry* window = ShownRecordWindow();
    if (window && window->ConfirmSaveChanges(0, true) == TSaveResult::Cancelled) {
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

bool EditKeywordItems(TAddressList& window)
{
    TKeywordEdit dialog(&window);
    if (dialog.ShowModal() != mrOk)
        return false;
    if (dialog.NamesChanged()) {
        // The column captions are the item names: relabel, keeping the row.
        window.RefreshList(true, false, true);
        emit ItemNameSignals().keywordNamesChanged();
    }
    if (dialog.ModesChanged())
        emit ItemNameSignals().keywordModesChanged();
    return true;
}

bool EditProtectMemoItems(TAddressList& window)
{
    TProtectMemoEdit dialog(&window);
    if (dialog.ShowModal() != mrOk)
        return false;
    if (dialog.NamesChanged())
        emit ItemNameSignals().protectMemoNamesChanged();
    if (dialog.ModesChanged())
        emit ItemNameSignals().protectMemoModesChanged();
    return true;
}

int EditSenders(TAddressList& window)
{
    TSenderForm dialog(&window);
    dialog.CurrentRecNo = 0; // no layout here names a sender
    const int result = dialog.ShowModal();
    window.LoadSenderList();
    if (DataInquiry)
        DataInquiry->RefreshSenderList();
    return result == mrOk ? dialog.CurrentRecNo : 0;
}

bool EditSettings(TAddressList& window)
{
    TSettingsDialog dialog(&window);
    // Protected input not yet saved is asked about while it can still be saved.
    dialog.SetLockGuard([] {
        TDataInquiry* shown = ShownRecordWindow();
        return !shown || shown->ConfirmLockOverProtectedInput();
    });
    if (dialog.ShowModal() != mrOk)
        return false;
    window.UpdateListColor();
    // What the filter may test and the sort may order by follows the lock.
    if (dialog.AdminStateChanged())
        window.ProtectionChanged();
    if (DataInquiry) {
        DataInquiry->ShowCommonMyNumber();
        DataInquiry->UpdateCooperateHints();
        DataInquiry->ApplyAdminMode();
    }
    return true;
}

TNameAdrsSearch* ShowNameAdrsSearch() { return ShowSearch<TNameAdrsSearch>(TDataInquiry::smNameSearch); }

TCategorySearch* ShowCategorySearch() { return ShowSearch<TCategorySearch>(TDataInquiry::smCategorySearch); }

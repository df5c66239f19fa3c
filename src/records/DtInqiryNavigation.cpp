// The record window's modes and navigation: which list it was opened from,
// what it shows (a record, a listing, empty input), and stepping through the
// list.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "listing_search/ListingDetail.h"
#include "platform/ui/DialogKit.h"
#include "records/RecordMapping.h"

using namespace dtinquiry;

namespace {

const QString kNoPosition = QStringLiteral("---");

} // namespace

TSourceLink* TDataInquiry::SourceLink(const TInquiryLinks& links) const
{
    switch (sourceMode_) {
    case smNameSearch: return links.NameSearch;
    case smAddressList: return links.AddressList;
    case smCategorySearch: return links.CategorySearch;
    default: return nullptr;
    }
}

void TDataInquiry::RepaintSourceLists()
{
    const TInquiryLinks links = CurrentInquiryLinks();
    TSourceLink* all[] = {links.NameSearch, links.CategorySearch, links.AddressList};
    for (TSourceLink* link : all) {
        if (link)
            link->UpdateColor();
    }
}

void TDataInquiry::SetSourceMode(int mode)
{
    if (mode == sourceMode_)
        return;
    sourceMode_ = mode;
    RepaintSourceLists();
}

void TDataInquiry::SetDataShown(int shown)
{
    if (shown == dataShown_)
        return;
    dataShown_ = shown;
    RepaintSourceLists();
}

void TDataInquiry::UpdateNavigation()
{
    TSourceLink* link = SourceLink(CurrentInquiryLinks());
    QPushButton* buttons[] = {ui->sbtnFirst, ui->sbtnPrior, ui->sbtnNext, ui->sbtnLast};
    if (!link) {
        for (QPushButton* b : buttons)
            b->setEnabled(false);
        ui->lblNowRec->setText(kNoPosition);
        ui->lblTotalRec->setText(kNoPosition);
        return;
    }
    const bool first = link->IsFirst();
    const bool last = link->IsLast();
    ui->sbtnFirst->setEnabled(!first);
    ui->sbtnPrior->setEnabled(!first);
    ui->sbtnNext->setEnabled(!last);
    ui->sbtnLast->setEnabled(!last);
    const int index = link->CurrentIndex();
    const int count = link->Count();
    ui->lblNowRec->setText(index >= 0 ? QString::number(index + 1) : kNoPosition);
    ui->lblTotalRec->setText(count > 0 ? QString::number(count) : kNoPosition);
}

void TDataInquiry::FocusGroupIfShown()
{
    if (isVisible() && ui->pgctlData->currentIndex() == 0)
        ui->cbxGroup->setFocus();
}

void TDataInquiry::StartNumberSearch()
{
    if (!isVisible())
        dataShown_ = 0;
    else
        ui->bbtnNew->click();
}

int TDataInquiry::GetCurrentRecNo() const
{
    return heldRecord_ ? heldRecord_->RecNo : -1;
}

void TDataInquiry::ShowRecord(TAdrsRecord& record)
{
    WriteControls(InputFromRecord(record));
    // A sender that is gone is the standard sender from now on.
    record.Sender = sender_;
}

void TDataInquiry::ShowListing(const TListingDetail& listing)
{
    TRecordInput input = ReadControls();
    ApplyListing(listing, input);
    WriteControls(input);
}

void TDataInquiry::TakeSnapshot(bool take)
{
    snapshot_.reset();
    if (!take)
        return;
    snapshot_ = std::make_unique<TAdrsRecord>();
    RecordFromInput(ReadControls(), TRecordForm::Snapshot, *snapshot_);
}

void TDataInquiry::HoldRecord(const TAdrsRecord& record)
{
    heldRecord_ = std::make_unique<TAdrsRecord>(record);
}

bool TDataInquiry::IsModified()
{
    return IsModified(ReadControls());
}

bool TDataInquiry::IsModified(const TRecordInput& input) const
{
    if (heldRecord_)
        return IsRecordChanged(input, *heldRecord_);
    if (snapshot_)
        return IsRecordChanged(input, *snapshot_);
    return IsRecordChanged(input, ComparedRecord(input));
}

TAdrsRecord TDataInquiry::ComparedRecord(const TRecordInput& input) const
{
    if (heldRecord_)
        return *heldRecord_;
    if (snapshot_)
        return *snapshot_;
    // Emptied input keeps the chosen group for the next record; a group
    // alone is nothing to save.
    TAdrsRecord blank;
    InitNewAdrsRecord(blank, input.Priv);
    blank.Group = input.Group;
    return blank;
}

void TDataInquiry::ShowInquiry(const TAdrsRecord& record)
{
    SetDataShown(1);
    setWindowTitle(kInquiryCaption);
    const TInquiryLinks links = CurrentInquiryLinks();
    if (snapshot_) {
        snapshot_.reset();
        if (links.NameSearch)
            links.NameSearch->SetCurrentIndex(-1);
    }
    ui->chkContinualAdd->setEnabled(false);
    rowAsShown_ = std::make_unique<TAdrsRecord>(record);
    TAdrsRecord shown(record);
    ShowRecord(shown);
    CheckMyNumbers(kAllMyNumbers);
    HoldRecord(shown);
    UpdateNavigation();
    ui->btnUpdate->setEnabled(true);
    ui->btnDelete->setEnabled(true);
    FocusGroupIfShown();
}

void TDataInquiry::ShowRegist(const TListingDetail& listing)
{
    SetDataShown(1);
    setWindowTitle(kRegistCaption);
    if (heldRecord_) {
        heldRecord_.reset();
        if (TAddressListLink* list = CurrentInquiryLinks().AddressList)
            list->SetCurrentIndex(-1);
    }
    ui->chkContinualAdd->setEnabled(false);
    ui->chkContinualAdd->setChecked(false);
    ClearControls();
    ShowListing(listing);
    CheckMyNumbers(kAllMyNumbers);
    TakeSnapshot(Settings().OutOfTarget);
    UpdateNavigation();
    ui->btnUpdate->setEnabled(false);
    ui->btnDelete->setEnabled(false);
    FocusGroupIfShown();
}

void TDataInquiry::MoveRecord(TMoveKind kind)
{
    THourglass hourglass;
    const TSaveResult saved = ConfirmSaveChanges(0, false);
    if (saved == TSaveResult::Cancelled)
        return;
    const TInquiryLinks links = CurrentInquiryLinks();
    if (sourceMode_ == smNameSearch || sourceMode_ == smCategorySearch) {
        TResultLink* search = sourceMode_ == smNameSearch ? links.NameSearch : links.CategorySearch;
        TListingDetail listing;
        if (search && search->Move(kind, listing))
            ShowRegist(listing);
    } else if (sourceMode_ == smAddressList && links.AddressList) {
        TAdrsRecord record;
        if (links.AddressList->Move(kind, record))
            ShowInquiry(record);
    }
    if (saved == TSaveResult::Saved && links.AddressList) {
        links.AddressList->RefreshList(false, true, true);
        links.AddressList->SelectItem(links.AddressList->CurrentIndex(), true, false);
        UpdateNavigation();
    }
}

void TDataInquiry::NewInput()
{
    THourglass hourglass;
    if (ConfirmSaveChanges(0, true) == TSaveResult::Cancelled)
        return;
    SetDataShown(0);
    setWindowTitle(kRegistCaption);
    snapshot_.reset();
    heldRecord_.reset();
    const TInquiryLinks links = CurrentInquiryLinks();
    TSourceLink* all[] = {links.NameSearch, links.CategorySearch, links.AddressList};
    for (TSourceLink* link : all) {
        if (link)
            link->SetCurrentIndex(-1);
    }
    ui->chkContinualAdd->setEnabled(true);
    UpdateNavigation();
    ui->btnUpdate->setEnabled(false);
    ui->btnDelete->setEnabled(false);
    ClearControls();
    StartNewInputLookup();
}

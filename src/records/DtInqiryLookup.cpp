// The record window's lookups: the dictionary dialog behind the search
// buttons and the name-reading popup of the name edits.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"

#include "core/DBInfo.h"
#include "core/Settings.h"
#include "core/ui/TntNMDEdit.h"
#include "listing_search/DicSch.h"
#include "listing_search/SkkDictionary.h"
#include "listing_search/TntNameDic.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/MessageBox.h"
#include "platform/SqlTable.h"
#include "records/RecordMapping.h"
#include "records/RecordWriter.h"

#include <utility>

namespace {

constexpr int kAdrsBookHelpContext = 35;
const QString kNothingFound = QStringLiteral("該当するデータはありません  ");

// The address book's side of the telephone lookup: the open book's rows
// holding the number.
std::vector<TBookTelMatch> OpenBookTelMatches(const QString& tel)
{
    if (!DMTelvora21)
        return {};
    try {
        return FindBookTelMatches(DMTelvora21->AdrsTable(), tel);
    } catch (const ESqlTableError&) {
        return {};
    }
}

// A row of the open book by its RecNo. A table that fails to read is told
// to the user; a row that is gone is not.
bool ReadBookRow(QWidget* owner, int recNo, TAdrsRecord& record)
{
    if (!DMTelvora21)
        return false;
    try {
        return DMTelvora21->ReadAdrsRecordByRecNo(recNo, record);
    } catch (const ESqlTableError& e) {
        ShowMessage(owner, QStringLiteral("データを読み込めませんでした  \r\n") + e.ShownCause() + QStringLiteral("  "),
                    MB_OK | MB_ICONSTOP);
        return false;
    }
}

TDataInquiry::TDicSearchRunner& DicSearchRunner()
{
    static TDataInquiry::TDicSearchRunner runner;
    return runner;
}

int RunDicSearch(TDicSearch& dialog)
{
    return DicSearchRunner() ? DicSearchRunner()(dialog) : dialog.exec();
}

} // namespace

TDataInquiry::TDicSearchRunner TDataInquiry::SetDicSearchRunner(TDicSearchRunner runner)
{
    return std::exchange(DicSearchRunner(), std::move(runner));
}

void TDataInquiry::DicSearchClick(int tag)
{
    QLineEdit* source = ui->edtTel;
    QString key;
    if (tag == 0) {
        for (QLineEdit* edit : {ui->edtTel, ui->edtFax, ui->edtPortable1, ui->edtPortable2}) {
            if (!edit->text().isEmpty()) {
                source = edit;
                break;
            }
        }
        key = source->text();
    } else if (tag == 1) {
        source = ui->edtPos;
        key = source->text();
    } else {
        source = ui->edtTdfkn;
        key = ui->edtTdfkn->text() + ui->edtAdrs1->text() + ui->edtAdrs2->text() + ui->edtAdrs3->text();
    }
    LookupDictionary(tag, key);
    source->setCursorPosition(int(source->text().size()));
    source->setFocus();
}

void TDataInquiry::LookupDictionary(int kind, const QString& key, bool askForKey)
{
    TDicSearch::SetBookTelLookup(OpenBookTelMatches);
    TDicSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetOwnerWnd(this);
    dialog.SetAdrsBookHelpContext(kAdrsBookHelpContext);
    dialog.SetSearchKinds(15, 1);
    const int started = dialog.StartSearch(kind, key);
    if (started == 0 || (started != 1 && askForKey)) {
        if (RunDicSearch(dialog) != 1)
            return;
    } else if (started != 1) {
        // Nothing found says so in the dialog's own words, unless the
        // dictionary could not be read (the dialog has said that already).
        if (kind == TDicSearch::kTel || TPostalDictionary::Shared().Ready())
            ShowMessage(this, kNothingFound, MB_OK | MB_ICONINFORMATION);
        return;
    }

    if (dialog.GetResultKind() == TDicSearch::kResultBook) {
        // A record of the book holds the number: show it from the address
        // list, once what is typed here has been saved or let go.
        if (ConfirmSaveChanges(0, true) == TSaveResult::Cancelled)
            return;
        const int recNo = dialog.GetSelectedRecNo();
        TAddressListLink* list = CurrentInquiryLinks().AddressList;
        TAdrsRecord record;
        const int row = list ? list->IndexOfRecNo(recNo) : -1;
        const bool read = (row >= 0 && list->ReadRecordAt(row, record)) || ReadBookRow(this, recNo, record);
        if (read) {
            SetSourceMode(smAddressList);
            ShowInquiry(record);
        }
        return;
    }

    // What the lookup fills in is not the user's to save unless they change
    // it, but only when nothing typed before it would be let go with it (the
    // key it looked up is replaced by what it found).
    TRecordInput input = ReadControls();
    TRecordInput beforeKey = input;
    const TRecordInput blank;
    if (kind == TDicSearch::kTel) {
        for (QString TRecordInput::*number : {&TRecordInput::Tel, &TRecordInput::Fax, &TRecordInput::Portable1,
                                              &TRecordInput::Portable2})
            beforeKey.*number = blank.*number;
    } else {
        for (QString TRecordInput::*place : {&TRecordInput::Pos, &TRecordInput::Tdfkn, &TRecordInput::Adrs1,
                                             &TRecordInput::Adrs2, &TRecordInput::Adrs3})
            beforeKey.*place = blank.*place;
    }
    const bool untouched = !IsModified(beforeKey);
    ApplyDictionaryResult(dialog.GetAdrsRecord(), dialog.GetResultKind(), input);
    WriteControls(input);
    if (Settings().OutOfTarget && untouched && !heldRecord_)
        TakeSnapshot(true);
}

// ---------------------------------------------------------------- name readings

TTntNMDEdit* TDataInquiry::NameEdit(int tag) const
{
    TTntNMDEdit* edits[] = {ui->nmedtNameKanji, ui->nmedtNameKana, ui->nmedtJoint1, ui->nmedtJoint2,
                            ui->nmedtJoint3,    ui->nmedtJoint4,   ui->nmedtJoint5};
    return tag >= 0 && tag < 7 ? edits[tag] : nullptr;
}

void TDataInquiry::ConnectNameEdits()
{
    for (int tag = 0; tag < 7; ++tag) {
        TTntNMDEdit* edit = NameEdit(tag);
        connect(edit, &TTntNMDEdit::NameConvertNeed, this,
                [this, tag](bool need, const QString& reading, int kind) { NameConvertNeed(tag, need, reading, kind); });
        // Keys go to the popup first while it is up.
        edit->OnConvertKeyDown = [this](int key) { return nameDic_ && nameDic_->isVisible() && nameDic_->ProcessKey(key); };
    }
}

void TDataInquiry::NameConvertNeed(int tag, bool need, const QString& reading, int kind)
{
    if (!need) {
        if (nameDic_)
            nameDic_->hide();
        return;
    }
    THourglass hourglass;
    TTntNameDic* dic = NameDicOf(nameDic_, this, &TDataInquiry::ApplyNameReading);
    // Joint names are given names; the kind the user fixed in the popup wins.
    const int mode = dic->EffectiveMode(tag <= 1 ? kind : 1);
    if (tag == 0) {
        // The reading of a picked given name goes to the reading edit; that
        // of a family name only while the reading edit is still empty.
        const bool associate = mode == 1 || ui->nmedtNameKana->text().isEmpty();
        ui->nmedtNameKanji->SetKanaEdit(associate ? ui->nmedtNameKana : nullptr);
    }
    dic->OfferNames(reading, mode, tag, NameEdit(tag));
}

void TDataInquiry::ApplyNameReading(const QString& name, const QString& reading)
{
    if (!nameDic_)
        return;
    TTntNMDEdit* edit = NameEdit(nameDic_->Tag());
    nameDic_->hide();
    if (!edit)
        return;
    edit->InsertName(name, reading);
    edit->setFocus();
}

void TDataInquiry::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (nameDic_ && nameDic_->isVisible()) {
        if (TTntNMDEdit* edit = NameEdit(nameDic_->Tag()))
            nameDic_->ShowUnder(edit);
    }
}

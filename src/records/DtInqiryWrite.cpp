// The record window's checking and writing: saving what was typed before
// something else is shown, registering, changing and deleting records, and
// the input histories kept after a write.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/DBInfo.h"
#include "core/HistoryData.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/MessageBox.h"
#include "platform/Seams.h"
#include "platform/SqlTable.h"
#include "records/RecordMapping.h"
#include "records/RecordWriter.h"

using namespace dtinquiry;

TSaveResult TDataInquiry::ConfirmSaveChanges(int kind, bool refresh)
{
    if (skipSaveConfirm_) {
        skipSaveConfirm_ = false;
        return TSaveResult::NotSaved;
    }
    const bool option = kind == 1 ? Settings().FormClose : Settings().ChangeData;
    if (!option || !IsModified())
        return TSaveResult::NotSaved;
    if (Settings().Confirmation) {
        const QString text = dtinquiry::SaveQuestion(heldRecord_ ? QStringLiteral("照会中のデータが変更されています  ")
                                                                 : QStringLiteral("入力途中のデータがあります  "));
        const int answer = ShowMessage(this, text, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDNO)
            return TSaveResult::NotSaved;
        if (answer != IDYES)
            return TSaveResult::Cancelled;
    }
    const bool update = heldRecord_ != nullptr;
    if (!ValidateInput(!update))
        return TSaveResult::Cancelled;
    int newRecNo = -1;
    const TWriteResult written = WriteRecord(update, update ? nullptr : &newRecNo);
    if (written != TWriteResult::Written) {
        if (written == TWriteResult::Failed)
            ShowMessage(this, WriteFailureMessage(QStringLiteral("update error"), writeCause_), MB_OK | MB_ICONWARNING);
        // Whatever kept the record from being written, the input stays.
        return TSaveResult::Cancelled;
    }
    TAddressListLink* list = CurrentInquiryLinks().AddressList;
    if (list) {
        if (refresh) {
            const int recNo = update ? heldRecord_->RecNo : newRecNo;
            list->RefreshList(false, true, true);
            list->SelectItem(list->IndexOfRecNo(recNo), true, true);
        }
        list->NotifyRecordsUpdated({update ? heldRecord_->RecNo : newRecNo});
    }
    return TSaveResult::Saved;
}

void TDataInquiry::AddRecord()
{
    THourglass hourglass;
    if (!ValidateInput(true))
        return;
    int newRecNo = -1;
    const TWriteResult written = WriteRecord(false, &newRecNo);
    if (written == TWriteResult::Failed)
        ShowMessage(this, WriteFailureMessage(QStringLiteral("add error"), writeCause_), MB_OK | MB_ICONWARNING);
    if (written != TWriteResult::Written)
        return;
    const TInquiryLinks links = CurrentInquiryLinks();
    if (links.AddressList) {
        links.AddressList->RefreshList(false, true, true);
        links.AddressList->SelectItem(links.AddressList->IndexOfRecNo(newRecNo), true, true);
        links.AddressList->NotifyRecordsUpdated({newRecNo});
    }
    if (!heldRecord_ && ui->chkContinualAdd->isChecked()) {
        skipSaveConfirm_ = true;
        NewInput();
        return;
    }
    if (heldRecord_) {
        // The shown record was registered once more: go on with the new row.
        TAdrsRecord added;
        if (links.AddressList && links.AddressList->ReadRecord(newRecNo, added)) {
            ShowInquiry(added);
        } else {
            skipSaveConfirm_ = true;
            close();
        }
        return;
    }
    const bool hasResult = (links.NameSearch && links.NameSearch->CurrentIndex() >= 0) ||
                           (links.CategorySearch && links.CategorySearch->CurrentIndex() >= 0);
    if (hasResult) {
        TakeSnapshot(true);
    } else {
        skipSaveConfirm_ = true;
        close();
    }
}

void TDataInquiry::UpdateRecord()
{
    THourglass hourglass;
    if (!heldRecord_ || !ValidateInput(false) || !IsModified())
        return;
    const TWriteResult written = WriteRecord(true, nullptr);
    if (written == TWriteResult::Failed)
        ShowMessage(this, WriteFailureMessage(QStringLiteral("update error"), writeCause_), MB_OK | MB_ICONWARNING);
    if (written != TWriteResult::Written)
        return;
    TAddressListLink* list = CurrentInquiryLinks().AddressList;
    if (!list) {
        // Nothing to go on with; what was written stays shown.
        TAdrsRecord again(*heldRecord_);
        RecordFromInput(ReadControls(), TRecordForm::Write, again, heldRecord_.get());
        again.RecNo = heldRecord_->RecNo;
        HoldRecord(again);
        return;
    }
    const int before = list->CurrentIndex();
    const int recNo = heldRecord_->RecNo;
    const bool listed = before >= 0 && list->IndexOfRecNo(recNo) == before;
    list->RefreshList(false, true, true);
    if (!listed) {
        // The record came from elsewhere (a telephone lookup): stay on it.
        list->NotifyRecordsUpdated({recNo});
        TAdrsRecord record;
        bool read = list->ReadRecord(recNo, record);
        try {
            read = read || (DMTelvora21 && DMTelvora21->ReadAdrsRecordByRecNo(recNo, record));
        } catch (const ESqlTableError&) {
            read = false;
        }
        if (read) {
            ShowInquiry(record);
        } else {
            skipSaveConfirm_ = true;
            close();
        }
        return;
    }
    int index = list->CurrentIndex();
    if (index < 0 || index >= list->Count())
        index = std::min(before, list->Count() - 1);
    list->SelectItem(index, true, true);
    list->NotifyRecordsUpdated({heldRecord_->RecNo});
    TAdrsRecord record;
    if (index >= 0 && list->ReadRecordAt(index, record)) {
        ShowInquiry(record);
    } else {
        skipSaveConfirm_ = true;
        close();
    }
}

void TDataInquiry::DeleteRecord()
{
    if (!heldRecord_)
        return;
    if (ShowMessage(this, QStringLiteral("このデータを削除します  \r\nよろしいですか？  "),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const int recNo = heldRecord_->RecNo;
    {
        THourglass hourglass;
        if (QString cause; !DeleteRow(recNo, &cause)) {
            ShowMessage(this, QStringLiteral("データを削除できませんでした  \r\n") + cause + QStringLiteral("  "),
                        MB_OK | MB_ICONSTOP);
            return;
        }
        if (TAddressListLink* list = CurrentInquiryLinks().AddressList) {
            list->RefreshList(false, true, true);
            list->SelectItem(list->CurrentIndex(), true, true);
            list->NotifyRecordsDeleted({recNo});
        }
    }
    skipSaveConfirm_ = true;
    close();
}

bool TDataInquiry::DeleteRow(int recNo, QString* cause)
{
    if (!DMTelvora21) {
        *cause = FileErrorCause(0);
        return false;
    }
    TSqlTable& table = DMTelvora21->AdrsTable();
    try {
        table.SetIndexName(QString());
        // A row already gone (deleted in another window) leaves nothing to do.
        if (table.FindKey({recNo}))
            table.Delete();
        table.FlushBuffers();
        return true;
    } catch (const ESqlTableError& e) {
        if (table.State() == TSqlTable::TState::Edit || table.State() == TSqlTable::TState::Insert)
            table.Cancel();
        *cause = BookWriteCause(e);
        return false;
    }
}

bool TDataInquiry::ValidateInput(bool isNew)
{
    const TRecordInput input = ReadControls();
    // Checked against what the write keeps of the shown record.
    std::optional<TInputError> error = CheckInputFormat(input, isNew ? nullptr : heldRecord_.get());
    const QString code = cp932::Trim(input.CustomCode);
    // A code in use is reported right after the code's own characters, before
    // the numbers and the postal code.
    const bool codeWellFormed = !error || error->Control != QLatin1String("edtCustomCode");
    if (codeWellFormed && !code.isEmpty() && DMTelvora21 && DMTelvora21->AdrsTable().Active()) {
        // In an update an unchanged code is not looked up: rows may share one.
        const bool lookUp = isNew || !heldRecord_ || code != heldRecord_->CustomCode.Text();
        bool used = false;
        try {
            used = lookUp && CustomCodeInUse(DMTelvora21->AdrsTable(), code);
        } catch (const ESqlTableError& e) {
            // A code that cannot be checked is no code known to be free.
            error = TInputError{QStringLiteral("顧客コードが使われているか確認できませんでした  \r\n") +
                                    e.ShownCause() + QStringLiteral("  "),
                                QStringLiteral("edtCustomCode"), true};
        }
        if (used)
            error = TInputError{QStringLiteral("入力した顧客コードは既に使われています  \r\n別のコードに変更してください  "),
                                QStringLiteral("edtCustomCode"), true};
    }
    if (!error)
        return true;
    ShowMessage(this, error->Message, MB_OK | MB_ICONINFORMATION);
    // The page that holds the control comes forward.
    QWidget* control = findChild<QWidget*>(error->Control);
    QWidget* page = ui->tabstMain;
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (ui->pgctlData->indexOf(w) >= 0) {
            page = w;
            break;
        }
    }
    ui->pgctlData->setCurrentWidget(page);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setFocus();
        if (error->SelectAll)
            edit->selectAll();
        else
            edit->setCursorPosition(int(edit->text().size()));
    } else if (control) {
        control->setFocus();
    }
    return false;
}

TWriteResult TDataInquiry::WriteRecord(bool isUpdate, int* newRecNo)
{
    writeCause_.clear();
    if (!DMTelvora21 || !DMTelvora21->AdrsTable().Active())
        return TWriteResult::Failed;
    TSqlTable& table = DMTelvora21->AdrsTable();
    const TRecordInput input = ReadControls();
    try {
        if (!isUpdate) {
            if (DMTelvora21->AdrsTableFull()) {
                ShowMessage(this, QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "),
                            MB_OK | MB_ICONINFORMATION);
                return TWriteResult::Refused;
            }
            if (Settings().SameNum) {
                const int which = FindDuplicateNumber(table, input);
                if (which >= 0 &&
                    ShowMessage(this,
                                QStringLiteral("既に同一の") + DuplicateNumberLabel(which) +
                                    QStringLiteral("のデータが登録されています  \r\n登録しますか？  "),
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
                    return TWriteResult::Refused;
            }
        }
    } catch (const ESqlTableError& e) {
        writeCause_ = BookWriteCause(e);
        return TWriteResult::Failed;
    }

    TAdrsRecord record;
    RecordFromInput(input, TRecordForm::Write, record, isUpdate ? heldRecord_.get() : nullptr);
    record.CodeGenre = heldRecord_ ? heldRecord_->CodeGenre : 0;
    const QDateTime now = Now();
    record.UpdDateTime = recordform::DateTimeValue(now);
    record.AddDateTime = isUpdate && heldRecord_ ? heldRecord_->AddDateTime
                                                 : recordform::DateTimeValue(TruncToSeconds(now));
    const int heldRecNo = isUpdate && heldRecord_ ? heldRecord_->RecNo : -1;
    if (isUpdate && heldRecNo < 0)
        return TWriteResult::Failed;
    TAdrsRecord* rowAsShown = isUpdate && rowAsShown_ && rowAsShown_->RecNo == heldRecNo ? rowAsShown_.get() : nullptr;
    const TWriteResult result = WriteAdrsRow(table, record, heldRecNo, newRecNo, &writeCause_, rowAsShown,
                                             IsProtectedFieldMasked());
    if (result == TWriteResult::Refused)
        ShowMessage(this, QStringLiteral("変更データを参照できませんでした  "), MB_OK | MB_ICONSTOP);
    if (result == TWriteResult::Written) {
        // The record is stored; a history that cannot be kept costs nothing
        // more than its pick list and is not worth a message.
        try {
            SaveInputHistories();
        } catch (const std::exception&) {
        }
    }
    return result;
}

void TDataInquiry::SaveInputHistories()
{
    if (!DMTelvora21)
        return;
    struct TEntry {
        QComboBox* combo;
        THistoryData* history;
    };
    THistoryData& honor = DMTelvora21->HonorHistory();
    const TEntry entries[] = {
        {ui->cbxDptmnt, &DMTelvora21->DptmntHistory()}, {ui->cbxPost, &DMTelvora21->PostHistory()},
        {ui->cbxHonor, &honor},          {ui->cbxJointHonor1, &honor},
        {ui->cbxJointHonor2, &honor},    {ui->cbxJointHonor3, &honor},
        {ui->cbxJointHonor4, &honor},    {ui->cbxJointHonor5, &honor},
        {ui->cbxKeyword6, &DMTelvora21->KeywordHistory(6)}, {ui->cbxKeyword7, &DMTelvora21->KeywordHistory(7)},
        {ui->cbxKeyword8, &DMTelvora21->KeywordHistory(8)},
    };
    bool changed = false;
    for (const TEntry& e : entries) {
        const QString text = e.combo->currentText();
        if (text.isEmpty())
            continue;
        const int at = e.history->IndexOf(text);
        if (at == 0)
            continue;
        if (at > 0)
            e.history->Delete(at);
        e.history->Insert(0, text, QDateTime());
        e.history->Save();
        changed = true;
    }
    if (changed)
        FillHistoryLists();
}

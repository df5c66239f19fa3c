// The record window's controls: the pick lists they offer, and the input as
// plain values (TRecordInput) read from them and written back.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/Groups.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "core/HistoryData.h"
#include "platform/Cp932.h"

using namespace dtinquiry;

namespace {

constexpr int kMaxExtLinks = 10;

} // namespace

void TDataInquiry::RefreshGroupList()
{
    ui->cbxGroup->clear();
    ui->cbxGroup->addItem(QStringLiteral("指定しない"));
    for (int n = 1; n <= 10; ++n)
        ui->cbxGroup->addItem(QStringLiteral("%1： %2").arg(n, 2).arg(GroupName(n)));
    ui->cbxGroup->setMaxVisibleItems(11);
    ui->cbxGroup->setCurrentIndex(qBound(0, groupNo_, 10));
}

void TDataInquiry::FillCategoryMain()
{
    ui->cbxCatMain->clear();
    ui->cbxCatMain->addItem(QStringLiteral("指定しない"), 0);
    for (const TCtgryItem& item : CtgryMainList)
        ui->cbxCatMain->addItem(item.Name, item.Code);
    ui->cbxCatMain->setMaxVisibleItems(qMax(1, ui->cbxCatMain->count()));
    ui->cbxCatMain->setCurrentIndex(0);
    majorCode_ = 0;
}

void TDataInquiry::FillCategorySub(int major, int selectCode)
{
    ui->cbxCatSub->clear();
    keptSubEntry_ = 0;
    if (major > 0 && major < int(CtgrySubLists.size())) {
        for (const TCtgryItem& item : CtgrySubLists[size_t(major)])
            ui->cbxCatSub->addItem(item.Name, item.Code);
    }
    ui->cbxCatSub->setEnabled(ui->cbxCatSub->count() > 0);
    UpdateEnterTable();
    if (ui->cbxCatSub->count() == 0)
        return;
    // A major category stored without a minor shows no minor, so that it
    // is stored again without one; a minor asked for and not in the list
    // falls back to the first.
    const int at = ui->cbxCatSub->findData(selectCode);
    ui->cbxCatSub->setCurrentIndex(selectCode > 0 && at < 0 ? 0 : at);
}

void TDataInquiry::FillHistoryLists()
{
    if (!DMTelvora21)
        return;
    // Refilling keeps what is typed: the entry it names is chosen, or the
    // trimmed text is put back.
    const auto fill = [](QComboBox* combo, const THistoryData& history) {
        const QString typed = cp932::Trim(combo->currentText());
        combo->clear();
        for (int i = 0; i < history.GetCount(); ++i)
            combo->addItem(history.GetItem(i));
        int at = -1;
        for (int i = 0; i < combo->count() && at < 0; ++i) {
            if (cp932::Trim(combo->itemText(i)) == typed)
                at = i;
        }
        combo->setCurrentIndex(at);
        if (at < 0)
            combo->setEditText(typed);
    };
    fill(ui->cbxDptmnt, DMTelvora21->DptmntHistory());
    fill(ui->cbxPost, DMTelvora21->PostHistory());
    fill(ui->cbxHonor, DMTelvora21->HonorHistory());
    for (int n = 1; n <= 5; ++n)
        fill(JointHonor(n), DMTelvora21->HonorHistory());
    fill(ui->cbxKeyword6, DMTelvora21->KeywordHistory(6));
    fill(ui->cbxKeyword7, DMTelvora21->KeywordHistory(7));
    fill(ui->cbxKeyword8, DMTelvora21->KeywordHistory(8));
}

void TDataInquiry::RefreshSenderList()
{
    const int keep = sender_;
    ui->cbxSender->clear();
    ui->cbxSender->addItem(QStringLiteral("標準"), 0);
    if (TAddressListLink* list = CurrentInquiryLinks().AddressList) {
        for (int i = 0; i < list->SenderCount(); ++i)
            ui->cbxSender->addItem(list->SenderTitle(i), list->SenderRecNo(i));
    }
    // A sender deleted meanwhile is the standard sender in the held record
    // too: the next save would otherwise write the old one back.
    if (!ChooseSenderEntry(keep) && heldRecord_)
        heldRecord_->Sender = 0;
}

// Shows recNo's entry (the first, "標準", when none holds it) and makes it the
// window's sender; the held record is left to the caller. False when no
// entry holds a sender other than 0.
bool TDataInquiry::ChooseSenderEntry(int recNo)
{
    for (int i = 1; i < ui->cbxSender->count(); ++i) {
        if (ui->cbxSender->itemData(i).toInt() == recNo) {
            ui->cbxSender->setCurrentIndex(i);
            sender_ = recNo;
            return true;
        }
    }
    ui->cbxSender->setCurrentIndex(0);
    sender_ = 0;
    return recNo == 0;
}

QLineEdit* TDataInquiry::JointEdit(int n) const
{
    QLineEdit* edits[] = {ui->nmedtJoint1, ui->nmedtJoint2, ui->nmedtJoint3, ui->nmedtJoint4, ui->nmedtJoint5};
    return edits[n - 1];
}

QComboBox* TDataInquiry::JointHonor(int n) const
{
    QComboBox* combos[] = {ui->cbxJointHonor1, ui->cbxJointHonor2, ui->cbxJointHonor3, ui->cbxJointHonor4,
                           ui->cbxJointHonor5};
    return combos[n - 1];
}

QToolButton* TDataInquiry::JointPrintButton(int n) const
{
    QToolButton* buttons[] = {ui->sbtnJointPrintM, ui->sbtnJointPrint1, ui->sbtnJointPrint2,
                              ui->sbtnJointPrint3, ui->sbtnJointPrint4, ui->sbtnJointPrint5};
    return buttons[n];
}

QLineEdit* TDataInquiry::MyNumberEdit(int i) const
{
    QLineEdit* edits[] = {ui->edtMyNumber,        ui->edtJointMyNumber1, ui->edtJointMyNumber2,
                          ui->edtJointMyNumber3, ui->edtJointMyNumber4, ui->edtJointMyNumber5};
    return edits[i];
}

QLabel* TDataInquiry::MyNumberImage(int i) const
{
    QLabel* labels[] = {ui->imgMyNumber,        ui->imgJointMyNumber1, ui->imgJointMyNumber2,
                        ui->imgJointMyNumber3, ui->imgJointMyNumber4, ui->imgJointMyNumber5};
    return labels[i];
}

QLabel* TDataInquiry::MyNumberDigits(int i) const
{
    QLabel* labels[] = {ui->lblMyNumberDigits,       ui->lblJointMyNumberDigits1, ui->lblJointMyNumberDigits2,
                        ui->lblJointMyNumberDigits3, ui->lblJointMyNumberDigits4, ui->lblJointMyNumberDigits5};
    return labels[i];
}

void TDataInquiry::SetPrintTarget(int target)
{
    ui->sbtnPrintTarget->setChecked(target == 1);
    ui->sbtnPrintException->setChecked(target == 2);
}

void TDataInquiry::SetExtLinks(const QStringList& links)
{
    ui->lvExtLink->clear();
    for (int i = 0; i < links.size(); ++i)
        new QTreeWidgetItem(ui->lvExtLink, {QString::number(i + 1), links[i]});
    ui->bbtnAddExtLink->setEnabled(links.size() < kMaxExtLinks);
    ui->bbtnDelExtLink->setEnabled(!links.isEmpty());
}

void TDataInquiry::SetSymbolColor(int color)
{
    symbolColor_ = color;
    QPalette pal = ui->pnlSymbolColor->palette();
    pal.setColor(QPalette::Window, ColorFromStored(color));
    ui->pnlSymbolColor->setPalette(pal);
}

TRecordInput TDataInquiry::ReadControls() const
{
    TRecordInput in;
    in.Group = groupNo_;
    in.CustomCode = ui->edtCustomCode->text();
    in.Tel = ui->edtTel->text();
    in.MainNumber = ui->chkMainNumber->isChecked();
    in.Fax = ui->edtFax->text();
    in.PubDate = ui->edtPubDate->text();
    in.Portable1 = ui->edtPortable1->text();
    in.Portable2 = ui->edtPortable2->text();
    in.Pos = ui->edtPos->text();
    in.Tdfkn = ui->edtTdfkn->text();
    in.Adrs1 = ui->edtAdrs1->text();
    in.Adrs2 = ui->edtAdrs2->text();
    in.Adrs3 = ui->edtAdrs3->text();
    in.AdrsKana = ui->edtAdrsKana->text();
    in.JisCode = ui->edtJisCode->text();
    in.KajoCode = ui->lblKajoCode->text();
    in.Latitude = latitude_;
    in.Longitude = longitude_;
    in.Priv = ui->sbtnPriv->isChecked();
    in.MyNumber = ui->edtMyNumber->text();
    in.CorpKanji = ui->nmedtCorpKanji->text();
    in.CorpKana = ui->edtCorpKana->text();
    in.Dptmnt = ui->cbxDptmnt->currentText();
    in.Post = ui->cbxPost->currentText();
    in.EmployeeNo = ui->edtEmployeeNo->text();
    in.NameKanji = ui->nmedtNameKanji->text();
    in.NameKana = ui->nmedtNameKana->text();
    in.Honor = ui->cbxHonor->currentText();
    in.IgnoreName = ui->chkIgnoreName->isChecked();
    in.CodeMain = ui->cbxCatMain->currentIndex() >= 0 ? ui->cbxCatMain->currentData().toInt() : majorCode_;
    in.CodeSubEntry = ui->cbxCatSub->currentIndex() >= 0 ? ui->cbxCatSub->currentData().toInt() : keptSubEntry_;
    in.URL = ui->edtURL->text();
    in.EMail1 = ui->edtEMail1->text();
    in.EMail2 = ui->edtEMail2->text();
    for (int n = 1; n <= 5; ++n) {
        in.Joint[n - 1] = JointEdit(n)->text();
        in.JointHonor[n - 1] = JointHonor(n)->currentText();
        in.JointMyNumber[n - 1] = MyNumberEdit(n)->text();
    }
    in.JointOwner = jointOwner_;
    for (int n = 0; n < 6; ++n)
        in.JointPrint[n] = JointPrintButton(n)->isChecked();
    in.PrintTarget = ui->sbtnPrintTarget->isChecked() ? 1 : ui->sbtnPrintException->isChecked() ? 2 : 0;
    in.Sender = sender_;
    QLineEdit* keywords[] = {ui->edtKeyword1, ui->edtKeyword2, ui->edtKeyword3, ui->edtKeyword4, ui->edtKeyword5};
    for (int i = 0; i < 5; ++i)
        in.Keyword[i] = keywords[i]->text();
    in.Keyword[5] = ui->cbxKeyword6->currentText();
    in.Keyword[6] = ui->cbxKeyword7->currentText();
    in.Keyword[7] = ui->cbxKeyword8->currentText();
    in.Note = MemoText(ui->mmoNote);
    // The line break leaving the memo added is no line of the note.
    if (!noteWithBreak_.isEmpty() && ui->mmoNote->toPlainText() == noteWithBreak_)
        in.Note.chop(2);
    for (int i = 0; i < 10; ++i)
        in.ProtectMemo[i] = ProtectMemoEdit(i)->text();
    in.ProtectNote = MemoText(ui->mmoProtectNote);
    for (int i = 0; i < ui->lvExtLink->topLevelItemCount(); ++i)
        in.ExtLink.append(ui->lvExtLink->topLevelItem(i)->text(1));
    in.SymbolMark = ui->cbxSymbolMark->currentIndex() > 0 ? ui->cbxSymbolMark->currentText() : QString();
    in.SymbolColor = symbolColor_;
    in.AddDateTime = ui->edtAddDateTime->text();
    in.UpdDateTime = ui->edtUpdDateTime->text();
    return in;
}

QLineEdit* TDataInquiry::ProtectMemoEdit(int i) const
{
    QLineEdit* edits[] = {ui->edtProtectMemo1, ui->edtProtectMemo2, ui->edtProtectMemo3, ui->edtProtectMemo4,
                          ui->edtProtectMemo5, ui->edtProtectMemo6, ui->edtProtectMemo7, ui->edtProtectMemo8,
                          ui->edtProtectMemo9, ui->edtProtectMemo10};
    return edits[i];
}

void TDataInquiry::WriteControls(const TRecordInput& in)
{
    groupNo_ = qBound(0, in.Group, ui->cbxGroup->count() - 1);
    ui->cbxGroup->setCurrentIndex(groupNo_);
    ui->edtCustomCode->setText(in.CustomCode);
    ui->edtTel->setText(in.Tel);
    ui->chkMainNumber->setChecked(in.MainNumber);
    ui->edtFax->setText(in.Fax);
    ui->edtPubDate->setText(in.PubDate);
    ui->edtPortable1->setText(in.Portable1);
    ui->edtPortable2->setText(in.Portable2);
    ui->edtPos->setText(in.Pos);
    ui->edtTdfkn->setText(in.Tdfkn);
    ui->edtAdrs1->setText(in.Adrs1);
    ui->edtAdrs2->setText(in.Adrs2);
    ui->edtAdrs3->setText(in.Adrs3);
    ui->edtAdrsKana->setText(in.AdrsKana);
    ui->edtJisCode->setText(in.JisCode);
    ui->lblKajoCode->setText(in.KajoCode);
    latitude_ = in.Latitude;
    longitude_ = in.Longitude;
    (in.Priv ? ui->sbtnPriv : ui->sbtnCorp)->setChecked(true);
    ApplyPrivCorp();
    ui->edtMyNumber->setText(in.MyNumber);
    ui->nmedtCorpKanji->setText(in.CorpKanji);
    ui->edtCorpKana->setText(in.CorpKana);
    ui->cbxDptmnt->setEditText(in.Dptmnt);
    ui->cbxPost->setEditText(in.Post);
    ui->edtEmployeeNo->setText(in.EmployeeNo);
    ui->nmedtNameKanji->setText(in.NameKanji);
    ui->nmedtNameKana->setText(in.NameKana);
    ui->cbxHonor->setEditText(in.Honor);
    ui->chkIgnoreName->setChecked(in.IgnoreName);

    // A stored category the lists do not know is kept as it is (shown blank)
    // rather than silently turned into "none".
    const int major = ui->cbxCatMain->findData(in.CodeMain);
    ui->cbxCatMain->setCurrentIndex(major);
    majorCode_ = in.CodeMain;
    FillCategorySub(in.CodeMain, in.CodeSubEntry);
    if (in.CodeMain > 0 && in.CodeSubEntry > 0 && ui->cbxCatSub->findData(in.CodeSubEntry) < 0) {
        ui->cbxCatSub->setCurrentIndex(-1);
        keptSubEntry_ = in.CodeSubEntry;
    }

    ui->edtURL->setText(in.URL);
    ui->edtEMail1->setText(in.EMail1);
    ui->edtEMail2->setText(in.EMail2);

    ui->cbxJointOwner->clear();
    ui->cbxJointOwner->addItem(QStringLiteral("本人"), 0);
    jointOwner_ = 0;
    for (int n = 1; n <= 5; ++n) {
        JointEdit(n)->setText(in.Joint[n - 1]);
        JointChanged(n);
        JointHonor(n)->setEditText(in.JointHonor[n - 1]);
        MyNumberEdit(n)->setText(in.JointMyNumber[n - 1]);
    }
    for (int n = 1; n <= 5; ++n)
        JointLeft(n);
    jointOwner_ = in.JointOwner;
    const int owner = ui->cbxJointOwner->findData(in.JointOwner);
    ui->cbxJointOwner->setCurrentIndex(owner >= 0 ? owner : 0);
    for (int n = 0; n < 6; ++n) {
        JointPrintButton(n)->setChecked(in.JointPrint[n]);
        UpdateJointPrintGlyph(n);
    }
    SetPrintTarget(in.PrintTarget);
    ChooseSenderEntry(in.Sender);

    QLineEdit* keywords[] = {ui->edtKeyword1, ui->edtKeyword2, ui->edtKeyword3, ui->edtKeyword4, ui->edtKeyword5};
    for (int i = 0; i < 5; ++i)
        keywords[i]->setText(in.Keyword[i]);
    ui->cbxKeyword6->setEditText(in.Keyword[5]);
    ui->cbxKeyword7->setEditText(in.Keyword[6]);
    ui->cbxKeyword8->setEditText(in.Keyword[7]);
    SetMemoText(ui->mmoNote, in.Note);
    noteWithBreak_.clear();
    for (int i = 0; i < 10; ++i)
        ProtectMemoEdit(i)->setText(in.ProtectMemo[i]);
    SetMemoText(ui->mmoProtectNote, in.ProtectNote);
    SetExtLinks(in.ExtLink);
    const int mark = in.SymbolMark.isEmpty() ? 0 : ui->cbxSymbolMark->findText(in.SymbolMark, Qt::MatchExactly);
    ui->cbxSymbolMark->setCurrentIndex(mark > 0 ? mark : 0);
    SetSymbolColor(in.SymbolColor);
    ui->edtAddDateTime->setText(in.AddDateTime);
    ui->edtUpdDateTime->setText(in.UpdDateTime);
}

void TDataInquiry::ClearControls()
{
    ui->pgctlData->setCurrentIndex(0);
    TRecordInput blank;
    blank.Group = groupNo_; // the group and the person/company switch keep their state
    blank.Priv = ui->sbtnPriv->isChecked();
    WriteControls(blank);
    ui->cbxCatMain->setCurrentIndex(0);
    majorCode_ = 0;
    FillCategorySub(0, 0);
}

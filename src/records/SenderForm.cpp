// The sender window: its life (creation, showing, closing and the settings),
// showing and saving a record, and the record operations (navigation, new,
// delete, choose).

#include "records/SenderForm.h"

#include "ui_SenderForm.h"

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/HistoryData.h"
#include "core/SenderRecord.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "core/phone/PhoneNumber.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SqlTable.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/MessageBox.h"
#include "listing_search/TntNameDic.h"

#include <algorithm>
#include <climits>

namespace sf = senderfield;

namespace {

const QString kSection = QStringLiteral("SENDER");
const QString kEnterTitle = QStringLiteral("登録名を入力してください  ");
const QString kSameTitle = QStringLiteral("おなじ登録名が存在します．別の登録名を入力してください  ");
const QString kSaveFailed = QStringLiteral("保存できませんでした  ");
const QString kCreateFailed = QStringLiteral("差出人情報の作成に失敗しました  ");
const QString kClearFailed = QStringLiteral("クリアできませんでした  ");
const QString kDeleteFailed = QStringLiteral("削除できませんでした  ");
const QString kReadFailed = QStringLiteral("差出人ファイルが読み込めませんでした  ");
const QString kTelTooLong = QStringLiteral("電話番号は11桁までで入力してください  ");
const QString kFaxTooLong = QStringLiteral("FAX番号は11桁までで入力してください  ");
const QString kPosTooLong = QStringLiteral("郵便番号は7桁までで入力してください  ");
const QString kTelNotNumber = QStringLiteral("電話番号は半角数字かハイフンのみが有効です  ");
const QString kFaxNotNumber = QStringLiteral("FAX番号は半角数字かハイフンのみが有効です  ");
const QString kPosNotNumber = QStringLiteral("正しい郵便番号を入力してください  ");

// The stored number digits of Tel and Fax.
constexpr int kPhoneDigits = 11;
constexpr int kPostalDigits = 7;

// The edits fold full-width input as it comes; text the program put there
// (a lookup, an older record) is folded here, so what is stored is what the
// number is.
QString Digits(const QString& text)
{
    return QString::fromLatin1(ExtractNumChars(cp932::Encode(TByteLimitEdit::FoldNumber(text)), kExtractDigits));
}

// Only digits and hyphens once outer blanks are trimmed; anything else would
// be dropped from the stored digits without a word.
bool IsNumberText(const QString& text)
{
    const QString folded = TByteLimitEdit::FoldNumber(cp932::Trim(text));
    return std::all_of(folded.begin(), folded.end(), [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'-'; });
}

// Wide text goes through the narrow column as "@XXXX" units.
QString Decoded(const QString& stored) { return AtHexToWide(cp932::Encode(stored)); }
QString Encoded(const QString& text) { return QString::fromLatin1(WideToAtHex(cp932::Trim(text))); }

} // namespace

TSenderForm::TSenderForm(QWidget* owner) : TModalDialog(owner), ui(std::make_unique<Ui::TSenderForm>())
{
    FormCreate();
}

TSenderForm::~TSenderForm()
{
    if (nameDic_)
        delete nameDic_.data();
    if (tableOpen_ && DMTelvora21)
        DMTelvora21->CloseSenderTable();
}

TSqlTable& TSenderForm::Table() const { return DMTelvora21->SenderTable(); }

// ---------------------------------------------------------------- life

void TSenderForm::FormCreate()
{
    ui->setupUi(this);
    ApplyBlueCaptions(this);
    InstallTabWheels(this);
    ReadSettings();
    for (int n = 1; n <= 4; ++n) {
        HeadBox(n)->addItems(ContactHeads());
        HeadBox(n)->setCurrentIndex(0);
    }
    for (int n = 0; n <= 5; ++n)
        PrintButton(n)->setEnabled(false);
    ConnectControls();
    if (!DMTelvora21)
        return;
    try {
        DMTelvora21->OpenSenderTable();
        tableOpen_ = true;
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
        return;
    }
    try {
        TSqlTable& table = Table();
        if (table.IsEmpty()) {
            if (QString cause; !AppendFirstRecord(&cause)) {
                ShowMessage(parentWidget(), kCreateFailed + QStringLiteral("\r\n") + cause + QStringLiteral("  "),
                            MB_OK | MB_ICONSTOP);
                return;
            }
        } else {
            table.Last();
            lastNo_ = qMax<qint64>(lastNo_, table.CurrentRecNo());
        }
        if (DefaultSenderNo == 0) {
            table.First();
            DefaultSenderNo = int(table.CurrentRecNo());
        }
        UpdateCount();
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
        return;
    }
    loading_ = true;
    FillHistoryBox(ui->cbxDptmnt, DMTelvora21->DptmntHistory());
    FillHistoryBox(ui->cbxPost, DMTelvora21->PostHistory());
    loading_ = false;
    ready_ = true;
}

bool TSenderForm::AppendFirstRecord(QString* cause)
{
    TSqlTable& table = Table();
    try {
        table.Append();
        BlankSenderRecord(table, FirstSenderTitle());
        table.SetInteger(sf::RecNo, 1);
        table.Post();
        table.FlushBuffers();
    } catch (const ESqlTableError& e) {
        table.Cancel();
        *cause = e.ShownCause();
        return false;
    }
    // A counter that went further before (the table was emptied behind our
    // back) keeps its value: address records may still point to those numbers.
    lastNo_ = qMax(lastNo_, 1);
    WriteSenderLastNo(lastNo_);
    return true;
}

int TSenderForm::exec()
{
    if (!ready_)
        return mrCancel;
    return TModalDialog::exec();
}

void TSenderForm::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    if (shownOnce_ || !ready_)
        return;
    shownOnce_ = true;
    FormShow();
}

void TSenderForm::FormShow()
{
    if (hasStoredPosition_)
        move(storedLeft_, storedTop_);
    else
        CenterFormOnOwner(this, parentWidget());
    TSqlTable& table = Table();
    try {
        if (!table.Locate(sf::RecNo, CurrentRecNo) && !table.Locate(sf::RecNo, DefaultSenderNo)) {
            table.First();
            DefaultSenderNo = int(table.CurrentRecNo());
        }
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
    }
    CurrentRecNo = int(table.CurrentRecNo());
    ShowRecord();
    FocusControl(ui->nmedtName);
}

bool TSenderForm::FormCloseQuery()
{
    if (!ready_ || !changed_)
        return true;
    return SaveData();
}

void TSenderForm::FormClose()
{
    if (ready_)
        WriteSettings();
}

void TSenderForm::accept()
{
    if (!FormCloseQuery())
        return;
    FormClose();
    TModalDialog::accept();
}

void TSenderForm::reject()
{
    if (!FormCloseQuery())
        return;
    FormClose();
    TModalDialog::reject();
}

void TSenderForm::ReadSettings()
{
    lastNo_ = ReadSenderNumbers().LastNo;
    const TIniFile ini(SettingsFileName());
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), INT_MAX);
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"), INT_MAX);
    hasStoredPosition_ = left != INT_MAX && top != INT_MAX;
    if (hasStoredPosition_) {
        storedLeft_ = ScaleForDpi(left, true);
        storedTop_ = ScaleForDpi(top, true);
    }
}

void TSenderForm::WriteSettings()
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("Left"), ScaleForDpi(x(), false));
    ini.WriteInteger(kSection, QStringLiteral("Top"), ScaleForDpi(y(), false));
    ini.UpdateFile();
    WriteSenderNumbers(lastNo_, DefaultSenderNo);
}

// The failure and its cause in Japanese under it; the engine's own English
// text would tell a user nothing.
void TSenderForm::ShowError(const QString& text, const ESqlTableError& e)
{
    ShowMessage(isVisible() ? this : parentWidget(),
                text + QStringLiteral("\r\n") + e.ShownCause() + QStringLiteral("  "),
                MB_OK | MB_ICONSTOP);
}

// ---------------------------------------------------------------- one record

void TSenderForm::ShowRecord()
{
    const TSqlTable& table = Table();
    loading_ = true;
    const int recNo = int(table.CurrentRecNo());
    ui->ckbDefault->setChecked(recNo != 0 && recNo == DefaultSenderNo);
    ui->edTitle->setText(table.AsString(sf::Title));
    ui->nmedtName->setText(Decoded(table.AsString(sf::Name)));
    const QString tel = table.AsString(sf::Tel);
    const QString fax = table.AsString(sf::Fax);
    ui->edTel->setText(HyphenatePhoneNumber(tel));
    ui->edFax->setText(HyphenatePhoneNumber(fax));
    ui->edPos->setText(SenderPostalCodeText(table.AsString(sf::Pos)));
    ui->edTdfkn->setText(table.AsString(sf::Tdfkn));
    ui->edAdrs1->setText(table.AsString(sf::Adrs1));
    ui->edAdrs2->setText(table.AsString(sf::Adrs2));
    ui->edAdrs3->setText(table.AsString(sf::Adrs3));
    for (int n = 1; n <= 5; ++n) {
        JointEdit(n)->setText(Decoded(table.AsString(sf::Joint(n))));
        NoteEdit(n)->setText(table.AsString(sf::Note(n)));
    }
    const qint64 selectInfo = table.AsInteger(sf::SelectInfo);
    ui->ckbSelInfo1->setChecked(selectInfo == siJoint);
    ui->ckbSelInfo2->setChecked(selectInfo == siCorp);
    if (ui->pgctlInfo->currentWidget() != ui->tsContact)
        ui->pgctlInfo->setCurrentWidget(selectInfo == siCorp ? ui->tsCorp : ui->tsJoint);
    PrintButton(0)->setChecked(table.AsBoolean(sf::NamePrint));
    for (int n = 1; n <= 5; ++n)
        PrintButton(n)->setChecked(table.AsBoolean(sf::JointPrint(n)));
    for (int n = 0; n <= 5; ++n)
        UpdatePrintGlyph(PrintButton(n));
    UpdatePrintTargets();
    // At most two contacts print: a third and fourth mark are shown released.
    additionPrintCount_ = 0;
    for (int n = 1; n <= 4; ++n) {
        const bool pressed = table.AsBoolean(sf::AdditionPrint(n)) && additionPrintCount_ < 2;
        additionPrintCount_ += pressed ? 1 : 0;
        AdditionPrintButton(n)->setChecked(pressed);
        UpdatePrintGlyph(AdditionPrintButton(n));
    }
    ui->edCorp->setText(table.AsString(sf::Corp));
    for (auto [box, field] : {std::pair{ui->cbxDptmnt, sf::Dptmnt}, std::pair{ui->cbxPost, sf::Post}}) {
        const QString text = table.AsString(field);
        const int at = box->findText(text, Qt::MatchExactly);
        box->setCurrentIndex(at);
        if (at < 0)
            box->setEditText(text);
    }
    for (int n = 1; n <= 4; ++n) {
        const QString head = table.AsString(sf::Head(n));
        const int kind = ContactHeadKind(head);
        HeadBox(n)->setCurrentIndex(kind);
        if (kind < 0)
            HeadBox(n)->setEditText(head);
        // A contact that holds the telephone (fax) number is shown as that
        // edit shows it, so that it follows later edits of the number.
        QString value = table.AsString(sf::Addition(n));
        if ((kind == chTel || kind == chTelFax) && value == tel)
            value = ui->edTel->text();
        else if (kind == chFax && value == fax)
            value = ui->edFax->text();
        AdditionEdit(n)->setText(value);
    }
    try {
        TSqlTable& t = Table();
        const int position = t.Position();
        const int count = t.RecordCount();
        ui->lblPosition->setText(QStringLiteral("%1 / %2").arg(position).arg(count));
        ui->sbtnFirst->setEnabled(position > 1);
        ui->sbtnPrior->setEnabled(position > 1);
        ui->sbtnNext->setEnabled(position < count);
        ui->sbtnLast->setEnabled(position < count);
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
    }
    changed_ = false;
    titleChanged_ = false;
    loading_ = false;
}

void TSenderForm::UpdateCount()
{
    ui->lblCount->setText(QStringLiteral("登録件数：%1件").arg(Table().RecordCount()));
}

void TSenderForm::FocusTitle()
{
    ui->edTitle->setFocus(Qt::OtherFocusReason);
    ui->edTitle->selectAll();
}

bool TSenderForm::CheckTitleDuplicate()
{
    bool taken = false;
    try {
        taken = SenderTitleExists(Table(), ui->edTitle->text(), CurrentRecNo);
    } catch (const ESqlTableError& e) {
        // Titles that cannot be read cannot be told apart: nothing is saved.
        ShowError(kReadFailed, e);
        return true;
    }
    if (taken) {
        ShowMessage(this, kSameTitle, MB_OK | MB_ICONINFORMATION);
        FocusTitle();
        return true;
    }
    titleChanged_ = false;
    return false;
}

bool TSenderForm::CheckDigits(QLineEdit* edit, int maxDigits, const QString& notNumber, const QString& message)
{
    if (!IsNumberText(edit->text())) {
        ShowMessage(this, notNumber, MB_OK | MB_ICONINFORMATION);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return false;
    }
    if (Digits(edit->text()).size() <= maxDigits)
        return true;
    ShowMessage(this, message, MB_OK | MB_ICONINFORMATION);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

bool TSenderForm::SaveData()
{
    if (cp932::Trim(ui->edTitle->text()).isEmpty()) {
        ShowMessage(this, kEnterTitle, MB_OK | MB_ICONINFORMATION);
        FocusTitle();
        return false;
    }
    // The title is checked here too, whenever it changed: a click on a button
    // may come before the title edit is left.
    if (titleChanged_ && CheckTitleDuplicate())
        return false;
    // Other characters than digits and hyphens, and more digits than the
    // record holds, are refused, never dropped or cut.
    if (!CheckDigits(ui->edTel, kPhoneDigits, kTelNotNumber, kTelTooLong) ||
        !CheckDigits(ui->edFax, kPhoneDigits, kFaxNotNumber, kFaxTooLong) ||
        !CheckDigits(ui->edPos, kPostalDigits, kPosNotNumber, kPosTooLong))
        return false;
    if (!SaveRecord())
        return false;
    PushHistory(ui->cbxDptmnt, DMTelvora21->DptmntHistory());
    PushHistory(ui->cbxPost, DMTelvora21->PostHistory());
    changed_ = false;
    return true;
}

bool TSenderForm::SaveRecord()
{
    TSqlTable& table = Table();
    try {
        // Only the shown record is written: one that is gone is not saved
        // into whichever row the table stands on.
        if (table.CurrentRecNo() != CurrentRecNo && !table.Locate(sf::RecNo, CurrentRecNo))
            throw ESqlTableError(QStringLiteral("RecNo %1 がありません").arg(CurrentRecNo));
        table.Edit();
        const auto trimmed = [](const QLineEdit* edit) { return cp932::Trim(edit->text()); };
        table.SetString(sf::Title, trimmed(ui->edTitle));
        table.SetString(sf::Name, Encoded(ui->nmedtName->text()));
        table.SetString(sf::Tel, Digits(ui->edTel->text()));
        table.SetString(sf::Fax, Digits(ui->edFax->text()));
        table.SetString(sf::Pos, Digits(ui->edPos->text()));
        table.SetString(sf::Tdfkn, trimmed(ui->edTdfkn));
        table.SetString(sf::Adrs1, trimmed(ui->edAdrs1));
        table.SetString(sf::Adrs2, trimmed(ui->edAdrs2));
        table.SetString(sf::Adrs3, trimmed(ui->edAdrs3));
        for (int n = 1; n <= 5; ++n) {
            table.SetString(sf::Joint(n), Encoded(JointEdit(n)->text()));
            table.SetString(sf::Note(n), trimmed(NoteEdit(n)));
        }
        table.SetInteger(sf::SelectInfo,
                         ui->ckbSelInfo1->isChecked() ? siJoint : ui->ckbSelInfo2->isChecked() ? siCorp : siNone);
        table.SetBoolean(sf::NamePrint, PrintButton(0)->isChecked());
        for (int n = 1; n <= 5; ++n)
            table.SetBoolean(sf::JointPrint(n), PrintButton(n)->isChecked());
        table.SetString(sf::Corp, trimmed(ui->edCorp));
        table.SetString(sf::Dptmnt, cp932::Trim(ui->cbxDptmnt->currentText()));
        table.SetString(sf::Post, cp932::Trim(ui->cbxPost->currentText()));
        for (int n = 1; n <= 4; ++n) {
            table.SetString(sf::Head(n), cp932::Trim(HeadBox(n)->currentText()));
            const QString value = AdditionEdit(n)->text();
            const int kind = HeadKind(n);
            const bool number = ((kind == chTel || kind == chTelFax) && value == ui->edTel->text()) ||
                                (kind == chFax && value == ui->edFax->text());
            table.SetString(sf::Addition(n), number ? Digits(value) : cp932::Trim(value));
        }
        for (int n = 1; n <= 4; ++n)
            table.SetBoolean(sf::AdditionPrint(n), AdditionPrintButton(n)->isChecked());
        table.Post();
        table.FlushBuffers();
    } catch (const ESqlTableError& e) {
        table.Cancel();
        ShowError(kSaveFailed, e);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- record operations

void TSenderForm::Move(TMove move)
{
    if (changed_ && !SaveData())
        return;
    TSqlTable& table = Table();
    try {
        if (table.CurrentRecNo() != CurrentRecNo)
            table.Locate(sf::RecNo, CurrentRecNo);
        switch (move) {
        case mvFirst: table.First(); break;
        case mvPrior: table.Prior(); break;
        case mvNext: table.Next(); break;
        case mvLast: table.Last(); break;
        }
        // Stepping past either end stays on the end row.
        if (table.CurrentRecNo() == 0)
            table.First();
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
    }
    CurrentRecNo = int(table.CurrentRecNo());
    ShowRecord();
}

void TSenderForm::bbtnNewClick()
{
    if (changed_ && !SaveData())
        return;
    TSqlTable& table = Table();
    int newNo = 0;
    try {
        const QString title = NewSenderTitle(SenderTitles(table));
        // The counter, and past it any number the table already holds.
        table.Last();
        newNo = int(qMax<qint64>(lastNo_, table.CurrentRecNo())) + 1;
        table.Append();
        BlankSenderRecord(table, title);
        table.SetInteger(sf::RecNo, newNo);
        table.Post();
        table.FlushBuffers();
    } catch (const ESqlTableError& e) {
        table.Cancel();
        ShowError(kCreateFailed, e);
        table.Locate(sf::RecNo, CurrentRecNo);
        ShowRecord();
        return;
    }
    // Written at once: a crash must not give this number to another sender
    // while address records already point to it.
    lastNo_ = newNo;
    WriteSenderLastNo(lastNo_);
    CurrentRecNo = newNo;
    UpdateCount();
    ShowRecord();
    FocusControl(ui->nmedtName);
}

void TSenderForm::bbtnDeleteClick()
{
    const QString question = QStringLiteral("差出人'") + cp932::Trim(ui->edTitle->text()) +
                             QStringLiteral("'を削除します  \r\nよろしいですか？");
    if (ShowMessage(this, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    TSqlTable& table = Table();
    try {
        if (table.CurrentRecNo() != CurrentRecNo && !table.Locate(sf::RecNo, CurrentRecNo))
            throw ESqlTableError(QStringLiteral("RecNo %1 がありません").arg(CurrentRecNo));
    } catch (const ESqlTableError& e) {
        ShowError(kDeleteFailed, e);
        return;
    }
    bool last = false;
    try {
        last = table.RecordCount() == 1;
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
        return;
    }
    if (last) {
        // The only record is cleared, never deleted: a sender always exists.
        try {
            table.Edit();
            BlankSenderRecord(table, FirstSenderTitle());
            table.SetInteger(sf::RecNo, 1);
            table.Post();
            table.FlushBuffers();
            CurrentRecNo = 1;
            DefaultSenderNo = 1;
            additionPrintCount_ = 0;
        } catch (const ESqlTableError& e) {
            table.Cancel();
            ShowError(kClearFailed, e);
        }
    } else {
        try {
            const bool wasDefault = CurrentRecNo == DefaultSenderNo;
            table.Delete();
            table.FlushBuffers();
            CurrentRecNo = int(table.CurrentRecNo());
            if (wasDefault)
                DefaultSenderNo = CurrentRecNo;
        } catch (const ESqlTableError& e) {
            table.Cancel();
            ShowError(kDeleteFailed, e);
            table.Locate(sf::RecNo, CurrentRecNo);
        }
    }
    try {
        UpdateCount();
    } catch (const ESqlTableError& e) {
        ShowError(kReadFailed, e);
    }
    ShowRecord();
}

void TSenderForm::btnChoiceClick()
{
    if (changed_ && !SaveData())
        return;
    accept();
}

void TSenderForm::ckbDefaultClick(bool checked)
{
    // Unchecking names no other default.
    if (!loading_ && checked)
        DefaultSenderNo = CurrentRecNo;
}

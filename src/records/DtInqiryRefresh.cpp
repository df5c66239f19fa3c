// What keeps the record window in step with the rest of the program: the
// settings it shows (common My Number, map and route programs,
// administrator mode), the item names and input modes, the sender choice,
// a batch change applied to the record it holds, the JIS-code button and the
// telephone lookup that new input starts with.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"

#include "core/Folders.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "listing_search/ContinualAdrsSearch.h"
#include "listing_search/DicSch.h"
#include "listing_search/SkkDictionary.h"
#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/MessageBox.h"
#include "records/DtInqiryUnits.h"
#include "records/RecordMapping.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The property that keeps an edit's input mode (TImeModeNo). Input methods
// on Linux take no mode from the program; the value stays with the edit for
// whoever asks it.
const char* const kImeModeProperty = "imeMode";

// Every character shown as "*", whatever the style's own mask character.
const QString kAsteriskMask = QStringLiteral("QLineEdit { lineedit-password-character: 42; }");

// A locked field takes nothing from the user, whichever way it comes: what
// is typed (with the beep every refused input gives, rather than a key
// dropped without a sound), an input-method commit, a paste, a cut, a drop,
// undo and redo. It tells the input method it takes no input, so none is
// opened on it. Moving on (Enter, Tab, arrows) and selecting stay as they
// are; the context menu of a read-only edit offers nothing that changes it.
class TLockedFieldBeep : public QObject {
public:
    explicit TLockedFieldBeep(QObject* parent) : QObject(parent) { setObjectName(QLatin1String(kName)); }
    static constexpr const char* kName = "lockedFieldBeep";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (!edit || !edit->isReadOnly())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool typed = key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) ||
                               key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                               key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                               (!key->text().isEmpty() && key->text().at(0).isPrint() &&
                                !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)));
            if (!typed)
                return false;
            refuse(edit);
            return true;
        }
        case QEvent::InputMethod: {
            const auto* im = static_cast<QInputMethodEvent*>(event);
            if (!im->commitString().isEmpty() || im->replacementLength() > 0)
                refuse(edit);
            event->ignore();
            return true;
        }
        case QEvent::InputMethodQuery: {
            auto* query = static_cast<QInputMethodQueryEvent*>(event);
            if (!(query->queries() & Qt::ImEnabled))
                return false;
            watched->event(event); // the rest answered as the edit answers it
            query->setValue(Qt::ImEnabled, false);
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            static_cast<QDropEvent*>(event)->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    static void refuse(QLineEdit* edit)
    {
        if (auto* limit = edit->findChild<TByteLimit*>(QString(), Qt::FindDirectChildrenOnly))
            limit->Refuse();
        else
            QApplication::beep();
    }
};

// The text a locked edit holds, as the program last set it.
const char* const kLockedTextProperty = "lockedText";

// What the program sets (setText) leaves an edit unmodified; any other change
// of a locked edit (a masked edit's undo() clears it, whatever its undo
// history) is put back at once.
void guardLockedText(QLineEdit* edit, QObject* owner)
{
    if (edit->property(kLockedTextProperty).isValid())
        return;
    edit->setProperty(kLockedTextProperty, edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, owner, [edit](const QString& text) {
        if (!edit->isReadOnly() || !edit->isModified())
            edit->setProperty(kLockedTextProperty, text);
        else
            edit->setText(edit->property(kLockedTextProperty).toString());
    });
}

// Locks or unlocks a protected field: read-only, with the read-only look.
void lockField(QLineEdit* edit, bool locked, QObject* beep)
{
    // Steps typed before the lock are not there to be undone or redone
    // under it (the edit's own answer on them is no guide once it is
    // masked); the text stays. The window tells a change by comparing
    // texts, not by the edit's modified flag.
    if (locked && !edit->isReadOnly())
        edit->setText(edit->text());
    guardLockedText(edit, beep);
    edit->setReadOnly(locked);
    edit->removeEventFilter(beep);
    edit->installEventFilter(beep);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, dtinquiry::EditGround(edit));
    edit->setPalette(pal);
}

} // namespace

// ---------------------------------------------------------------- settings shown

void TDataInquiry::ShowCommonMyNumber()
{
    const QString label = Settings().MyNumberLabel;
    ui->lblEnvMyNumber->setText(label.isEmpty() ? QStringLiteral("共通マイナンバー") : label);
    ui->edtEnvMyNumber->setText(CommonMyNumber());
}

void TDataInquiry::ApplyAdminMode()
{
    const bool masked = IsProtectedFieldMasked();
    const QLineEdit::EchoMode echo = masked ? QLineEdit::Password : QLineEdit::Normal;
    // The edits keep their plain text: the change test and the save read
    // it; only what is drawn and what can be typed or copied changes.
    QList<QLineEdit*> edits;
    for (int i = 0; i < 6; ++i)
        edits << MyNumberEdit(i);
    for (int i = 0; i < kProtectMemoCount; ++i)
        edits << ProtectMemoEdit(i);
    QObject* beep = findChild<QObject*>(QLatin1String(TLockedFieldBeep::kName), Qt::FindDirectChildrenOnly);
    if (!beep)
        beep = new TLockedFieldBeep(this);
    // The settings window changes the common number, never this one.
    edits << ui->edtEnvMyNumber;
    for (QLineEdit* edit : edits) {
        if (edit->styleSheet().isEmpty())
            edit->setStyleSheet(kAsteriskMask);
        edit->setEchoMode(echo);
        lockField(edit, masked || edit == ui->edtEnvMyNumber, beep);
    }
    // A My Number that fails its check keeps its warning colour.
    CheckMyNumbers(kAllMyNumbers);
    ui->mmoProtectNote->setReadOnly(masked);
    ui->mmoProtectNote->setEnabled(!masked);
    ui->pnlProtectNoteMask->setVisible(masked);
    if (masked)
        ui->pnlProtectNoteMask->raise();
}

bool TDataInquiry::ConfirmLockOverProtectedInput()
{
    if (IsProtectedFieldMasked())
        return true;
    const TRecordInput input = ReadControls();
    const TAdrsRecord compared = ComparedRecord(input);
    // The stored record with the protected input alone: changed only when
    // that input is.
    const TRecordInput stored = InputFromRecord(compared);
    TRecordInput protectedOnly = stored;
    protectedOnly.MyNumber = input.MyNumber;
    protectedOnly.JointMyNumber = input.JointMyNumber;
    protectedOnly.ProtectMemo = input.ProtectMemo;
    protectedOnly.ProtectNote = input.ProtectNote;
    if (!IsRecordChanged(protectedOnly, compared))
        return true;
    if (Settings().Confirmation) {
        const QString head = (heldRecord_ ? QStringLiteral("照会中のデータの") : QStringLiteral("入力途中のデータの")) +
                             QStringLiteral("マイナンバーまたは保護メモが変更されています  \r\n"
                                            "管理者モードを終了すると、これらは保存できなくなります  ");
        const QString text = dtinquiry::SaveQuestion(head);
        const int answer = ShowMessage(this, text, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDNO) {
            // Let go: the fields show what is stored, as the lock keeps it.
            ui->edtMyNumber->setText(stored.MyNumber);
            for (int n = 1; n <= 5; ++n)
                MyNumberEdit(n)->setText(stored.JointMyNumber[size_t(n - 1)]);
            for (int i = 0; i < kProtectMemoCount; ++i)
                ProtectMemoEdit(i)->setText(stored.ProtectMemo[size_t(i)]);
            dtinquiry::SetMemoText(ui->mmoProtectNote, stored.ProtectNote);
            return true;
        }
        if (answer != IDYES)
            return false;
    }
    // Saved as 変更 (登録 for new input) saves, and the window goes on as
    // after that button; a refused or failed save has told why and keeps the input.
    heldRecord_ ? UpdateRecord() : AddRecord();
    return !isVisible() || !IsModified();
}

// ---------------------------------------------------------------- item names and modes

void TDataInquiry::ApplyKeywordNames()
{
    QLabel* labels[] = {ui->lblKeyword1, ui->lblKeyword2, ui->lblKeyword3, ui->lblKeyword4,
                        ui->lblKeyword5, ui->lblKeyword6, ui->lblKeyword7, ui->lblKeyword8};
    for (int i = 0; i < kKeywordCount; ++i)
        labels[i]->setText(KeywordNames[size_t(i)]);
    QPushButton* buttons[] = {ui->bbtnKeyword6, ui->bbtnKeyword7, ui->bbtnKeyword8};
    for (int i = 0; i < 3; ++i)
        buttons[i]->setToolTip(KeywordNames[size_t(5 + i)] + QStringLiteral("の編集"));
}

void TDataInquiry::ApplyKeywordModes()
{
    QWidget* edits[] = {ui->edtKeyword1, ui->edtKeyword2, ui->edtKeyword3, ui->edtKeyword4,
                        ui->edtKeyword5, ui->cbxKeyword6, ui->cbxKeyword7, ui->cbxKeyword8};
    for (int i = 0; i < kKeywordCount; ++i)
        edits[i]->setProperty(kImeModeProperty, KeywordModes[size_t(i)]);
}

void TDataInquiry::ApplyProtectMemoNames()
{
    QLabel* labels[] = {ui->lblProtectMemo1, ui->lblProtectMemo2, ui->lblProtectMemo3, ui->lblProtectMemo4,
                        ui->lblProtectMemo5, ui->lblProtectMemo6, ui->lblProtectMemo7, ui->lblProtectMemo8,
                        ui->lblProtectMemo9, ui->lblProtectMemo10};
    for (int i = 0; i < kProtectMemoCount; ++i)
        labels[i]->setText(ProtectMemoNames[size_t(i)]);
}

void TDataInquiry::ApplyProtectMemoModes()
{
    for (int i = 0; i < kProtectMemoCount; ++i)
        ProtectMemoEdit(i)->setProperty(kImeModeProperty, ProtectMemoModes[size_t(i)]);
}

// ---------------------------------------------------------------- sender

void TDataInquiry::SelectSender(int senderRecNo)
{
    if (!heldRecord_)
        return;
    // A sender that no longer exists is the standard one here and in the
    // held record alike, so the next save cannot write it back unseen.
    if (!ChooseSenderEntry(senderRecNo))
        senderRecNo = 0;
    heldRecord_->Sender = senderRecNo;
}

// ---------------------------------------------------------------- batch change

void TDataInquiry::ApplyBatchChange(const TAdrsRecord& record, const std::array<bool, kBatchFlagCount>& flags)
{
    if (!heldRecord_)
        return;
    const TRecordInput from = InputFromRecord(record);
    // The batch change has written the row already: what the window compares
    // with before an update takes the same values, or the next 変更 would
    // take the row for one another program changed.
    std::vector<TAdrsRecord*> held{heldRecord_.get()};
    if (rowAsShown_ && rowAsShown_->RecNo == heldRecord_->RecNo)
        held.push_back(rowAsShown_.get());
    const auto take = [&held](auto member, const TAdrsRecord& source) {
        for (TAdrsRecord* r : held)
            r->*member = source.*member;
    };

    if (flags[0]) {
        groupNo_ = qBound(0, int(record.Group), ui->cbxGroup->count() - 1);
        ui->cbxGroup->setCurrentIndex(groupNo_);
        for (TAdrsRecord* r : held)
            r->Group = groupNo_;
    }
    if (flags[1]) {
        ui->edtJisCode->setText(from.JisCode);
        ui->lblKajoCode->setText(from.KajoCode);
        take(&TAdrsRecord::JisCode, record);
        take(&TAdrsRecord::KajoCode, record);
    }
    if (flags[2]) {
        (record.PrivCorp ? ui->sbtnPriv : ui->sbtnCorp)->setChecked(true);
        ApplyPrivCorp();
        take(&TAdrsRecord::PrivCorp, record);
    }
    if (flags[3]) {
        ui->chkIgnoreName->setChecked(record.IgnoreName);
        take(&TAdrsRecord::IgnoreName, record);
    }
    if (flags[4]) {
        ui->cbxCatMain->setCurrentIndex(ui->cbxCatMain->findData(from.CodeMain));
        majorCode_ = from.CodeMain;
        FillCategorySub(from.CodeMain, from.CodeSubEntry);
        if (from.CodeMain > 0 && from.CodeSubEntry > 0 && ui->cbxCatSub->findData(from.CodeSubEntry) < 0) {
            ui->cbxCatSub->setCurrentIndex(-1);
            keptSubEntry_ = from.CodeSubEntry;
        }
        take(&TAdrsRecord::CodeMain, record);
        take(&TAdrsRecord::CodeSub, record);
    }
    if (flags[5]) {
        SetPrintTarget(record.PrintTarget);
        take(&TAdrsRecord::PrintTarget, record);
    }
    if (flags[6]) {
        const int sender = ChooseSenderEntry(record.Sender) ? int(record.Sender) : 0;
        for (TAdrsRecord* r : held)
            r->Sender = sender;
    }
    QLineEdit* keywordEdits[] = {ui->edtKeyword1, ui->edtKeyword2, ui->edtKeyword3, ui->edtKeyword4, ui->edtKeyword5};
    QComboBox* keywordCombos[] = {ui->cbxKeyword6, ui->cbxKeyword7, ui->cbxKeyword8};
    for (int i = 0; i < kKeywordCount; ++i) {
        if (!flags[size_t(7 + i)])
            continue;
        if (i < 5)
            keywordEdits[i]->setText(from.Keyword[i]);
        else
            keywordCombos[i - 5]->setEditText(from.Keyword[i]);
        for (TAdrsRecord* r : held)
            r->Keyword[size_t(i)] = record.Keyword[size_t(i)];
    }
    if (flags[15]) {
        const int mark = from.SymbolMark.isEmpty() ? 0 : ui->cbxSymbolMark->findText(from.SymbolMark, Qt::MatchExactly);
        ui->cbxSymbolMark->setCurrentIndex(mark > 0 ? mark : 0);
        take(&TAdrsRecord::SymbolMark, record);
    }
    if (flags[16]) {
        SetSymbolColor(record.SymbolColor);
        take(&TAdrsRecord::SymbolColor, record);
    }
    ui->edtUpdDateTime->setText(from.UpdDateTime);
    take(&TAdrsRecord::UpdDateTime, record);
}

// ---------------------------------------------------------------- JIS code

void TDataInquiry::GetJisCodeClick()
{
    QString address;
    for (QLineEdit* edit : {ui->edtTdfkn, ui->edtAdrs1, ui->edtAdrs2, ui->edtAdrs3})
        address += cp932::Trim(edit->text());
    if (address.isEmpty()) {
        ui->edtJisCode->clear();
        ui->lblKajoCode->clear();
        return;
    }
    TContinualAdrsSearch parser(AppPath(), AppPath() + QStringLiteral("Dic/"));
    const int rc = parser.Search(address);
    const TContinualAdrsResult found = parser.GetResult(0);
    // What the codes were stays when none is found, and the user is told why.
    if (rc == 2) {
        ShowMessage(this, DictionaryMissingMessage(kZipcodeDictionaryPath), MB_OK | MB_ICONSTOP);
        return;
    }
    if (rc != 0 || parser.GetResultCount() < 1 || cp932::Trim(found.JisCode).isEmpty()) {
        ShowMessage(this,
                    QStringLiteral("市町村コードを取得できませんでした  \r\n") +
                        (rc != 0 ? QStringLiteral("住所から都道府県と市区町村が分かりません  ")
                                 : QStringLiteral("この住所の市町村コードは見つかりません  ")),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    ui->edtJisCode->setText(cp932::Trim(found.JisCode));
    ui->lblKajoCode->setText(cp932::Trim(found.KajoCode));
}

// ---------------------------------------------------------------- new input

void TDataInquiry::StartNewInputLookup()
{
    // New input starts with the number: the telephone page of the lookup,
    // on the numbers the window holds, opened for typing one when it holds
    // none.
    QString key;
    for (QLineEdit* edit : {ui->edtTel, ui->edtFax, ui->edtPortable1, ui->edtPortable2}) {
        if (!edit->text().isEmpty()) {
            key = edit->text();
            break;
        }
    }
    LookupDictionary(TDicSearch::kTel, key, true);
    ui->cbxGroup->setFocus();
}

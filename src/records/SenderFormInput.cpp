// The sender window's input behaviour: change tracking, the contacts that
// follow the telephone and fax numbers, print marks, the extra-block choice,
// pick lists, dictionary lookups, name readings and the Enter key.

#include "records/SenderForm.h"

#include "ui_SenderForm.h"

#include "core/DBInfo.h"
#include "core/HistoryData.h"
#include "core/SenderRecord.h"
#include "core/common/AddressText.h"
#include "listing_search/DicSch.h"
#include "listing_search/TntNameDic.h"
#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform/ui/MessageBox.h"
#include "records/InputList.h"
#include "records/NameEdit.h"
#include "records/NumberInput.h"

#include <QKeyEvent>

namespace sf = senderfield;

namespace {

QString DigitsAndHyphens(const QString& text)
{
    return QString::fromLatin1(ExtractNumChars(cp932::Encode(text), kExtractDigits | kExtractHyphen));
}

} // namespace

// ---------------------------------------------------------------- controls

TNameEdit* TSenderForm::NameEdit(int tag) const
{
    TNameEdit* edits[] = {ui->nmedtName,   ui->nmedtJoint1, ui->nmedtJoint2,
                          ui->nmedtJoint3, ui->nmedtJoint4, ui->nmedtJoint5};
    return tag >= 0 && tag <= 5 ? edits[tag] : nullptr;
}

QLineEdit* TSenderForm::JointEdit(int n) const { return NameEdit(n); }

QLineEdit* TSenderForm::NoteEdit(int n) const
{
    QLineEdit* edits[] = {ui->edNote1, ui->edNote2, ui->edNote3, ui->edNote4, ui->edNote5};
    return edits[n - 1];
}

QToolButton* TSenderForm::PrintButton(int n) const
{
    QToolButton* buttons[] = {ui->sbtnPrint0, ui->sbtnPrint1, ui->sbtnPrint2,
                              ui->sbtnPrint3, ui->sbtnPrint4, ui->sbtnPrint5};
    return buttons[n];
}

QComboBox* TSenderForm::HeadBox(int n) const
{
    QComboBox* boxes[] = {ui->cbxHead1, ui->cbxHead2, ui->cbxHead3, ui->cbxHead4};
    return boxes[n - 1];
}

QLineEdit* TSenderForm::AdditionEdit(int n) const
{
    QLineEdit* edits[] = {ui->edAddition1, ui->edAddition2, ui->edAddition3, ui->edAddition4};
    return edits[n - 1];
}

QToolButton* TSenderForm::AdditionPrintButton(int n) const
{
    QToolButton* buttons[] = {ui->sbtnAdditionPrint1, ui->sbtnAdditionPrint2, ui->sbtnAdditionPrint3,
                              ui->sbtnAdditionPrint4};
    return buttons[n - 1];
}

int TSenderForm::HeadKind(int n) const { return ContactHeadKind(HeadBox(n)->currentText()); }

void TSenderForm::ConnectControls()
{
    // The record keeps at most this many digits of each.
    KeepNumberWhole(ui->edTel, 11);
    KeepNumberWhole(ui->edFax, 11);
    KeepNumberWhole(ui->edPos, 7);

    QList<QLineEdit*> edits = findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits) {
        // The edits inside the combo boxes report through their boxes.
        if (qobject_cast<QComboBox*>(edit->parentWidget()))
            continue;
        edit->installEventFilter(this);
        if (edit == ui->edTitle) {
            connect(edit, &QLineEdit::textChanged, this, [this] {
                if (loading_)
                    return;
                changed_ = true;
                titleChanged_ = true;
            });
        } else if (edit == ui->edTel || edit == ui->edFax) {
            const bool fax = edit == ui->edFax;
            connect(edit, &QLineEdit::textChanged, this, [this, fax] { TelChange(fax); });
        } else {
            connect(edit, &QLineEdit::textChanged, this, &TSenderForm::DataChange);
        }
    }
    for (QComboBox* box : findChildren<QComboBox*>()) {
        box->installEventFilter(this);
        connect(box, &QComboBox::editTextChanged, this, &TSenderForm::DataChange);
    }
    for (int n = 1; n <= 4; ++n)
        connect(HeadBox(n), &QComboBox::activated, this, [this, n] { cbxHeadClick(n); });

    for (int n = 0; n <= 5; ++n)
        connect(PrintButton(n), &QToolButton::clicked, this, [this, n] { sbtnPrintClick(n); });
    for (int n = 1; n <= 4; ++n)
        connect(AdditionPrintButton(n), &QToolButton::clicked, this, [this, n] { sbtnAdditionPrintClick(n); });
    connect(ui->ckbSelInfo1, &QCheckBox::clicked, this, [this] { ckbSelInfoClick(1); });
    connect(ui->ckbSelInfo2, &QCheckBox::clicked, this, [this] { ckbSelInfoClick(2); });
    connect(ui->ckbDefault, &QCheckBox::clicked, this, &TSenderForm::ckbDefaultClick);

    connect(ui->bbtnEditList1, &QPushButton::clicked, this, [this] { bbtnEditListClick(0); });
    connect(ui->bbtnEditList2, &QPushButton::clicked, this, [this] { bbtnEditListClick(1); });
    connect(ui->bbtnTelSch, &QPushButton::clicked, this, [this] { bbtnSearchClick(TDicSearch::kTel); });
    connect(ui->bbtnPosSch, &QPushButton::clicked, this, [this] { bbtnSearchClick(TDicSearch::kPostal); });
    connect(ui->bbtnAdrsSch, &QPushButton::clicked, this, [this] { bbtnSearchClick(TDicSearch::kAddress); });

    connect(ui->sbtnFirst, &QToolButton::clicked, this, [this] { Move(mvFirst); });
    connect(ui->sbtnPrior, &QToolButton::clicked, this, [this] { Move(mvPrior); });
    connect(ui->sbtnNext, &QToolButton::clicked, this, [this] { Move(mvNext); });
    connect(ui->sbtnLast, &QToolButton::clicked, this, [this] { Move(mvLast); });
    connect(ui->bbtnNew, &QPushButton::clicked, this, &TSenderForm::bbtnNewClick);
    connect(ui->bbtnDelete, &QPushButton::clicked, this, &TSenderForm::bbtnDeleteClick);
    connect(ui->btnChoice, &QPushButton::clicked, this, &TSenderForm::btnChoiceClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &TSenderForm::reject);

    for (int tag = 0; tag <= 5; ++tag) {
        TNameEdit* edit = NameEdit(tag);
        connect(edit, &TTntNMDEdit::NameConvertNeed, this,
                [this, tag](bool need, const QString& reading, int kind) { NameConvertNeed(tag, need, reading, kind); });
        // Keys go to the popup first while it is up.
        edit->OnConvertKeyDown = [this](int key) { return nameDic_ && nameDic_->isVisible() && nameDic_->ProcessKey(key); };
    }
}

// ---------------------------------------------------------------- changes

void TSenderForm::DataChange()
{
    if (!loading_)
        changed_ = true;
}

void TSenderForm::TelChange(bool fax)
{
    if (loading_)
        return;
    changed_ = true;
    // Contacts captioned with the number follow it.
    const QString text = fax ? ui->edFax->text() : ui->edTel->text();
    for (int n = 1; n <= 4; ++n) {
        const int kind = HeadKind(n);
        if (fax ? kind == chFax : kind == chTel || kind == chTelFax)
            AdditionEdit(n)->setText(text);
    }
}

void TSenderForm::cbxHeadClick(int n)
{
    const QString tel = DigitsAndHyphens(ui->edTel->text());
    const QString fax = DigitsAndHyphens(ui->edFax->text());
    if (!tel.isEmpty() || !fax.isEmpty()) {
        const int kind = HeadKind(n);
        QLineEdit* value = AdditionEdit(n);
        if (kind == chTel || kind == chTelFax)
            value->setText(tel);
        else if (kind == chFax)
            value->setText(fax);
        else if (value->text() == tel || value->text() == fax)
            value->clear();
    }
    changed_ = true;
}

void TSenderForm::UpdatePrintGlyph(QToolButton* button)
{
    const char* name = button->isChecked() ? "PRINTER" : "NOPRINT";
    button->setIcon(QIcon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name))));
}

void TSenderForm::UpdatePrintTargets()
{
    // The name and joint-name marks matter only when the joint names print.
    for (int n = 0; n <= 5; ++n)
        PrintButton(n)->setEnabled(ui->ckbSelInfo1->isChecked());
}

void TSenderForm::sbtnPrintClick(int n)
{
    UpdatePrintGlyph(PrintButton(n));
    changed_ = true;
}

void TSenderForm::sbtnAdditionPrintClick(int n)
{
    QToolButton* button = AdditionPrintButton(n);
    if (button->isChecked() && additionPrintCount_ >= 2) {
        // At most two contacts print: the highest-numbered other one gives way.
        for (int other = 4; other >= 1; --other) {
            if (other != n && AdditionPrintButton(other)->isChecked()) {
                AdditionPrintButton(other)->setChecked(false);
                UpdatePrintGlyph(AdditionPrintButton(other));
                break;
            }
        }
    }
    additionPrintCount_ = 0;
    for (int k = 1; k <= 4; ++k)
        additionPrintCount_ += AdditionPrintButton(k)->isChecked() ? 1 : 0;
    UpdatePrintGlyph(button);
    changed_ = true;
}

void TSenderForm::ckbSelInfoClick(int n)
{
    QCheckBox* box = n == 1 ? ui->ckbSelInfo1 : ui->ckbSelInfo2;
    QCheckBox* other = n == 1 ? ui->ckbSelInfo2 : ui->ckbSelInfo1;
    if (box->isChecked())
        other->setChecked(false);
    UpdatePrintTargets();
    changed_ = true;
}

// ---------------------------------------------------------------- pick lists

void TSenderForm::FillHistoryBox(QComboBox* box, const THistoryData& history)
{
    const QString typed = box->currentText();
    box->clear();
    for (int i = 0; i < history.GetCount(); ++i)
        box->addItem(history.GetItem(i));
    const int at = box->findText(typed, Qt::MatchExactly);
    box->setCurrentIndex(at);
    if (at < 0)
        box->setEditText(typed);
}

void TSenderForm::PushHistory(QComboBox* box, THistoryData& history)
{
    const QString text = cp932::Trim(box->currentText());
    if (text.isEmpty())
        return;
    loading_ = true;
    const int listed = box->findText(text, Qt::MatchExactly);
    const int stored = history.IndexOf(text);
    if (stored >= 0)
        history.Delete(stored);
    history.Insert(0, text, Now());
    history.Save();
    if (listed >= 0)
        box->removeItem(listed);
    box->insertItem(0, text);
    box->setCurrentIndex(0);
    loading_ = false;
}

void TSenderForm::bbtnEditListClick(int tag)
{
    const int changedLists = TInputList::Execute(this, tag == 0 ? TInputList::lkDptmnt : TInputList::lkPost);
    loading_ = true;
    if (changedLists & (1 << TInputList::lkDptmnt))
        FillHistoryBox(ui->cbxDptmnt, DMTelvora21->DptmntHistory());
    if (changedLists & (1 << TInputList::lkPost))
        FillHistoryBox(ui->cbxPost, DMTelvora21->PostHistory());
    loading_ = false;
}

// ---------------------------------------------------------------- lookups

void TSenderForm::bbtnSearchClick(int tag)
{
    QString key;
    QLineEdit* focus = ui->edTel;
    if (tag == TDicSearch::kTel) {
        key = ui->edTel->text();
    } else if (tag == TDicSearch::kPostal) {
        key = ui->edPos->text();
        focus = ui->edPos;
    } else {
        key = ui->edTdfkn->text() + ui->edAdrs1->text() + ui->edAdrs2->text() + ui->edAdrs3->text();
        focus = ui->edAdrs2;
    }
    TDicSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetOwnerWnd(this);
    // Telephone, postal code and address; a sender is no address-book record.
    dialog.SetSearchKinds(7, 0);
    const int started = dialog.StartSearch(tag, key);
    if (started == 0) {
        if (dialog.exec() != 1)
            return;
    } else if (started != 1) {
        return;
    }
    const TDicAdrsRecord found = dialog.GetAdrsRecord();
    // Taken as far as the edits hold it.
    const auto fit = [](QLineEdit* edit, const QString& text) {
        edit->setText(cp932::CutToBytes(cp932::Trim(text), edit->property("maxBytes").toInt()));
    };
    if (!cp932::Trim(found.Name).isEmpty()) {
        if (found.Person != 0) {
            ui->nmedtName->setText(cp932::Trim(found.Name).left(ui->nmedtName->MaxBytes()));
        } else {
            fit(ui->edCorp, found.Name);
            ui->pgctlInfo->setCurrentWidget(ui->tsCorp);
        }
    }
    if (!cp932::Trim(found.Tel).isEmpty()) {
        const QString number = cp932::Trim(found.Tel);
        ui->edTel->setText(found.TelKind == 1 ? QString() : number);
        ui->edFax->setText(found.TelKind == 1 || found.TelKind == 2 ? number : QString());
    }
    if (!found.PostalCode.isEmpty())
        ui->edPos->setText(SenderPostalCodeText(QString::fromLatin1(ExtractNumChars(
            cp932::Encode(found.PostalCode), kExtractDigits))));
    if (!(found.Tdfkn + found.City + found.Town + found.Rest).isEmpty()) {
        fit(ui->edTdfkn, found.Tdfkn);
        fit(ui->edAdrs1, found.City);
        // A town already typed keeps what follows it unless the entry knows more.
        if (!found.Town.isEmpty() && ui->edAdrs2->text().startsWith(found.Town)) {
            if (!found.Rest.isEmpty())
                fit(ui->edAdrs3, found.Rest);
        } else {
            fit(ui->edAdrs2, found.Town);
            fit(ui->edAdrs3, found.Rest);
        }
    }
    FocusControl(focus);
}

// ---------------------------------------------------------------- name readings

void TSenderForm::NameConvertNeed(int tag, bool need, const QString& reading, int kind)
{
    if (!need) {
        if (nameDic_)
            nameDic_->hide();
        return;
    }
    THourglass hourglass;
    TTntNameDic* dic = NameDicOf(nameDic_, this, &TSenderForm::ApplyNameReading);
    // Joint names are given names; the kind the user fixed in the popup wins.
    dic->OfferNames(reading, dic->EffectiveMode(tag == 0 ? kind : 1), tag, NameEdit(tag));
}

void TSenderForm::ApplyNameReading(const QString& name, const QString& reading)
{
    if (!nameDic_)
        return;
    TNameEdit* edit = NameEdit(nameDic_->Tag());
    nameDic_->hide();
    if (!edit)
        return;
    edit->InsertName(name, reading);
    edit->setFocus();
}

void TSenderForm::moveEvent(QMoveEvent* event)
{
    TModalDialog::moveEvent(event);
    if (nameDic_ && nameDic_->isVisible())
        nameDic_->ShowUnder(NameEdit(nameDic_->Tag()));
}

// ---------------------------------------------------------------- keys and leaving

bool TSenderForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched == ui->edTitle && ready_ && isVisible()) {
        // Leaving the title checks it; a message box or menu taking the
        // focus is no leaving.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (titleChanged_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            CheckTitleDuplicate();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        auto* widget = qobject_cast<QWidget*>(watched);
        // While the name-reading popup is up, Enter chooses in it.
        const bool popupUp = nameDic_ && nameDic_->isVisible();
        if (enter && widget && !popupUp) {
            // The next control in tab order that is no push button.
            QWidget* next = NextTabControl(widget);
            for (int guard = 0; next && next != widget && guard < 200; ++guard) {
                if (!qobject_cast<QPushButton*>(next))
                    break;
                next = NextTabControl(next);
            }
            if (next && next != widget)
                FocusControl(next);
            return true;
        }
    }
    return TModalDialog::eventFilter(watched, event);
}

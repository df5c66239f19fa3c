// The record window's input behaviour: what the controls do while the user
// types and clicks (the person/company switch, joint names and their owner,
// print marks, My Number checks, the memos' storable length).

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/FieldCipher.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "platform/ui/ByteLimitEdit.h"

#include <QApplication>
#include <QButtonGroup>

using namespace dtinquiry;

namespace {

constexpr int kProtectNoteBytes = 1000;
// Windows colour values: blue in the high byte.
constexpr QRgb kInvalidMyNumberColor = qRgb(0xFF, 0xDF, 0xDF);

// The memos are stored in code page 932, the protected one in at most
// maxBytes bytes (0: no limit) counted with CR LF line breaks: typing or
// pasting what the record cannot hold is undone with a beep, as the edits of
// the window refuse it, rather than lost or cut when the record is written.
void KeepMemoStorable(QPlainTextEdit* memo, int maxBytes)
{
    auto* limit = new TByteLimit(memo);
    limit->SetMaxBytes(maxBytes);
}

} // namespace

void TDataInquiry::ConnectInput()
{
    auto* privCorp = new QButtonGroup(this);
    privCorp->addButton(ui->sbtnPriv);
    privCorp->addButton(ui->sbtnCorp);
    privCorp->setExclusive(true);
    connect(ui->sbtnPriv, &QToolButton::clicked, this, [this] {
        ApplyPrivCorp();
        if (isVisible())
            ui->nmedtNameKanji->setFocus();
    });
    connect(ui->sbtnCorp, &QToolButton::clicked, this, [this] {
        ApplyPrivCorp();
        if (isVisible())
            ui->nmedtCorpKanji->setFocus();
    });

    connect(ui->cbxGroup, &QComboBox::activated, this, [this](int index) { groupNo_ = index; });
    connect(ui->cbxSender, &QComboBox::activated, this,
            [this](int index) { sender_ = ui->cbxSender->itemData(index).toInt(); });
    connect(ui->cbxCatMain, &QComboBox::activated, this, [this](int index) {
        const int code = ui->cbxCatMain->itemData(index).toInt();
        if (code == majorCode_)
            return;
        majorCode_ = code;
        FillCategorySub(code, code * 100 + 1);
    });
    connect(ui->cbxCatSub, &QComboBox::activated, this, [this] { keptSubEntry_ = 0; });

    for (int n = 1; n <= 5; ++n) {
        QLineEdit* edit = JointEdit(n);
        connect(edit, &QLineEdit::textChanged, this, [this, n] { JointChanged(n); });
        connect(edit, &QLineEdit::editingFinished, this, [this, n] { JointLeft(n); });
    }
    connect(ui->cbxJointOwner, &QComboBox::activated, this,
            [this](int index) { ChooseJointOwner(ui->cbxJointOwner->itemData(index).toInt()); });
    QToolButton* prints[6] = {ui->sbtnJointPrintM, ui->sbtnJointPrint1, ui->sbtnJointPrint2,
                              ui->sbtnJointPrint3, ui->sbtnJointPrint4, ui->sbtnJointPrint5};
    for (int n = 0; n < 6; ++n)
        connect(prints[n], &QToolButton::clicked, this, [this, n](bool pressed) { SetJointPrint(n, pressed); });
    connect(ui->sbtnPrintTarget, &QToolButton::clicked, this,
            [this](bool pressed) { SetPrintTarget(pressed ? 1 : 0); });
    connect(ui->sbtnPrintException, &QToolButton::clicked, this,
            [this](bool pressed) { SetPrintTarget(pressed ? 2 : 0); });

    for (int i = 0; i < 6; ++i)
        connect(MyNumberEdit(i), &QLineEdit::textChanged, this, [this, i] { CheckMyNumbers(1u << i); });
    KeepMemoStorable(ui->mmoNote, 0);
    KeepMemoStorable(ui->mmoProtectNote, kProtectNoteBytes);
}

void TDataInquiry::ApplyPrivCorp()
{
    const bool corp = ui->sbtnCorp->isChecked();
    QWidget* corpControls[] = {ui->nmedtCorpKanji, ui->edtCorpKana,    ui->cbxDptmnt,     ui->cbxPost,
                               ui->edtEmployeeNo,  ui->lblCorpKanji,   ui->lblCorpKana,   ui->lblDptmnt,
                               ui->lblPost,        ui->lblEmployeeNo,  ui->bbtnEditDptmnt, ui->bbtnEditPost};
    for (QWidget* w : corpControls)
        w->setEnabled(corp);
    ui->chkIgnoreName->setVisible(corp);
}

void TDataInquiry::JointChanged(int n)
{
    QComboBox* honor = JointHonor(n);
    const bool present = !JointEdit(n)->text().isEmpty();
    honor->setEnabled(present);
    if (!present) {
        honor->setEditText(QString());
        JointPrintButton(n)->setChecked(false);
        UpdateJointPrintGlyph(n);
        if (jointOwner_ == n) {
            ui->cbxJointOwner->setCurrentIndex(0);
            jointOwner_ = 0;
        }
    }
    bool anyHonor = false;
    for (int k = 1; k <= 5; ++k)
        anyHonor = anyHonor || JointHonor(k)->isEnabled();
    ui->bbtnJointHonor->setEnabled(anyHonor);
}

void TDataInquiry::JointLeft(int n)
{
    QComboBox* owner = ui->cbxJointOwner;
    const QString name = JointEdit(n)->text();
    const int at = owner->findData(n);
    if (name.isEmpty()) {
        if (at >= 0)
            owner->removeItem(at);
    } else if (at >= 0) {
        owner->setItemText(at, name);
    } else {
        int insertAt = 1;
        for (int i = 1; i < owner->count(); ++i) {
            if (owner->itemData(i).toInt() < n)
                insertAt = i + 1;
        }
        owner->insertItem(insertAt, name, n);
    }
    const int current = owner->findData(jointOwner_);
    owner->setCurrentIndex(current >= 0 ? current : 0);
}

void TDataInquiry::ChooseJointOwner(int code)
{
    if (code == jointOwner_)
        return;
    jointOwner_ = code;
    JointPrintButton(code)->setChecked(true);
    UpdateJointPrintGlyph(code);
}

void TDataInquiry::SetJointPrint(int n, bool pressed)
{
    QToolButton* button = JointPrintButton(n);
    // The owner is always printed, and a joint name that is not there never is.
    if (!pressed && n == jointOwner_)
        button->setChecked(true);
    else if (pressed && n > 0 && !JointHonor(n)->isEnabled())
        button->setChecked(false);
    UpdateJointPrintGlyph(n);
}

void TDataInquiry::UpdateJointPrintGlyph(int n)
{
    QToolButton* button = JointPrintButton(n);
    button->setIcon(Glyph(button->isChecked() ? "PRINTER" : "NOPRINT"));
}

void TDataInquiry::CheckMyNumbers(unsigned which)
{
    for (int i = 0; i < 6; ++i) {
        if (!(which & (1u << i)))
            continue;
        QLineEdit* edit = MyNumberEdit(i);
        const QString text = edit->text();
        const int length = int(text.size());
        const bool valid = length == 0 || (length == 12 && CheckMyNumber(text, 0) == 0) ||
                           (length == 13 && CheckMyNumber(text, 1) == 0);
        QPalette pal = edit->palette();
        if (valid) {
            pal.setColor(QPalette::Base, QApplication::palette(edit).color(QPalette::Base));
            MyNumberImage(i)->setPixmap(length == 12   ? QPixmap(QStringLiteral(":/glyphs/MYNUMBERPRIV.png"))
                                        : length == 13 ? QPixmap(QStringLiteral(":/glyphs/MYNUMBERCORP.png"))
                                                       : QPixmap());
        } else {
            pal.setColor(QPalette::Base, QColor(kInvalidMyNumberColor));
            MyNumberImage(i)->setPixmap(QPixmap());
        }
        edit->setPalette(pal);
        MyNumberDigits(i)->setText(length == 0 ? QString() : QStringLiteral("%1桁").arg(length));
        MyNumberDigits(i)->setVisible(!valid);
    }
}

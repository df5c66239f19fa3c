#include "drawing/dialogs/DataFormDialog.h"

#include "ui_DataFormDialog.h"

#include "platform/Cp932.h"

#include <QButtonGroup>

namespace {

constexpr int kDataFormHelpContext = 115;

// The button of the group whose tag is the stored value; values other than
// 0 or 1 choose the third.
void CheckByValue(QButtonGroup* group, qint32 value)
{
    const int wanted = value == 0 || value == 1 ? value : 2;
    for (QAbstractButton* b : group->buttons())
        if (b->property("tag").toInt() == wanted)
            b->setChecked(true);
}

qint32 CheckedValue(const QButtonGroup* group)
{
    const QAbstractButton* b = group->checkedButton();
    return b ? b->property("tag").toInt() : 0;
}

// The text an edit shows of a stored honorific: up to the first NUL byte,
// as the edit has always shown it.
QString ShownText(const TShortHonor& honor)
{
    const QString text = honor.Text();
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

void SetHonor(QLineEdit* edit, const TShortHonor& honor) { edit->setText(ShownText(honor)); }

// The text the user left in the edit, cut to 10 bytes. A stored honorific
// that shows as this very text keeps its bytes (and the bytes after them),
// so bytes that do not decode cleanly are not rewritten by a mere OK; one
// whose length byte is out of range is written anew.
void GetHonor(const QLineEdit* edit, TShortHonor& honor)
{
    const QString text = cp932::CutToBytes(edit->text(), TShortHonor::kMaxBytes);
    if (honor.Length <= TShortHonor::kMaxBytes && ShownText(honor) == text)
        return;
    honor.SetText(text);
}

// A disabled edit greyed as the system greys it: the button-face colour.
void GreyEdit(QLineEdit* edit)
{
    edit->setEnabled(false);
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Button));
    edit->setPalette(p);
}

} // namespace

TDataFormDialog::TDataFormDialog(QWidget* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TDataFormDialog>())
{
    ui->setupUi(this);
    ui->lblHonorNote->hide();
    ui->rbNone->setChecked(true);
    ui->rbPosNone->setChecked(true);
    ui->rbSendPosNone->setChecked(true);
    ApplyDialogConventions(this);
    helpContext_ = kDataFormHelpContext;
    connect(ui->btnOK, &QPushButton::clicked, this, &TDataFormDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TDataFormDialog::reject);
}

TDataFormDialog::~TDataFormDialog() = default;

void TDataFormDialog::SetDataForm(const TPrintSetting& s)
{
    ui->ckbTdfkn->setChecked(s.HideTdfkn != 0);
    ui->ckbVertNumeral->setChecked(s.VertNumeral != 0);
    ui->ckbChineseNumeral->setChecked(s.ChineseNumeral != 0);
    ui->ckbConnect->setChecked(s.ConnectNo != 0);
    CheckByValue(ui->bgCorpNotation, s.CorpNotation);
    CheckByValue(ui->bgPosMark, s.PosMark);
    CheckByValue(ui->bgSendPosMark, s.SenderPosMark);
    SetHonor(ui->edDefHonor, s.DefHonor);
    SetHonor(ui->edCorpHonor, s.CorpHonor);
    SetHonor(ui->edPostHonor, s.PostHonor);
    SetHonor(ui->edSenderHonor, s.SenderHonor);
}

void TDataFormDialog::GetDataForm(TPrintSetting& s) const
{
    s.HideTdfkn = ui->ckbTdfkn->isChecked() ? 1 : 0;
    s.VertNumeral = ui->ckbVertNumeral->isChecked() ? 1 : 0;
    s.ChineseNumeral = ui->ckbChineseNumeral->isChecked() ? 1 : 0;
    s.ConnectNo = ui->ckbConnect->isChecked() ? 1 : 0;
    s.CorpNotation = CheckedValue(ui->bgCorpNotation);
    s.PosMark = CheckedValue(ui->bgPosMark);
    s.SenderPosMark = CheckedValue(ui->bgSendPosMark);
    // Disabled honorific edits still hold the record's values and are
    // written back as they are.
    GetHonor(ui->edDefHonor, s.DefHonor);
    GetHonor(ui->edCorpHonor, s.CorpHonor);
    GetHonor(ui->edPostHonor, s.PostHonor);
    GetHonor(ui->edSenderHonor, s.SenderHonor);
}

void TDataFormDialog::disableHonors()
{
    for (QLabel* l : {ui->lblDefHonor, ui->lblCorpHonor, ui->lblPostHonor, ui->lblSenderHonor})
        l->setEnabled(false);
    for (QLineEdit* e : {ui->edDefHonor, ui->edCorpHonor, ui->edPostHonor, ui->edSenderHonor})
        GreyEdit(e);
}

void TDataFormDialog::SetPaperKind(int kind)
{
    if (kind == kPaperKindLabel || kind == kPaperKindCard) {
        for (QWidget* c : std::initializer_list<QWidget*>{ui->lblSendPos, ui->rbSendPosNone, ui->rbSendPosMark,
                                                          ui->rbSendPosHyphen})
            c->setEnabled(false);
    }
    if (kind == kPaperKindLabel)
        ui->lblHonorNote->show();
    else if (kind == kPaperKindCard)
        disableHonors();
}

void TDataFormDialog::SetSenderOnly(bool value)
{
    if (value) {
        for (QWidget* c :
             std::initializer_list<QWidget*>{ui->lblPos, ui->rbPosNone, ui->rbPosMark, ui->rbPosHyphen})
            c->setEnabled(false);
        disableHonors();
    }
}

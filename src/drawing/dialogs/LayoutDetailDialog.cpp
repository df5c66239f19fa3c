#include "drawing/dialogs/LayoutDetailDialog.h"

#include "ui_LayoutDetailDialog.h"

#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/ExTrackBar.h"

#include <QButtonGroup>

namespace {

const QString kSection = QStringLiteral("PRINTFORM");
const QString kPageKey = QStringLiteral("Detail");

constexpr int kPageAuto = 0;
constexpr int kPageFont = 1;
constexpr int kPagePlace = 2;
constexpr int kLayoutHelpContext = 113;
constexpr int kPlacementHelpContext = 114;

void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled)
{
    for (QWidget* c : controls)
        c->setEnabled(enabled);
}

// Disabled lists and edits are greyed with the button-face colour; enabled
// ones show the window colour of their surroundings again.
void SetRatioControlEnabled(QWidget* control, bool enabled)
{
    control->setEnabled(enabled);
    QPalette p = control->parentWidget()->palette();
    if (!enabled) {
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(g, QPalette::Base, p.color(g, QPalette::Button));
    }
    control->setPalette(p);
}

void CheckByTag(QButtonGroup* group, int value)
{
    for (QAbstractButton* b : group->buttons())
        if (b->property("tag").toInt() == value)
            b->setChecked(true);
}

// 0 for the justified button, 1 or 2 for left or right, else centred.
quint8 AlignOf(const QButtonGroup* group)
{
    const QAbstractButton* b = group->checkedButton();
    const int tag = b ? b->property("tag").toInt() : TPrintSetting::kMaxAlign;
    return quint8(tag >= 0 && tag < TPrintSetting::kMaxAlign ? tag : TPrintSetting::kMaxAlign);
}

QCheckBox* At(const QList<QCheckBox*>& boxes, int index)
{
    return index >= 0 && index < boxes.size() ? boxes[index] : nullptr;
}

bool Checked(const QCheckBox* box) { return box && box->isChecked(); }

void Check(QCheckBox* box, bool value)
{
    if (box)
        box->setChecked(value);
}

} // namespace

TLayoutDetailDialog::TLayoutDetailDialog(QWidget* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TLayoutDetailDialog>())
{
    ui->setupUi(this);
    ui->ckbAuto->setChecked(true);
    ui->rbEqual->setChecked(true);
    ui->rbS_Equal->setChecked(true);
    ui->rbParallel->setChecked(true);
    ApplyDialogConventions(this);

    connect(ui->ckbAuto, &QCheckBox::toggled, this, &TLayoutDetailDialog::autoLayoutChanged);
    for (TExTrackBar* bar : {ui->tbrName, ui->tbrAddress, ui->tbrAddition, ui->tbrSendName, ui->tbrSendAddress,
                             ui->tbrSendAddition})
        connect(bar, &TExTrackBar::MouseDown, this,
                [this, bar](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
                    sliderMouseDown(bar, button, pos);
                });
    connect(ui->btnOK, &QPushButton::clicked, this, &TLayoutDetailDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TLayoutDetailDialog::reject);

    autoLayoutChanged();
    ui->pcDetail->setCurrentIndex(ReadSettingsPage(kSection, kPageKey, kPageCount));
}

TLayoutDetailDialog::~TLayoutDetailDialog() = default;

QList<QCheckBox*> TLayoutDetailDialog::addresseeBoxes() const
{
    return {ui->ckbPos, ui->ckbAddress1, ui->ckbAddress2, ui->ckbAddress3,
            ui->ckbName, ui->ckbCorp, ui->ckbDptmnt, ui->ckbPost};
}

QList<QCheckBox*> TLayoutDetailDialog::senderBoxes() const
{
    return {ui->ckbS_Pos, ui->ckbS_Address1, ui->ckbS_Address2, ui->ckbS_Address3, ui->ckbS_Name, ui->ckbS_Corp,
            ui->ckbS_Dptmnt, ui->ckbS_Post, ui->ckbAddition1, ui->ckbAddition2, ui->ckbAddition3, ui->ckbAddition4};
}

void TLayoutDetailDialog::autoLayoutChanged()
{
    const bool automatic = ui->ckbAuto->isChecked();
    ManualLayout = automatic ? 0 : 1;
    for (QCheckBox* b : addresseeBoxes())
        b->setEnabled(!automatic && dataKind_ != dkSender);
    for (QCheckBox* b : senderBoxes())
        b->setEnabled(!automatic && dataKind_ != dkAddressee);
    // The company ratios apply to the automatic layout only.
    for (QWidget* c : std::initializer_list<QWidget*>{ui->edNameRatio, ui->cbxCorpRatio, ui->cbxDptmntRatio,
                                                      ui->cbxPostRatio})
        SetRatioControlEnabled(c, automatic);
    SetEnabled({ui->lblNameRatio, ui->lblCorpRatio, ui->lblDptmntRatio, ui->lblPostRatio}, automatic);
}

void TLayoutDetailDialog::SetManualLayout(bool value)
{
    ui->ckbAuto->setChecked(!value);
    autoLayoutChanged();
}

void TLayoutDetailDialog::SetDataKind(int kind)
{
    dataKind_ = kind;
    autoLayoutChanged();
}

void TLayoutDetailDialog::SetPaperKind(int kind)
{
    paperKind_ = kind;
    if (kind == kPaperKindLabel || kind == kPaperKindCard) {
        SetEnabled({ui->lblSender, ui->lblSender2, ui->lblSmall2, ui->lblLarge2, ui->tbrSendName, ui->lblSendName,
                    ui->tbrSendAddress, ui->lblSendAddress, ui->tbrSendAddition, ui->lblSendAddition,
                    ui->lblSendNameAlign, ui->rbS_Equal, ui->rbS_Left, ui->rbS_Right, ui->rbS_Center},
                   false);
    } else {
        SetEnabled({ui->tbrAddition, ui->lblAddition}, false);
    }
}

void TLayoutDetailDialog::SetSenderOnly(bool value)
{
    if (!value)
        return;
    SetEnabled({ui->lblSmall1, ui->lblLarge1, ui->tbrName, ui->lblName, ui->tbrAddress, ui->lblAddress,
                ui->tbrAddition, ui->lblAddition, ui->rbEqual, ui->rbLeft, ui->rbRight, ui->rbCenter},
               false);
}

void TLayoutDetailDialog::SetDetail(const TPrintSetting& s)
{
    // The sliders clamp a stored size into 1-5 themselves.
    ui->tbrAddress->setValue(s.AddressSize);
    ui->tbrName->setValue(s.NameSize);
    ui->tbrAddition->setValue(s.AdditionSize);
    ui->tbrSendAddress->setValue(s.SenderAddressSize);
    ui->tbrSendName->setValue(s.SenderNameSize);
    ui->tbrSendAddition->setValue(s.SenderAdditionSize);
    ui->cbxCorpRatio->setCurrentIndex(TPrintSetting::RatioIndex(s.CorpRatio));
    ui->cbxDptmntRatio->setCurrentIndex(TPrintSetting::RatioIndex(s.DptmntRatio));
    ui->cbxPostRatio->setCurrentIndex(TPrintSetting::RatioIndex(s.PostRatio));
    ui->ckbCharSpace->setChecked(s.CharSpace != 0);
    CheckByTag(ui->bgNameAlign, TPrintSetting::Align(s.NameAlign));
    CheckByTag(ui->bgSendNameAlign, TPrintSetting::Align(s.SenderNameAlign));
    (s.SenderJointSeries != 0 ? ui->rbSeries : ui->rbParallel)->setChecked(true);
    ui->ckbCorpBreak->setChecked(s.CorpBreak != 0);
}

void TLayoutDetailDialog::GetDetail(TPrintSetting& s) const
{
    s.AddressSize = ui->tbrAddress->value();
    s.NameSize = ui->tbrName->value();
    s.AdditionSize = ui->tbrAddition->value();
    s.SenderAddressSize = ui->tbrSendAddress->value();
    s.SenderNameSize = ui->tbrSendName->value();
    s.SenderAdditionSize = ui->tbrSendAddition->value();
    s.CorpRatio = TPrintSetting::RatioIndex(ui->cbxCorpRatio->currentIndex());
    s.DptmntRatio = TPrintSetting::RatioIndex(ui->cbxDptmntRatio->currentIndex());
    s.PostRatio = TPrintSetting::RatioIndex(ui->cbxPostRatio->currentIndex());
    s.CharSpace = ui->ckbCharSpace->isChecked() ? 1 : 0;
    s.NameAlign = AlignOf(ui->bgNameAlign);
    s.SenderNameAlign = AlignOf(ui->bgSendNameAlign);
    s.SenderJointSeries = ui->rbSeries->isChecked() ? 1 : 0;
    s.CorpBreak = ui->ckbCorpBreak->isChecked() ? 1 : 0;
}

// A press beside the thumb puts it on the nearest step under the press.
void TLayoutDetailDialog::sliderMouseDown(TExTrackBar* bar, Qt::MouseButton button, const QPoint& pos)
{
    if (button != Qt::LeftButton)
        return;
    const QRect channel = bar->ChannelRect();
    bar->setValue(TExTrackBar::PositionAt(pos.x(), channel.left(), channel.left() + channel.width(), bar->minimum(),
                                          bar->maximum()));
}

int TLayoutDetailDialog::HelpContext() const
{
    return ui->pcDetail->currentIndex() == kPagePlace ? kPlacementHelpContext : kLayoutHelpContext;
}

void TLayoutDetailDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    switch (ui->pcDetail->currentIndex()) {
    case kPageFont: ui->tbrName->setFocus(); break;
    case kPagePlace: ui->ckbCharSpace->setFocus(); break;
    default: ui->ckbAuto->setFocus(); break;
    }
}

void TLayoutDetailDialog::done(int result)
{
    // Remembering the page is a convenience: a settings file that cannot be
    // written costs only the page next time.
    WriteSettingsPage(kSection, kPageKey, ui->pcDetail->currentIndex());
    TModalDialog::done(result);
}

bool TLayoutDetailDialog::GetPosVisible() const { return ui->ckbPos->isChecked(); }
void TLayoutDetailDialog::SetPosVisible(bool v) { ui->ckbPos->setChecked(v); }
bool TLayoutDetailDialog::GetAddressVisible(int i) const
{
    return Checked(At({ui->ckbAddress1, ui->ckbAddress2, ui->ckbAddress3}, i));
}
void TLayoutDetailDialog::SetAddressVisible(int i, bool v) { Check(At({ui->ckbAddress1, ui->ckbAddress2, ui->ckbAddress3}, i), v); }
bool TLayoutDetailDialog::GetNameVisible() const { return ui->ckbName->isChecked(); }
void TLayoutDetailDialog::SetNameVisible(bool v) { ui->ckbName->setChecked(v); }
bool TLayoutDetailDialog::GetCorpVisible() const { return ui->ckbCorp->isChecked(); }
void TLayoutDetailDialog::SetCorpVisible(bool v) { ui->ckbCorp->setChecked(v); }
bool TLayoutDetailDialog::GetDptmntVisible() const { return ui->ckbDptmnt->isChecked(); }
void TLayoutDetailDialog::SetDptmntVisible(bool v) { ui->ckbDptmnt->setChecked(v); }
bool TLayoutDetailDialog::GetPostVisible() const { return ui->ckbPost->isChecked(); }
void TLayoutDetailDialog::SetPostVisible(bool v) { ui->ckbPost->setChecked(v); }
bool TLayoutDetailDialog::GetSenderPosVisible() const { return ui->ckbS_Pos->isChecked(); }
void TLayoutDetailDialog::SetSenderPosVisible(bool v) { ui->ckbS_Pos->setChecked(v); }
bool TLayoutDetailDialog::GetSenderAddressVisible(int i) const
{
    return Checked(At({ui->ckbS_Address1, ui->ckbS_Address2, ui->ckbS_Address3}, i));
}
void TLayoutDetailDialog::SetSenderAddressVisible(int i, bool v)
{
    Check(At({ui->ckbS_Address1, ui->ckbS_Address2, ui->ckbS_Address3}, i), v);
}
bool TLayoutDetailDialog::GetSenderNameVisible() const { return ui->ckbS_Name->isChecked(); }
void TLayoutDetailDialog::SetSenderNameVisible(bool v) { ui->ckbS_Name->setChecked(v); }
bool TLayoutDetailDialog::GetSenderCorpVisible() const { return ui->ckbS_Corp->isChecked(); }
void TLayoutDetailDialog::SetSenderCorpVisible(bool v) { ui->ckbS_Corp->setChecked(v); }
bool TLayoutDetailDialog::GetSenderDptmntVisible() const { return ui->ckbS_Dptmnt->isChecked(); }
void TLayoutDetailDialog::SetSenderDptmntVisible(bool v) { ui->ckbS_Dptmnt->setChecked(v); }
bool TLayoutDetailDialog::GetSenderPostVisible() const { return ui->ckbS_Post->isChecked(); }
void TLayoutDetailDialog::SetSenderPostVisible(bool v) { ui->ckbS_Post->setChecked(v); }
bool TLayoutDetailDialog::GetAdditionVisible(int i) const
{
    return Checked(At({ui->ckbAddition1, ui->ckbAddition2, ui->ckbAddition3, ui->ckbAddition4}, i));
}
void TLayoutDetailDialog::SetAdditionVisible(int i, bool v)
{
    Check(At({ui->ckbAddition1, ui->ckbAddition2, ui->ckbAddition3, ui->ckbAddition4}, i), v);
}

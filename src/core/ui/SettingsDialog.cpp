#include "core/ui/SettingsDialog.h"

#include "core/FieldCipher.h"
#include "core/Settings.h"
#include "core/common/Units.h"
#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kMyNumberLabelBytes = 40;
constexpr int kMapCount = 11;
constexpr int kRouteCount = 2;

QCheckBox* addCheck(QVBoxLayout* layout, const char* name, const QString& text, bool checked)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

QLineEdit* passwordEdit(const char* name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

TSettingsDialog::TSettingsDialog(QWidget* owner) : TModalDialog(owner)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(QStringLiteral("環境設定"));
    const TSettings& s = Settings();
    auto* root = new QVBoxLayout(this);

    auto* address = new QGroupBox(QStringLiteral("アドレス帳情報"));
    auto* addressLayout = new QVBoxLayout(address);
    chkSameNum_ = addCheck(addressLayout, "chkSameNum", QStringLiteral("同じ電話番号のデータがあれば登録前に確認する"), s.SameNum);
    chkChangeData_ = addCheck(addressLayout, "chkChangeData", QStringLiteral("別のデータを表示する前に変更を保存する"), s.ChangeData);
    chkFormClose_ = addCheck(addressLayout, "chkFormClose", QStringLiteral("画面を閉じる前に変更を保存する"), s.FormClose);
    chkConfirmation_ = addCheck(addressLayout, "chkConfirmation", QStringLiteral("保存する前に確認する"), s.Confirmation);
    chkOutOfTarget_ = addCheck(addressLayout, "chkOutOfTarget",
                               QStringLiteral("検索した直後のデータは登録保存の対象にしない"), s.OutOfTarget);
    root->addWidget(address);

    auto* view = new QGroupBox(QStringLiteral("表示"));
    auto* viewLayout = new QVBoxLayout(view);
    chkBGPaint_ = addCheck(viewLayout, "chkBGPaint", QStringLiteral("表示中のデータの一覧を色付けする"), s.BGPaint);
    auto* colorRow = new QHBoxLayout;
    pnlBGColor_ = new QLabel;
    pnlBGColor_->setObjectName(QStringLiteral("pnlBGColor"));
    pnlBGColor_->setFixedSize(40, 20);
    pnlBGColor_->setFrameShape(QFrame::Panel);
    pnlBGColor_->setAutoFillBackground(true);
    auto* colorButton = new QPushButton(QStringLiteral("色の選択..."));
    colorButton->setObjectName(QStringLiteral("btnBGColor"));
    colorRow->addWidget(new QLabel(QStringLiteral("一覧の色")));
    colorRow->addWidget(pnlBGColor_);
    colorRow->addWidget(colorButton);
    colorRow->addStretch();
    viewLayout->addLayout(colorRow);
    root->addWidget(view);
    bgColor_ = s.BGColor;
    ShowBGColor();
    connect(colorButton, &QPushButton::clicked, this, &TSettingsDialog::ChooseBGColor);

    auto* cooperate = new QGroupBox(QStringLiteral("連携"));
    auto* cooperateLayout = new QFormLayout(cooperate);
    cbxMap_ = new QComboBox;
    cbxMap_->setObjectName(QStringLiteral("cbxMap"));
    for (int map = 0; map < kMapCount; ++map)
        cbxMap_->addItem(MapProgramName(map));
    cbxMap_->setCurrentIndex(s.Map);
    cbxMapSearchKind_ = new QComboBox;
    cbxMapSearchKind_->setObjectName(QStringLiteral("cbxMapSearchKind"));
    cbxMapSearchKind_->addItems({QStringLiteral("位置で検索"), QStringLiteral("住所で検索")});
    cbxMapSearchKind_->setCurrentIndex(s.MapSearchKind);
    cbxRoot_ = new QComboBox;
    cbxRoot_->setObjectName(QStringLiteral("cbxRoot"));
    for (int root = 0; root < kRouteCount; ++root)
        cbxRoot_->addItem(RouteProgramName(root));
    cbxRoot_->setCurrentIndex(s.Root);
    cooperateLayout->addRow(QStringLiteral("地図"), cbxMap_);
    cooperateLayout->addRow(QStringLiteral("地図の検索方法"), cbxMapSearchKind_);
    cooperateLayout->addRow(QStringLiteral("路線検索"), cbxRoot_);
    root->addWidget(cooperate);

    auto* myNumber = new QGroupBox(QStringLiteral("マイナンバー"));
    auto* myNumberLayout = new QFormLayout(myNumber);
    edtMyNumberLabel_ = new TByteLimitEdit;
    edtMyNumberLabel_->setObjectName(QStringLiteral("edtMyNumberLabel"));
    edtMyNumberLabel_->SetMaxBytes(kMyNumberLabelBytes);
    edtMyNumberLabel_->setText(s.MyNumberLabel);
    edtMyNumber_ = new TByteLimitEdit;
    edtMyNumber_->setObjectName(QStringLiteral("edtMyNumber"));
    edtMyNumber_->SetMaxBytes(13);
    edtMyNumber_->setText(CommonMyNumber());
    edtMyNumber_->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    myNumberLayout->addRow(QStringLiteral("表示名"), edtMyNumberLabel_);
    myNumberLayout->addRow(QStringLiteral("共通マイナンバー"), edtMyNumber_);
    root->addWidget(myNumber);

    auto* admin = new QGroupBox(QStringLiteral("管理者"));
    auto* adminLayout = new QFormLayout(admin);
    lblPasswordState_ = new QLabel;
    lblPasswordState_->setObjectName(QStringLiteral("lblPasswordState"));
    edtPassword_ = passwordEdit("edtPassword");
    edtNewPassword_ = passwordEdit("edtNewPassword");
    edtNewPassword2_ = passwordEdit("edtNewPassword2");
    chkClearPassword_ = new QCheckBox(QStringLiteral("パスワードを解除する"));
    chkClearPassword_->setObjectName(QStringLiteral("chkClearPassword"));
    chkAdminMode_ = new QCheckBox(QStringLiteral("管理者モード"));
    chkAdminMode_->setObjectName(QStringLiteral("chkAdminMode"));
    chkAdminMode_->setChecked(s.AdminMode);
    adminLayout->addRow(QStringLiteral("パスワード"), lblPasswordState_);
    adminLayout->addRow(QStringLiteral("現在のパスワード"), edtPassword_);
    adminLayout->addRow(QStringLiteral("新しいパスワード"), edtNewPassword_);
    adminLayout->addRow(QStringLiteral("新しいパスワード（確認）"), edtNewPassword2_);
    adminLayout->addRow(QString(), chkClearPassword_);
    adminLayout->addRow(QString(), chkAdminMode_);
    root->addWidget(admin);
    connect(chkClearPassword_, &QCheckBox::toggled, this, &TSettingsDialog::UpdatePasswordControls);
    connect(chkAdminMode_, &QCheckBox::toggled, this, &TSettingsDialog::UpdateMyNumberLock);
    connect(edtPassword_, &QLineEdit::editingFinished, this, &TSettingsDialog::UpdateMyNumberLock);
    UpdatePasswordControls();

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &TSettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &TSettingsDialog::reject);
    root->addWidget(buttons);
    ApplyDialogConventions(this);
}

TSettingsDialog::~TSettingsDialog() = default;

void TSettingsDialog::ShowBGColor()
{
    QPalette pal = pnlBGColor_->palette();
    pal.setColor(QPalette::Window, ColorFromStored(bgColor_));
    pnlBGColor_->setPalette(pal);
}

void TSettingsDialog::ChooseBGColor()
{
    bool ok = false;
    const QColor chosen = ChooseColor(this, ColorFromStored(bgColor_), &ok);
    if (!ok)
        return;
    bgColor_ = ColorToStored(chosen);
    ShowBGColor();
}

void TSettingsDialog::UpdatePasswordControls()
{
    const bool has = HasAdminPassword();
    lblPasswordState_->setText(has ? QStringLiteral("設定されています") : QStringLiteral("設定されていません"));
    edtPassword_->setEnabled(has);
    chkClearPassword_->setEnabled(has);
    const bool clearing = chkClearPassword_->isChecked();
    edtNewPassword_->setEnabled(!clearing);
    edtNewPassword2_->setEnabled(!clearing);
    chkAdminMode_->setEnabled(has && !clearing);
    UpdateMyNumberLock();
}

void TSettingsDialog::UpdateMyNumberLock()
{
    // Masked as the record window masks it: seen and changed only while no
    // lock is on. Ticking the mode, or clearing the password, opens the edit
    // at once when the password is proven (the mode was on, or the password
    // above is right); a tick alone never shows the number. The lock coming
    // back on masks what was typed and keeps it: it was typed with the
    // password proven, and OK stores it like any other input of the dialog.
    const bool unlocking = (chkAdminMode_->isEnabled() && chkAdminMode_->isChecked()) ||
                           (chkClearPassword_->isEnabled() && chkClearPassword_->isChecked());
    const bool open =
        !HasAdminPassword() || (unlocking && (Settings().AdminMode || CheckAdminPassword(edtPassword_->text())));
    if (open == !edtMyNumber_->isReadOnly())
        return;
    edtMyNumber_->setEchoMode(open ? QLineEdit::Normal : QLineEdit::Password);
    edtMyNumber_->setReadOnly(!open);
}

void TSettingsDialog::accept()
{
    if (Store())
        TModalDialog::accept();
}

bool TSettingsDialog::Store()
{
    const TSettings old = Settings();
    TSettings next = old;
    next.SameNum = chkSameNum_->isChecked();
    next.ChangeData = chkChangeData_->isChecked();
    next.FormClose = chkFormClose_->isChecked();
    next.Confirmation = chkConfirmation_->isChecked();
    next.OutOfTarget = chkOutOfTarget_->isChecked();
    next.BGPaint = chkBGPaint_->isChecked();
    next.BGColor = bgColor_;
    next.Map = cbxMap_->currentIndex();
    next.MapSearchKind = cbxMapSearchKind_->currentIndex();
    next.Root = cbxRoot_->currentIndex();
    next.MyNumberLabel = cp932::Trim(edtMyNumberLabel_->text());

    const auto refuse = [this](QWidget* focus, const QString& text) {
        ShowMessage(this, text, MB_OK | MB_ICONSTOP);
        focus->setFocus();
        return false;
    };

    const bool had = HasAdminPassword();
    // The stored value stays as it is unless the number was changed here,
    // which takes the password proven: the mode on, or the password above.
    const QString number = edtMyNumber_->text().trimmed();
    if (number != CommonMyNumber()) {
        if (had && !old.AdminMode && !CheckAdminPassword(edtPassword_->text()))
            return refuse(edtPassword_, QStringLiteral("パスワードが正しくありません  "));
        if (!number.isEmpty() && CheckMyNumber(number, number.size() == 13 ? 1 : 0) != 0)
            return refuse(edtMyNumber_, QStringLiteral("共通マイナンバーが正しくありません  "));
        if (number.isEmpty()) {
            next.MyNumber.clear();
        } else {
            bool ok = false;
            next.MyNumber = EncryptAESString(cp932::Encode(number), kFieldKey, &ok);
            if (!ok)
                return refuse(edtMyNumber_, QStringLiteral("共通マイナンバーが正しくありません  "));
        }
    }

    const bool clearing = had && chkClearPassword_->isChecked();
    const QString newPassword = edtNewPassword_->text();
    const bool changing = !clearing && (!newPassword.isEmpty() || !edtNewPassword2_->text().isEmpty());
    const bool modeOn = !clearing && chkAdminMode_->isEnabled() && chkAdminMode_->isChecked();
    const bool needsPassword = had && (clearing || changing || (modeOn && !old.AdminMode));
    if (needsPassword && !CheckAdminPassword(edtPassword_->text()))
        return refuse(edtPassword_, QStringLiteral("パスワードが正しくありません  "));
    if (changing && newPassword != edtNewPassword2_->text())
        return refuse(edtNewPassword_, QStringLiteral("新しいパスワードが一致しません  "));
    if (changing && !MakeAdminPasswordHash(newPassword, next.AdminPassword))
        return refuse(edtNewPassword_, QStringLiteral("パスワードを設定できませんでした  "));
    if (clearing)
        next.AdminPassword.clear();
    // Who sets the first password is the administrator until the mode is
    // left (or the program ends): no lock comes on over protected input
    // that was open a moment ago, and there is no mode being left to ask about.
    next.AdminMode = !next.AdminPassword.isEmpty() && (modeOn || (!had && changing));
    const auto locked = [](const TSettings& s) { return !s.AdminPassword.isEmpty() && !s.AdminMode; };
    if (lockGuard_ && locked(next) && !locked(old) && !lockGuard_())
        return false;

    Settings() = next;
    if (QString cause; !SaveSettings(&cause)) {
        Settings() = old;
        ShowMessage(this,
                    QStringLiteral("設定を保存できませんでした  \r\n") + cause + QStringLiteral("  \r\n") +
                        SettingsFileName(),
                    MB_OK | MB_ICONSTOP);
        return false;
    }
    adminChanged_ = old.AdminMode != next.AdminMode || old.AdminPassword != next.AdminPassword;
    return true;
}

#pragma once
// "環境設定": the settings of Telvora21.ini that the record window and the
// main window read, the common My Number, the administrator password and
// administrator mode. OK checks everything first and then stores it in one
// write; a wrong password or bad input is told and changes nothing.

#include "platform/ui/DialogKit.h"

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TByteLimitEdit;

class TSettingsDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TSettingsDialog(QWidget* owner = nullptr);
    ~TSettingsDialog() override;

    // What OK changed, for the windows that show it.
    bool AdminStateChanged() const { return adminChanged_; }
    // Asked when OK would put the administrator lock on, before anything is
    // stored (a window holding protected input saves it while it still
    // can); false keeps the dialog open with nothing stored.
    void SetLockGuard(std::function<bool()> guard) { lockGuard_ = std::move(guard); }

    void accept() override;

private:
    void ShowBGColor();
    void ChooseBGColor();
    void UpdatePasswordControls();
    void UpdateMyNumberLock();
    // Checks the input and stores it; false (with its message shown) when
    // nothing was stored.
    bool Store();

    QCheckBox* chkSameNum_ = nullptr;
    QCheckBox* chkChangeData_ = nullptr;
    QCheckBox* chkFormClose_ = nullptr;
    QCheckBox* chkConfirmation_ = nullptr;
    QCheckBox* chkOutOfTarget_ = nullptr;
    QCheckBox* chkBGPaint_ = nullptr;
    QLabel* pnlBGColor_ = nullptr;
    QComboBox* cbxMap_ = nullptr;
    QComboBox* cbxMapSearchKind_ = nullptr;
    QComboBox* cbxRoot_ = nullptr;
    TByteLimitEdit* edtMyNumberLabel_ = nullptr;
    TByteLimitEdit* edtMyNumber_ = nullptr;
    QLabel* lblPasswordState_ = nullptr;
    QLineEdit* edtPassword_ = nullptr;
    QLineEdit* edtNewPassword_ = nullptr;
    QLineEdit* edtNewPassword2_ = nullptr;
    QCheckBox* chkClearPassword_ = nullptr;
    QCheckBox* chkAdminMode_ = nullptr;
    int bgColor_ = 0;
    bool adminChanged_ = false;
    std::function<bool()> lockGuard_;
};

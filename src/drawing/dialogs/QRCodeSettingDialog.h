#pragma once
// "QRコードの設定": what a QR code carries (a text, a phone-book entry or a
// mail to be written, in the docomo or the SoftBank form), its module size
// and colour, with a live preview. The designer creates it, calls
// LoadFromRect with the selected code, shows it modally and on OK assigns
// QRCodeRect() to the code; the code passed in is never changed here.
//
// The window size is kept in [DESIGN] QRWidth and QRHeight of the settings
// file, in 96-dpi units, the height without the caption bar.

#include "drawing/objects/QRCodeRect.h"
#include "platform/ui/DialogKit.h"

#include <QPointer>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class QSizeGrip;
class QStackedWidget;
class TTntNMDEdit;
class TTntNameDic;

class TQRCodeSettingDialog : public TModalDialog {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 580;
    static constexpr int kMinHeight = 460;

    explicit TQRCodeSettingDialog(QWidget* owner = nullptr);
    ~TQRCodeSettingDialog() override;

    void LoadFromRect(const TQRCodeRect& Source);
    TQRCodeRect& QRCodeRect() { return *work_; }
    int HelpContext() const { return help_; }

    // Copies the controls into the work copy and renews the preview.
    void RefreshFromControls();
    // The sender's RecNo behind each list entry (empty: none).
    const std::vector<int>& SenderRecNos() const { return senderRecNos_; }

public slots:
    // Refreshes first; a payload no QR code can hold is reported and the
    // dialog stays open.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TPreview;

    // The window in steps, each control made in tab order.
    void build();
    QGroupBox* buildKindBox();
    void buildCarrierBox();
    QGroupBox* buildContentBox();
    QWidget* buildTextPage();
    QWidget* buildPhonePage();
    QWidget* buildMailPage();
    QGroupBox* buildViewBox();
    void buildPreview();
    void buildButtons();
    void loadSenders();
    void fillControls();
    void kindChosen();
    void insertHeader(int tag);
    void takeSender();
    void sizeEdited();
    void chooseColor();
    void layoutPreview();
    void nameConvertNeed(bool need, const QString& reading, int kind);
    void applyNameReading(const QString& name, const QString& reading);

    std::unique_ptr<TQRCodeRect> work_;
    std::vector<int> senderRecNos_;
    bool loading_ = false;
    bool sized_ = false;
    int help_ = 130;
    QPointer<TTntNameDic> nameDic_; // the name-reading popup, made on first use
    TEnterKeyFilter* enter_ = nullptr;

public:
    // The controls, by their names (tests drive them).
    QRadioButton* rbText = nullptr;
    QRadioButton* rbAddress = nullptr;
    QRadioButton* rbMail = nullptr;
    QGroupBox* gbxCarrier = nullptr;
    QRadioButton* rbDocomo = nullptr;
    QRadioButton* rbSoftBank = nullptr;
    QLabel* lblInfo = nullptr;
    QStackedWidget* pgcContent = nullptr;
    QPlainTextEdit* memText = nullptr;
    QPushButton* bbtnTelHeader = nullptr;
    QPushButton* bbtnURLHeader = nullptr;
    TTntNMDEdit* edName = nullptr;
    QLineEdit* edKana = nullptr;
    QLineEdit* edTel1 = nullptr;
    QLineEdit* edTel2 = nullptr;
    QLineEdit* edMail1 = nullptr;
    QLineEdit* edMail2 = nullptr;
    QLineEdit* edMemo = nullptr;
    QComboBox* cbxSender = nullptr;
    QPushButton* btnSender = nullptr;
    QLineEdit* edMailTo = nullptr;
    QLineEdit* edSubject = nullptr;
    QLineEdit* edBody = nullptr;
    QFrame* pnlColor = nullptr;
    QPushButton* bbtnColor = nullptr;
    QLineEdit* edSize = nullptr;
    QScrollBar* udSize = nullptr;
    QScrollArea* sbxPreview = nullptr;
    TPreview* pbxPreview = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QSizeGrip* pnlGrip = nullptr;
};

#pragma once
// "文章の表示設定": the display of one free text, edited on a work copy with a
// live preview: writing direction, font, size, character aspect ratio,
// bold, italic and colour; alignment, wrapping and line spacing; the
// decorative frame. The text itself is edited in the text editor. The
// designer creates it, hands it the selected text with LoadFromRect, shows
// it modally and on OK assigns WordRect() to the item; the item passed in is
// never changed here.
//
// [DESIGN] WordSet keeps the page shown last.

#include "core/common/FontUtils.h"
#include "drawing/objects/WordRect.h"
#include "platform/ui/DialogKit.h"

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QVBoxLayout;
class TFramePage;
class TNumEdit;

class TWordSettingDialog : public TModalDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 3;
    static constexpr int kMinAspect = 20;
    static constexpr int kMaxAspect = 300;

    explicit TWordSettingDialog(QWidget* owner = nullptr);
    ~TWordSettingDialog() override;

    // Takes the text's settings into the work copy, fitted and centred in
    // the preview, and fills the controls.
    void LoadFromRect(const TWordRect& Source);
    TWordRect& WordRect() { return *work_; }
    int HelpContext() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class TPreview;

    // The window in steps, each control made in tab order.
    void build();
    QGroupBox* buildDirectionBox();
    QWidget* buildFontPage();
    QWidget* buildAlignPage();
    QVBoxLayout* buildPreviewColumn();
    void connectControls();
    void fillFontPage();
    void fontChosen(int row);
    void styleChanged();
    void chooseFontColor();
    void directionChanged(bool vertical);
    void horizontalAlign(int h);
    void verticalAlign(int v);
    void lineSpaceChecked();
    void focusPage();
    void repaintPreview();

    std::unique_ptr<TWordRect> work_;
    std::vector<TFontListEntry> fonts_;
    bool loading_ = false;

    QTabWidget* pgcSetting = nullptr;
    QRadioButton* rbVertical = nullptr;
    QRadioButton* rbHorizontal = nullptr;
    QListWidget* lbFont = nullptr;
    QLabel* lblCharset = nullptr;
    QComboBox* cbxSize = nullptr;
    TNumEdit* edAspect = nullptr;
    QCheckBox* ckbBold = nullptr;
    QCheckBox* ckbItalic = nullptr;
    QFrame* pnlFontColor = nullptr;
    QPushButton* btnFontColor = nullptr;
    QRadioButton* rbLeft = nullptr;
    QRadioButton* rbHCenter = nullptr;
    QRadioButton* rbRight = nullptr;
    QRadioButton* rbTop = nullptr;
    QRadioButton* rbVCenter = nullptr;
    QRadioButton* rbBottom = nullptr;
    QCheckBox* ckbWordWrap = nullptr;
    QCheckBox* ckbLineSpace = nullptr;
    QComboBox* cbxLineSpace = nullptr;
    TFramePage* framePage = nullptr;
    TPreview* pnlPreview = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

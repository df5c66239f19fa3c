#pragma once
// "図形の設定": every setting of a figure, edited on a work copy with a live
// preview. The designer creates it, hands it the selected figure with
// LoadFromRect, shows it modally and on OK copies FigureRect() into the
// figure; the figure passed in is never changed here.
//
// The page shown last is kept in [DESIGN] FigureSet of the settings file.

#include "drawing/objects/FigureRect.h"
#include "platform/ui/DialogKit.h"

#include <memory>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class TNumEdit;

class TFigureSettingDialog : public TModalDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 2;

    explicit TFigureSettingDialog(QWidget* owner = nullptr);
    ~TFigureSettingDialog() override;

    // Takes the figure's settings into the work copy, fitted and centred in
    // the preview, and fills the controls.
    void LoadFromRect(const TFigureRect& Figure);
    // The work copy, read back by the caller after OK.
    TFigureRect& FigureRect() { return *work_; }

    int HelpContext() const { return 129; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    class TPreview;
    class TLineTypeGrid;

    // The window in steps, each control made in tab order.
    void build();
    QWidget* buildFigurePage();
    QWidget* buildLinePanel(QWidget* page);
    QWidget* buildRoundRectPanel(QWidget* page);
    QWidget* buildSectorPanel(QWidget* page);
    QWidget* buildColorPage();
    QGroupBox* buildFrameBox(QWidget* page);
    QGroupBox* buildBackBox(QWidget* page);
    void connectControls();
    void kindChanged(int index);
    void frameChanged();
    void backChanged();
    void gradationChanged(int tag);
    void sectorClicked(int tag);
    void followGradation();
    void focusPage();
    void chooseFrameColor();
    void chooseFillColor(int tag);
    void repaintPreview();

    std::unique_ptr<TFigureRect> work_;
    TEnterKeyFilter* enter_ = nullptr;
    bool writing_ = false; // set while the dialog writes the edits itself

    QTabWidget* pgcSetting = nullptr;
    QComboBox* cbxFigureKind = nullptr;
    QWidget* pnlLine = nullptr;
    QCheckBox* ckbLine[4] = {};
    QWidget* pnlRoundRect = nullptr;
    QComboBox* cbxDiameter[2] = {};
    QWidget* pnlSector = nullptr;
    QRadioButton* rbSector[4] = {};
    QCheckBox* ckbFrame = nullptr;
    QFrame* pnlFrameColor = nullptr;
    QPushButton* bbtnFrameColor = nullptr;
    TNumEdit* edLineWidth = nullptr;
    TLineTypeGrid* dgLineType = nullptr;
    QLabel* lblFrame[3] = {}; // "色：" "太さ：" "(ピクセル)" / "種類："
    QLabel* lblLineType = nullptr;
    QCheckBox* ckbBack = nullptr;
    QRadioButton* rbFilled = nullptr;
    QRadioButton* rbGradation = nullptr;
    QFrame* pnlColor1 = nullptr;
    QPushButton* bbtnColorDlg1 = nullptr;
    QLabel* lblColor1 = nullptr;
    QFrame* pnlColor2 = nullptr;
    QPushButton* bbtnColorDlg2 = nullptr;
    QLabel* lblColor2 = nullptr;
    TNumEdit* edAngle = nullptr;
    QLabel* lblAngle = nullptr;
    TPreview* pnlPreview = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

#pragma once
// "イラストの表示設定": the display of one picture item, edited on a work copy
// with a live preview: mirroring and turning the picture, cutting it out
// with one of the shared mask shapes (dragged and sized on the preview) or
// making one colour transparent, and the decorative frame. The designer
// creates it, hands it the selected item with LoadFromRect, shows it
// modally and on OK assigns IllustRect() to the item; the item passed in is
// never changed here.
//
// [DESIGN] IllustSet keeps the page shown last, IllustSetRatio the preview
// zoom (0 whole item, 1 x1, 2 x2).

#include "drawing/objects/IllustRect.h"
#include "platform/ui/DialogKit.h"

#include <QImage>
#include <QPoint>

#include <memory>
#include <vector>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QWidget;
class TFramePage;

class TIllustSettingDialog : public TModalDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 3;
    enum TZoomChoice { zcWhole = 0, zcX1 = 1, zcX2 = 2 };

    explicit TIllustSettingDialog(QWidget* owner = nullptr);
    ~TIllustSettingDialog() override;

    void LoadFromRect(const TIllustRect& Source);
    TIllustRect& IllustRect() { return *work_; }

    int SelectedMask() const { return selectedMask_; }
    TZoomChoice ZoomChoice() const { return zoom_; }
    int HelpContext() const;

    // The preview's drag of the mask, in paint-box coordinates (the mouse
    // handlers call these; so can a test).
    void MaskMouseMove(QPoint At, bool LeftButton, Qt::KeyboardModifiers Modifiers);
    void MaskMouseDown(QPoint At);
    void MaskMouseUp();
    // A click on the preview in transparent mode: the picture's own pixel
    // under the point becomes the transparent colour.
    void PickTransparentColor(QPoint At);
    // Selects a mask thumbnail as a click does.
    void SelectMask(int Index);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TPaintBox;
    class TThumb;

    void build();
    QWidget* zoomRow(QWidget* page, int pageIndex);
    void buildThumbnails();
    void setZoom(TZoomChoice choice);
    void layoutPreview();
    void reverse();
    void rotate();
    void displayModeChanged();
    void focusPage();
    void repaintPreview();
    void scrollThumbIntoView(int index);

    std::unique_ptr<TIllustRect> work_;
    int selectedMask_ = 0;
    TZoomChoice zoom_ = zcWhole;
    bool loading_ = false;
    // Drag state.
    QPoint last_;
    Qt::CursorShape dragCursor_ = Qt::ArrowCursor;
    quint8 zoneX_ = hzNone;
    quint8 zoneY_ = hzNone;
    bool dragging_ = false;

    QTabWidget* pgcSetting = nullptr;
    QRadioButton* rbReverseTB = nullptr;
    QRadioButton* rbReverseLR = nullptr;
    QPushButton* btnReverse = nullptr;
    QRadioButton* rbLeft90 = nullptr;
    QRadioButton* rbRight90 = nullptr;
    QRadioButton* rb180 = nullptr;
    QPushButton* btnRotate = nullptr;
    QRadioButton* rbAsIs = nullptr;
    QRadioButton* rbMask = nullptr;
    QRadioButton* rbTransparent = nullptr;
    QScrollArea* sbMasks = nullptr;
    QWidget* masksBox = nullptr;
    QLabel* lblDragHint = nullptr;
    QLabel* lblTransparent = nullptr;
    QFrame* pnlTransparent = nullptr;
    QLabel* lblClickHint = nullptr;
    TFramePage* framePage = nullptr;
    QPushButton* zoomButtons[kPageCount][3] = {};
    QScrollArea* sbPreview = nullptr;
    TPaintBox* pbPreview = nullptr;
    std::vector<QImage> thumbImages_;
    std::vector<TThumb*> thumbs_;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

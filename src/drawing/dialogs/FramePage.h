#pragma once
// The "飾り枠" page the item settings dialogs share: the outline ("枠線":
// single or double line, square or round corners, three widths, a colour)
// and the background ("背景", a colour) of an item's decorative frame.
// It edits the frame of the dialog's work copy directly and says so with
// Changed(), after which the dialog repaints its preview.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class TRectFrame;

// Outline colour a frame without outline starts with when it is switched on
// (red), and the background colour of one without background (light pink).
inline constexpr unsigned kFramePageOutlineColor = 0x0000FF;
inline constexpr unsigned kFramePageBackColor = 0xBFBFFF;

class TFramePage : public QWidget {
    Q_OBJECT
public:
    explicit TFramePage(QWidget* parent = nullptr);

    // Binds the page to a frame (which must outlive the page's use) and
    // fills the controls. A frame without outline takes the red outline
    // colour, one without background the light pink background colour, so
    // that switching either on shows something.
    void Load(TRectFrame& Frame);
    // The control that takes the focus when the page is shown.
    QWidget* FirstControl() const;

    QCheckBox* FrameCheck() const { return ckbFrame; }
    QCheckBox* BackCheck() const { return ckbBack; }

signals:
    void Changed();

private:
    void frameToggled();
    void backToggled();
    void chooseColor(bool outline);

    TRectFrame* frame_ = nullptr;
    bool loading_ = false;
    QCheckBox* ckbFrame = nullptr;
    QComboBox* cbxLineCount = nullptr;
    QComboBox* cbxCorner = nullptr;
    QComboBox* cbxLineWidth = nullptr;
    QLabel* lblFrame[4] = {};
    QFrame* pnlFrameColor = nullptr;
    QPushButton* btnFrameColor = nullptr;
    QCheckBox* ckbBack = nullptr;
    QLabel* lblBackColor = nullptr;
    QFrame* pnlBackColor = nullptr;
    QPushButton* btnBackColor = nullptr;
};

// Colour panels of the item settings dialogs: a sunken box showing a
// colour, kept as its TColor value.
QFrame* NewItemColorPanel(QWidget* parent, const char* name);
void SetItemPanelColor(QFrame* panel, unsigned color);
unsigned ItemPanelColor(const QFrame* panel);
QPushButton* NewItemColorButton(QWidget* parent, const char* name);

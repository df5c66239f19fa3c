#include "drawing/dialogs/FigureSettingDialog.h"

#include "core/common/Units.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/PreviewFit.h"
#include "platform/Canvas.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/NumEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

const QString kSection = QStringLiteral("DESIGN");
const QString kPageKey = QStringLiteral("FigureSet");
constexpr int kPageFigure = 0;

void SetPanelColor(QFrame* panel, TColor color)
{
    panel->setProperty("tcolor", static_cast<uint>(color));
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, ToQColor(color));
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
}

TColor PanelColor(const QFrame* panel)
{
    return static_cast<TColor>(panel->property("tcolor").toUInt());
}

QColor ToQ(TColor c)
{
    return ToQColor(c);
}

TColor FromQ(const QColor& c)
{
    return TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
}

// Enabled edits are window-coloured, disabled ones button-face coloured.
void FollowEnabled(QWidget* w, bool enabled)
{
    w->setEnabled(enabled);
    QPalette p = w->palette();
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Button));
    w->setPalette(p);
}

QFrame* NewColorPanel(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    f->setFixedSize(48, 22);
    SetPanelColor(f, 0);
    return f;
}

QPushButton* NewColorButton(QWidget* parent, const char* name)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(QIcon(QStringLiteral(":/glyphs/COLORSET.png")));
    b->setFixedSize(28, 24);
    return b;
}

} // namespace

// --- preview ---------------------------------------------------------------------------

// The work copy drawn on white; the box of figures without a visible edge
// of their own outlined in grey.
class TFigureSettingDialog::TPreview : public QWidget {
public:
    TPreview(QWidget* parent, TFigureRect& figure) : QWidget(parent), figure_(figure)
    {
        setObjectName(QStringLiteral("pnlPreview"));
        setFixedSize(250, 290);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        TCanvas canvas(painter);
        figure_.Draw(&canvas, 0, 0);
        const bool edged = figure_.GetFigureKind() == fkRectangle && (figure_.GetFrame() || figure_.GetBack());
        if (edged)
            return;
        TPen pen;
        pen.Color = 0x808080;
        pen.Width = 1;
        pen.Style = psDot;
        canvas.Pen() = pen;
        canvas.Brush().Style = bsClear;
        const TRect r = figure_.GetDisplayRect();
        canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    }

private:
    TFigureRect& figure_;
};

// --- line-type grid ---------------------------------------------------------------------

// One column of five 16-pixel rows, each a sample of its line type.
class TFigureSettingDialog::TLineTypeGrid : public QWidget {
public:
    static constexpr int kRows = 5;
    static constexpr int kRowHeight = 16;

    explicit TLineTypeGrid(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("dgLineType"));
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(120, kRows * kRowHeight + 2);
    }
    int Row() const { return row_; }
    void SetRow(int row)
    {
        row_ = std::clamp(row, 0, kRows - 1);
        update();
    }
    std::function<void(int)> Clicked;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                   Qt::DashDotDotLine};
        for (int i = 0; i < kRows; ++i) {
            const QRect cell(1, 1 + i * kRowHeight, width() - 2, kRowHeight);
            if (i == row_) {
                p.fillRect(cell, QColor(0xBF, 0xDF, 0xFF));
                QPen dotted(Qt::black, 1, Qt::DotLine);
                p.setPen(dotted);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
            QPen sample(Qt::black, 1, kStyles[i]);
            p.setPen(sample);
            const int y = cell.top() + cell.height() / 2;
            p.drawLine(cell.left() + 4, y, cell.right() - 4, y);
            p.drawLine(cell.left() + 4, y + 1, cell.right() - 4, y + 1);
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const int row = (static_cast<int>(e->position().y()) - 1) / kRowHeight;
        if (row >= 0 && row < kRows)
            choose(row);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Up && row_ > 0)
            choose(row_ - 1);
        else if (e->key() == Qt::Key_Down && row_ < kRows - 1)
            choose(row_ + 1);
        else
            QWidget::keyPressEvent(e);
    }

private:
    void choose(int row)
    {
        SetRow(row);
        if (Clicked)
            Clicked(row_);
    }
    int row_ = 0;
};

// --- dialog ------------------------------------------------------------------------------

TFigureSettingDialog::TFigureSettingDialog(QWidget* owner)
    : TModalDialog(owner), work_(std::make_unique<TFigureRect>())
{
    build();
    pgcSetting->setCurrentIndex(ReadSettingsPage(kSection, kPageKey, kPageCount));
    enter_ = ApplyDialogConventions(this);
    enter_->SetNext(edLineWidth, ckbBack);
    connect(pgcSetting, &QTabWidget::currentChanged, this, [this] { focusPage(); });
    kindChanged(0);
    frameChanged();
    backChanged();
}

TFigureSettingDialog::~TFigureSettingDialog()
{
    WriteSettingsPage(kSection, kPageKey, pgcSetting->currentIndex());
}

void TFigureSettingDialog::build()
{
    setWindowTitle(QStringLiteral("図形の設定"));
    setObjectName(QStringLiteral("FigureSettingDialog"));
    setFixedSize(604, 367);

    pgcSetting = new QTabWidget(this);
    pgcSetting->setObjectName(QStringLiteral("pgcSetting"));
    pgcSetting->addTab(buildFigurePage(), QStringLiteral("図形"));
    pgcSetting->addTab(buildColorPage(), QStringLiteral("色・設定"));

    pnlPreview = new TPreview(this, *work_);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* right = new QVBoxLayout;
    right->addWidget(pnlPreview);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    right->addLayout(buttons);
    auto* main = new QHBoxLayout(this);
    main->addWidget(pgcSetting, 1);
    main->addLayout(right);
    connectControls();
}

// Page "図形": the kind, and under it the one panel of options the kind
// has (the panels lie stacked, kindChanged shows one).
QWidget* TFigureSettingDialog::buildFigurePage()
{
    auto* pageFigure = new QWidget;
    auto* vFigure = new QVBoxLayout(pageFigure);
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(new QLabel(QStringLiteral("図形の種類："), pageFigure));
    cbxFigureKind = new QComboBox(pageFigure);
    cbxFigureKind->setObjectName(QStringLiteral("cbxFigureKind"));
    cbxFigureKind->addItems({QStringLiteral("直線"), QStringLiteral("四角"), QStringLiteral("四角（角丸）"),
                             QStringLiteral("円"), QStringLiteral("扇形"), QStringLiteral("ひし形")});
    kindRow->addWidget(cbxFigureKind, 1);
    vFigure->addLayout(kindRow);

    pnlLine = buildLinePanel(pageFigure);
    pnlRoundRect = buildRoundRectPanel(pageFigure);
    pnlSector = buildSectorPanel(pageFigure);
    auto* options = new QStackedLayout;
    options->setStackingMode(QStackedLayout::StackAll);
    options->addWidget(pnlLine);
    options->addWidget(pnlRoundRect);
    options->addWidget(pnlSector);
    vFigure->addLayout(options);
    vFigure->addStretch(1);
    return pageFigure;
}

namespace {

// A panel of the figure page: a group box filling a frameless widget, one
// panel shown at a time over the others.
QGroupBox* optionPanel(QWidget* page, const QString& panelName, const QString& caption, const QString& boxName,
                       QWidget*& panel)
{
    panel = new QWidget(page);
    panel->setObjectName(panelName);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    auto* gbx = new QGroupBox(caption, panel);
    gbx->setObjectName(boxName);
    l->addWidget(gbx);
    return gbx;
}

} // namespace

// The line figure's directions, one check box a line.
QWidget* TFigureSettingDialog::buildLinePanel(QWidget* page)
{
    QWidget* panel = nullptr;
    QGroupBox* gbx = optionPanel(page, QStringLiteral("pnlLine"),
                                  QStringLiteral("線の方向"), QStringLiteral("gbxLine"), panel);
    auto* g = new QVBoxLayout(gbx);
    const char* names[] = {"ckbHorizontal", "ckbVertical", "ckbDiagonal_L", "ckbDiagonal_R"};
    const QString captions[] = {QStringLiteral("水平線"), QStringLiteral("垂直線"),
                                QStringLiteral("対角線： 左上から右下"), QStringLiteral("対角線： 右上から左下")};
    for (int i = 0; i < 4; ++i) {
        ckbLine[i] = new QCheckBox(captions[i], gbx);
        ckbLine[i]->setObjectName(QLatin1String(names[i]));
        g->addWidget(ckbLine[i]);
        connect(ckbLine[i], &QCheckBox::clicked, this, [this, i](bool on) {
            const quint8 bit = quint8(1u << i);
            work_->SetLineDirections(on ? quint8(work_->GetLineDirections() | bit)
                                        : quint8(work_->GetLineDirections() & ~bit));
            repaintPreview();
        });
    }
    return panel;
}

// The rounded rectangle's corner size across and down.
QWidget* TFigureSettingDialog::buildRoundRectPanel(QWidget* page)
{
    QWidget* panel = nullptr;
    QGroupBox* gbx = optionPanel(page, QStringLiteral("pnlRoundRect"),
                                  QStringLiteral("角の半径"), QStringLiteral("gbxRoundRect"), panel);
    auto* g = new QGridLayout(gbx);
    const char* names[] = {"cbxDiameterH", "cbxDiameterV"};
    const QString captions[] = {QStringLiteral("横方向："), QStringLiteral("縦方向：")};
    for (int i = 0; i < 2; ++i) {
        cbxDiameter[i] = new QComboBox(gbx);
        cbxDiameter[i]->setObjectName(QLatin1String(names[i]));
        cbxDiameter[i]->addItems({QStringLiteral("小さい"), QStringLiteral("普通"), QStringLiteral("大きい")});
        g->addWidget(new QLabel(captions[i], gbx), i, 0);
        g->addWidget(cbxDiameter[i], i, 1);
        connect(cbxDiameter[i], &QComboBox::activated, this, [this, i](int index) {
            work_->SetCornerRadius(i, static_cast<quint8>(std::max(index, 0)));
            repaintPreview();
        });
    }
    return panel;
}

// The sector's apex corner.
QWidget* TFigureSettingDialog::buildSectorPanel(QWidget* page)
{
    QWidget* panel = nullptr;
    QGroupBox* gbx = optionPanel(page, QStringLiteral("pnlSector"),
                                  QStringLiteral("頂点の方向"), QStringLiteral("gbxSector"), panel);
    auto* g = new QGridLayout(gbx);
    const char* names[] = {"rbBottomRight", "rbBottomLeft", "rbTopRight", "rbTopLeft"};
    const QString captions[] = {QStringLiteral("右下"), QStringLiteral("左下"), QStringLiteral("右上"),
                                QStringLiteral("左上")};
    // Shown as the corners lie: top row left and right, then the bottom row.
    const int cells[4][2] = {{1, 1}, {1, 0}, {0, 1}, {0, 0}};
    auto* group = new QButtonGroup(gbx);
    for (int i = 0; i < 4; ++i) {
        rbSector[i] = new QRadioButton(captions[i], gbx);
        rbSector[i]->setObjectName(QLatin1String(names[i]));
        group->addButton(rbSector[i], i);
        g->addWidget(rbSector[i], cells[i][0], cells[i][1]);
        connect(rbSector[i], &QRadioButton::clicked, this, [this, i] { sectorClicked(i); });
    }
    return panel;
}

// Page "色・設定": the outline (枠線) and the fill (背景), each a check box
// over its group.
QWidget* TFigureSettingDialog::buildColorPage()
{
    auto* pageColor = new QWidget;
    auto* vColor = new QVBoxLayout(pageColor);
    // Five 16-pixel rows of line types and the fill below them fit the page
    // only with tight spacing.
    vColor->setContentsMargins(8, 4, 8, 4);
    vColor->setSpacing(2);
    ckbFrame = new QCheckBox(QStringLiteral("枠線"), pageColor);
    ckbFrame->setObjectName(QStringLiteral("ckbFrame"));
    ckbFrame->setChecked(true);
    vColor->addWidget(ckbFrame);
    vColor->addWidget(buildFrameBox(pageColor));
    ckbBack = new QCheckBox(QStringLiteral("背景"), pageColor);
    ckbBack->setObjectName(QStringLiteral("ckbBack"));
    ckbBack->setChecked(true);
    vColor->addWidget(ckbBack);
    vColor->addWidget(buildBackBox(pageColor));
    vColor->addStretch(1);
    return pageColor;
}

// The outline's colour, width and line type.
QGroupBox* TFigureSettingDialog::buildFrameBox(QWidget* page)
{
    auto* gbxFrame = new QGroupBox(page);
    gbxFrame->setObjectName(QStringLiteral("gbxFrame"));
    auto* g = new QGridLayout(gbxFrame);
    g->setContentsMargins(8, 4, 8, 4);
    g->setVerticalSpacing(2);
    lblFrame[0] = new QLabel(QStringLiteral("色："), gbxFrame);
    pnlFrameColor = NewColorPanel(gbxFrame, "pnlFrameColor");
    bbtnFrameColor = NewColorButton(gbxFrame, "bbtnFrameColor");
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(pnlFrameColor);
    colorRow->addWidget(bbtnFrameColor);
    colorRow->addStretch(1);
    g->addWidget(lblFrame[0], 0, 0);
    g->addLayout(colorRow, 0, 1);
    lblFrame[1] = new QLabel(QStringLiteral("太さ："), gbxFrame);
    edLineWidth = new TNumEdit(gbxFrame);
    edLineWidth->setObjectName(QStringLiteral("edLineWidth"));
    edLineWidth->setRange(1, 50);
    edLineWidth->SetMaxLength(4);
    lblFrame[2] = new QLabel(QStringLiteral("(ピクセル)"), gbxFrame);
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(edLineWidth);
    widthRow->addWidget(lblFrame[2]);
    widthRow->addStretch(1);
    g->addWidget(lblFrame[1], 1, 0);
    g->addLayout(widthRow, 1, 1);
    lblLineType = new QLabel(QStringLiteral("種類："), gbxFrame);
    dgLineType = new TLineTypeGrid(gbxFrame);
    g->addWidget(lblLineType, 2, 0, Qt::AlignTop);
    g->addWidget(dgLineType, 2, 1);
    return gbxFrame;
}

// The fill: one colour or a gradation of two at an angle.
QGroupBox* TFigureSettingDialog::buildBackBox(QWidget* page)
{
    auto* gbxBack = new QGroupBox(page);
    gbxBack->setObjectName(QStringLiteral("gbxBack"));
    auto* g = new QGridLayout(gbxBack);
    g->setContentsMargins(8, 4, 8, 4);
    g->setVerticalSpacing(2);
    rbFilled = new QRadioButton(QStringLiteral("単色"), gbxBack);
    rbFilled->setObjectName(QStringLiteral("rbFilled"));
    rbGradation = new QRadioButton(QStringLiteral("グラデーション"), gbxBack);
    rbGradation->setObjectName(QStringLiteral("rbGradation"));
    rbFilled->setChecked(true);
    g->addWidget(rbFilled, 0, 0, 1, 2);
    g->addWidget(rbGradation, 0, 2, 1, 2);
    lblColor1 = new QLabel(QStringLiteral("色１："), gbxBack);
    pnlColor1 = NewColorPanel(gbxBack, "pnlColor1");
    bbtnColorDlg1 = NewColorButton(gbxBack, "bbtnColorDlg1");
    lblColor2 = new QLabel(QStringLiteral("色２："), gbxBack);
    pnlColor2 = NewColorPanel(gbxBack, "pnlColor2");
    bbtnColorDlg2 = NewColorButton(gbxBack, "bbtnColorDlg2");
    auto* c1 = new QHBoxLayout;
    c1->addWidget(pnlColor1);
    c1->addWidget(bbtnColorDlg1);
    auto* c2 = new QHBoxLayout;
    c2->addWidget(pnlColor2);
    c2->addWidget(bbtnColorDlg2);
    g->addWidget(lblColor1, 1, 0);
    g->addLayout(c1, 1, 1);
    g->addWidget(lblColor2, 1, 2);
    g->addLayout(c2, 1, 3);
    lblAngle = new QLabel(QStringLiteral("角度："), gbxBack);
    edAngle = new TNumEdit(gbxBack);
    edAngle->setObjectName(QStringLiteral("edAngle"));
    edAngle->setRange(0, 359);
    edAngle->SetMaxLength(3);
    g->addWidget(lblAngle, 2, 2);
    g->addWidget(edAngle, 2, 3);
    return gbxBack;
}

void TFigureSettingDialog::connectControls()
{
    connect(cbxFigureKind, &QComboBox::activated, this, &TFigureSettingDialog::kindChanged);
    connect(ckbFrame, &QCheckBox::clicked, this, [this] { frameChanged(); });
    connect(ckbBack, &QCheckBox::clicked, this, [this] { backChanged(); });
    connect(rbFilled, &QRadioButton::clicked, this, [this] { gradationChanged(0); });
    connect(rbGradation, &QRadioButton::clicked, this, [this] { gradationChanged(1); });
    connect(bbtnFrameColor, &QPushButton::clicked, this, &TFigureSettingDialog::chooseFrameColor);
    connect(bbtnColorDlg1, &QPushButton::clicked, this, [this] { chooseFillColor(0); });
    connect(bbtnColorDlg2, &QPushButton::clicked, this, [this] { chooseFillColor(1); });
    dgLineType->Clicked = [this](int row) {
        work_->SetLineType(static_cast<quint8>(row));
        repaintPreview();
    };
    // The edits hand a value over only when it is settled (left, Enter, a
    // step): what is typed in between changes nothing.
    connect(edLineWidth, &QSpinBox::valueChanged, this, [this](int v) {
        if (writing_)
            return;
        work_->SetLineWidth(v);
        repaintPreview();
    });
    connect(edAngle, &QSpinBox::valueChanged, this, [this](int v) {
        if (writing_)
            return;
        work_->SetAngle(v);
        repaintPreview();
    });
    connect(btnOK, &QPushButton::clicked, this, &TFigureSettingDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TFigureSettingDialog::reject);
}

void TFigureSettingDialog::LoadFromRect(const TFigureRect& Figure)
{
    work_->Assign(Figure);

    FitIntoPreview(*work_, pnlPreview->size());

    const quint8 kind = work_->GetFigureKind();
    cbxFigureKind->setCurrentIndex(kind <= fkRhombus ? kind : 0);
    kindChanged(cbxFigureKind->currentIndex());

    for (int i = 0; i < 4; ++i)
        ckbLine[i]->setChecked(work_->GetLineDirections() & (1u << i));
    for (int i = 0; i < 2; ++i)
        cbxDiameter[i]->setCurrentIndex(std::min<int>(work_->GetCornerRadius(i), 2));
    const quint8 sector = work_->GetSectorDirection();
    if (sector < 4)
        rbSector[sector]->setChecked(true);

    ckbFrame->setChecked(work_->GetFrame());
    dgLineType->SetRow(work_->GetLineType());
    writing_ = true;
    edLineWidth->setValue(work_->GetLineWidth());
    writing_ = false;
    SetPanelColor(pnlFrameColor, work_->GetFrameColor());

    ckbBack->setChecked(work_->GetBack());
    // A figure without a fill opens on a light fill colour rather than black.
    if (!work_->GetBack() && work_->GetColor1() == 0)
        work_->SetColor1(0xBFBFFF);
    if (!work_->GetGradation()) {
        rbFilled->setChecked(true);
        if (work_->GetColor2() == 0)
            work_->SetColor2(0xFFFFFF);
    } else {
        rbGradation->setChecked(true);
    }
    writing_ = true;
    edAngle->setValue(work_->GetAngle());
    writing_ = false;
    SetPanelColor(pnlColor1, work_->GetColor1());
    SetPanelColor(pnlColor2, work_->GetColor2());
    frameChanged();
    backChanged();
    if (kind == fkLine)
        ckbFrame->setEnabled(false);
    repaintPreview();
}

void TFigureSettingDialog::kindChanged(int index)
{
    work_->SetFigureKind(static_cast<quint8>(std::max(index, 0)));
    pnlLine->setVisible(index == fkLine);
    pnlRoundRect->setVisible(index == fkRoundRect);
    pnlSector->setVisible(index == fkSector);
    if (index == fkLine) {
        ckbFrame->setChecked(true);
        frameChanged();
        ckbFrame->setEnabled(false);
    } else {
        ckbFrame->setEnabled(true);
    }
    repaintPreview();
}

void TFigureSettingDialog::frameChanged()
{
    const bool on = ckbFrame->isChecked();
    work_->SetFrame(on);
    FollowEnabled(dgLineType, on);
    FollowEnabled(edLineWidth, on);
    bbtnFrameColor->setEnabled(on);
    for (QLabel* l : lblFrame)
        l->setEnabled(on);
    lblLineType->setEnabled(on);
    repaintPreview();
}

void TFigureSettingDialog::backChanged()
{
    const bool on = ckbBack->isChecked();
    work_->SetBack(on);
    rbFilled->setEnabled(on);
    rbGradation->setEnabled(on);
    bbtnColorDlg1->setEnabled(on);
    lblColor1->setEnabled(on);
    followGradation();
    repaintPreview();
}

void TFigureSettingDialog::gradationChanged(int tag)
{
    work_->SetGradation(tag == 1);
    followGradation();
    repaintPreview();
}

void TFigureSettingDialog::followGradation()
{
    const bool on = ckbBack->isChecked() && rbGradation->isChecked();
    bbtnColorDlg2->setEnabled(on);
    lblColor2->setEnabled(on);
    lblAngle->setEnabled(on);
    FollowEnabled(edAngle, on);
    // Enter in the fill choice goes on to the angle, or to OK without one.
    enter_ = enter_ ? enter_ : ApplyDialogConventions(this);
    for (QRadioButton* rb : {rbFilled, rbGradation})
        enter_->SetNext(rb, on ? static_cast<QWidget*>(edAngle) : btnOK);
}

void TFigureSettingDialog::sectorClicked(int tag)
{
    if (tag != work_->GetSectorDirection())
        work_->SetSectorDirection(static_cast<quint8>(tag));
    repaintPreview();
}

void TFigureSettingDialog::chooseFrameColor()
{
    bool ok = false;
    const QColor c = ChooseColor(this, ToQ(PanelColor(pnlFrameColor)), &ok);
    if (!ok)
        return;
    SetPanelColor(pnlFrameColor, FromQ(c));
    work_->SetFrameColor(FromQ(c));
    repaintPreview();
}

void TFigureSettingDialog::chooseFillColor(int tag)
{
    QFrame* panel = tag == 0 ? pnlColor1 : pnlColor2;
    bool ok = false;
    const QColor c = ChooseColor(this, ToQ(PanelColor(panel)), &ok);
    if (!ok)
        return;
    SetPanelColor(panel, FromQ(c));
    if (tag == 0)
        work_->SetColor1(FromQ(c));
    else
        work_->SetColor2(FromQ(c));
    repaintPreview();
}

void TFigureSettingDialog::focusPage()
{
    if (pgcSetting->currentIndex() == kPageFigure)
        cbxFigureKind->setFocus();
    else if (ckbFrame->isEnabled())
        ckbFrame->setFocus();
    else
        dgLineType->setFocus();
}

void TFigureSettingDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    focusPage();
}

void TFigureSettingDialog::repaintPreview()
{
    if (pnlPreview)
        pnlPreview->update();
}

#include "drawing/dialogs/IllustSettingDialog.h"

#include "core/common/Units.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/FramePage.h"
#include "drawing/objects/BackImage.h"
#include "platform/Canvas.h"
#include "platform/IniFile.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QString kSection = QStringLiteral("DESIGN");
const QString kPageKey = QStringLiteral("IllustSet");
const QString kRatioKey = QStringLiteral("IllustSetRatio");
constexpr int kPageDirection = 0;
constexpr int kPageCutOut = 1;
constexpr int kThumbSize = 62;

TRect Bounds(qint32 l, qint32 t, qint32 w, qint32 h)
{
    return TRect(l, t, l + w, t + h);
}

TRect Shifted(const TRect& r, qint32 dx, qint32 dy)
{
    return TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
}

QRect ToQ(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

// --- preview paint box ------------------------------------------------------------

class TIllustSettingDialog::TPaintBox : public QWidget {
public:
    TPaintBox(QWidget* parent, TIllustSettingDialog& dialog) : QWidget(parent), dialog_(dialog)
    {
        setObjectName(QStringLiteral("pbPreview"));
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        TIllustRect& item = *dialog_.work_;
        {
            TCanvas canvas(painter);
            item.Draw(&canvas, 0, 0);
        }
        const TRect d = item.GetDisplayRect();
        if (!item.GetFrame().GetFrame() && !item.GetFrame().GetBack()) {
            painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1));
        }
        if (!dialog_.rbMask->isChecked())
            return;
        // The cut-out's rectangle and its eight handles, exclusive-or in
        // yellow so that they show on any picture.
        const TRect m = item.GetDisplayMaskRect();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(QColor(0xFF, 0xFF, 0x00), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m.Left, m.Top, std::max(m.Width() - 1, 0), std::max(m.Height() - 1, 0)));
        const int xs[3] = {m.Left - 3, m.Left + (m.Right - m.Left) / 2 - 3, m.Right - 4};
        const int ys[3] = {m.Top - 3, m.Top + (m.Bottom - m.Top) / 2 - 3, m.Bottom - 4};
        for (int iy = 0; iy < 3; ++iy)
            for (int ix = 0; ix < 3; ++ix)
                if (ix != 1 || iy != 1)
                    painter.fillRect(QRect(xs[ix], ys[iy], 7, 7), QColor(0xFF, 0xFF, 0x00));
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        if (dialog_.rbTransparent->isChecked())
            dialog_.PickTransparentColor(e->position().toPoint());
        else
            dialog_.MaskMouseDown(e->position().toPoint());
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        dialog_.MaskMouseMove(e->position().toPoint(), e->buttons() & Qt::LeftButton, e->modifiers());
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            dialog_.MaskMouseUp();
    }

    void leaveEvent(QEvent*) override { unsetCursor(); }

private:
    TIllustSettingDialog& dialog_;
};

// --- mask thumbnail -------------------------------------------------------------------

class TIllustSettingDialog::TThumb : public QWidget {
public:
    TThumb(QWidget* parent, TIllustSettingDialog& dialog, int index)
        : QWidget(parent), dialog_(dialog), index_(index)
    {
        setObjectName(QStringLiteral("pbMask%1").arg(index));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), dialog_.thumbImages_.at(size_t(index_)));
        const bool selected = dialog_.selectedMask_ == index_;
        const int w = selected ? 3 : 1;
        painter.setPen(Qt::NoPen);
        painter.setBrush(selected ? QColor(0xFF, 0, 0) : QColor(0x80, 0x80, 0x80));
        const QRect r = rect();
        painter.drawRect(QRect(0, 0, r.width(), w));
        painter.drawRect(QRect(0, r.height() - w, r.width(), w));
        painter.drawRect(QRect(0, 0, w, r.height()));
        painter.drawRect(QRect(r.width() - w, 0, w, r.height()));
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        dialog_.sbMasks->setFocus();
        dialog_.SelectMask(index_);
    }

private:
    TIllustSettingDialog& dialog_;
    int index_;
};

// --- dialog ---------------------------------------------------------------------------

TIllustSettingDialog::TIllustSettingDialog(QWidget* owner)
    : TModalDialog(owner), work_(std::make_unique<TIllustRect>())
{
    build();
    pgcSetting->setCurrentIndex(ReadSettingsPage(kSection, kPageKey, kPageCount));
    const QString file = DrawingSettingsFile();
    const int ratio = file.isEmpty() ? 0 : TIniFile(file).ReadInteger(kSection, kRatioKey, 0);
    setZoom(ratio == 0 ? zcWhole : ratio == 1 ? zcX1 : zcX2);
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    // From one radio group on to the chosen button of the next.
    for (QRadioButton* rb : {rbReverseTB, rbReverseLR})
        enter->SetNext(rb, btnReverse);
    for (QRadioButton* rb : {rbLeft90, rbRight90, rb180})
        enter->SetNext(rb, btnRotate);
    connect(pgcSetting, &QTabWidget::currentChanged, this, [this] { focusPage(); });
    displayModeChanged();
}

TIllustSettingDialog::~TIllustSettingDialog()
{
    WriteSettingsPage(kSection, kPageKey, pgcSetting->currentIndex());
    WriteSettingsPage(kSection, kRatioKey, int(zoom_));
}

int TIllustSettingDialog::HelpContext() const
{
    return pgcSetting->currentIndex() == 2 ? 125 : 124;
}

QWidget* TIllustSettingDialog::zoomRow(QWidget* page, int pageIndex)
{
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addStretch(1);
    const char* captions[3] = {"全体", "ｘ１", "ｘ２"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(captions[i]), row);
        b->setObjectName(QStringLiteral("btnZoom%1%2").arg(pageIndex).arg(i));
        b->setCheckable(true);
        b->setFixedWidth(52);
        connect(b, &QPushButton::clicked, this, [this, i] { setZoom(TZoomChoice(i)); });
        zoomButtons[pageIndex][i] = b;
        h->addWidget(b);
    }
    return row;
}

void TIllustSettingDialog::build()
{
    setWindowTitle(QStringLiteral("イラストの表示設定"));
    setObjectName(QStringLiteral("IllustSettingDialog"));
    setFixedSize(640, 400);

    auto* top = new QHBoxLayout(this);
    pgcSetting = new QTabWidget(this);
    pgcSetting->setObjectName(QStringLiteral("pgcSetting"));
    pgcSetting->setFixedWidth(300);
    top->addWidget(pgcSetting);

    // Page "画像の向き"
    auto* pageDirection = new QWidget;
    auto* vDir = new QVBoxLayout(pageDirection);
    auto* gbxReverse = new QGroupBox(QStringLiteral("反転"), pageDirection);
    auto* gRev = new QGridLayout(gbxReverse);
    rbReverseTB = new QRadioButton(QStringLiteral("上下に反転"), gbxReverse);
    rbReverseTB->setObjectName(QStringLiteral("rbReverseTB"));
    rbReverseLR = new QRadioButton(QStringLiteral("左右に反転"), gbxReverse);
    rbReverseLR->setObjectName(QStringLiteral("rbReverseLR"));
    btnReverse = new QPushButton(QStringLiteral("実行(&R)"), gbxReverse);
    btnReverse->setObjectName(QStringLiteral("btnReverse"));
    gRev->addWidget(rbReverseTB, 0, 0);
    gRev->addWidget(rbReverseLR, 1, 0);
    gRev->addWidget(btnReverse, 0, 1, 2, 1);
    rbReverseTB->setChecked(true);
    vDir->addWidget(gbxReverse);
    auto* gbxRotate = new QGroupBox(QStringLiteral("回転"), pageDirection);
    auto* gRot = new QGridLayout(gbxRotate);
    rbLeft90 = new QRadioButton(QStringLiteral("左90°"), gbxRotate);
    rbLeft90->setObjectName(QStringLiteral("rbLeft90"));
    rbRight90 = new QRadioButton(QStringLiteral("右90°"), gbxRotate);
    rbRight90->setObjectName(QStringLiteral("rbRight90"));
    rb180 = new QRadioButton(QStringLiteral("180°"), gbxRotate);
    rb180->setObjectName(QStringLiteral("rb180"));
    btnRotate = new QPushButton(QStringLiteral("実行(&T)"), gbxRotate);
    btnRotate->setObjectName(QStringLiteral("btnRotate"));
    gRot->addWidget(rbLeft90, 0, 0);
    gRot->addWidget(rbRight90, 1, 0);
    gRot->addWidget(rb180, 2, 0);
    gRot->addWidget(btnRotate, 0, 1, 3, 1);
    rbLeft90->setChecked(true);
    vDir->addWidget(gbxRotate);
    vDir->addStretch(1);
    vDir->addWidget(zoomRow(pageDirection, 0));
    pgcSetting->addTab(pageDirection, QStringLiteral("画像の向き"));

    // Page "型抜き・透明化"
    auto* pageCut = new QWidget;
    auto* vCut = new QVBoxLayout(pageCut);
    auto* gbxMode = new QGroupBox(QStringLiteral("表示"), pageCut);
    auto* hMode = new QHBoxLayout(gbxMode);
    rbAsIs = new QRadioButton(QStringLiteral("そのまま"), gbxMode);
    rbAsIs->setObjectName(QStringLiteral("rbAsIs"));
    rbMask = new QRadioButton(QStringLiteral("型抜き"), gbxMode);
    rbMask->setObjectName(QStringLiteral("rbMask"));
    rbTransparent = new QRadioButton(QStringLiteral("透明色の指定"), gbxMode);
    rbTransparent->setObjectName(QStringLiteral("rbTransparent"));
    hMode->addWidget(rbAsIs);
    hMode->addWidget(rbMask);
    hMode->addWidget(rbTransparent);
    rbAsIs->setChecked(true);
    vCut->addWidget(gbxMode);
    sbMasks = new QScrollArea(pageCut);
    sbMasks->setObjectName(QStringLiteral("sbMasks"));
    sbMasks->setFocusPolicy(Qt::StrongFocus);
    sbMasks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbMasks->setFixedHeight(2 * kThumbSize + 3 * 8 + 20);
    masksBox = new QWidget;
    sbMasks->setWidget(masksBox);
    sbMasks->installEventFilter(this);
    sbMasks->viewport()->installEventFilter(this);
    vCut->addWidget(sbMasks);
    lblDragHint = new QLabel(QStringLiteral("※切り抜き位置はドラッグで調整できます"), pageCut);
    vCut->addWidget(lblDragHint);
    auto* hTrans = new QHBoxLayout;
    lblTransparent = new QLabel(QStringLiteral("透明色："), pageCut);
    pnlTransparent = NewItemColorPanel(pageCut, "pnlTransparent");
    lblClickHint = new QLabel(QStringLiteral("(画像をクリックしてください)"), pageCut);
    hTrans->addWidget(lblTransparent);
    hTrans->addWidget(pnlTransparent);
    hTrans->addWidget(lblClickHint);
    hTrans->addStretch(1);
    vCut->addLayout(hTrans);
    vCut->addStretch(1);
    vCut->addWidget(zoomRow(pageCut, 1));
    pgcSetting->addTab(pageCut, QStringLiteral("型抜き・透明化"));

    // Page "飾り枠"
    auto* pageFrame = new QWidget;
    auto* vFrame = new QVBoxLayout(pageFrame);
    framePage = new TFramePage(pageFrame);
    vFrame->addWidget(framePage);
    vFrame->addWidget(zoomRow(pageFrame, 2));
    pgcSetting->addTab(pageFrame, QStringLiteral("飾り枠"));

    // Preview and buttons.
    auto* right = new QVBoxLayout;
    sbPreview = new QScrollArea(this);
    sbPreview->setObjectName(QStringLiteral("sbPreview"));
    sbPreview->setFixedSize(300, 320);
    sbPreview->setBackgroundRole(QPalette::Base);
    pbPreview = new TPaintBox(sbPreview, *this);
    sbPreview->setWidget(pbPreview);
    sbPreview->viewport()->installEventFilter(this);
    right->addWidget(sbPreview);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    right->addLayout(buttons);
    top->addLayout(right);

    buildThumbnails();

    connect(btnReverse, &QPushButton::clicked, this, [this] { reverse(); });
    connect(btnRotate, &QPushButton::clicked, this, [this] { rotate(); });
    for (QRadioButton* rb : {rbAsIs, rbMask, rbTransparent})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                displayModeChanged();
        });
    connect(framePage, &TFramePage::Changed, this, [this] { repaintPreview(); });
    connect(btnOK, &QPushButton::clicked, this, &TIllustSettingDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TIllustSettingDialog::reject);
}

void TIllustSettingDialog::buildThumbnails()
{
    const QStringList& files = IllustMaskFiles();
    const int cell = ScaleForDpi(kThumbSize, true);
    const int g = ScaleForDpi(8, true);
    for (int i = 0; i < files.size(); ++i) {
        QImage thumb(kThumbSize, kThumbSize, QImage::Format_RGB32);
        thumb.fill(Qt::white);
        TMetafileEx shape;
        if (LoadMetafileFile(files.at(i), shape)) {
            QPainter p(&thumb);
            TCanvas canvas(p);
            canvas.StretchDraw(QRect(0, 0, kThumbSize, kThumbSize), shape);
        }
        thumbImages_.push_back(thumb);
        auto* box = new TThumb(masksBox, *this, i);
        const int column = i / 2, row = i % 2;
        box->setGeometry((column + 1) * g + column * cell, (row + 1) * g + row * cell, cell, cell);
        thumbs_.push_back(box);
    }
    const int columns = (int(files.size()) + 1) / 2;
    masksBox->resize((columns + 1) * g + columns * cell, 3 * g + 2 * cell);
    sbMasks->horizontalScrollBar()->setSingleStep((cell + g) / 2);
    // Without shapes there is nothing to cut out with.
    rbMask->setEnabled(!files.isEmpty());
}

void TIllustSettingDialog::LoadFromRect(const TIllustRect& Source)
{
    loading_ = true;
    work_->Assign(Source);
    const TRect r = work_->GetRect();
    work_->SetRect(TRect(0, 0, r.Width(), r.Height()));

    selectedMask_ = 0;
    // The picture's bottom-left pixel is the first transparent colour offered.
    const QImage& bmp = work_->GetBitmap();
    if (!bmp.isNull() && bmp.width() > 0 && bmp.height() > 0) {
        const QColor c = bmp.pixelColor(0, bmp.height() - 1);
        SetItemPanelColor(pnlTransparent, TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16);
    }
    loading_ = false;
    if (Source.GetMaskIndex() >= 0) {
        selectedMask_ = Source.GetMaskIndex();
        rbMask->setChecked(true);
    } else if (Source.GetTransparentColor() != clNone) {
        SetItemPanelColor(pnlTransparent, Source.GetTransparentColor());
        rbTransparent->setChecked(true);
    } else {
        rbAsIs->setChecked(true);
    }
    displayModeChanged();
    framePage->Load(work_->GetFrame());
    for (TThumb* t : thumbs_)
        t->update();
    layoutPreview();
}

void TIllustSettingDialog::displayModeChanged()
{
    const bool mask = rbMask->isChecked();
    const bool transparent = rbTransparent->isChecked();
    sbMasks->setVisible(mask);
    lblDragHint->setVisible(mask);
    lblTransparent->setVisible(transparent);
    pnlTransparent->setVisible(transparent);
    lblClickHint->setVisible(transparent);
    if (!loading_) {
        if (mask) {
            work_->SetMaskIndex(selectedMask_);
        } else if (transparent) {
            work_->SetTransparentColor(ItemPanelColor(pnlTransparent));
        } else {
            work_->SetMaskIndex(-1);
            work_->SetTransparentColor(clNone);
        }
    }
    pbPreview->setCursor(Qt::ArrowCursor);
    repaintPreview();
}

void TIllustSettingDialog::setZoom(TZoomChoice choice)
{
    zoom_ = choice;
    for (auto& page : zoomButtons)
        for (int i = 0; i < 3; ++i) {
            page[i]->setChecked(i == int(choice));
            QPalette p = page[i]->palette();
            p.setColor(QPalette::ButtonText, i == int(choice) ? CheckedCaptionColor() : palette().color(QPalette::WindowText));
            page[i]->setPalette(p);
        }
    layoutPreview();
}

void TIllustSettingDialog::layoutPreview()
{
    const TRect r = work_->GetRect();
    const qint32 side = std::max(r.Width(), r.Height());
    double z = 1.0;
    if (zoom_ == zcWhole)
        z = side > 0 ? 0.9 * sbPreview->height() / side : 1.0;
    else if (zoom_ == zcX2)
        z = 2.0;
    work_->SetZoom(z);
    const TRect d = work_->GetDisplayRect();
    const qint32 w = std::max(d.Width(), 0), h = std::max(d.Height(), 0);
    const int sw = sbPreview->width() - 4, sh = sbPreview->height() - 4;
    const qint32 left = std::max(0, (sw - w) / 2), top = std::max(0, (sh - h) / 2);
    work_->SetDisplayRect(Bounds(left, top, w, h));
    pbPreview->setGeometry(0, 0, std::max(sw, w), std::max(sh, h));
    repaintPreview();
}

void TIllustSettingDialog::reverse()
{
    work_->Reverse(!rbReverseTB->isChecked());
    repaintPreview();
}

void TIllustSettingDialog::rotate()
{
    const quint8 direction = rbLeft90->isChecked() ? ioLeft : rbRight90->isChecked() ? ioRight : ioHalf;
    work_->Rotate(direction);
    if (direction != ioHalf) {
        const TRect r = work_->GetRect();
        work_->SetRect(Bounds(r.Left, r.Top, r.Height(), r.Width()));
        sbPreview->horizontalScrollBar()->setValue(0);
        sbPreview->verticalScrollBar()->setValue(0);
        layoutPreview();
    }
    repaintPreview();
}

void TIllustSettingDialog::SelectMask(int Index)
{
    if (Index < 0 || Index >= int(thumbs_.size()))
        return;
    const int old = selectedMask_;
    selectedMask_ = Index;
    if (old >= 0 && old < int(thumbs_.size()))
        thumbs_[size_t(old)]->update();
    thumbs_[size_t(Index)]->update();
    scrollThumbIntoView(Index);
    if (rbMask->isChecked())
        work_->SetMaskIndex(Index);
    repaintPreview();
}

void TIllustSettingDialog::scrollThumbIntoView(int index)
{
    const QRect g = thumbs_[size_t(index)]->geometry();
    sbMasks->ensureVisible(g.center().x(), g.center().y(), g.width() / 2 + 8, 0);
}

void TIllustSettingDialog::MaskMouseMove(QPoint At, bool LeftButton, Qt::KeyboardModifiers Modifiers)
{
    if (!rbMask->isChecked() || !work_->HasMaskShape())
        return;
    if (!LeftButton) {
        pbPreview->setCursor(work_->GetMaskCursor(At.x(), At.y()));
        return;
    }
    if (dragCursor_ == Qt::ArrowCursor)
        return;
    dragging_ = true;
    const qint32 dx = At.x() - last_.x(), dy = At.y() - last_.y();
    const TRect o = work_->GetDisplayMaskRect();
    TRect m = o;
    if (dragCursor_ == Qt::SizeAllCursor) {
        m = Shifted(m, dx, dy);
    } else {
        if (zoneX_ == hzLeft)
            m.Left = At.x();
        else if (zoneX_ == hzRight)
            m.Right = At.x();
        if (zoneY_ == hzTop)
            m.Top = At.y();
        else if (zoneY_ == hzBottom)
            m.Bottom = At.y();
        // Shift keeps the shape's proportions: the edge that moved less
        // follows the one that moved more.
        if ((Modifiers & Qt::ShiftModifier) && o.Width() != 0 && o.Height() != 0) {
            const TRect n = m;
            qint64 ex = zoneX_ == hzLeft ? n.Left - o.Left : zoneX_ == hzRight ? n.Right - o.Right : 0;
            qint64 ey = zoneY_ == hzTop ? n.Top - o.Top : zoneY_ == hzBottom ? n.Bottom - o.Bottom : 0;
            const double rx = zoneX_ == hzLeft || zoneX_ == hzRight ? double(n.Width()) / o.Width() : 0;
            const double ry = zoneY_ == hzTop || zoneY_ == hzBottom ? double(n.Height()) / o.Height() : 0;
            const double k = double(o.Width()) / o.Height();
            if (std::abs(rx) < std::abs(ry)) {
                ex = RoundHalfUp(ey * k);
                if ((zoneX_ != hzLeft && zoneY_ == hzTop) || (zoneX_ == hzLeft && zoneY_ == hzBottom))
                    ex = -ex;
            } else {
                ey = RoundHalfUp(ex / k);
                if ((zoneX_ == hzRight && zoneY_ == hzTop) || (zoneX_ == hzLeft && zoneY_ != hzTop))
                    ey = -ey;
            }
            if (zoneX_ == hzLeft) {
                m.Left = qint32(o.Left + ex);
            } else if (zoneX_ == hzRight) {
                m.Right = qint32(o.Right + ex);
            } else {
                m.Left = qint32(o.Left - ex / 2);
                m.Right = qint32(o.Right + ex / 2);
            }
            if (zoneY_ == hzTop) {
                m.Top = qint32(o.Top + ey);
            } else if (zoneY_ == hzBottom) {
                m.Bottom = qint32(o.Bottom + ey);
            } else {
                m.Top = qint32(o.Top - ey / 2);
                m.Bottom = qint32(o.Bottom + ey / 2);
            }
        }
    }
    // An edge dragged past the opposite one becomes that edge.
    if (m.Right < m.Left) {
        std::swap(m.Left, m.Right);
        if (zoneX_ == hzLeft || zoneX_ == hzRight)
            zoneX_ = zoneX_ == hzLeft ? hzRight : hzLeft;
    }
    if (m.Bottom < m.Top) {
        std::swap(m.Top, m.Bottom);
        if (zoneY_ == hzTop || zoneY_ == hzBottom)
            zoneY_ = zoneY_ == hzTop ? hzBottom : hzTop;
    }
    work_->SetDisplayMaskRect(m);
    last_ = At;
    repaintPreview();
}

void TIllustSettingDialog::MaskMouseDown(QPoint At)
{
    dragCursor_ = Qt::ArrowCursor;
    if (!rbMask->isChecked() || !work_->HasMaskShape())
        return;
    const Qt::CursorShape cursor = work_->GetMaskCursor(At.x(), At.y());
    if (cursor == Qt::ArrowCursor)
        return;
    last_ = At;
    dragCursor_ = cursor;
    const quint16 zone = work_->GetMaskHitZone(At.x(), At.y());
    zoneX_ = quint8(zone & 0xFF);
    zoneY_ = quint8(zone >> 8);
}

void TIllustSettingDialog::MaskMouseUp()
{
    const bool was = dragging_;
    dragging_ = false;
    dragCursor_ = Qt::ArrowCursor;
    if (!was)
        return;
    // A cut-out that ended up wholly beside the picture is brought back to
    // its nearest edge.
    const TRect d = work_->GetDisplayRect();
    TRect m = work_->GetDisplayMaskRect();
    if (d.Left > m.Right)
        m = Shifted(m, d.Left - m.Left, 0);
    else if (d.Right < m.Left)
        m = Shifted(m, d.Width() >= m.Width() ? d.Right - m.Right : d.Left - m.Left, 0);
    if (d.Top > m.Bottom)
        m = Shifted(m, 0, d.Top - m.Top);
    else if (d.Bottom < m.Top)
        m = Shifted(m, 0, d.Height() >= m.Height() ? d.Bottom - m.Bottom : d.Top - m.Top);
    work_->SetDisplayMaskRect(m);
    repaintPreview();
}

void TIllustSettingDialog::PickTransparentColor(QPoint At)
{
    if (!rbTransparent->isChecked())
        return;
    const QImage& bmp = work_->GetBitmap();
    if (bmp.isNull() || bmp.width() <= 0 || bmp.height() <= 0)
        return;
    const TIllustRect& item = *work_;
    const TRect inner = item.GetFrame().GetInnerRect(item.GetDisplayRect(), item.GetZoom());
    if (inner.Width() <= 0 || inner.Height() <= 0 || !ToQ(inner).contains(At))
        return;
    // The picture's own pixel under the point, not the scaled preview's.
    const int px = int(std::clamp<qint64>(qint64(At.x() - inner.Left) * bmp.width() / inner.Width(), 0, bmp.width() - 1));
    const int py =
        int(std::clamp<qint64>(qint64(At.y() - inner.Top) * bmp.height() / inner.Height(), 0, bmp.height() - 1));
    const QColor c = bmp.pixelColor(px, py);
    const TColor color = TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
    SetItemPanelColor(pnlTransparent, color);
    work_->SetTransparentColor(color);
    repaintPreview();
}

bool TIllustSettingDialog::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == sbMasks || watched == sbMasks->viewport()) && event->type() == QEvent::KeyPress) {
        const int count = int(thumbs_.size());
        int next = selectedMask_;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left: next = selectedMask_ > 1 ? selectedMask_ - 2 : next; break;
        case Qt::Key_Up: next = selectedMask_ > 0 ? selectedMask_ - 1 : next; break;
        case Qt::Key_Right: next = selectedMask_ + 2 < count ? selectedMask_ + 2 : next; break;
        case Qt::Key_Down: next = selectedMask_ + 1 < count ? selectedMask_ + 1 : next; break;
        default: return TModalDialog::eventFilter(watched, event);
        }
        if (next != selectedMask_)
            SelectMask(next);
        return true;
    }
    if (watched == sbMasks->viewport() && event->type() == QEvent::Wheel) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        QScrollBar* bar = sbMasks->horizontalScrollBar();
        bar->setValue(bar->value() - steps * bar->singleStep());
        return true;
    }
    if (watched == sbPreview->viewport() && event->type() == QEvent::Wheel) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        QScrollBar* bar = sbPreview->verticalScrollBar()->isVisible() ? sbPreview->verticalScrollBar()
                                                                      : sbPreview->horizontalScrollBar();
        bar->setValue(bar->value() - steps * QApplication::wheelScrollLines() * bar->singleStep());
        return true;
    }
    return TModalDialog::eventFilter(watched, event);
}

void TIllustSettingDialog::focusPage()
{
    switch (pgcSetting->currentIndex()) {
    case kPageDirection: rbReverseTB->isChecked() ? rbReverseTB->setFocus() : rbReverseLR->setFocus(); break;
    case kPageCutOut:
        for (QRadioButton* rb : {rbAsIs, rbMask, rbTransparent})
            if (rb->isChecked())
                rb->setFocus();
        break;
    default: framePage->FirstControl()->setFocus(); break;
    }
}

void TIllustSettingDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    focusPage();
    setZoom(zoom_);
}

void TIllustSettingDialog::repaintPreview()
{
    if (pbPreview)
        pbPreview->update();
}

#include "drawing/dialogs/WordSettingDialog.h"

#include "core/common/Units.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/PreviewFit.h"
#include "drawing/dialogs/FramePage.h"
#include "platform/Canvas.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/NumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("DESIGN");
const QString kPageKey = QStringLiteral("WordSet");
constexpr int kPageFont = 0;
constexpr int kPageAlign = 1;

QString CharsetCaption(std::uint8_t charset)
{
    return charset == SHIFTJIS_CHARSET ? QStringLiteral("日本語") : QStringLiteral("欧文");
}

QRadioButton* NewRadio(QWidget* parent, const char* caption, const char* name)
{
    auto* rb = new QRadioButton(QString::fromUtf8(caption), parent);
    rb->setObjectName(QLatin1String(name));
    return rb;
}

} // namespace

// The work copy drawn on white; a text without frame or background is
// outlined in grey so that its box shows.
class TWordSettingDialog::TPreview : public QWidget {
public:
    TPreview(QWidget* parent, TWordRect& word) : QWidget(parent), word_(word)
    {
        setObjectName(QStringLiteral("pnlPreview"));
        setFixedSize(250, 290);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        {
            TCanvas canvas(painter);
            word_.Draw(&canvas, 0, 0);
        }
        if (word_.GetFrame().GetFrame() || word_.GetFrame().GetBack())
            return;
        const TRect d = word_.GetDisplayRect();
        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1));
    }

private:
    TWordRect& word_;
};

TWordSettingDialog::TWordSettingDialog(QWidget* owner)
    : TModalDialog(owner), work_(std::make_unique<TWordRect>())
{
    ListTrueTypeFonts(fonts_, false, false);
    std::sort(fonts_.begin(), fonts_.end(),
              [](const TFontListEntry& a, const TFontListEntry& b) { return a.name < b.name; });
    build();
    pgcSetting->setCurrentIndex(ReadSettingsPage(kSection, kPageKey, kPageCount));
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(rbVertical, pgcSetting);
    enter->SetNext(rbHorizontal, pgcSetting);
    connect(pgcSetting, &QTabWidget::currentChanged, this, [this] { focusPage(); });
}

TWordSettingDialog::~TWordSettingDialog()
{
    WriteSettingsPage(kSection, kPageKey, pgcSetting->currentIndex());
}

int TWordSettingDialog::HelpContext() const
{
    return pgcSetting->currentIndex() == 2 ? 128 : 127;
}

void TWordSettingDialog::build()
{
    setWindowTitle(QStringLiteral("文章の表示設定"));
    setObjectName(QStringLiteral("WordSettingDialog"));
    setFixedSize(620, 380);
    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(buildDirectionBox());

    pgcSetting = new QTabWidget(this);
    pgcSetting->setObjectName(QStringLiteral("pgcSetting"));
    pgcSetting->addTab(buildFontPage(), QStringLiteral("フォント"));
    pgcSetting->addTab(buildAlignPage(), QStringLiteral("文字の配置"));
    framePage = new TFramePage;
    pgcSetting->addTab(framePage, QStringLiteral("飾り枠"));
    left->addWidget(pgcSetting);
    top->addLayout(left, 1);
    top->addLayout(buildPreviewColumn());
    connectControls();
}

QGroupBox* TWordSettingDialog::buildDirectionBox()
{
    auto* gbxDirection = new QGroupBox(QStringLiteral("方向"), this);
    auto* hDir = new QHBoxLayout(gbxDirection);
    rbVertical = NewRadio(gbxDirection, "縦書き", "rbVertical");
    rbHorizontal = NewRadio(gbxDirection, "横書き", "rbHorizontal");
    hDir->addWidget(rbVertical);
    hDir->addWidget(rbHorizontal);
    return gbxDirection;
}

// Page "フォント": the face list beside its character set, size, aspect
// ratio, style and colour.
QWidget* TWordSettingDialog::buildFontPage()
{
    auto* pageFont = new QWidget;
    auto* gFont = new QGridLayout(pageFont);
    lbFont = new QListWidget(pageFont);
    lbFont->setObjectName(QStringLiteral("lbFont"));
    for (const TFontListEntry& f : fonts_)
        lbFont->addItem(f.name);
    gFont->addWidget(lbFont, 0, 0, 6, 1);
    gFont->addWidget(new QLabel(QStringLiteral("書体："), pageFont), 0, 1);
    lblCharset = new QLabel(pageFont);
    lblCharset->setObjectName(QStringLiteral("lblCharset"));
    gFont->addWidget(lblCharset, 0, 2);
    gFont->addWidget(new QLabel(QStringLiteral("サイズ："), pageFont), 1, 1);
    cbxSize = new QComboBox(pageFont);
    cbxSize->setObjectName(QStringLiteral("cbxSize"));
    cbxSize->addItem(QStringLiteral("自動"));
    for (int i = 1; i < int(std::size(FontSizePoints)); ++i)
        cbxSize->addItem(QString::number(FontSizePoints[i]));
    gFont->addWidget(cbxSize, 1, 2);
    gFont->addWidget(new QLabel(QStringLiteral("縦横比："), pageFont), 2, 1);
    edAspect = new TNumEdit(pageFont);
    edAspect->setObjectName(QStringLiteral("edAspect"));
    edAspect->setRange(kMinAspect, kMaxAspect);
    edAspect->SetMaxLength(3);
    edAspect->setValue(100);
    gFont->addWidget(edAspect, 2, 2);
    gFont->addWidget(new QLabel(QStringLiteral("書式："), pageFont), 3, 1);
    auto* hStyle = new QHBoxLayout;
    ckbBold = new QCheckBox(QStringLiteral("太字"), pageFont);
    ckbBold->setObjectName(QStringLiteral("ckbBold"));
    ckbItalic = new QCheckBox(QStringLiteral("斜体"), pageFont);
    ckbItalic->setObjectName(QStringLiteral("ckbItalic"));
    hStyle->addWidget(ckbBold);
    hStyle->addWidget(ckbItalic);
    gFont->addLayout(hStyle, 3, 2);
    gFont->addWidget(new QLabel(QStringLiteral("色："), pageFont), 4, 1);
    auto* hColor = new QHBoxLayout;
    pnlFontColor = NewItemColorPanel(pageFont, "pnlFontColor");
    btnFontColor = NewItemColorButton(pageFont, "btnFontColor");
    hColor->addWidget(pnlFontColor);
    hColor->addWidget(btnFontColor);
    gFont->addLayout(hColor, 4, 2);
    return pageFont;
}

// Page "文字の配置": the alignment across and down, wrapping and line
// spacing.
QWidget* TWordSettingDialog::buildAlignPage()
{
    auto* pageAlign = new QWidget;
    auto* vAlign = new QVBoxLayout(pageAlign);
    auto* gbxH = new QGroupBox(QStringLiteral("横方向"), pageAlign);
    auto* hH = new QHBoxLayout(gbxH);
    rbLeft = NewRadio(gbxH, "左に寄せる", "rbLeft");
    rbHCenter = NewRadio(gbxH, "中央に表示", "rbHCenter");
    rbRight = NewRadio(gbxH, "右に寄せる", "rbRight");
    for (QRadioButton* rb : {rbLeft, rbHCenter, rbRight})
        hH->addWidget(rb);
    vAlign->addWidget(gbxH);
    auto* gbxV = new QGroupBox(QStringLiteral("縦方向"), pageAlign);
    auto* hV = new QHBoxLayout(gbxV);
    rbTop = NewRadio(gbxV, "上に寄せる", "rbTop");
    rbVCenter = NewRadio(gbxV, "中央に表示", "rbVCenter");
    rbBottom = NewRadio(gbxV, "下に寄せる", "rbBottom");
    for (QRadioButton* rb : {rbTop, rbVCenter, rbBottom})
        hV->addWidget(rb);
    vAlign->addWidget(gbxV);
    ckbWordWrap = new QCheckBox(QStringLiteral("枠に合わせて自動改行する"), pageAlign);
    ckbWordWrap->setObjectName(QStringLiteral("ckbWordWrap"));
    vAlign->addWidget(ckbWordWrap);
    auto* hSpace = new QHBoxLayout;
    ckbLineSpace = new QCheckBox(QStringLiteral("行間の幅を指定する："), pageAlign);
    ckbLineSpace->setObjectName(QStringLiteral("ckbLineSpace"));
    cbxLineSpace = new QComboBox(pageAlign);
    cbxLineSpace->setObjectName(QStringLiteral("cbxLineSpace"));
    cbxLineSpace->addItems({QStringLiteral("なし"), QStringLiteral("狭い"), QStringLiteral("普通"),
                            QStringLiteral("やや広い"), QStringLiteral("広い")});
    cbxLineSpace->setEnabled(false);
    hSpace->addWidget(ckbLineSpace);
    hSpace->addWidget(cbxLineSpace);
    vAlign->addLayout(hSpace);
    vAlign->addStretch(1);
    return pageAlign;
}

// The preview with OK and キャンセル under it.
QVBoxLayout* TWordSettingDialog::buildPreviewColumn()
{
    auto* right = new QVBoxLayout;
    pnlPreview = new TPreview(this, *work_);
    right->addWidget(pnlPreview);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    right->addLayout(buttons);
    return right;
}

void TWordSettingDialog::connectControls()
{
    connect(rbVertical, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            directionChanged(true);
    });
    connect(rbHorizontal, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            directionChanged(false);
    });
    connect(lbFont, &QListWidget::currentRowChanged, this, [this](int row) { fontChosen(row); });
    connect(cbxSize, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_ || i < 0)
            return;
        work_->SetSizeIndex(i);
        repaintPreview();
    });
    // The edit hands a value over when it is settled (left, Enter, a step);
    // a number out of range is brought into it, anything else restores the
    // value it had.
    connect(edAspect, &QSpinBox::valueChanged, this, [this](int v) {
        if (loading_)
            return;
        work_->SetAspectRatio(v);
        repaintPreview();
    });
    connect(ckbBold, &QCheckBox::toggled, this, [this] { styleChanged(); });
    connect(ckbItalic, &QCheckBox::toggled, this, [this] { styleChanged(); });
    connect(btnFontColor, &QPushButton::clicked, this, [this] { chooseFontColor(); });
    const std::pair<QRadioButton*, int> hs[] = {{rbLeft, 2}, {rbHCenter, 1}, {rbRight, 0}};
    for (auto [rb, h] : hs)
        connect(rb, &QRadioButton::toggled, this, [this, h = h](bool on) {
            if (on)
                horizontalAlign(h);
        });
    const std::pair<QRadioButton*, int> vs[] = {{rbTop, 0}, {rbVCenter, 1}, {rbBottom, 2}};
    for (auto [rb, v] : vs)
        connect(rb, &QRadioButton::toggled, this, [this, v = v](bool on) {
            if (on)
                verticalAlign(v);
        });
    connect(ckbWordWrap, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_)
            return;
        work_->SetWordWrap(on);
        repaintPreview();
    });
    connect(ckbLineSpace, &QCheckBox::toggled, this, [this] { lineSpaceChecked(); });
    connect(cbxLineSpace, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_ || i < 0 || !ckbLineSpace->isChecked())
            return;
        work_->SetLineSpace(quint8(i + 1));
        repaintPreview();
    });
    connect(framePage, &TFramePage::Changed, this, [this] { repaintPreview(); });
    connect(btnOK, &QPushButton::clicked, this, &TWordSettingDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TWordSettingDialog::reject);
}

void TWordSettingDialog::LoadFromRect(const TWordRect& Source)
{
    work_->Assign(Source);

    FitIntoPreview(*work_, pnlPreview->size());

    loading_ = true;
    const qint32 size = work_->GetSizeIndex();
    cbxSize->setCurrentIndex(size >= 0 && size < cbxSize->count() ? size : 0);
    edAspect->setValue(work_->GetAspectRatio());
    (work_->GetDirection() == 0 ? rbVertical : rbHorizontal)->setChecked(true);
    const qint32 align = work_->GetAlign();
    QRadioButton* const vRadios[3] = {rbTop, rbVCenter, rbBottom};
    QRadioButton* const hRadios[3] = {rbRight, rbHCenter, rbLeft};
    if (align >= 0 && align / 3 < 3)
        vRadios[align / 3]->setChecked(true);
    if (align >= 0)
        hRadios[align % 3]->setChecked(true);
    const quint8 space = work_->GetLineSpace();
    ckbLineSpace->setChecked(space != 0);
    cbxLineSpace->setEnabled(space != 0);
    cbxLineSpace->setCurrentIndex(space != 0 && space <= 5 ? space - 1 : 0);
    ckbWordWrap->setChecked(work_->GetWordWrap());
    fillFontPage();
    loading_ = false;
    framePage->Load(work_->GetFrame());
    repaintPreview();
}

void TWordSettingDialog::fillFontPage()
{
    const TFont& font = work_->GetFont();
    QString name = font.Name();
    if (name.startsWith(QLatin1Char('@')))
        name.remove(0, 1);
    const bool was = loading_;
    loading_ = true;
    // A face not installed shows the first entry and changes nothing until
    // the user picks one.
    const int row = FindFontListEntry(fonts_, name);
    lbFont->setCurrentRow(row >= 0 ? row : (fonts_.empty() ? -1 : 0));
    const int shown = lbFont->currentRow();
    lblCharset->setText(shown >= 0 ? CharsetCaption(fonts_[size_t(shown)].charset) : QString());
    ckbBold->setChecked(font.Bold());
    ckbItalic->setChecked(font.Italic());
    SetItemPanelColor(pnlFontColor, font.Color());
    loading_ = was;
}

void TWordSettingDialog::fontChosen(int row)
{
    if (row < 0 || row >= int(fonts_.size()))
        return;
    lblCharset->setText(CharsetCaption(fonts_[size_t(row)].charset));
    if (loading_)
        return;
    TFont f;
    f.Assign(work_->GetFont());
    f.SetName(fonts_[size_t(row)].name);
    f.SetCharset(fonts_[size_t(row)].charset);
    work_->SetFont(f);
    repaintPreview();
}

void TWordSettingDialog::styleChanged()
{
    if (loading_)
        return;
    TFont f;
    f.Assign(work_->GetFont());
    int bits = f.Style() & ~(fsBold | fsItalic);
    if (ckbBold->isChecked())
        bits |= fsBold;
    if (ckbItalic->isChecked())
        bits |= fsItalic;
    f.SetStyle(bits);
    work_->SetFont(f);
    repaintPreview();
}

void TWordSettingDialog::chooseFontColor()
{
    bool ok = false;
    const QColor c = ChooseColor(this, ToQColor(ItemPanelColor(pnlFontColor)), &ok);
    if (!ok)
        return;
    const TColor color = TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
    SetItemPanelColor(pnlFontColor, color);
    TFont f;
    f.Assign(work_->GetFont());
    f.SetColor(color);
    work_->SetFont(f);
    repaintPreview();
}

void TWordSettingDialog::directionChanged(bool vertical)
{
    if (loading_)
        return;
    work_->SetVertical(vertical ? 0 : 1);
    // The box turns with the writing: width and height trade places, and so
    // do its left and top.
    const TRect r = work_->GetRect();
    work_->SetRect(TRect(r.Top, r.Left, r.Top + r.Height(), r.Left + r.Width()));
    repaintPreview();
}

void TWordSettingDialog::horizontalAlign(int h)
{
    if (loading_)
        return;
    work_->SetAlign((work_->GetAlign() / 3) * 3 + h);
    repaintPreview();
}

void TWordSettingDialog::verticalAlign(int v)
{
    if (loading_)
        return;
    work_->SetAlign(v * 3 + work_->GetAlign() % 3);
    repaintPreview();
}

void TWordSettingDialog::lineSpaceChecked()
{
    const bool on = ckbLineSpace->isChecked();
    cbxLineSpace->setEnabled(on);
    if (loading_)
        return;
    work_->SetLineSpace(on ? quint8(cbxLineSpace->currentIndex() + 1) : 0);
    repaintPreview();
}

void TWordSettingDialog::focusPage()
{
    switch (pgcSetting->currentIndex()) {
    case kPageFont: lbFont->setFocus(); break;
    case kPageAlign:
        for (QRadioButton* rb : {rbLeft, rbHCenter, rbRight})
            if (rb->isChecked())
                rb->setFocus();
        break;
    default: framePage->FirstControl()->setFocus(); break;
    }
}

void TWordSettingDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    fillFontPage();
    focusPage();
}

void TWordSettingDialog::repaintPreview()
{
    if (pnlPreview)
        pnlPreview->update();
}

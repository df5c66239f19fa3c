#include "drawing/dialogs/FramePage.h"

#include "drawing/objects/RectFrame.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/DialogKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QColor ToQ(unsigned c)
{
    return ToQColor(c);
}

unsigned FromQ(const QColor& c)
{
    return unsigned(c.red()) | unsigned(c.green()) << 8 | unsigned(c.blue()) << 16;
}

QComboBox* NewList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->addItems(items);
    return c;
}

} // namespace

QFrame* NewItemColorPanel(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    f->setFixedSize(48, 22);
    SetItemPanelColor(f, 0);
    return f;
}

void SetItemPanelColor(QFrame* panel, unsigned color)
{
    panel->setProperty("tcolor", color);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, ToQ(color));
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
}

unsigned ItemPanelColor(const QFrame* panel)
{
    return panel->property("tcolor").toUInt();
}

QPushButton* NewItemColorButton(QWidget* parent, const char* name)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(QIcon(QStringLiteral(":/glyphs/COLORSET.png")));
    b->setFixedSize(28, 24);
    return b;
}

TFramePage::TFramePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FramePage"));
    auto* v = new QVBoxLayout(this);

    auto* gbxFrame = new QGroupBox(this);
    auto* gFrame = new QGridLayout(gbxFrame);
    ckbFrame = new QCheckBox(QStringLiteral("枠線"), gbxFrame);
    ckbFrame->setObjectName(QStringLiteral("ckbFrame"));
    gFrame->addWidget(ckbFrame, 0, 0, 1, 3);
    cbxLineCount = NewList(gbxFrame, "cbxLineCount", {QStringLiteral("一重線"), QStringLiteral("二重線")});
    cbxCorner = NewList(gbxFrame, "cbxCorner", {QStringLiteral("四角"), QStringLiteral("丸")});
    cbxLineWidth =
        NewList(gbxFrame, "cbxLineWidth", {QStringLiteral("細い"), QStringLiteral("ふつう"), QStringLiteral("太い")});
    const char* captions[4] = {"線の種類：", "角の形：", "線の太さ：", "色："};
    for (int i = 0; i < 4; ++i) {
        lblFrame[i] = new QLabel(QString::fromUtf8(captions[i]), gbxFrame);
        gFrame->addWidget(lblFrame[i], i + 1, 0);
    }
    gFrame->addWidget(cbxLineCount, 1, 1, 1, 2);
    gFrame->addWidget(cbxCorner, 2, 1, 1, 2);
    gFrame->addWidget(cbxLineWidth, 3, 1, 1, 2);
    pnlFrameColor = NewItemColorPanel(gbxFrame, "pnlFrameColor");
    btnFrameColor = NewItemColorButton(gbxFrame, "btnFrameColor");
    gFrame->addWidget(pnlFrameColor, 4, 1);
    gFrame->addWidget(btnFrameColor, 4, 2);
    v->addWidget(gbxFrame);

    auto* gbxBack = new QGroupBox(this);
    auto* gBack = new QGridLayout(gbxBack);
    ckbBack = new QCheckBox(QStringLiteral("背景"), gbxBack);
    ckbBack->setObjectName(QStringLiteral("ckbBack"));
    gBack->addWidget(ckbBack, 0, 0, 1, 3);
    lblBackColor = new QLabel(QStringLiteral("色："), gbxBack);
    gBack->addWidget(lblBackColor, 1, 0);
    pnlBackColor = NewItemColorPanel(gbxBack, "pnlBackColor");
    btnBackColor = NewItemColorButton(gbxBack, "btnBackColor");
    gBack->addWidget(pnlBackColor, 1, 1);
    gBack->addWidget(btnBackColor, 1, 2);
    v->addWidget(gbxBack);
    v->addStretch(1);

    ApplyBlueCaption(ckbFrame);
    ApplyBlueCaption(ckbBack);

    connect(ckbFrame, &QCheckBox::toggled, this, [this] { frameToggled(); });
    connect(ckbBack, &QCheckBox::toggled, this, [this] { backToggled(); });
    connect(cbxLineCount, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_ || !frame_ || i < 0)
            return;
        frame_->SetLineCount(quint8(i));
        emit Changed();
    });
    connect(cbxCorner, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_ || !frame_ || i < 0)
            return;
        frame_->SetCorner(quint8(i));
        emit Changed();
    });
    connect(cbxLineWidth, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_ || !frame_ || i < 0)
            return;
        frame_->SetLineWidth(quint8(i));
        emit Changed();
    });
    connect(btnFrameColor, &QPushButton::clicked, this, [this] { chooseColor(true); });
    connect(btnBackColor, &QPushButton::clicked, this, [this] { chooseColor(false); });
    frameToggled();
    backToggled();
}

void TFramePage::Load(TRectFrame& Frame)
{
    frame_ = &Frame;
    loading_ = true;
    if (!Frame.GetFrame())
        Frame.SetFrameColor(kFramePageOutlineColor);
    if (!Frame.GetBack())
        Frame.SetBackColor(kFramePageBackColor);
    ckbFrame->setChecked(Frame.GetFrame());
    ckbBack->setChecked(Frame.GetBack());
    // A damaged record may hold any byte: the lists show their first entry.
    cbxLineCount->setCurrentIndex(Frame.GetLineCount() < 2 ? Frame.GetLineCount() : 0);
    cbxCorner->setCurrentIndex(Frame.GetCorner() < 2 ? Frame.GetCorner() : 0);
    cbxLineWidth->setCurrentIndex(Frame.GetLineWidth() < 3 ? Frame.GetLineWidth() : 0);
    SetItemPanelColor(pnlFrameColor, Frame.GetFrameColor());
    SetItemPanelColor(pnlBackColor, Frame.GetBackColor());
    loading_ = false;
    frameToggled();
    backToggled();
}

QWidget* TFramePage::FirstControl() const
{
    return ckbFrame;
}

void TFramePage::frameToggled()
{
    const bool on = ckbFrame->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(cbxLineCount), static_cast<QWidget*>(cbxCorner),
                       static_cast<QWidget*>(cbxLineWidth), static_cast<QWidget*>(btnFrameColor)})
        w->setEnabled(on);
    for (QLabel* l : lblFrame)
        l->setEnabled(on);
    if (loading_ || !frame_)
        return;
    frame_->SetFrame(on);
    emit Changed();
}

void TFramePage::backToggled()
{
    const bool on = ckbBack->isChecked();
    btnBackColor->setEnabled(on);
    lblBackColor->setEnabled(on);
    if (loading_ || !frame_)
        return;
    frame_->SetBack(on);
    emit Changed();
}

void TFramePage::chooseColor(bool outline)
{
    if (!frame_)
        return;
    QFrame* panel = outline ? pnlFrameColor : pnlBackColor;
    bool ok = false;
    const QColor c = ChooseColor(this, ToQ(ItemPanelColor(panel)), &ok);
    if (!ok)
        return;
    SetItemPanelColor(panel, FromQ(c));
    if (outline)
        frame_->SetFrameColor(FromQ(c));
    else
        frame_->SetBackColor(FromQ(c));
    emit Changed();
}

#include "drawing/dialogs/FrameFontDialog.h"
#include "ui_FrameFontDialog.h"

#include "core/common/FontUtils.h"
#include "platform/ui/ColorDialog.h"

#include <QListWidgetItem>

namespace {

const QString kLatinSample = QStringLiteral("AaBbYyZz 123");
const QString kJapaneseSample = QStringLiteral("あア亜 AaBb 123");

void SetPanelColor(QWidget* panel, TColor color)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, ToQColor(color));
    panel->setPalette(p);
}

} // namespace

TLayoutFontDialog::TLayoutFontDialog(QWidget* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TLayoutFontDialog>())
{
    ui->setupUi(this);
    std::vector<TFontListEntry> fonts;
    ListTrueTypeFonts(fonts, false, false);
    for (const TFontListEntry& f : fonts) {
        auto* item = new QListWidgetItem(f.name, ui->lbFonts);
        item->setData(Qt::UserRole, int(f.charset));
    }
    ui->lbFonts->sortItems();
    ui->ckbAll->setChecked(true);
    ApplyDialogConventions(this);
    font_.SetSize(14);

    connect(ui->btnOK, &QPushButton::clicked, this, &TLayoutFontDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TLayoutFontDialog::reject);
    connect(ui->lbFonts, &QListWidget::itemClicked, this, &TLayoutFontDialog::fontChosen);
    connect(ui->lbFonts, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_)
            fontChosen();
    });
    connect(ui->ckbBold, &QCheckBox::toggled, this, &TLayoutFontDialog::styleClicked);
    connect(ui->ckbItalic, &QCheckBox::toggled, this, &TLayoutFontDialog::styleClicked);
    connect(ui->bbtnFontColor, &QToolButton::clicked, this, &TLayoutFontDialog::colorClicked);
}

TLayoutFontDialog::~TLayoutFontDialog() = default;

void TLayoutFontDialog::SetFont(const TFont& font)
{
    font_.Assign(font);
    SetFontHorizontal(font_);
    font_.SetSize(14);
    paintSample();
}

bool TLayoutFontDialog::GetApplyToAll() const { return ui->ckbAll->isChecked(); }

void TLayoutFontDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    filling_ = true;
    if (font_.Name().startsWith(QLatin1Char('@')))
        font_.SetName(font_.Name().mid(1));
    const QList<QListWidgetItem*> found = ui->lbFonts->findItems(font_.Name(), Qt::MatchExactly);
    QListWidgetItem* item = !found.isEmpty() ? found.first() : ui->lbFonts->item(0);
    if (item) {
        ui->lbFonts->setCurrentItem(item);
        showCharset(item->data(Qt::UserRole).toInt());
    }
    ui->ckbBold->setChecked(font_.Bold());
    ui->ckbItalic->setChecked(font_.Italic());
    SetPanelColor(ui->pnlFontColor, font_.Color());
    filling_ = false;
    paintSample();
}

void TLayoutFontDialog::showCharset(int charset)
{
    if (charset == ANSI_CHARSET) {
        ui->pnlSample->setText(kLatinSample);
        ui->lblCharset->setText(QStringLiteral("欧文"));
    } else if (charset == SHIFTJIS_CHARSET) {
        ui->pnlSample->setText(kJapaneseSample);
        ui->lblCharset->setText(QStringLiteral("日本語"));
    }
}

void TLayoutFontDialog::fontChosen()
{
    QListWidgetItem* item = ui->lbFonts->currentItem();
    if (!item)
        return;
    const int charset = item->data(Qt::UserRole).toInt();
    font_.SetCharset(static_cast<std::uint8_t>(charset));
    font_.SetName(item->text());
    showCharset(charset);
    paintSample();
}

void TLayoutFontDialog::styleClicked()
{
    if (filling_)
        return;
    // Rebuilt from the two boxes alone: no underline or strike-out survives.
    font_.SetStyle((ui->ckbBold->isChecked() ? fsBold : 0) | (ui->ckbItalic->isChecked() ? fsItalic : 0));
    paintSample();
}

void TLayoutFontDialog::colorClicked()
{
    bool ok = false;
    const QColor chosen = ChooseColor(this, ToQColor(font_.Color()), &ok);
    if (!ok)
        return;
    font_.SetColor(FromQColor(chosen));
    SetPanelColor(ui->pnlFontColor, font_.Color());
    paintSample();
}

void TLayoutFontDialog::paintSample()
{
    QFont qf(ResolveFontFamily(font_.Name()));
    qf.setPointSize(14);
    qf.setBold(font_.Bold());
    qf.setItalic(font_.Italic());
    ui->pnlSample->setFont(qf);
    QPalette p = ui->pnlSample->palette();
    p.setColor(QPalette::WindowText, ToQColor(font_.Color()));
    ui->pnlSample->setPalette(p);
}

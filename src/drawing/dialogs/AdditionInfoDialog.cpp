#include "drawing/dialogs/AdditionInfoDialog.h"

#include "core/ItemNames.h"
#include "platform/Cp932.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace {

// The client area is laid out by hand: shrinking to the barcode part moves
// whole controls by the distances between them.
constexpr int kClientWidth = 372;
constexpr int kClientHeight = 290;

void PaintCombo(QComboBox* combo, bool enabled)
{
    combo->setEnabled(enabled);
    QPalette p = combo->palette();
    p.setColor(QPalette::Base, enabled ? QColor(Qt::white) : combo->palette().color(QPalette::Button));
    combo->setPalette(p);
}

} // namespace

TAdditionInfoDialog::TAdditionInfoDialog(QWidget* owner) : TModalDialog(owner)
{
    setWindowTitle(QStringLiteral("追加情報の設定"));
    gbxAddition = new QGroupBox(QStringLiteral("追加情報："), this);
    gbxAddition->setObjectName(QStringLiteral("gbxAddition"));
    gbxAddition->setGeometry(16, 16, 340, 150);
    for (int i = 0; i < kRows; ++i) {
        auto* ck = new QCheckBox(QStringLiteral("項目%1：").arg(i + 1), gbxAddition);
        ck->setObjectName(QStringLiteral("ckbAddition%1").arg(i + 1));
        ck->setProperty("tag", i);
        ck->setGeometry(12, 24 + i * 30, 72, 22);
        auto* cb = new QComboBox(gbxAddition);
        cb->setObjectName(QStringLiteral("cbxAddition%1").arg(i + 1));
        cb->setEditable(true);
        cb->setInsertPolicy(QComboBox::NoInsert);
        cb->setCompleter(nullptr);
        cb->setMaxVisibleItems(15);
        cb->lineEdit()->setMaxLength(50);
        cb->setGeometry(88, 24 + i * 30, 240, 22);
        ckbAddition[i] = ck;
        cbxAddition[i] = cb;
        ApplyBlueCaption(ck);
        connect(ck, &QCheckBox::toggled, this, [this, i] { followAddition(i); });
    }

    gbxBarcode = new QGroupBox(this);
    gbxBarcode->setObjectName(QStringLiteral("gbxBarcode"));
    gbxBarcode->setGeometry(16, 174, 220, 64);
    lblBarSize = new QLabel(QStringLiteral("サイズ（ポイント）："), gbxBarcode);
    lblBarSize->setObjectName(QStringLiteral("lblBarSize"));
    lblBarSize->setGeometry(12, 28, 130, 22);
    cbxBarSize = new QComboBox(gbxBarcode);
    cbxBarSize->setObjectName(QStringLiteral("cbxBarSize"));
    cbxBarSize->addItems({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11")});
    cbxBarSize->setGeometry(144, 28, 64, 22);
    connect(cbxBarSize, &QComboBox::activated, this, &TAdditionInfoDialog::barSizeChosen);
    // The check box stands on the group's frame as its title.
    ckbBarcode = new QCheckBox(QStringLiteral("バーコード："), this);
    ckbBarcode->setObjectName(QStringLiteral("ckbBarcode"));
    ckbBarcode->setGeometry(24, 166, 110, 20);
    ckbBarcode->raise();
    ApplyBlueCaption(ckbBarcode);
    connect(ckbBarcode, &QCheckBox::toggled, this, &TAdditionInfoDialog::followBarcode);

    bvlLine = new QFrame(this);
    bvlLine->setObjectName(QStringLiteral("bvlLine"));
    bvlLine->setFrameShape(QFrame::HLine);
    bvlLine->setFrameShadow(QFrame::Sunken);
    bvlLine->setGeometry(8, 246, 356, 2);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(190, 256, 82, 26);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(282, 256, 82, 26);
    connect(btnOK, &QPushButton::clicked, this, &TAdditionInfoDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TAdditionInfoDialog::reject);

    setFixedSize(kClientWidth, kClientHeight);
    TEnterKeyFilter::Install(this);

    for (QCheckBox* ck : ckbAddition)
        ck->setChecked(true);
    ckbBarcode->setChecked(true);
    cbxBarSize->setCurrentIndex(MaxBarSize);
    for (int i = 0; i < kRows; ++i)
        followAddition(i);
    followBarcode();
}

std::vector<std::pair<QString, int>> TAdditionInfoDialog::ItemsFor(quint8 Paper, quint8 Data)
{
    std::vector<std::pair<QString, int>> items;
    if (Paper == apkLabel) {
        items.emplace_back(QStringLiteral("逆順電話番号"), 1);
        items.emplace_back(QStringLiteral("日付 (yyyymmdd)"), 2);
    }
    if (Data == adkAddress) {
        const char16_t* fixed[] = {u"TEL", u"FAX", u"携帯1", u"携帯2", u"URL"};
        for (int i = 0; i < 5; ++i)
            items.emplace_back(QString::fromUtf16(fixed[i]), 3 + i);
        items.emplace_back(QStringLiteral("E-Mail1"), 9);
        items.emplace_back(QStringLiteral("E-Mail2"), 10);
        for (int i = 0; i < kKeywordCount; ++i)
            items.emplace_back(KeywordNames[i].isEmpty() ? DefaultKeywordName(i + 1) : KeywordNames[i], 11 + i);
    }
    if (Data == adkSender)
        for (int i = 0; i < 4; ++i)
            items.emplace_back(QStringLiteral("連絡先") + QChar(u'１' + i), 19 + i);
    return items;
}

void TAdditionInfoDialog::SetPaperKind(quint8 Kind)
{
    PaperKind = Kind;
    if (Kind != apkPostcard && Kind != apkEnvelope)
        return;
    setWindowTitle(QStringLiteral("バーコードの設定"));
    gbxAddition->hide();
    const int d = gbxBarcode->y() - gbxAddition->y();
    const int w = gbxAddition->width() - gbxBarcode->width();
    bvlLine->setGeometry(bvlLine->x(), bvlLine->y() - d, bvlLine->width() - w, bvlLine->height());
    btnOK->move(btnOK->x() - w, btnOK->y() - d);
    btnCancel->move(btnCancel->x() - w, btnCancel->y() - d);
    ckbBarcode->move(ckbBarcode->x(), ckbBarcode->y() - d);
    gbxBarcode->move(gbxBarcode->x(), gbxAddition->y());
    setFixedSize(width() - w, height() - d);
}

void TAdditionInfoDialog::SetDataKind(quint8 Kind)
{
    DataKind = Kind;
    const auto items = ItemsFor(PaperKind, DataKind);
    for (QComboBox* cb : cbxAddition) {
        const QString text = cb->currentText();
        cb->clear();
        for (const auto& [caption, code] : items)
            cb->addItem(caption, code);
        cb->setCurrentIndex(-1);
        cb->setEditText(text);
    }
}

void TAdditionInfoDialog::SetAdditionChecked(int Index, bool Value)
{
    if (Index >= 0 && Index < kRows)
        ckbAddition[Index]->setChecked(Value);
}

bool TAdditionInfoDialog::GetAdditionChecked(int Index) const
{
    return Index >= 0 && Index < kRows && ckbAddition[Index]->isChecked();
}

void TAdditionInfoDialog::SetAdditionItem(int Index, int Code)
{
    if (Index < 0 || Index >= kRows)
        return;
    QComboBox* cb = cbxAddition[Index];
    const int at = Code == 0 ? -1 : cb->findData(Code);
    cb->setCurrentIndex(at);
    if (at < 0)
        cb->setEditText(QString());
}

void TAdditionInfoDialog::SetAdditionText(int Index, const QString& Text)
{
    if (Index < 0 || Index >= kRows)
        return;
    cbxAddition[Index]->setCurrentIndex(-1);
    cbxAddition[Index]->setEditText(Text.left(50));
}

int TAdditionInfoDialog::GetAdditionItem(int Index) const
{
    if (Index < 0 || Index >= kRows)
        return 0;
    const QComboBox* cb = cbxAddition[Index];
    // A text typed over a chosen entry is free text, unless it is the entry.
    const int at = cb->findText(cb->currentText(), Qt::MatchExactly);
    return at >= 0 ? cb->itemData(at).toInt() : 0;
}

QString TAdditionInfoDialog::GetAdditionText(int Index) const
{
    if (Index < 0 || Index >= kRows || GetAdditionItem(Index) != 0)
        return {};
    return cp932::Trim(cbxAddition[Index]->currentText());
}

void TAdditionInfoDialog::SetBarcode(bool Value)
{
    ckbBarcode->setChecked(Value);
}

bool TAdditionInfoDialog::GetBarcode() const
{
    return ckbBarcode->isChecked();
}

void TAdditionInfoDialog::SetMaxBarSize(quint8 Value)
{
    if (Value == MaxBarSize)
        return;
    MaxBarSize = Value;
    if (cbxBarSize->currentIndex() > Value)
        cbxBarSize->setCurrentIndex(Value);
    while (cbxBarSize->count() > Value + 1)
        cbxBarSize->removeItem(cbxBarSize->count() - 1);
}

void TAdditionInfoDialog::SetBarSize(int Value)
{
    cbxBarSize->setCurrentIndex(std::min<int>(Value > MaxBarSize ? MaxBarSize : Value, cbxBarSize->count() - 1));
}

int TAdditionInfoDialog::GetBarSize() const
{
    return cbxBarSize->count() == 0 ? 0 : std::max(0, cbxBarSize->currentIndex());
}

void TAdditionInfoDialog::DisableBarcode(bool Value)
{
    if (!Value)
        return;
    ckbBarcode->setChecked(false);
    ckbBarcode->setEnabled(false);
    cbxBarSize->clear();
}

void TAdditionInfoDialog::followAddition(int Index)
{
    PaintCombo(cbxAddition[Index], ckbAddition[Index]->isChecked());
}

void TAdditionInfoDialog::followBarcode()
{
    const bool on = ckbBarcode->isChecked();
    lblBarSize->setEnabled(on);
    PaintCombo(cbxBarSize, on);
}

void TAdditionInfoDialog::barSizeChosen(int Index)
{
    if (Index > MaxBarSize)
        cbxBarSize->setCurrentIndex(MaxBarSize);
}

void TAdditionInfoDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    if (QWidget* owner = parentWidget())
        move(owner->window()->geometry().center() - rect().center());
}

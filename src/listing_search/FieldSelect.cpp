#include "listing_search/FieldSelect.h"

#include "ui_FieldSelect.h"

#include "platform/ui/MessageBox.h"

#include <QListWidgetItem>
#include <algorithm>

TFieldSelect::TFieldSelect(QWidget* owner, const TStyle& style)
    : TModalDialog(owner), ui(std::make_unique<Ui::TFieldSelect>())
{
    ui->setupUi(this);
    setWindowTitle(style.Title);
    ui->lblPrompt->setText(style.Prompt);
    ui->bbtnAll->setText(style.AllCaption);
    ui->chkLastReturn->setVisible(style.LastReturn);
    noneMessage_ = style.NoneMessage;
    ui->btnOk->setDefault(false);

    connect(ui->bbtnTop, &QPushButton::clicked, this, &TFieldSelect::MoveTop);
    connect(ui->bbtnUp, &QPushButton::clicked, this, &TFieldSelect::MoveUp);
    connect(ui->bbtnDown, &QPushButton::clicked, this, &TFieldSelect::MoveDown);
    connect(ui->bbtnBottom, &QPushButton::clicked, this, &TFieldSelect::MoveBottom);
    connect(ui->bbtnAll, &QPushButton::clicked, this, &TFieldSelect::CheckAll);
    connect(ui->bbtnReSort, &QPushButton::clicked, this, &TFieldSelect::ReSort);
    connect(ui->btnOk, &QPushButton::clicked, this, &TFieldSelect::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TFieldSelect::reject);
    connect(ui->lbxItems, &QListWidget::itemDoubleClicked, this, &TFieldSelect::ToggleRow);

    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    if (style.LastReturn) {
        enter->SetNext(ui->lbxItems, ui->chkLastReturn);
        enter->SetNext(ui->chkLastReturn, ui->btnOk);
    } else {
        enter->SetNext(ui->lbxItems, ui->btnOk);
    }
}

TFieldSelect::~TFieldSelect() = default;

void TFieldSelect::SetEntries(const QList<TFieldItem>& entries)
{
    entries_ = entries;
    Rebuild(0);
}

QList<TFieldItem> TFieldSelect::Entries() const
{
    QList<TFieldItem> out = entries_;
    for (int i = 0; i < out.size() && i < ui->lbxItems->count(); ++i)
        out[i].Selected = ui->lbxItems->item(i)->checkState() == Qt::Checked;
    return out;
}

void TFieldSelect::SetLastReturnFlag(bool on)
{
    ui->chkLastReturn->setChecked(on);
}

bool TFieldSelect::LastReturnFlag() const
{
    return ui->chkLastReturn->isChecked();
}

void TFieldSelect::Rebuild(int focusRow)
{
    ui->lbxItems->clear();
    for (const TFieldItem& e : entries_) {
        auto* row = new QListWidgetItem(caption_ ? caption_(e.ItemNo) : QString(), ui->lbxItems);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setCheckState(e.Selected ? Qt::Checked : Qt::Unchecked);
    }
    if (focusRow >= 0 && focusRow < ui->lbxItems->count()) {
        ui->lbxItems->setCurrentRow(focusRow);
        ui->lbxItems->setFocus();
    }
}

int TFieldSelect::FocusedRow() const
{
    return ui->lbxItems->currentRow();
}

void TFieldSelect::MoveRow(int from, int to)
{
    const int count = ui->lbxItems->count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    // The row carries its caption and check; the entry moves with it and
    // the ones in between shift by one.
    entries_ = Entries();
    entries_.move(from, to);
    QListWidgetItem* row = ui->lbxItems->takeItem(from);
    ui->lbxItems->insertItem(to, row);
    ui->lbxItems->setCurrentRow(to);
    ui->lbxItems->setFocus();
}

void TFieldSelect::MoveTop()
{
    MoveRow(FocusedRow(), 0);
}

void TFieldSelect::MoveUp()
{
    MoveRow(FocusedRow(), FocusedRow() - 1);
}

void TFieldSelect::MoveDown()
{
    MoveRow(FocusedRow(), FocusedRow() + 1);
}

void TFieldSelect::MoveBottom()
{
    MoveRow(FocusedRow(), ui->lbxItems->count() - 1);
}

void TFieldSelect::CheckAll()
{
    for (int i = 0; i < ui->lbxItems->count(); ++i)
        ui->lbxItems->item(i)->setCheckState(Qt::Checked);
}

void TFieldSelect::ReSort()
{
    THourglass wait;
    entries_ = Entries();
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const TFieldItem& a, const TFieldItem& b) { return a.ItemNo < b.ItemNo; });
    Rebuild(0);
}

void TFieldSelect::ToggleRow(QListWidgetItem* item)
{
    if (item)
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TFieldSelect::accept()
{
    const QList<TFieldItem> entries = Entries();
    if (std::none_of(entries.begin(), entries.end(), [](const TFieldItem& e) { return e.Selected; })) {
        ShowMessage(this, noneMessage_, MB_OK | MB_ICONINFORMATION);
        ui->lbxItems->setFocus();
        return;
    }
    TModalDialog::accept();
}

// ---------------------------------------------------------------- export

TExportItemSelect::TExportItemSelect(QWidget* owner)
    : TFieldSelect(owner, TStyle{QStringLiteral("出力項目の設定"), QStringLiteral("出力する項目を設定してください："),
                                 QStringLiteral("すべて出力"),
                                 QStringLiteral("出力する項目は１つ以上選択してください  "), false})
{
    SetCaptionSource(ExportItemCaption);
}

void TExportItemSelect::SetItems(const std::array<TFieldItem, kExportItemCount>& items)
{
    SetEntries(QList<TFieldItem>(items.begin(), items.end()));
}

void TExportItemSelect::GetItems(std::array<TFieldItem, kExportItemCount>& items) const
{
    const QList<TFieldItem> entries = Entries();
    for (int i = 0; i < kExportItemCount && i < entries.size(); ++i)
        items[i] = entries[i];
}

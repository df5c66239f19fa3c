#include "core/ui/HeaderSelect.h"

#include "ui_HeaderSelect.h"

#include "core/ItemNames.h"
#include "platform/ui/MessageBox.h"

#include <QListWidget>
#include <algorithm>

THeaderSelect::THeaderSelect(QWidget* owner) : TModalDialog(owner), ui(std::make_unique<Ui::THeaderSelect>())
{
    ui->setupUi(this);
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(ui->lvHeader, ui->btnOk);
    // "最上段" and "最下段" are the Tag 1 twins of "上" and "下".
    connect(ui->bbtnTop, &QPushButton::clicked, this, [this] { moveFocused(-1, true); });
    connect(ui->bbtnUp, &QPushButton::clicked, this, [this] { moveFocused(-1, false); });
    connect(ui->bbtnDown, &QPushButton::clicked, this, [this] { moveFocused(1, false); });
    connect(ui->bbtnBottom, &QPushButton::clicked, this, [this] { moveFocused(1, true); });
    connect(ui->bbtnAll, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < ui->lvHeader->count(); ++i)
            ui->lvHeader->item(i)->setCheckState(Qt::Checked);
    });
    connect(ui->bbtnReView, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < ui->lvHeader->count(); ++i)
            ui->lvHeader->item(i)->setCheckState(
                AdrsListColumnDefs[size_t(entries_[size_t(i)].Position)].defaultShown ? Qt::Checked : Qt::Unchecked);
    });
    connect(ui->bbtnReSort, &QPushButton::clicked, this, [this] {
        const THourglass hourglass;
        storeChecks();
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const TListColumnSetting& a, const TListColumnSetting& b) { return a.Position < b.Position; });
        fillList(0);
    });
    connect(ui->lvHeader, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(ui->lvHeader, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            ui->lvHeader->scrollToItem(item);
    });
    connect(ui->btnOk, &QPushButton::clicked, this, &THeaderSelect::onOk);
    connect(ui->btnCancel, &QPushButton::clicked, this, &THeaderSelect::reject);
    SetColumns(DefaultListColumns());
}

THeaderSelect::~THeaderSelect() = default;

void THeaderSelect::SetColumns(std::span<const TListColumnSetting> entries)
{
    if (IsValidListColumns(entries)) {
        entries_.assign(entries.begin(), entries.end());
    } else {
        const TListColumnSettings defaults = DefaultListColumns();
        entries_.assign(defaults.begin(), defaults.end());
    }
    fillList(0);
}

TListColumnSettings THeaderSelect::GetColumns() const
{
    TListColumnSettings out;
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = entries_[i];
        out[i].Shown = ui->lvHeader->item(int(i))->checkState() == Qt::Checked;
    }
    return out;
}

void THeaderSelect::fillList(int focusRow)
{
    QListWidget* list = ui->lvHeader;
    list->clear();
    for (const TListColumnSetting& e : entries_) {
        auto* item = new QListWidgetItem(AdrsListColumnCaption(e.Position, KeywordNames.data()), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(e.Shown ? Qt::Checked : Qt::Unchecked);
    }
    list->setCurrentRow(focusRow);
}

void THeaderSelect::storeChecks()
{
    for (size_t i = 0; i < entries_.size(); ++i)
        entries_[i].Shown = ui->lvHeader->item(int(i))->checkState() == Qt::Checked;
}

void THeaderSelect::moveFocused(int step, bool toEnd)
{
    QListWidget* list = ui->lvHeader;
    const int from = list->currentRow();
    const int last = list->count() - 1;
    if (from < 0)
        return;
    const int to = toEnd ? (step < 0 ? 0 : last) : std::clamp(from + step, 0, last);
    if (to == from)
        return;
    // The row goes with its caption and check; the entries between shift by
    // one so that they keep the rows' order.
    QListWidgetItem* item = list->takeItem(from);
    list->insertItem(to, item);
    const TListColumnSetting moved = entries_[size_t(from)];
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, moved);
    list->setCurrentRow(to);
    list->setFocus();
}

void THeaderSelect::onOk()
{
    for (int i = 0; i < ui->lvHeader->count(); ++i)
        if (ui->lvHeader->item(i)->checkState() == Qt::Checked) {
            accept();
            return;
        }
    ShowMessage(this, QStringLiteral("表示する項目は１つ以上選択してください  "), MB_OK | MB_ICONINFORMATION);
    ui->lvHeader->setFocus();
}

#include "records/InputList.h"

#include "ui_InputList.h"

#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/HistoryData.h"
#include "core/ItemNames.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/ui/MessageBox.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cerrno>

namespace {

const QString kEnterName = QStringLiteral("名称を入力してください  ");
const QString kSameName = QStringLiteral("既に同じ名称が登録されています  ");

// Rows one font height plus two pixels high.
class TRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(option.fontMetrics.height() + 2);
        return size;
    }
};

} // namespace

int TInputList::NameLength(int kind)
{
    static constexpr int kLengths[kListCount] = {100, 50, 10, 100, 100, 100};
    return kind >= 0 && kind < kListCount ? kLengths[kind] : 0;
}

TInputList::TInputList(QWidget* owner) : TModalDialog(owner), ui(std::make_unique<Ui::TInputList>())
{
    ui->setupUi(this);
    QTabBar* tabs = ui->tabctlInputList;
    tabs->addTab(QStringLiteral(" 部署 "));
    tabs->addTab(QStringLiteral(" 役職 "));
    tabs->addTab(QStringLiteral(" 敬称 "));
    for (int n = 6; n <= 8; ++n)
        tabs->addTab(QLatin1Char(' ') + KeywordNames[size_t(n - 1)] + QLatin1Char(' '));
    tabs->setCurrentIndex(0);
    ui->lbxList->setItemDelegate(new TRowDelegate(ui->lbxList));

    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->Keep(ui->edtName);
    enter->SetNext(ui->lbxList, ui->edtName);
    ui->edtName->installEventFilter(this);

    connect(tabs, &QTabBar::currentChanged, this, &TInputList::tabChanged);
    connect(ui->bbtnAdd, &QPushButton::clicked, this, &TInputList::bbtnAddClick);
    connect(ui->bbtnUpdate, &QPushButton::clicked, this, &TInputList::bbtnUpdateClick);
    connect(ui->bbtnDelete, &QPushButton::clicked, this, &TInputList::bbtnDeleteClick);
    connect(ui->bbtnUp, &QPushButton::clicked, this, &TInputList::bbtnUpClick);
    connect(ui->bbtnDown, &QPushButton::clicked, this, &TInputList::bbtnDownClick);
    connect(ui->btnOk, &QPushButton::clicked, this, &TInputList::btnOkClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TInputList::reject);
    connect(ui->lbxList, &QListWidget::itemSelectionChanged, this, &TInputList::updateMoveButtons);
    connect(ui->lbxList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        ui->edtName->setText(item->text());
        FocusControl(ui->edtName);
    });

    showTab();
    ui->edtName->setFocus();
}

TInputList::~TInputList() = default;

int TInputList::Execute(QWidget* owner, int kind)
{
    std::optional<THourglass> hourglass(std::in_place);
    TInputList dialog(owner);
    dialog.SetListKind(kind);
    hourglass.reset();
    dialog.ShowModal();
    return dialog.GetChangedLists();
}

void TInputList::SetListKind(int kind)
{
    if (kind < 0 || kind >= kListCount)
        return;
    ui->tabctlInputList->setCurrentIndex(kind); // tabChanged when it is another tab
    ui->edtName->setFocus();
}

THistoryData* TInputList::history(int kind) const
{
    if (!DMTelvora21)
        return nullptr;
    switch (kind) {
    case lkDptmnt: return &DMTelvora21->DptmntHistory();
    case lkPost: return &DMTelvora21->PostHistory();
    case lkHonor: return &DMTelvora21->HonorHistory();
    case lkKeyword6:
    case lkKeyword7:
    case lkKeyword8: return &DMTelvora21->KeywordHistory(kind - lkKeyword6 + 6);
    default: return nullptr;
    }
}

// ---------------------------------------------------------------- tabs

void TInputList::tabChanged(int index)
{
    if (index < 0 || index == tab_)
        return;
    keepTab();
    tab_ = index;
    showTab();
}

void TInputList::keepTab()
{
    TTabState& state = tabs_[size_t(tab_)];
    state.name = ui->edtName->text();
    state.work = entries();
    state.selected = selectedRows();
}

void TInputList::showTab()
{
    const TTabState& state = tabs_[size_t(tab_)];
    ui->edtName->SetMaxBytes(NameLength(tab_));
    ui->edtName->setText(state.name);
    QStringList list;
    if (state.work) {
        list = *state.work;
    } else if (const THistoryData* stored = history(tab_)) {
        for (int i = 0; i < stored->GetCount(); ++i)
            list << stored->GetItem(i);
    }
    ui->lbxList->clear();
    ui->lbxList->addItems(list);
    selectRows(state.selected, state.selected.isEmpty() ? -1 : state.selected.first());
    updateMoveButtons();
}

// ---------------------------------------------------------------- the list

QStringList TInputList::entries() const
{
    QStringList list;
    for (int i = 0; i < ui->lbxList->count(); ++i)
        list << ui->lbxList->item(i)->text();
    return list;
}

QList<int> TInputList::selectedRows() const
{
    QList<int> rows;
    for (int i = 0; i < ui->lbxList->count(); ++i)
        if (ui->lbxList->item(i)->isSelected())
            rows << i;
    return rows;
}

void TInputList::selectRows(const QList<int>& rows, int current)
{
    QListWidget* list = ui->lbxList;
    const QSignalBlocker blocker(list);
    list->clearSelection();
    if (current >= 0 && current < list->count())
        list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    for (int row : rows)
        if (QListWidgetItem* item = list->item(row))
            item->setSelected(true);
}

void TInputList::updateMoveButtons()
{
    const QList<int> rows = selectedRows();
    ui->bbtnUp->setEnabled(!rows.isEmpty() && rows.first() != 0);
    ui->bbtnDown->setEnabled(!rows.isEmpty() && rows.last() != ui->lbxList->count() - 1);
}

QString TInputList::typedName() const
{
    // Cut as leaving the edit would, so the list shows what will be stored.
    return cp932::CutToBytes(cp932::Trim(ui->edtName->text()), NameLength(tab_));
}

void TInputList::info(const QString& text, QWidget* focus)
{
    ShowMessage(this, text, MB_OK | MB_ICONINFORMATION);
    FocusControl(focus);
}

bool TInputList::anyModified() const
{
    return std::any_of(tabs_.begin(), tabs_.end(), [](const TTabState& s) { return s.modified; });
}

// ---------------------------------------------------------------- buttons

void TInputList::bbtnAddClick()
{
    const QString name = typedName();
    if (name.isEmpty())
        return info(kEnterName, ui->edtName);
    if (entries().contains(name))
        return info(kSameName, ui->edtName);
    // The stored list keeps at most this many; more would be lost unseen on OK.
    const THistoryData* stored = history(tab_);
    const int maxCount = stored ? stored->MaxCount() : 100;
    if (ui->lbxList->count() >= maxCount)
        return info(QStringLiteral("入力リストに登録できるのは%1件までです  ").arg(FullWidthNumber(maxCount)),
                    ui->edtName);
    ui->lbxList->insertItem(0, name);
    selectRows({0}, 0);
    updateMoveButtons();
    markModified();
    ui->edtName->clear();
    FocusControl(ui->edtName);
}

void TInputList::bbtnUpdateClick()
{
    const QString name = typedName();
    if (name.isEmpty())
        return info(kEnterName, ui->edtName);
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return info(QStringLiteral("変更するデータを選択してください  "), ui->lbxList);
    if (rows.size() > 1)
        return info(QStringLiteral("変更するデータを１件だけ選択してください  "), ui->lbxList);
    const int row = rows.first();
    for (int i = 0; i < ui->lbxList->count(); ++i)
        if (i != row && ui->lbxList->item(i)->text() == name)
            return info(kSameName, ui->edtName);
    ui->lbxList->item(row)->setText(name);
    selectRows({row}, row);
    updateMoveButtons();
    markModified();
    ui->edtName->clear();
    FocusControl(ui->edtName);
}

void TInputList::bbtnDeleteClick()
{
    const QList<int> rows = selectedRows();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        delete ui->lbxList->takeItem(*it);
    if (!rows.isEmpty())
        markModified();
    updateMoveButtons();
    FocusControl(ui->edtName);
}

void TInputList::bbtnUpClick()
{
    QList<int> rows = selectedRows();
    if (rows.isEmpty() || rows.first() == 0)
        return;
    QListWidget* list = ui->lbxList;
    for (int& row : rows) {
        const QString above = list->item(row - 1)->text();
        list->item(row - 1)->setText(list->item(row)->text());
        list->item(row)->setText(above);
        --row;
    }
    selectRows(rows, rows.first());
    markModified();
    updateMoveButtons();
}

void TInputList::bbtnDownClick()
{
    QList<int> rows = selectedRows();
    QListWidget* list = ui->lbxList;
    if (rows.isEmpty() || rows.last() == list->count() - 1)
        return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        int& row = *it;
        const QString below = list->item(row + 1)->text();
        list->item(row + 1)->setText(list->item(row)->text());
        list->item(row)->setText(below);
        ++row;
    }
    selectRows(rows, rows.last());
    markModified();
    updateMoveButtons();
}

void TInputList::btnOkClick()
{
    if (SaveLists())
        accept();
}

bool TInputList::SaveLists()
{
    std::optional<THourglass> hourglass(std::in_place);
    tabs_[size_t(tab_)].work = entries();
    for (int kind = 0; kind < kListCount; ++kind) {
        TTabState& state = tabs_[size_t(kind)];
        if (!state.modified)
            continue;
        THistoryData* stored = history(kind);
        const QStringList& work = *state.work; // made when the tab was left, or just now
        int error = 0; // errno of a write tried; a list too long for its file never reached one
        if (stored && work.size() <= stored->MaxCount()) {
            // Built beside the stored list, which changes only once its file
            // is written: a failed write leaves list and file alike.
            THistoryData updated = *stored;
            updated.Clear();
            const int n = int(work.size());
            for (int i = 0; i < n; ++i)
                updated.Add(work[i], StoredToDateTime(n - i)); // the first entry is the newest
            if (updated.Save()) {
                *stored = std::move(updated);
                state.modified = false;
                changedLists_ |= 1 << kind;
                continue;
            }
            error = errno;
        }
        hourglass.reset();
        ShowMessage(this,
                    cp932::Trim(ui->tabctlInputList->tabText(kind)) +
                        QStringLiteral("のリストが保存できませんでした  ") +
                        (error ? QStringLiteral("\r\n") + FileErrorCause(error) + QStringLiteral("  ") : QString()) +
                        (stored ? QStringLiteral("\r\n") + stored->FileName() + QStringLiteral("  ") : QString()),
                    MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- keys and cancel

bool TInputList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->edtName && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!ui->edtName->text().isEmpty())
                ui->bbtnAdd->click();
            else
                FocusControl(anyModified() ? ui->btnOk : ui->btnCancel);
            return true;
        }
    }
    return TModalDialog::eventFilter(watched, event);
}

void TInputList::reject()
{
    if (anyModified()) {
        QStringList lines;
        for (int kind = 0; kind < kListCount; ++kind)
            if (tabs_[size_t(kind)].modified)
                lines << ui->tabctlInputList->tabText(kind) + QStringLiteral("  ");
        lines << QString() << QStringLiteral("以上のリストが変更されています  ")
              << QStringLiteral("このままキャンセルすると変更内容が破棄されますが  ")
              << QStringLiteral("よろしいですか？  ");
        if (ShowMessage(this, lines.join(QStringLiteral("\r\n")), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
            IDYES)
            return;
    }
    TModalDialog::reject();
}

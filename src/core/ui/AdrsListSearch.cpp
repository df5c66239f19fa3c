// The main window's word search, its duplicate display and its column
// choice.
#include "core/ui/AdrsList.h"

#include "ui_AdrsList.h"

#include "core/DuplicateSets.h"
#include "core/WordSearch.h"
#include "core/ui/DuplicateSearch.h"
#include "core/ui/HeaderSelect.h"
#include "core/ui/WordSearch.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/MessageBox.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>

void TAddressList::setupSearchActions()
{
    connect(ui->actWordSearch, &QAction::triggered, this, &TAddressList::actWordSearchExecute);
    connect(ui->actWordSearchNext, &QAction::triggered, this, &TAddressList::actWordSearchNextExecute);
    connect(ui->actDuplicate, &QAction::triggered, this, &TAddressList::actDuplicateExecute);
    connect(ui->actHeaderSelect, &QAction::triggered, this, &TAddressList::actHeaderSelectExecute);
    ui->actWordSearchNext->setEnabled(!SearchWord.isEmpty());
}

// ---------------------------------------------------------------- word search

bool TAddressList::FindSearchWord(int from)
{
    int found = -1;
    {
        const THourglass hourglass;
        found = FindWordInList(model_, SearchWord, from);
    }
    if (found < 0) {
        ShowMessage(this, QStringLiteral("指定した文字列は見つかりませんでした  "), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    // The list's own focus moves, as a click would; the record window's row
    // stays where it is.
    const QModelIndex at = model_.index(found, 0);
    ui->lvAddress->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    ui->lvAddress->scrollTo(at);
    return true;
}

void TAddressList::actWordSearchExecute()
{
    TWordSearch dialog(this);
    dialog.SetWord(SearchWord);
    if (dialog.ShowModal() != mrOk)
        return;
    SearchWord = dialog.GetWord();
    ui->actWordSearchNext->setEnabled(!SearchWord.isEmpty());
    if (!SearchWord.isEmpty()) // an empty word ends the search
        FindSearchWord(0);
}

void TAddressList::actWordSearchNextExecute()
{
    if (!SearchWord.isEmpty())
        FindSearchWord(focusedIndex() + 1);
}

// ---------------------------------------------------------------- duplicates

void TAddressList::ShowDuplicates(int item1, int item2)
{
    if (item1 < 1 || item1 > kDuplicateItemCount) {
        EndDuplicateDisplay();
        return;
    }
    if (item2 < 1 || item2 > kDuplicateItemCount || item2 == item1)
        item2 = diNone;
    DupItem1 = item1;
    DupItem2 = item2;
    const THourglass hourglass;
    // The duplicate display drops the filter conditions, for good as the
    // filter's own clearing does; the group choice stays.
    if (!narrowDown_.Items.empty()) {
        narrowDown_ = {};
        narrowDownSuspended_ = false;
        saveNarrowDown();
        applyNarrowDown(false); // listed once, below
    }
    relist(
        [&] {
            model_.SetCondition({});
            model_.SetRowOrder(
                [item1, item2](const TAdrsListCache& cache) { return DuplicateRows(cache, item1, item2); });
        },
        false, false);
    // Told where the filter tells its own state: the list is not the whole book.
    SetFilterStatusText(QStringLiteral("重複データ表示中"));
    ui->lvAddress->header()->setSortIndicator(-1, Qt::AscendingOrder);
}

void TAddressList::EndDuplicateDisplay()
{
    DupItem1 = DupItem2 = diNone;
    if (!model_.HasRowOrder())
        return;
    const THourglass hourglass;
    applyNarrowDown(false); // the filter's state comes back to the status bar
    relist([this] { model_.SetRowOrder({}); }, false, false);
    // The sort chosen before comes back.
    const auto& shown = model_.Columns();
    const auto at = std::find(shown.begin(), shown.end(), model_.SortColumn());
    ui->lvAddress->header()->setSortIndicator(at == shown.end() ? -1 : int(at - shown.begin()),
                                              model_.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TAddressList::actDuplicateExecute()
{
    TDuplicateSearch dialog(this);
    dialog.SetItems(DupItem1, DupItem2);
    if (dialog.ShowModal() != mrOk)
        return;
    int item1 = 0, item2 = 0;
    dialog.GetItems(item1, item2);
    if (item1 == diNone)
        EndDuplicateDisplay();
    else
        ShowDuplicates(item1, item2);
}

// ---------------------------------------------------------------- columns

void TAddressList::actHeaderSelectExecute()
{
    THeaderSelect dialog(this);
    dialog.SetColumns(columns_);
    if (dialog.ShowModal() != mrOk)
        return;
    // New columns reset the rows' model, which forgets the selection: the
    // selected records are selected again afterwards.
    std::vector<int> selectedRecNos;
    for (const auto& [first, last] : selection().Intervals())
        for (int i = first; i <= last; ++i)
            selectedRecNos.push_back(GetRecNo(i));
    SetColumnSettings(dialog.GetColumns());
    std::vector<int> indexes;
    for (int recNo : selectedRecNos)
        if (const int i = IndexOfRecNo(recNo); i >= 0)
            indexes.push_back(i);
    selectIndexes(std::move(indexes));
}

// The main window's filter: the narrowing dialog, suspending and dropping
// the conditions, and the current filter kept in Search.lst.
#include "core/ui/AdrsList.h"

#include "ui_AdrsList.h"

#include "core/SearchPatterns.h"
#include "core/ui/AddressSearch.h"
#include "platform/FileErrors.h"
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QToolBar>
#include <memory>

void TAddressList::setupNarrowDown()
{
    ui->actAdrsSearch->setIcon(QIcon(QStringLiteral(":/glyphs/ADRSSCH.png")));
    ui->mmiData->addSeparator();
    ui->mmiData->addActions({ui->actAdrsSearch, ui->actDisableSearch, ui->actCancelSearch});
    ui->tbrMain->insertAction(ui->actRefresh, ui->actAdrsSearch);
    connect(ui->actAdrsSearch, &QAction::triggered, this, &TAddressList::actAdrsSearchExecute);
    connect(ui->actDisableSearch, &QAction::triggered, this, &TAddressList::actDisableSearchExecute);
    connect(ui->actCancelSearch, &QAction::triggered, this, &TAddressList::actCancelSearchExecute);

    const TSavedFilter saved = LoadSearchList();
    narrowDown_ = saved.Condition;
    narrowDownSuspended_ = saved.Disabled;
    applyNarrowDown(false); // the book opened next is listed with it
}

void TAddressList::applyNarrowDown(bool relistNow)
{
    const bool conditions = !narrowDown_.Items.empty();
    TAdrsListModel::TRowCondition condition;
    if (conditions && !narrowDownSuspended_) {
        // The rows are worked out for the whole cache at once, again whenever
        // the cache is loaded anew or the My Number lock changes.
        struct TPassing {
            std::uint64_t generation = 0;
            bool locked = false;
            std::vector<std::uint8_t> rows;
        };
        auto evaluator = std::make_shared<const TNarrowDownEvaluator>(narrowDown_);
        auto passing = std::make_shared<TPassing>();
        condition = [evaluator, passing](const TAdrsListCache& cache, int row) {
            const bool locked = evaluator->MyNumberLocked();
            if (passing->generation != cache.Generation() || passing->locked != locked
                || passing->rows.size() != size_t(cache.Count())) {
                passing->rows = evaluator->PassingRows(cache);
                passing->generation = cache.Generation();
                passing->locked = locked;
            }
            return passing->rows[size_t(row)] != 0;
        };
    }
    if (relistNow)
        SetRowCondition(std::move(condition));
    else
        model_.SetCondition(std::move(condition));
    SetFilterStatusText(!conditions ? QString()
                            : narrowDownSuspended_ ? QStringLiteral("絞り込み無効")
                                                   : QStringLiteral("絞り込み中"));
    ui->actDisableSearch->setEnabled(conditions);
    ui->actDisableSearch->setChecked(conditions && narrowDownSuspended_);
    ui->actCancelSearch->setEnabled(conditions);
}

void TAddressList::saveNarrowDown()
{
    // The filter applies either way; the user learns it will not be there
    // at the next start.
    if (!SaveSearchList({narrowDown_, narrowDownSuspended_}))
        ShowMessage(this, QStringLiteral("絞り込み条件が保存できませんでした  \r\n") + FileErrorCause(errno) + QStringLiteral("  "),
                    MB_ICONERROR);
}

void TAddressList::RunNarrowDown(const TNarrowDownCondition& condition)
{
    // A filter run ends the duplicate display.
    EndDuplicateDisplay();
    narrowDown_ = condition;
    narrowDownSuspended_ = false;
    saveNarrowDown();
    applyNarrowDown(true);
}

void TAddressList::ClearNarrowDown()
{
    narrowDown_ = {};
    narrowDownSuspended_ = false;
    saveNarrowDown();
    applyNarrowDown(true);
}

void TAddressList::actAdrsSearchExecute()
{
    TAddressSearch dialog(this);
    dialog.SetConditions(narrowDown_);
    if (dialog.ShowModal() != mrOk)
        return;
    TNarrowDownCondition condition;
    dialog.GetConditions(condition);
    RunNarrowDown(condition);
}

void TAddressList::actDisableSearchExecute()
{
    if (narrowDown_.Items.empty())
        return;
    narrowDownSuspended_ = !narrowDownSuspended_;
    saveNarrowDown();
    applyNarrowDown(true);
}

void TAddressList::actCancelSearchExecute() { ClearNarrowDown(); }

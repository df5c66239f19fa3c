#pragma once
// The rows of the address list: a table model over the open book's in-memory
// cache, owner-data style. Nothing is copied per row; the model keeps only
// the cache rows in sort order and the rows that pass the group choice and
// the filter, and builds a cell's text when the view asks for it.

#include "core/AdrsListCache.h"

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

class TAdrsListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A further test on a cache row (the list's filter conditions); empty
    // lets every row pass.
    using TRowCondition = std::function<bool(const TAdrsListCache&, int cacheRow)>;

    explicit TAdrsListModel(QObject* parent = nullptr);

    TAdrsListCache& Cache() { return cache_; }
    const TAdrsListCache& Cache() const { return cache_; }

    // The shown columns (column numbers of the column table) in display
    // order. A sort by a column no longer shown is dropped for the book's order.
    void SetColumns(std::vector<int> columns);
    const std::vector<int>& Columns() const { return columns_; }

    // Sort order: a column number, or -1 for the book's order (RecNo).
    // SortColumn always names the order the rows are in: a sort the rows
    // cannot have now (CanSortBy) is dropped for the book's order.
    void SetSort(int columnNo, bool descending);
    int SortColumn() const { return sortColumn_; }
    // Whether the rows can be sorted by the column now: by one the list
    // shows (an order no column shows is no order the user can see), and
    // not by one whose values are hidden behind the administrator lock
    // (masked values give away nothing, not even their order). -1 (the
    // book's order) always.
    bool CanSortBy(int columnNo) const;
    bool SortDescending() const { return sortDescending_; }

    // A fixed row order in place of the sort (the duplicate display): the
    // cache rows to list, in order, worked out anew whenever the cache is;
    // an empty function goes back to the sort. The group rule and the
    // condition still apply.
    using TRowOrder = std::function<std::vector<int>(const TAdrsListCache&)>;
    void SetRowOrder(TRowOrder order);
    bool HasRowOrder() const { return bool(rowOrder_); }

    // The group rule of the list: choice 0 every row, 1 rows without a
    // group, n > 1 rows of group n - 1.
    static bool PassesGroup(int groupChoice, std::int64_t group);
    void SetGroupChoice(int choice) { groupChoice_ = choice; }
    int GroupChoice() const { return groupChoice_; }
    void SetCondition(TRowCondition condition) { condition_ = std::move(condition); }
    // Group rule first, then the condition.
    bool RowPassesFilter(int cacheRow) const;

    // After the cache was (re)loaded: sorts again and re-lists.
    void Rebuild();
    // After the group choice or the condition changed: re-lists in the
    // current order.
    void Relist();

    int RowCount() const { return int(rows_.size()); }
    int CacheRow(int index) const { return rows_[size_t(index)]; }
    int RecNo(int index) const;           // -1 out of range
    int IndexOfRecNo(std::int64_t recNo) const; // -1 when not shown

    // The text a cell shows; for the tests and the list's own searches too.
    QString CellText(int index, int columnNo) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void sortOrder();
    void relistRows();

    TAdrsListCache cache_;
    std::vector<int> columns_;
    std::vector<int> order_; // every cache row, in sort order
    std::vector<int> rows_;  // the rows shown
    std::vector<int> shownAt_; // cache row -> index in rows_, -1 when not shown
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    int groupChoice_ = 0;
    TRowCondition condition_;
    TRowOrder rowOrder_;
};

// A cell's text straight from the cache (also used where no model exists).
QString AdrsListCellText(const TAdrsListCache& cache, int cacheRow, int columnNo);
// What the flag columns (代表電話, 個人会社区分) show for a flag set or not.
QString AdrsListFlagText(int columnNo, bool set);

// The key a text sorts by: its code page 932 bytes, a character the code
// page cannot hold after all of them (by code point). Compared as unsigned
// bytes, as std::string compares.
std::string Cp932SortKey(const QString& text);

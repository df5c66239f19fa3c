#pragma once
// TAddressList, the address-book main window: the records of the open book in
// a list (group choice, sorting, multiple selection, status bar), and the row,
// navigation, refresh and sender services that the record window, the
// designers and the list tools call through the global AddressList.

#include "core/AdrsListColumns.h"
#include "core/AdrsListLinks.h"
#include "core/AdrsListModel.h"
#include "core/AdrsListSelection.h"
#include "core/NarrowDown.h"

#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QTreeView;
struct TAdrsRecord;

namespace Ui {
class TAddressList;
}

class TAddressList : public QMainWindow, public TAddressListLink {
    Q_OBJECT
public:
    explicit TAddressList(QWidget* parent = nullptr);
    ~TAddressList() override;

    // Address books. OpenAdrsBook shows a message and returns false when
    // the book cannot be opened; the list then stays on the book it showed.
    bool OpenAdrsBook(const QString& name);
    bool CreateAdrsBookAndOpen(const QString& name);
    // Opens the last used book, else the default book (made when missing).
    bool OpenStartBook();
    // Asked before another book is opened; false keeps the open book (the
    // windows that hold data of the open book could not let it go).
    void SetBookChangeGuard(std::function<bool()> guard) { bookChangeGuard_ = std::move(guard); }

    // Rows.
    int GetRecordCount() const;
    int GetSelCount() const;
    bool IsSelected(int index) const;
    int GetRecNo(int index) const;
    int GetSelectedIndex() const;
    int GetLastSelectedIndex() const;
    int IndexOfRecNo(int recNo) const override;
    void SelectItem(int index, bool exclusive, bool makeVisible) override;

    // Current row and navigation: the row the record window stands on.
    // Reading a row makes it current and selects it alone; the user clicking
    // about in the list moves only the list's own focus.
    int GetCurrentIndex() const;
    void SetCurrentIndex(int index) override;
    bool IsFirstRecord() const;
    bool IsLastRecord() const;
    // A row that cannot be read for a failing table is told to the user
    // (and false returned), not taken for a row that is gone.
    bool ReadRecord(int recNo, TAdrsRecord& record) override;
    bool ReadRecordAt(int index, TAdrsRecord& record) override;
    bool ReadFirstRecord(TAdrsRecord& record);
    bool ReadPriorRecord(TAdrsRecord& record);
    bool ReadNextRecord(TAdrsRecord& record);
    bool ReadLastRecord(TAdrsRecord& record);

    // Refresh and notification.
    void RefreshList(bool reloadColumns, bool rebuild, bool keepTop) override;
    void NotifyRecordsUpdated(const QList<int>& recNos) override;
    void NotifyRecordsDeleted(const QList<int>& recNos) override;
    // Paints the list in [VIEW] BGColor while the record window shows one of
    // its records (the window answers through SetRecordWindowLink).
    void UpdateListColor();
    void SetRecordWindowLink(std::function<bool()> showsListRecord);

    // Senders, from Sender.DB in RecNo order.
    int GetSenderCount() const { return int(senders_.size()); }
    QString GetSenderTitle(int index) const;
    int GetSenderRecNo(int index) const;
    // False (and an empty list) when Sender.DB cannot be read; the start
    // reads them once the window shows and tells the user so.
    bool LoadSenderList(QString* cause = nullptr); // cause: why not, in Japanese

    // The record window's link, as the record window steps through the list.
    bool IsFirst() const override { return IsFirstRecord(); }
    bool IsLast() const override { return IsLastRecord(); }
    int Count() const override { return GetRecordCount(); }
    int CurrentIndex() const override { return GetCurrentIndex(); }
    // The list asks the record window itself (SetRecordWindowLink) whether
    // it shows one of its records.
    void UpdateColor() override { UpdateListColor(); }
    bool Move(TMoveKind kind, TAdrsRecord& record) override;
    int SenderCount() const override { return GetSenderCount(); }
    QString SenderTitle(int index) const override { return GetSenderTitle(index); }
    int SenderRecNo(int index) const override { return GetSenderRecNo(index); }
    void EditGroupNames() override;

    // Group choice and filter.
    int GetGroupChoice() const;
    void SetGroupChoice(int choice);
    bool RowPassesFilter(int cacheRow) const { return model_.RowPassesFilter(cacheRow); }
    // The filter's conditions, applied after the group rule; re-lists.
    void SetRowCondition(TAdrsListModel::TRowCondition condition);
    void SetFilterStatusText(const QString& text);

    // State kept here for the list tools.
    QString SearchWord;
    int DupItem1 = 0;
    int DupItem2 = 0;
    const TListColumnSettings& GetColumnSettings() const { return columns_; }
    // Takes new column settings, saves them and rebuilds the columns,
    // keeping the current record.
    void SetColumnSettings(const TListColumnSettings& columns);

    // Sort order: a column number (-1 the book's order); keeps the current
    // record and the selection.
    void SetSortColumn(int columnNo, bool descending);
    // The administrator lock was switched: the filter is evaluated again and
    // a sort by values now hidden is dropped.
    void ProtectionChanged();

    // Word search, duplicate display and column choice (AdrsListSearch.cpp).
    // The search looks for SearchWord in the shown texts from row `from` on
    // and moves to the row found; false, with the message, when none holds it.
    bool FindSearchWord(int from);
    // Lists only the records whose item (or both items) equals another
    // record's, set by set: the filter conditions are dropped, blank items
    // left out and the column sort is off until EndDuplicateDisplay.
    void ShowDuplicates(int item1, int item2);
    void EndDuplicateDisplay();
    bool IsShowingDuplicates() const { return model_.HasRowOrder(); }
    void actWordSearchExecute();
    void actWordSearchNextExecute();
    void actDuplicateExecute();
    void actHeaderSelectExecute();
    void setupSearchActions(); // the constructor's hook

    const TAdrsListModel& Model() const { return model_; }
    QTreeView* ListView() const;

    // Edits the ten group names; the record window runs it from its
    // group-name button.
    QAction* actEditGroup = nullptr;
    void actEditGroupExecute();

signals:
    void recordsUpdated(const QList<int>& recNos);
    void recordsDeleted(const QList<int>& recNos);
    // The user asked to see the record of a row (double click, Enter, menu).
    void openRecordRequested(int index);
    // The user asked for empty input of a new record.
    void newRecordRequested();
    // The user asked for the name/address search or the category search.
    void nameAdrsSearchRequested();
    void categorySearchRequested();
    // The user asked to set the keyword or protected-memo item names.
    void keywordItemsEditRequested();
    void protectMemoItemsEditRequested();
    // The user asked to edit the sender records (the designers' way in
    // until they exist).
    void senderEditRequested();
    // The user asked for the copy to another book.
    void adrsCopyRequested();
    // The selection changed; the list was re-listed.
    void listSelectionChanged();
    void listRebuilt();
    void groupNamesChanged();
    void adrsBookChanged();
    // The user asked for the settings window.
    void settingsEditRequested();
    // The window was closed (the program ends with it).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void relist(const std::function<void()>& change, bool keepIndexWhenGone, bool keepTop);
    void applyColumns();
    void fillGroupCombo();
    void updateStatus();
    void updateTitle();
    const TRowIntervals& selection() const;
    void selectIndexes(std::vector<int> indexes);
    void loadWindowSettings();
    // False when the file could not be written.
    bool saveWindowSettings();
    bool saveListSettings();
    void onHeaderClicked(int section);
    // The header's arrow on the column the rows are sorted by, none when
    // they are in the book's order or the duplicate sets' own.
    void showSortArrow();
    void onOpenAdrsBook();
    void onNewAdrsBook();
    void requestOpen(int index);
    int focusedIndex() const; // the row the user last clicked or moved to


    std::unique_ptr<Ui::TAddressList> ui;
    TAdrsListModel model_;
    TListColumnSettings columns_;
    QComboBox* cbxGroup = nullptr;
    QLabel* pnlBook = nullptr;
    QLabel* pnlCount = nullptr;
    QLabel* pnlSelect = nullptr;
    QLabel* pnlFilter = nullptr;
    mutable std::optional<TRowIntervals> selection_;
    std::vector<std::pair<int, QString>> senders_;
    std::function<bool()> recordWindowLink_;
    std::function<bool()> bookChangeGuard_;
    bool applyingColumns_ = false;
    int current_ = -1;

    // Filter (narrowing), AdrsListFilter.cpp: the current conditions, kept in
    // Search.lst; applied after the group rule while not suspended.
public:
    // Takes conditions as the current filter (resumed) and re-lists.
    void RunNarrowDown(const TNarrowDownCondition& condition);
    // Drops the conditions (an empty filter, all must hold) and re-lists.
    void ClearNarrowDown();
    const TNarrowDownCondition& NarrowDownCondition() const { return narrowDown_; }
    bool NarrowDownSuspended() const { return narrowDownSuspended_; }
    void actAdrsSearchExecute();
    void actDisableSearchExecute();
    void actCancelSearchExecute();

private:
    void setupNarrowDown();
    void applyNarrowDown(bool relist);
    void saveNarrowDown();
    TNarrowDownCondition narrowDown_;
    bool narrowDownSuspended_ = false;
};

// The one main window while the program runs; nullptr before and after.
extern TAddressList* AddressList;

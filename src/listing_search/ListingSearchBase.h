#pragma once
// What the category search and the name/address search share: the result
// list of the shown page, the navigation the record window drives through it,
// the worker thread that pages through the listing source, and the rule that
// only one of the two searches at a time uses the library.

#include "listing_search/FieldItem.h"
#include "listing_search/ListingSource.h"

#include <QWidget>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

inline constexpr int kExportItemCount = 19;
// Caption of each export item and the flag the export reads per item.
QString ExportItemCaption(int itemNo);
bool ExportItemFlag(int itemNo);
std::array<TFieldItem, kExportItemCount> DefaultExportItems();

class TListingSearchBase : public QWidget {
    Q_OBJECT
public:
    explicit TListingSearchBase(QWidget* parent = nullptr);
    ~TListingSearchBase() override;

    // Navigation over the results of the shown page: each loads the listing,
    // makes it current and selects its row; false when there is none.
    bool FirstResult(TListingDetail& listing);
    bool PriorResult(TListingDetail& listing);
    bool NextResult(TListingDetail& listing);
    bool LastResult(TListingDetail& listing);
    bool IsFirstResult() const;
    bool IsLastResult() const;
    int GetResultCount() const { return int(results_.size()); }
    int GetResultIndex() const { return resultIndex_; }
    // -1 .. count - 1; other values are ignored.
    void SetResultIndex(int index);
    bool GetResult(int index, TListingDetail& listing) const;

    // The record window says whether it shows a listing of this search;
    // UpdateResultColor then paints the list in [VIEW] BGColor.
    void SetShownInRecordWindow(bool shown) { shownInRecordWindow_ = shown; }
    void UpdateResultColor();

    const std::array<TFieldItem, kExportItemCount>& GetExportItems() const { return exportItems_; }
    void SetExportItems(const std::array<TFieldItem, kExportItemCount>& items) { exportItems_ = items; }

    // Starts the search of the first page of the window's condition.
    void StartSearch();
    void StartCount();
    void ShowNextPage();
    void ShowPriorPage();
    void StopSearch();
    bool IsSearching() const { return searching_; }
    // Waits for the worker (tests, closing).
    void WaitForSearch();

signals:
    // A listing is to be opened in the record window.
    void openListing(int index);
    void searchFinished(int rc);

protected:
    // Called after setupUi: finds the shared controls by their names.
    void BindControls();
    // The condition of the window's controls; false after telling the user
    // what is missing.
    virtual bool BuildCondition(TSearchCondition& cond) = 0;
    // Enables or disables the controls that start a search.
    virtual void SetConditionEnabled(bool enabled) = 0;

private:
    void RunWorker(int mode, int pageNo, TSearchCondition cond, TSearchCursor cursor);
    void PageArrived(std::vector<TListingDetail> page, int rc, TSearchCursor next, int hits, int mode);
    void FillList();
    bool Select(int index, TListingDetail& listing);
    void UpdateButtons();
    void OtherSearchBusy(QObject* who, bool busy);
    void SetStatus(const QString& text);

    QTreeWidget* lvResult_ = nullptr;
    QPushButton* btnSearch_ = nullptr;
    QPushButton* btnCount_ = nullptr;
    QPushButton* btnStop_ = nullptr;
    QPushButton* btnPriorPage_ = nullptr;
    QPushButton* btnNextPage_ = nullptr;
    QLabel* lblStatus_ = nullptr;

    std::vector<TListingDetail> results_;
    int resultIndex_ = -1;
    TSearchCondition condition_;
    std::vector<TSearchCursor> pageStarts_; // start of every page shown so far
    int pageNo_ = -1;
    TSearchCursor nextPage_;
    bool morePages_ = false;
    bool searching_ = false;
    bool otherBusy_ = false;
    bool shownInRecordWindow_ = false;
    std::thread worker_;
    std::array<TFieldItem, kExportItemCount> exportItems_ = DefaultExportItems();
};

// Set while the user has pressed Stop; the search callback then answers 0.
extern std::atomic<bool> ListingSearchStop;

#include "listing_search/ListingSearchBase.h"

#include "core/Settings.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

std::atomic<bool> ListingSearchStop{false};

namespace {

struct ExportItemRow {
    const char16_t* caption;
    bool flag;
};

constexpr ExportItemRow kExportItems[kExportItemCount] = {
    {u"電話番号", false},   {u"代表電話", false},     {u"FAX番号", false},    {u"郵便番号", true},
    {u"住所カナ", true},    {u"都道府県", false},     {u"住所１", true},      {u"住所２", true},
    {u"市町村コード", true}, {u"会社名カナ", true},    {u"会社名", true},      {u"名前カナ", true},
    {u"名前", true},        {u"個人会社区分", true},  {u"初期掲載年月", false}, {u"大分類名", false},
    {u"大分類コード", false}, {u"小分類名", false},     {u"小分類コード", false},
};

// Both searches use the one library: whoever searches tells the other.
class TSearchActivity : public QObject {
    Q_OBJECT
public:
    static TSearchActivity& Instance()
    {
        static TSearchActivity activity;
        return activity;
    }
    QObject* busy = nullptr;
signals:
    void busyChanged(QObject* who, bool busy);
};

enum WorkerMode { kModePage = 0, kModeCount = 1 };

} // namespace

QString ExportItemCaption(int itemNo)
{
    return itemNo >= 0 && itemNo < kExportItemCount ? QString::fromUtf16(kExportItems[itemNo].caption) : QString();
}

bool ExportItemFlag(int itemNo)
{
    return itemNo >= 0 && itemNo < kExportItemCount && kExportItems[itemNo].flag;
}

std::array<TFieldItem, kExportItemCount> DefaultExportItems()
{
    std::array<TFieldItem, kExportItemCount> items;
    for (int i = 0; i < kExportItemCount; ++i)
        items[i] = TFieldItem{i, i, true};
    return items;
}

TListingSearchBase::TListingSearchBase(QWidget* parent) : QWidget(parent, Qt::Window)
{
    connect(&TSearchActivity::Instance(), &TSearchActivity::busyChanged, this,
            &TListingSearchBase::OtherSearchBusy);
}

TListingSearchBase::~TListingSearchBase()
{
    if (worker_.joinable()) {
        ListingSearchStop = true;
        worker_.join();
    }
    if (searching_)
        QApplication::restoreOverrideCursor();
    TSearchActivity& activity = TSearchActivity::Instance();
    if (activity.busy == this) {
        activity.busy = nullptr;
        ListingSearchStop = false;
        emit activity.busyChanged(this, false);
    }
}

void TListingSearchBase::BindControls()
{
    lvResult_ = findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    btnSearch_ = findChild<QPushButton*>(QStringLiteral("btnSearch"));
    btnCount_ = findChild<QPushButton*>(QStringLiteral("btnCount"));
    btnStop_ = findChild<QPushButton*>(QStringLiteral("btnStop"));
    btnPriorPage_ = findChild<QPushButton*>(QStringLiteral("btnPriorPage"));
    btnNextPage_ = findChild<QPushButton*>(QStringLiteral("btnNextPage"));
    lblStatus_ = findChild<QLabel*>(QStringLiteral("lblStatus"));
    Q_ASSERT(lvResult_ && btnSearch_ && btnCount_ && btnStop_ && btnPriorPage_ && btnNextPage_ && lblStatus_);

    lvResult_->setRootIsDecorated(false);
    lvResult_->setUniformRowHeights(true);
    lvResult_->header()->setStretchLastSection(true);
    connect(btnSearch_, &QPushButton::clicked, this, &TListingSearchBase::StartSearch);
    connect(btnCount_, &QPushButton::clicked, this, &TListingSearchBase::StartCount);
    connect(btnStop_, &QPushButton::clicked, this, &TListingSearchBase::StopSearch);
    connect(btnNextPage_, &QPushButton::clicked, this, &TListingSearchBase::ShowNextPage);
    connect(btnPriorPage_, &QPushButton::clicked, this, &TListingSearchBase::ShowPriorPage);
    connect(lvResult_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int index = lvResult_->indexOfTopLevelItem(item);
        SetResultIndex(index);
        if (index >= 0)
            emit openListing(index);
    });
    TSearchActivity& activity = TSearchActivity::Instance();
    otherBusy_ = activity.busy != nullptr && activity.busy != this;
    UpdateButtons();
}

// ---- navigation ------------------------------------------------------------

bool TListingSearchBase::Select(int index, TListingDetail& listing)
{
    if (index < 0 || index >= GetResultCount())
        return false;
    SetResultIndex(index);
    listing = results_[index];
    return true;
}

bool TListingSearchBase::FirstResult(TListingDetail& listing) { return Select(0, listing); }
bool TListingSearchBase::LastResult(TListingDetail& listing) { return Select(GetResultCount() - 1, listing); }
bool TListingSearchBase::NextResult(TListingDetail& listing) { return Select(resultIndex_ + 1, listing); }

bool TListingSearchBase::PriorResult(TListingDetail& listing)
{
    // Before the first result there is nothing to go back to.
    return resultIndex_ > 0 && Select(resultIndex_ - 1, listing);
}

bool TListingSearchBase::IsFirstResult() const { return results_.empty() || resultIndex_ <= 0; }
bool TListingSearchBase::IsLastResult() const { return results_.empty() || resultIndex_ >= GetResultCount() - 1; }

void TListingSearchBase::SetResultIndex(int index)
{
    if (index < -1 || index >= GetResultCount())
        return;
    resultIndex_ = index;
    if (!lvResult_)
        return;
    if (index < 0) {
        lvResult_->clearSelection();
        lvResult_->setCurrentItem(nullptr);
        return;
    }
    QTreeWidgetItem* item = lvResult_->topLevelItem(index);
    lvResult_->setCurrentItem(item);
    lvResult_->scrollToItem(item);
}

bool TListingSearchBase::GetResult(int index, TListingDetail& listing) const
{
    if (index < 0 || index >= GetResultCount())
        return false;
    listing = results_[index];
    return true;
}

void TListingSearchBase::UpdateResultColor()
{
    if (!lvResult_)
        return;
    QPalette pal = lvResult_->style()->standardPalette();
    // [VIEW] is read once, by the settings, with its one default.
    if (shownInRecordWindow_ && !results_.empty() && Settings().BGPaint)
        pal.setColor(QPalette::Base, Settings().BGQColor());
    lvResult_->setPalette(pal);
}

// ---- searching -------------------------------------------------------------

void TListingSearchBase::StartSearch()
{
    if (searching_ || otherBusy_)
        return;
    TSearchCondition cond;
    if (!BuildCondition(cond))
        return;
    RunWorker(kModePage, 0, cond, TSearchCursor{});
}

void TListingSearchBase::StartCount()
{
    if (searching_ || otherBusy_)
        return;
    TSearchCondition cond;
    if (!BuildCondition(cond))
        return;
    RunWorker(kModeCount, -1, cond, TSearchCursor{});
}

void TListingSearchBase::ShowNextPage()
{
    if (!searching_ && !otherBusy_ && morePages_)
        RunWorker(kModePage, pageNo_ + 1, condition_, nextPage_);
}

void TListingSearchBase::ShowPriorPage()
{
    if (searching_ || otherBusy_ || pageNo_ <= 0)
        return;
    RunWorker(kModePage, pageNo_ - 1, condition_, pageStarts_[pageNo_ - 1]);
}

void TListingSearchBase::StopSearch()
{
    if (searching_)
        ListingSearchStop = true;
}

void TListingSearchBase::WaitForSearch()
{
    while (searching_)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void TListingSearchBase::RunWorker(int mode, int pageNo, TSearchCondition cond, TSearchCursor cursor)
{
    if (worker_.joinable())
        worker_.join();
    searching_ = true;
    ListingSearchStop = false;
    TSearchActivity& activity = TSearchActivity::Instance();
    activity.busy = this;
    emit activity.busyChanged(this, true);
    UpdateButtons();
    SetStatus(QStringLiteral("検索中..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);

    worker_ = std::thread([this, mode, pageNo, cond, cursor] {
        TListingSource& source = ListingSource();
        const TSearchCallback callback = [](int) { return ListingSearchStop ? 0 : -1; };
        std::vector<TListingDetail> page;
        TSearchCursor next = cursor;
        int hits = 0;
        const int rc = mode == kModeCount ? source.Count(cond, hits, callback)
                                          : source.SearchPage(cond, next, page, callback);
        QMetaObject::invokeMethod(
            this,
            [this, page = std::move(page), rc, next, hits, mode, pageNo, cond, start = cursor]() mutable {
                // The paging state changes only with the page it belongs to:
                // a stopped or failed search leaves the shown page's.
                if (mode == kModePage && (rc == kListingPageFull || rc == kListingNoMoreData)) {
                    condition_ = cond;
                    pageNo_ = pageNo;
                    pageStarts_.resize(pageNo);
                    pageStarts_.push_back(start);
                }
                PageArrived(std::move(page), rc, next, hits, mode);
            },
            Qt::QueuedConnection);
    });
}

void TListingSearchBase::PageArrived(std::vector<TListingDetail> page, int rc, TSearchCursor next, int hits,
                                     int mode)
{
    if (worker_.joinable())
        worker_.join();
    QApplication::restoreOverrideCursor();
    searching_ = false;
    ListingSearchStop = false;
    TSearchActivity& activity = TSearchActivity::Instance();
    activity.busy = nullptr;
    emit activity.busyChanged(this, false);

    if (rc == kListingStopped) {
        SetStatus(QStringLiteral("検索を中止しました"));
    } else if (rc != kListingPageFull && rc != kListingNoMoreData) {
        SetStatus(QString());
        ShowMessage(this, ListingErrorMessage(mode == kModeCount ? QStringLiteral("Count") : QStringLiteral("Search"), rc),
                    MB_ICONERROR);
    } else if (mode == kModeCount) {
        SetStatus(QStringLiteral("該当件数 %1件").arg(hits));
    } else {
        results_ = std::move(page);
        resultIndex_ = -1;
        nextPage_ = next;
        morePages_ = rc == kListingPageFull;
        FillList();
        SetStatus(results_.empty() ? QStringLiteral("該当するデータはありません")
                                   : QStringLiteral("%1ページ目 %2件").arg(pageNo_ + 1).arg(results_.size()));
    }
    UpdateButtons();
    emit searchFinished(rc);
}

void TListingSearchBase::FillList()
{
    if (!lvResult_)
        return;
    lvResult_->clear();
    QList<QTreeWidgetItem*> items;
    for (const TListingDetail& d : results_)
        items << new QTreeWidgetItem(QStringList{d.Name, d.Tel, d.Tdfkn + d.City + d.JoinedAddress(), d.CategoryName()});
    lvResult_->addTopLevelItems(items);
    for (int c = 0; c < lvResult_->columnCount() - 1; ++c)
        lvResult_->resizeColumnToContents(c);
    UpdateResultColor();
}

void TListingSearchBase::OtherSearchBusy(QObject* who, bool busy)
{
    if (who == this)
        return;
    otherBusy_ = busy;
    UpdateButtons();
}

void TListingSearchBase::UpdateButtons()
{
    if (!btnSearch_)
        return;
    const bool idle = !searching_ && !otherBusy_;
    SetConditionEnabled(idle);
    btnSearch_->setEnabled(idle);
    btnCount_->setEnabled(idle);
    btnStop_->setEnabled(searching_);
    btnNextPage_->setEnabled(idle && morePages_);
    btnPriorPage_->setEnabled(idle && pageNo_ > 0);
}

void TListingSearchBase::SetStatus(const QString& text)
{
    if (lblStatus_)
        lblStatus_->setText(text);
}

#include "ListingSearchBase.moc"

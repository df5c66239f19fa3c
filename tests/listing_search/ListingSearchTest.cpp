#include "listing_search/CtgrySch.h"
#include "listing_search/NmAdSch.h"
#include "core/Folders.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QApplication>
#include <gtest/gtest.h>
#include <thread>

namespace {

TSampleListingSource& Sample()
{
    static TSampleListingSource source(AppPath() + QStringLiteral("Dic/SampleListing.txt"));
    return source;
}

// Pages of listings named after the key and their number, full pages or a
// last page of three; the first search for "hold" runs until the callback
// stops it. Remembers the key of every page asked for.
class TFakeSource : public TListingSource {
public:
    explicit TFakeSource(int pageSize = kListingPageSize) : pageSize(pageSize) {}
    int SearchPage(const TSearchCondition& cond, TSearchCursor& cursor, std::vector<TListingDetail>& page,
                   const TSearchCallback& callback) override
    {
        page.clear();
        keys.push_back(cond.Key);
        if (cond.Key == u"hold" && !held) {
            held = true;
            while (callback(0) != 0)
                std::this_thread::yield();
            return kListingStopped;
        }
        for (int i = 0; i < pageSize; ++i) {
            TListingDetail d;
            d.Name = cond.Key + QString::number(cursor.Next + i);
            page.push_back(d);
        }
        cursor.Next += pageSize;
        return pageSize == kListingPageSize ? kListingPageFull : kListingNoMoreData;
    }
    int Count(const TSearchCondition&, int& count, const TSearchCallback&) override { count = pageSize; return 1; }
    int TelLookup(const QString&, std::vector<TListingDetail>& found) override { found.clear(); return 1; }
    QString SourceName() const override { return QStringLiteral("fake"); }
    const int pageSize;
    std::vector<QString> keys;
    bool held = false;
};

class SourceScope {
public:
    explicit SourceScope(std::shared_ptr<TListingSource> s) { SetListingSource(std::move(s)); }
    ~SourceScope() { SetListingSource(nullptr); }
};

void SearchFor(TNameAdrsSearch& w, const QString& key)
{
    w.findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(key);
    w.StartSearch();
    w.WaitForSearch();
}

} // namespace

TEST(SampleListings, ShipSeveralHundredListingsOverSeveralPrefecturesAndCategories)
{
    EXPECT_GE(Sample().ListingCount(), 300);
    EXPECT_GE(Sample().Prefectures().size(), 5);
}

TEST(SampleListings, PagesComeInTwentiesUntilNoMoreData)
{
    TSearchCondition cond;
    cond.SearchKind = TSearchCondition::ByCategory;
    cond.CtgryMain = 11;
    int total = 0;
    ASSERT_EQ(Sample().Count(cond, total, nullptr), kListingNoMoreData);
    ASSERT_GT(total, 40);

    TSearchCursor cursor;
    std::vector<TListingDetail> page;
    int seen = 0, rc = kListingPageFull, pages = 0;
    while (rc == kListingPageFull && pages < 100) {
        rc = Sample().SearchPage(cond, cursor, page, nullptr);
        EXPECT_LE(int(page.size()), kListingPageSize);
        if (rc == kListingPageFull)
            EXPECT_EQ(int(page.size()), kListingPageSize);
        for (const TListingDetail& d : page)
            EXPECT_EQ(d.CategoryMain(), 11);
        seen += int(page.size());
        ++pages;
    }
    EXPECT_EQ(rc, kListingNoMoreData);
    EXPECT_EQ(seen, total);
}

TEST(SampleListings, CallbackAnsweringZeroStopsWithCode100)
{
    TSearchCondition cond;
    cond.SearchKind = TSearchCondition::ByName;
    TSearchCursor cursor;
    std::vector<TListingDetail> page;
    int calls = 0;
    const TSearchCallback stopAtThird = [&](int) { return ++calls >= 3 ? 0 : -1; };
    EXPECT_EQ(Sample().SearchPage(cond, cursor, page, stopAtThird), kListingStopped);
    EXPECT_EQ(calls, 3);
    int count = -1;
    calls = 0;
    EXPECT_EQ(Sample().Count(cond, count, stopAtThird), kListingStopped);
}

TEST(SampleListings, FindsByNameReadingAddressAndTelephone)
{
    TSearchCondition byName;
    byName.Key = QStringLiteral("やまだ"); // hiragana finds the half-width reading
    TSearchCursor cursor;
    std::vector<TListingDetail> page;
    Sample().SearchPage(byName, cursor, page, nullptr);
    ASSERT_FALSE(page.empty());
    for (const TListingDetail& d : page)
        EXPECT_TRUE(d.Name.contains(u"山田")) << d.Name.toStdString();

    TSearchCondition byAddress;
    byAddress.SearchKind = TSearchCondition::ByAddress;
    byAddress.Key = QStringLiteral("札幌市中央区大通西");
    cursor = {};
    Sample().SearchPage(byAddress, cursor, page, nullptr);
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page.front().Town, u"大通西");

    std::vector<TListingDetail> found;
    const QString tel = page.front().Tel;
    Sample().TelLookup(tel.left(3) + u'-' + tel.mid(3, 3) + u'-' + tel.mid(6), found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front().Name, page.front().Name);
}

TEST(SampleListings, MissingFileReportsTheLibraryAsNotLoadable)
{
    TSampleListingSource missing(QStringLiteral("/nonexistent/SampleListing.txt"));
    TSearchCursor cursor;
    std::vector<TListingDetail> page;
    EXPECT_EQ(missing.SearchPage(TSearchCondition(), cursor, page, nullptr), kListingNotLoadable);
    EXPECT_TRUE(missing.Prefectures().isEmpty());
}

TEST(ResultNavigation, MovesAcrossThreeListingsAndStopsAtBothEnds)
{
    SourceScope scope(std::make_shared<TFakeSource>(3));
    TNameAdrsSearch w;
    EXPECT_TRUE(w.IsFirstResult());
    EXPECT_TRUE(w.IsLastResult());
    TListingDetail d;
    EXPECT_FALSE(w.FirstResult(d));
    EXPECT_FALSE(w.LastResult(d));

    SearchFor(w, QStringLiteral("x"));
    ASSERT_EQ(w.GetResultCount(), 3);
    EXPECT_EQ(w.GetResultIndex(), -1);
    auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    using B = TListingSearchBase;
    const struct {
        bool (B::*move)(TListingDetail&);
        bool moved;
        int index;
        bool first, last;
    } steps[] = {
        {&B::PriorResult, false, -1, true, false}, {&B::FirstResult, true, 0, true, false},
        {&B::PriorResult, false, 0, true, false},  {&B::NextResult, true, 1, false, false},
        {&B::NextResult, true, 2, false, true},    {&B::NextResult, false, 2, false, true},
        {&B::PriorResult, true, 1, false, false},  {&B::LastResult, true, 2, false, true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        d.Name.clear();
        EXPECT_EQ((w.*s.move)(d), s.moved);
        EXPECT_EQ(d.Name, s.moved ? QStringLiteral("x%1").arg(s.index) : QString()); // a failed move leaves the listing alone
        EXPECT_EQ(w.GetResultIndex(), s.index);
        EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), s.index);
        EXPECT_EQ(w.IsFirstResult(), s.first);
        EXPECT_EQ(w.IsLastResult(), s.last);
    }
    w.SetResultIndex(3);  // out of range: ignored
    w.SetResultIndex(-2);
    EXPECT_EQ(w.GetResultIndex(), 2);
    w.SetResultIndex(-1);
    EXPECT_EQ(w.GetResultIndex(), -1);
    EXPECT_EQ(list->currentItem(), nullptr);
}

TEST(ResultNavigation, ActivatingARowOpensThatListing)
{
    SourceScope scope(std::make_shared<TFakeSource>(3));
    TNameAdrsSearch w;
    SearchFor(w, QStringLiteral("x"));
    int opened = -1;
    QObject::connect(&w, &TListingSearchBase::openListing, [&](int i) { opened = i; });
    auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    emit list->itemActivated(list->topLevelItem(2), 0);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(w.GetResultIndex(), 2);
}

TEST(SearchWindows, EmptyConditionAsksForInputAndDoesNotSearch)
{
    TMessageRecorder messages;
    TNameAdrsSearch name;
    name.StartSearch();
    EXPECT_FALSE(name.IsSearching());
    ASSERT_EQ(messages.Messages().size(), 1u);
    TCategorySearch category;
    category.StartSearch();
    EXPECT_FALSE(category.IsSearching());
    EXPECT_EQ(messages.Messages().size(), 2u);
}

TEST(SearchWindows, WhileOneSearchesTheOthersSearchControlsAreDisabled)
{
    TNameAdrsSearch name;
    TCategorySearch category;
    auto* other = category.findChild<QPushButton*>(QStringLiteral("btnSearch"));
    auto* main = category.findChild<QComboBox*>(QStringLiteral("cbxCtgryMain"));
    EXPECT_TRUE(other->isEnabled());
    name.findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("店"));
    name.StartSearch();
    EXPECT_TRUE(name.IsSearching());
    EXPECT_FALSE(other->isEnabled());
    EXPECT_FALSE(main->isEnabled());
    name.WaitForSearch();
    EXPECT_TRUE(other->isEnabled());
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(name.GetResultCount(), kListingPageSize);
    EXPECT_TRUE(name.findChild<QPushButton*>(QStringLiteral("btnNextPage"))->isEnabled());
}

TEST(SearchWindows, PagesForwardAndBack)
{
    TNameAdrsSearch w;
    SearchFor(w, QStringLiteral("店"));
    ASSERT_EQ(w.GetResultCount(), kListingPageSize);
    TListingDetail first;
    w.FirstResult(first);
    w.ShowNextPage();
    w.WaitForSearch();
    ASSERT_GT(w.GetResultCount(), 0);
    EXPECT_EQ(w.GetResultIndex(), -1);
    TListingDetail second;
    w.FirstResult(second);
    EXPECT_NE(second.Tel, first.Tel);
    w.ShowPriorPage();
    w.WaitForSearch();
    TListingDetail again;
    w.FirstResult(again);
    EXPECT_EQ(again.Tel, first.Tel);
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("btnPriorPage"))->isEnabled());
}

TEST(SearchWindows, CategorySearchKeepsToCategoryAndArea)
{
    TCategorySearch w;
    w.findChild<QComboBox*>(QStringLiteral("cbxCtgryMain"))->setCurrentIndex(11);
    auto* sub = w.findChild<QComboBox*>(QStringLiteral("cbxCtgrySub"));
    EXPECT_TRUE(sub->isEnabled());
    EXPECT_GT(sub->count(), 1);
    w.findChild<QComboBox*>(QStringLiteral("cbxTdfkn"))->setCurrentText(QStringLiteral("東京都"));
    w.StartSearch();
    w.WaitForSearch();
    ASSERT_GT(w.GetResultCount(), 0);
    for (int i = 0; i < w.GetResultCount(); ++i) {
        TListingDetail d;
        w.GetResult(i, d);
        EXPECT_EQ(d.Tdfkn, u"東京都");
        EXPECT_EQ(d.CategoryMain(), 11);
    }
}

TEST(SearchWindows, ExportListHasNineteenItemsInTableOrder)
{
    TCategorySearch w;
    const auto& items = w.GetExportItems();
    ASSERT_EQ(items.size(), 19u);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(items[i], (TFieldItem{i, i, true}));
}

TEST(SearchWindows, StoppedNewSearchLeavesTheShownPagesConditionForPaging)
{
    auto source = std::make_shared<TFakeSource>();
    SourceScope scope(source);
    TNameAdrsSearch w;
    SearchFor(w, QStringLiteral("first"));
    ASSERT_EQ(w.GetResultCount(), kListingPageSize);

    w.findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("hold"));
    w.StartSearch();
    ASSERT_TRUE(w.IsSearching());
    w.StopSearch();
    w.WaitForSearch();
    TListingDetail d;
    ASSERT_TRUE(w.FirstResult(d));
    EXPECT_EQ(d.Name, u"first0"); // the stopped search replaced nothing

    // The next page continues the listings that are shown.
    w.ShowNextPage();
    w.WaitForSearch();
    ASSERT_TRUE(w.FirstResult(d));
    EXPECT_EQ(d.Name, u"first20");
    EXPECT_EQ(source->keys.back(), u"first");
}

TEST(SearchWindows, ClosingTheWindowMidSearchStopsTheWorkerAndFreesTheOtherWindow)
{
    SourceScope scope(std::make_shared<TFakeSource>());
    TCategorySearch other;
    auto* otherSearch = other.findChild<QPushButton*>(QStringLiteral("btnSearch"));
    {
        auto* w = new TNameAdrsSearch;
        w->findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("hold"));
        w->StartSearch();
        ASSERT_TRUE(w->IsSearching());
        EXPECT_FALSE(otherSearch->isEnabled());
        delete w; // the worker is still running
    }
    QCoreApplication::processEvents(); // a late result must find nobody
    EXPECT_TRUE(otherSearch->isEnabled());
    EXPECT_FALSE(ListingSearchStop.load());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

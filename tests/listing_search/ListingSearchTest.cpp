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

// A source of three listings named A, B and C.
class ThreeListings : public TListingSource {
public:
    int SearchPage(const TSearchCondition&, TSearchCursor& cursor, std::vector<TListingDetail>& page,
                   const TSearchCallback&) override
    {
        page.clear();
        for (QString n : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
            TListingDetail d;
            d.Name = n;
            page.push_back(d);
        }
        cursor.Next = 3;
        return kListingNoMoreData;
    }
    int Count(const TSearchCondition&, int& count, const TSearchCallback&) override { count = 3; return 1; }
    int TelLookup(const QString&, std::vector<TListingDetail>& found) override { found.clear(); return 1; }
    QString SourceName() const override { return QStringLiteral("three"); }
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
    SourceScope scope(std::make_shared<ThreeListings>());
    TNameAdrsSearch w;
    EXPECT_TRUE(w.IsFirstResult());
    EXPECT_TRUE(w.IsLastResult());
    TListingDetail d;
    EXPECT_FALSE(w.FirstResult(d));
    EXPECT_FALSE(w.LastResult(d));

    SearchFor(w, QStringLiteral("x"));
    ASSERT_EQ(w.GetResultCount(), 3);
    EXPECT_EQ(w.GetResultIndex(), -1);
    EXPECT_TRUE(w.IsFirstResult());
    EXPECT_FALSE(w.IsLastResult());
    EXPECT_FALSE(w.PriorResult(d));

    ASSERT_TRUE(w.FirstResult(d));
    EXPECT_EQ(d.Name, u"A");
    EXPECT_TRUE(w.IsFirstResult());
    EXPECT_FALSE(w.PriorResult(d));
    EXPECT_EQ(w.GetResultIndex(), 0);

    ASSERT_TRUE(w.NextResult(d));
    EXPECT_EQ(d.Name, u"B");
    EXPECT_FALSE(w.IsFirstResult());
    EXPECT_FALSE(w.IsLastResult());
    auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), 1);

    ASSERT_TRUE(w.NextResult(d));
    EXPECT_EQ(d.Name, u"C");
    EXPECT_TRUE(w.IsLastResult());
    d.Name.clear();
    EXPECT_FALSE(w.NextResult(d));
    EXPECT_TRUE(d.Name.isEmpty()); // a failed move leaves the listing alone
    EXPECT_EQ(w.GetResultIndex(), 2);

    ASSERT_TRUE(w.PriorResult(d));
    EXPECT_EQ(d.Name, u"B");
    ASSERT_TRUE(w.LastResult(d));
    EXPECT_EQ(d.Name, u"C");

    w.SetResultIndex(3);  // out of range: ignored
    w.SetResultIndex(-2);
    EXPECT_EQ(w.GetResultIndex(), 2);
    w.SetResultIndex(-1);
    EXPECT_EQ(w.GetResultIndex(), -1);
    EXPECT_EQ(list->currentItem(), nullptr);
}

TEST(ResultNavigation, ActivatingARowOpensThatListing)
{
    SourceScope scope(std::make_shared<ThreeListings>());
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
    EXPECT_EQ(ExportItemCaption(0), u"電話番号");
    EXPECT_EQ(ExportItemCaption(18), u"小分類コード");
    EXPECT_TRUE(ExportItemFlag(3));
    EXPECT_FALSE(ExportItemFlag(14));
}

namespace {

// Full pages for any key; the first search for "hold" runs until the
// callback stops it. Remembers the key of every page asked for.
class RecordingSource : public TListingSource {
public:
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
        for (int i = 0; i < kListingPageSize; ++i) {
            TListingDetail d;
            d.Name = cond.Key + QString::number(cursor.Next + i);
            page.push_back(d);
        }
        cursor.Next += kListingPageSize;
        return kListingPageFull;
    }
    int Count(const TSearchCondition&, int& count, const TSearchCallback&) override { count = 0; return 1; }
    int TelLookup(const QString&, std::vector<TListingDetail>& found) override { found.clear(); return 1; }
    QString SourceName() const override { return QStringLiteral("recording"); }
    std::vector<QString> keys;
    bool held = false;
};

} // namespace

TEST(SearchWindows, StoppedNewSearchLeavesTheShownPagesConditionForPaging)
{
    auto source = std::make_shared<RecordingSource>();
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
    SourceScope scope(std::make_shared<RecordingSource>());
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

#include "core/Category.h"
#include "listing_search/CtgrySch.h"
#include "listing_search/DicSch.h"
#include "listing_search/NmAdSch.h"
#include "core/Folders.h"
#include "platform/Cp932.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QApplication>
#include <gtest/gtest.h>
#include <set>
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

std::vector<TListingDetail> AllListings()
{
    std::vector<TListingDetail> all;
    TSearchCondition everything; // by name, no key
    TSearchCursor cursor;
    std::vector<TListingDetail> page;
    int rc = kListingPageFull;
    while (rc == kListingPageFull) {
        rc = Sample().SearchPage(everything, cursor, page, nullptr);
        all.insert(all.end(), page.begin(), page.end());
    }
    EXPECT_EQ(rc, kListingNoMoreData);
    return all;
}

TListingDetail WithCategory(const char* code)
{
    TListingDetail d;
    d.Category = QString::fromLatin1(code);
    return d;
}

QStringList ColumnTexts(const QTreeWidget* list, int column)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

void SelectData(QComboBox* combo, int data)
{
    const int at = combo->findData(data);
    ASSERT_GE(at, 0) << data;
    combo->setCurrentIndex(at);
}

void SearchFor(TNameAdrsSearch& w, const QString& key)
{
    w.findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(key);
    w.StartSearch();
    w.WaitForSearch();
}

} // namespace

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
        if (rc == kListingPageFull) {
            EXPECT_EQ(int(page.size()), kListingPageSize);
        }
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
    EXPECT_EQ(Sample().Count(cond, count, [](int) { return 0; }), kListingStopped);
}

TEST(SampleListings, FindsByNameReadingAndAddress)
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
    TListingDetail d;
    EXPECT_FALSE(w.FirstResult(d));

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
    w.SetResultIndex(3); // out of range: ignored
    EXPECT_EQ(w.GetResultIndex(), 2);
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
    EXPECT_EQ(w.GetResultIndex(), -1);
    w.ShowPriorPage();
    w.WaitForSearch();
    TListingDetail again;
    w.FirstResult(again);
    EXPECT_EQ(again.Tel, first.Tel);
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("btnPriorPage"))->isEnabled());
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

TEST(SampleListingCategories, EveryCompanyListingOpensUnderACategoryOfTheProgramsLists)
{
    ASSERT_TRUE(EnsureCategoriesLoaded());
    const std::vector<TListingDetail> all = AllListings();
    ASSERT_EQ(int(all.size()), Sample().ListingCount());
    std::set<int> majors;
    for (const TListingDetail& d : all) {
        if (d.IsPerson()) {
            EXPECT_TRUE(d.Category.isEmpty()) << d.Name.toStdString();
            continue;
        }
        // Stored as the record window reads it: two digits major, two minor.
        ASSERT_EQ(d.Category.size(), 4) << d.Name.toStdString();
        const int major = d.CategoryMain();
        const int entry = major * 100 + d.CategorySub();
        EXPECT_FALSE(GetCtgryMainName(major).isEmpty()) << d.Category.toStdString();
        ASSERT_LT(major, int(CtgrySubLists.size()));
        // The record window's minor combo holds the entries of the major.
        const auto& subs = CtgrySubLists[size_t(major)];
        EXPECT_TRUE(std::any_of(subs.begin(), subs.end(), [&](const TCtgryItem& s) { return s.Code == entry; }))
            << d.Category.toStdString();
        majors.insert(major);
    }
    EXPECT_GE(majors.size(), 4u);
}

TEST(SampleListingCategories, CodeIsNamedByMinorByMajorWithoutMinorOrShownAsItIs)
{
    ASSERT_TRUE(EnsureCategoriesLoaded());
    EXPECT_FALSE(WithCategory("0805").CategoryName().isEmpty());
    EXPECT_EQ(WithCategory("0805").CategoryName(), GetCtgrySubName(805));
    EXPECT_EQ(WithCategory("0800").CategoryName(), GetCtgryMainName(8));
    // A code the lists lack is shown rather than hidden.
    EXPECT_EQ(WithCategory("0899").CategoryName(), u"0899");
}

TEST(SampleListingCategories, CategorySearchOffersTheProgramsCategoriesAndFindsByMinor)
{
    ASSERT_TRUE(EnsureCategoriesLoaded());
    TCategorySearch w;
    auto* mainBox = w.findChild<QComboBox*>(QStringLiteral("cbxCtgryMain"));
    auto* subBox = w.findChild<QComboBox*>(QStringLiteral("cbxCtgrySub"));
    ASSERT_EQ(mainBox->count(), int(CtgryMainList.size()) + 1);
    for (const TCtgryItem& m : CtgryMainList) {
        // With "指定しない" in front, the major with code n stands at n.
        EXPECT_EQ(mainBox->itemData(m.Code).toInt(), m.Code);
        EXPECT_EQ(mainBox->itemText(m.Code), m.Name);
    }

    SelectData(mainBox, 8);
    ASSERT_EQ(subBox->count(), int(CtgrySubLists[8].size()) + 1);
    EXPECT_EQ(subBox->itemText(5), GetCtgrySubName(805));
    SelectData(subBox, 5);
    w.findChild<QComboBox*>(QStringLiteral("cbxTdfkn"))->setCurrentText(QStringLiteral("大阪府"));
    w.StartSearch();
    w.WaitForSearch();
    ASSERT_GT(w.GetResultCount(), 0);
    // Only that minor, named instead of shown by its code.
    const auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    EXPECT_EQ(ColumnTexts(list, 3), QStringList(w.GetResultCount(), GetCtgrySubName(805)));
    for (const QString& address : ColumnTexts(list, 2))
        EXPECT_TRUE(address.startsWith(u"大阪府")) << address.toStdString();
}

TEST(SampleListingCategories, NameSearchListShowsCategoryNamesAndHyphenatedNumbers)
{
    TNameAdrsSearch w;
    w.findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("札幌"));
    w.findChild<QRadioButton*>(QStringLiteral("rbAddress"))->setChecked(true);
    w.StartSearch();
    w.WaitForSearch();
    ASSERT_GT(w.GetResultCount(), 5);
    auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    const QStringList categories = ColumnTexts(list, 3);
    for (const QString& tel : ColumnTexts(list, 1))
        EXPECT_TRUE(tel.startsWith(u"011-")) << tel.toStdString();
    for (int i = 0; i < w.GetResultCount(); ++i) {
        TListingDetail d;
        w.GetResult(i, d);
        EXPECT_EQ(categories[i], d.IsPerson() ? QString() : GetCtgrySubName(d.CategoryMain() * 100 + d.CategorySub()));
    }
}

TEST(SampleListingTelephone, EveryNumberIsHyphenatedWithinTheRecordsField)
{
    for (const TListingDetail& d : AllListings()) {
        const QStringList groups = d.Tel.split(u'-');
        ASSERT_EQ(groups.size(), 3) << d.Tel.toStdString();
        EXPECT_EQ(DigitsOf(d.Tel).size(), 10) << d.Tel.toStdString();
        EXPECT_TRUE(d.Tel.startsWith(u'0'));
        EXPECT_LE(cp932::Encode(d.Tel).size(), 14);
        // What the library hands out survives its own record.
        TListingDetail back;
        ASSERT_TRUE(back.FromBytes(d.ToBytes()));
        EXPECT_EQ(back.Tel, d.Tel);
    }
}

TEST(SampleListingTelephone, LookupFindsANumberTypedWithOrWithoutHyphens)
{
    for (const char16_t* typed : {u"0341622288", u"０３－４１６２－２２８８", u"03(4162)2288"}) {
        std::vector<TListingDetail> found;
        EXPECT_EQ(Sample().TelLookup(QString::fromUtf16(typed), found), kListingNoMoreData);
        ASSERT_EQ(found.size(), 1u) << QString::fromUtf16(typed).toStdString();
        EXPECT_EQ(found.front().Tel, u"03-4162-2288");
        EXPECT_EQ(found.front().Name, u"伊藤　恵");
    }
    std::vector<TListingDetail> found;
    Sample().TelLookup(QStringLiteral("03-4162-228"), found); // one digit short
    EXPECT_TRUE(found.empty());

    // The name/address window's number search matches from the start.
    for (const char16_t* typed : {u"034162", u"03-4162"}) {
        TSearchCondition cond;
        cond.SearchKind = TSearchCondition::ByTel;
        cond.Key = QString::fromUtf16(typed);
        int count = 0;
        Sample().Count(cond, count, nullptr);
        EXPECT_EQ(count, 1) << cond.Key.toStdString();
    }
}

TEST(SampleListingTelephone, DictionaryLookupTakesEitherFormAndHandsTheHyphenatedNumberOn)
{
    QStringList askedOfBook;
    TDicSearch::SetBookTelLookup([&](const QString& tel) {
        askedOfBook << tel;
        return std::vector<TBookTelMatch>{};
    });
    for (const QString& typed : {QStringLiteral("0341622288"), QStringLiteral("03-4162-2288")}) {
        TDicSearch dlg(nullptr);
        ASSERT_EQ(dlg.StartSearch(TDicSearch::kTel, typed), 1) << typed.toStdString();
        EXPECT_EQ(dlg.GetAdrsRecord().Tel, u"03-4162-2288");
        EXPECT_EQ(dlg.findChild<QTreeWidget*>(QStringLiteral("lvResult"))->topLevelItem(0)->text(1),
                  u"03-4162-2288");
    }
    TDicSearch::SetBookTelLookup(nullptr);
    // The open book is asked by digits, however the number was typed.
    EXPECT_EQ(askedOfBook, QStringList({QStringLiteral("0341622288"), QStringLiteral("0341622288")}));
}

// The sample listings as the rest of the program sees them: categories of the
// program's category lists, names in the result lists, telephone numbers
// hyphenated and found however they are typed.

#include "core/Category.h"
#include "core/Folders.h"
#include "listing_search/CtgrySch.h"
#include "listing_search/DicSch.h"
#include "listing_search/NmAdSch.h"
#include "platform/Cp932.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <set>

namespace {

TSampleListingSource& Sample()
{
    static TSampleListingSource source(AppPath() + QStringLiteral("Dic/SampleListing.txt"));
    return source;
}

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

} // namespace

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
    EXPECT_EQ(WithCategory("1101").CategoryName(), GetCtgrySubName(1101));
    EXPECT_FALSE(WithCategory("0805").CategoryName().isEmpty());
    EXPECT_EQ(WithCategory("0805").CategoryName(), GetCtgrySubName(805));
    EXPECT_NE(WithCategory("0805").CategoryName(), WithCategory("0802").CategoryName());
    EXPECT_EQ(WithCategory("0800").CategoryName(), GetCtgryMainName(8));
    // A code the lists lack is shown rather than hidden.
    EXPECT_EQ(WithCategory("0899").CategoryName(), u"0899");
    EXPECT_EQ(WithCategory("9901").CategoryName(), u"9901");
    EXPECT_TRUE(TListingDetail().CategoryName().isEmpty());
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
    const QStringList tels = ColumnTexts(list, 1);
    const QStringList categories = ColumnTexts(list, 3);
    for (int i = 0; i < w.GetResultCount(); ++i) {
        TListingDetail d;
        w.GetResult(i, d);
        EXPECT_TRUE(tels[i].startsWith(u"011-")) << tels[i].toStdString();
        if (d.IsPerson())
            EXPECT_TRUE(categories[i].isEmpty());
        else
            EXPECT_EQ(categories[i], GetCtgrySubName(d.CategoryMain() * 100 + d.CategorySub()));
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
    for (const char16_t* typed : {u"0341622288", u"03-4162-2288", u"０３－４１６２－２２８８", u"03(4162)2288",
                                  u" 03 4162 2288 "}) {
        std::vector<TListingDetail> found;
        EXPECT_EQ(Sample().TelLookup(QString::fromUtf16(typed), found), kListingNoMoreData);
        ASSERT_EQ(found.size(), 1u) << QString::fromUtf16(typed).toStdString();
        EXPECT_EQ(found.front().Tel, u"03-4162-2288");
        EXPECT_EQ(found.front().Name, u"伊藤　恵");
    }
    std::vector<TListingDetail> found;
    Sample().TelLookup(QStringLiteral("03-4162-228"), found); // one digit short
    EXPECT_TRUE(found.empty());
    Sample().TelLookup(QStringLiteral("--"), found);
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

#include "listing_search/ContinualAdrsSearch.h"
#include "listing_search/DicSch.h"
#include "listing_search/SkkDictionary.h"
#include "platform/Cp932.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

bool HaveSkk()
{
    return QFile::exists(kZipcodeDictionaryPath) && QFile::exists(kJinmeiDictionaryPath);
}

#define REQUIRE_SKK()                                                    \
    if (!HaveSkk())                                                      \
    GTEST_SKIP() << "skkdic-extra is not installed"

bool HasName(const std::vector<TNameCandidate>& c, const QString& name)
{
    return std::any_of(c.begin(), c.end(), [&](const TNameCandidate& x) { return x.Name == name; });
}

} // namespace

TEST(PostalDictionary, CodeLooksUpPrefectureCityAndTown)
{
    REQUIRE_SKK();
    TPostalDictionary& dic = TPostalDictionary::Shared();
    const auto hits = dic.FindByCode(QStringLiteral("100-0001"));
    ASSERT_EQ(hits.size(), 1u);
    const TAddressParts p = dic.Split(hits.front().Address);
    EXPECT_EQ(p.Tdfkn, u"東京都");
    EXPECT_EQ(p.City, u"千代田区");
    EXPECT_EQ(p.Town, u"千代田");
    EXPECT_GT(dic.FindByCode(QStringLiteral("１００")).size(), 10u); // a three-digit area
    EXPECT_TRUE(dic.FindByCode(QStringLiteral("1000")).empty());
}

TEST(PostalDictionary, DesignatedCitiesKeepTheWardWithTheCity)
{
    REQUIRE_SKK();
    TPostalDictionary& dic = TPostalDictionary::Shared();
    struct Case {
        const char16_t* address;
        const char16_t* tdfkn;
        const char16_t* city;
        const char16_t* town;
    } cases[] = {
        {u"北海道札幌市中央区北一条西", u"北海道", u"札幌市中央区", u"北一条西"},
        {u"北海道余市郡余市町栄町", u"北海道", u"余市郡余市町", u"栄町"},
        {u"三重県四日市市", u"三重県", u"四日市市", u""}, // 市 inside a city's name
    };
    for (const Case& c : cases) {
        const TAddressParts p = dic.Split(QString::fromUtf16(c.address));
        EXPECT_EQ(p.Tdfkn + u'|' + p.City + u'|' + p.Town,
                  QString::fromUtf16(c.tdfkn) + u'|' + QString::fromUtf16(c.city) + u'|' + QString::fromUtf16(c.town));
    }
    const auto hits = dic.FindByCode(QStringLiteral("0600000"));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(dic.Split(hits.front().Address).City, u"札幌市中央区");
}

TEST(PostalDictionary, AddressFindsTheLongestEntryItBeginsWith)
{
    REQUIRE_SKK();
    const auto hits = TPostalDictionary::Shared().FindByAddress(QStringLiteral("東京都千代田区丸の内 １－２"));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits.front().Code, u"1000005");
    EXPECT_GT(TPostalDictionary::Shared().FindByAddress(QStringLiteral("東京都千代田区丸")).size(), 0u);
}

TEST(PostalDictionary, MissingFileFindsNothing)
{
    TPostalDictionary dic(QStringLiteral("/nonexistent/SKK-JISYO.zipcode"));
    EXPECT_FALSE(dic.Ready());
    EXPECT_TRUE(dic.FindByCode(QStringLiteral("1000001")).empty());
    EXPECT_TRUE(dic.FindByAddress(QStringLiteral("東京都")).empty());
    EXPECT_EQ(dic.Split(QStringLiteral("東京都千代田区千代田")).City, u"千代田区"); // by rule alone
}

TEST(DicSearch, StartSearchDecidesWithOneEntryAsksWithSeveralAndEndsWithNone)
{
    REQUIRE_SKK();
    TMessageRecorder messages;
    TDicSearch dlg(nullptr);
    dlg.SetSearchKinds(15, 1);
    EXPECT_EQ(dlg.StartSearch(TDicSearch::kPostal, QStringLiteral("1000001")), 1);
    EXPECT_EQ(dlg.GetResultKind(), TDicSearch::kResultPostal);
    TDicAdrsRecord r = dlg.GetAdrsRecord();
    EXPECT_EQ(r.Town, u"千代田");
    EXPECT_EQ(r.JisCode, u"131016"); // the sample listings know the place
    EXPECT_EQ(r.KajoCode, u"001000");

    EXPECT_EQ(dlg.StartSearch(TDicSearch::kPostal, QStringLiteral("0000000")), 2);
    // Two codes share this town (its blocks 1-19 and 20 on).
    EXPECT_EQ(dlg.StartSearch(TDicSearch::kAddress, QStringLiteral("北海道札幌市中央区大通西")), 0);
    EXPECT_EQ(dlg.StartSearch(TDicSearch::kAddress, QStringLiteral("東京都千代田区丸の内１－１")), 1);
    EXPECT_EQ(dlg.GetAdrsRecord().PostalCode, u"1000005");
    EXPECT_EQ(dlg.GetResultKind(), TDicSearch::kResultAddress);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(DicSearch, TelephoneFindsListingsAndRecordsOfTheOpenBook)
{
    TDicSearch dlg(nullptr);
    // A person listing of the sample data.
    EXPECT_EQ(dlg.StartSearch(TDicSearch::kTel, QStringLiteral("03-4162-2288")), 1);
    EXPECT_EQ(dlg.GetResultKind(), TDicSearch::kResultPersonTel);
    const TDicAdrsRecord r = dlg.GetAdrsRecord();
    EXPECT_EQ(r.Name, u"伊藤　恵");

    TDicSearch::SetBookTelLookup([](const QString& tel) {
        return tel == u"0341622288" ? std::vector<TBookTelMatch>{{42, QStringLiteral("伊藤"), QString()}}
                                    : std::vector<TBookTelMatch>{};
    });
    EXPECT_EQ(dlg.StartSearch(TDicSearch::kTel, QStringLiteral("0341622288")), 0);
    auto* list = dlg.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    list->setCurrentItem(list->topLevelItem(1));
    dlg.accept();
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_EQ(dlg.GetResultKind(), TDicSearch::kResultBook);
    EXPECT_EQ(dlg.GetSelectedRecNo(), 42);
    TDicSearch::SetBookTelLookup(nullptr);
    EXPECT_EQ(dlg.StartSearch(TDicSearch::kTel, QStringLiteral("0000")), 2);
    dlg.reject();
    EXPECT_EQ(dlg.result(), 2);
}

TEST(DicSearch, MissingDictionaryIsNamedOnceAndFindsNothing)
{
    TPostalDictionary::SetSharedPath(QStringLiteral("/nonexistent/SKK-JISYO.zipcode"));
    TMessageRecorder messages;
    {
        TDicSearch dlg(nullptr);
        EXPECT_EQ(dlg.StartSearch(TDicSearch::kPostal, QStringLiteral("1000001")), 2);
        EXPECT_EQ(dlg.StartSearch(TDicSearch::kAddress, QStringLiteral("東京都")), 2);
    }
    TPostalDictionary::SetSharedPath(kZipcodeDictionaryPath);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().contains(u"/nonexistent/SKK-JISYO.zipcode"));
}

TEST(DicAdrsRecord, WideValuesAreCutToTheRecordFieldsWithoutSplittingCharacters)
{
    TDicAdrsRecord r;
    r.City = QStringLiteral("あ") + QString(19, QChar(u'市'));  // 40 bytes
    r.Town = QString(70, QChar(u'町'));                           // 140 bytes
    r.JisCode = QStringLiteral("131016");
    r.KajoCode = QStringLiteral("0010001");
    const TDicAdrsRecord f = r.FittedToRecord();
    EXPECT_EQ(cp932::ByteLength(f.City), 32);
    EXPECT_EQ(cp932::ByteLength(f.Town), 100);
    EXPECT_EQ(f.JisCode, u"13101");
    EXPECT_EQ(f.KajoCode, u"001000");
}

TEST(ContinualAdrsSearch, ParsesAnAddressWithCodesWhereTheListingsKnowThePlace)
{
    REQUIRE_SKK();
    TContinualAdrsSearch s{QString(), QString()};
    ASSERT_EQ(s.Search(QStringLiteral("北海道札幌市中央区大通西４丁目 見本ビル")), 0);
    TContinualAdrsResult r = s.GetResult(0);
    EXPECT_EQ(r.City, u"札幌市中央区");
    EXPECT_EQ(r.Rest, u"４丁目見本ビル");
    EXPECT_EQ(r.JisCode, u"011011");
    EXPECT_EQ(r.KajoCode, u"002000");

    ASSERT_EQ(s.Search(QStringLiteral("長野県北佐久郡軽井沢町")), 0);
    r = s.GetResult(0);
    EXPECT_EQ(r.City, u"北佐久郡軽井沢町");
    EXPECT_TRUE(r.JisCode.isEmpty()); // no listing there
    EXPECT_EQ(s.Search(QStringLiteral("どこか")), 1);
    EXPECT_EQ(JisCodeWithCheckDigit(QStringLiteral("27127")), u"271276");
}

TEST(NameDictionary, ReadingOffersFamilyOrGivenNames)
{
    REQUIRE_SKK();
    TNameDictionary& dic = TNameDictionary::Shared();
    const auto family = dic.Find(QStringLiteral("やまだ"), false);
    ASSERT_FALSE(family.empty());
    EXPECT_EQ(family.front().Name, u"山田");
    EXPECT_TRUE(HasName(dic.Find(QStringLiteral("ヤマダ"), false), QStringLiteral("山田")));

    const auto given = dic.Find(QStringLiteral("ひろし"), true);
    EXPECT_TRUE(HasName(given, QStringLiteral("洋")));   // marked 名
    EXPECT_FALSE(HasName(given, QStringLiteral("恢"))); // marked 姓 only
    EXPECT_LE(dic.Find(QStringLiteral("あ"), false, 50).size(), 50u);
}

TEST(NameDictionary, MissingFileFindsNothing)
{
    TNameDictionary dic(QStringLiteral("/nonexistent/SKK-JISYO.jinmei"));
    EXPECT_FALSE(dic.Ready());
    EXPECT_TRUE(dic.Find(QStringLiteral("やまだ"), false).empty());
}

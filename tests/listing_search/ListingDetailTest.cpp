#include "listing_search/ListingDetail.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray Fixture(const char* name)
{
    QFile f(QStringLiteral(TELVORA_TEST_DATA_DIR "/listing_search/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
    return f.readAll();
}

} // namespace

TEST(ListingDetail, ReadsTheLibraryRecordIntoTrimmedFieldsAndPacksItBackIdentically)
{
    const QByteArray bytes = Fixture("detail.bin");
    ASSERT_EQ(bytes.size(), TListingDetail::kSize);
    TListingDetail d;
    ASSERT_TRUE(d.FromBytes(bytes));
    EXPECT_EQ(d.Tel, u"0312345678");
    EXPECT_EQ(d.TelKind, 2);
    EXPECT_EQ(d.PostalCode, u"1000001");
    EXPECT_EQ(d.Name, u"㈱見本商事　東京支店"); // the ideographic space inside stays
    EXPECT_EQ(d.NameKana, u"ﾐﾎﾝｼｮｳｼﾞ ﾄｳｷｮｳｼﾃﾝ");
    EXPECT_EQ(d.Tdfkn, u"東京都");
    EXPECT_EQ(d.Town, u"千代田");
    EXPECT_EQ(d.Adrs3, u"見本ビル～３Ｆ");
    EXPECT_EQ(d.JoinedReading(), u"ﾄｳｷｮｳﾄﾁﾖﾀﾞｸﾁﾖﾀﾞ1-1ﾐﾎﾝﾋﾞﾙ3F");
    EXPECT_EQ(d.JisCode(), u"13101");
    EXPECT_EQ(d.KajoCode(), u"001000");
    EXPECT_EQ(d.ListingKind, 1);
    EXPECT_FALSE(d.IsPerson());
    EXPECT_EQ(d.PubDate, u"199804");
    EXPECT_EQ(d.Latitude, 9144000);
    EXPECT_EQ(d.Longitude, -1);
    EXPECT_EQ(d.CategoryMain(), 4);
    EXPECT_EQ(d.CategorySub(), 2);

    EXPECT_EQ(d.ToBytes(), bytes);
}

TEST(ListingDetail, ShortBufferLeavesAnEmptyRecord)
{
    TListingDetail d;
    d.Name = QStringLiteral("x");
    EXPECT_FALSE(d.FromBytes(QByteArray(595, ' ')));
    EXPECT_EQ(d, TListingDetail());
}

TEST(ListingDetail, PackingCutsOverlongTextWithoutSplittingACharacter)
{
    TListingDetail d;
    d.Tdfkn = QStringLiteral("神奈川県神奈川"); // 14 bytes for a 10-byte field
    d.PostalCode = QStringLiteral("123456789");
    TListingDetail back;
    ASSERT_TRUE(back.FromBytes(d.ToBytes()));
    EXPECT_EQ(back.Tdfkn, u"神奈川県神");
    EXPECT_EQ(back.PostalCode, u"12345678");
    // An odd width: the double-byte character that would straddle it goes.
    d.Tdfkn = QStringLiteral("a神奈川県神");
    back.FromBytes(d.ToBytes());
    EXPECT_EQ(back.Tdfkn, u"a神奈川県");
}

TEST(ListingDetail, PositionsBecomeMillisecondsRoundedHalfAwayFromZero)
{
    EXPECT_EQ(TListingDetail::ToMilliseconds(256), 1000);
    EXPECT_EQ(TListingDetail::ToMilliseconds(1), 4);   // 3.906
    EXPECT_EQ(TListingDetail::ToMilliseconds(-1), -4);
    // A damaged record can hold any Int32; its milliseconds would not fit.
    EXPECT_EQ(TListingDetail::ToMilliseconds(INT32_MAX), INT32_MAX);
    EXPECT_EQ(TListingDetail::ToMilliseconds(INT32_MIN), INT32_MIN);
    EXPECT_EQ(TListingDetail::ToMilliseconds(-2090702848), INT32_MIN); // found by fuzzing
}

TEST(ListingDetail, JoinedAddressIsCutToTheAddressFieldOnACharacterBoundary)
{
    TListingDetail d;
    d.Town = QString(19, QChar(u'町'));   // 38 bytes
    d.Adrs2 = QString(19, QChar(u'丁'));  // 38 bytes
    d.Adrs3 = QStringLiteral("a") + QString(40, QChar(u'号')); // 81 bytes
    ASSERT_EQ(cp932::ByteLength(d.JoinedAddress()), 157);
    const QString fitted = FitToField(d.JoinedAddress(), field_width::Adrs2);
    EXPECT_EQ(cp932::ByteLength(fitted), 99); // the 100th byte would split 号
    EXPECT_TRUE(d.JoinedAddress().startsWith(fitted));
    EXPECT_EQ(FitToField(QStringLiteral("1310123"), field_width::KajoCode), u"131012");
}

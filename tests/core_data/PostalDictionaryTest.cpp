#include "core/common/PostalDictionary.h"
#include "support/data/DataSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iconv.h>
#include <set>
#include <thread>

namespace {

// Text as the SKK files hold it (EUC-JP), through the C library's converter.
QByteArray Euc(const QString& text)
{
    QByteArray in = text.toUtf8(), out(in.size() * 2 + 4, '\0');
    char *src = in.data(), *dst = out.data();
    size_t inLeft = size_t(in.size()), outLeft = size_t(out.size());
    iconv_t cd = iconv_open("EUC-JP", "UTF-8");
    iconv(cd, &src, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    return out.left(out.size() - qsizetype(outLeft));
}

QString Joined(const std::vector<TAddressParts>& places)
{
    QStringList out;
    for (const TAddressParts& p : places)
        out << p.Tdfkn + u'|' + p.City + u'|' + p.Town;
    return out.join(u' ');
}

} // namespace

// The shapes of the real file and damaged ones: comments, a code naming
// several towns, a municipality's own code, a line ending in CR, a code of
// six digits, a byte that does not decode; read once for every thread.
TEST(PostalDictionary, PlacesOfACodeAreEveryTownItNamesSplitByTheMunicipalitiesOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/SKK-JISYO.zipcode");
    ASSERT_TRUE(WriteFile(path, Euc(QStringLiteral(";; okuri-nasi entries.\n"
                                                   "0030000 /北海道札幌市白石区/\n"
                                                   "0030022 /北海道札幌市白石区南郷通/北海道札幌市白石区南郷通南/\r\n"
                                                   "0040000 /北海道札幌市厚別区/北海道札幌市清田区/\n"
                                                   "003002 /北海道札幌市白石区東札幌/\n")) +
                                    "0030023 /" + Euc(QStringLiteral("北海道札幌市白石区")) + "\xff" +
                                    Euc(QStringLiteral("本郷通/\n"))));
    TPostalDictionary dic(path);
    EXPECT_EQ(Joined(dic.PlacesOf(u"0030022")),
              QStringLiteral("北海道|札幌市白石区|南郷通 北海道|札幌市白石区|南郷通南"));
    EXPECT_EQ(Joined(dic.PlacesOf(u"0040000")), QStringLiteral("北海道|札幌市厚別区| 北海道|札幌市清田区|"));
    EXPECT_EQ(Joined(dic.PlacesOf(u"0030023")), QStringLiteral("北海道|札幌市白石区|\uFFFD本郷通"));
    EXPECT_TRUE(dic.PlacesOf(u"003002").empty());
    EXPECT_TRUE(dic.PlacesOf(u"0030021").empty());
    EXPECT_TRUE(dic.PlacesOf(u"0030022 ").empty());

    // Threads asking the shared dictionary first all get its one reading.
    TPostalDictionary::SetSharedPath(path);
    std::vector<QString> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = Joined(TPostalDictionary::Shared().PlacesOf(u"0030022")); });
    for (std::thread& t : threads)
        t.join();
    TPostalDictionary::SetSharedPath(kZipcodeDictionaryPath);
    EXPECT_EQ(std::set<QString>(seen.begin(), seen.end()), std::set<QString>{Joined(dic.PlacesOf(u"0030022"))});
}

namespace {

QString Codes(const std::vector<TPostalEntry>& entries)
{
    QStringList out;
    for (const TPostalEntry& e : entries)
        out << e.Code;
    return out.join(u' ');
}

} // namespace

// The address look-ups the barcode makes for codes the file does not list,
// through the file's address index: the longest address the text begins
// with (one address under two codes, in code order), else the addresses
// that begin with the text; the towns under a municipality, split at it
// unless another municipality begins with its name.
TEST(PostalDictionary, AddressesAreLookedUpLongestFirstAndTownsListedUnderTheirMunicipality)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/SKK-JISYO.zipcode");
    ASSERT_TRUE(WriteFile(path, Euc(QStringLiteral("0030000 /北海道札幌市白石区/\n"
                                                   "0030023 /北海道札幌市白石区南郷通/\n"
                                                   "0030022 /北海道札幌市白石区南郷通/北海道札幌市白石区南郷通南/\n"
                                                   "0040000 /北海道札幌市厚別区/\n"
                                                   "5900000 /大阪府堺市堺区/\n"
                                                   "5900016 /大阪府堺市堺区中田出井町/\n"
                                                   "5999900 /大阪府堺市/\n"
                                                   "5999901 /大阪府堺市美原/\n"
                                                   "7000000 /岡山県岡山市北区/\n"
                                                   "7000822 /岡山県岡山市北区表町/\n"))));
    TPostalDictionary dic(path);
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral("北海道札幌市白石区南郷通南１－２"))), QStringLiteral("0030022"));
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral("北海道札幌市白石区 南郷通　３"))), QStringLiteral("0030022 0030023"));
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral("北海道札幌市白石区本郷通"))), QStringLiteral("0030000"));
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral("岡山県岡山市北区表町三丁目ソ"))), QStringLiteral("7000822"));
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral("北海道札幌市"))),
              QStringLiteral("0030000 0030022 0030022 0030023 0040000"));
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral("沖縄県"))), QString());
    EXPECT_EQ(Codes(dic.FindByAddress(QStringLiteral(" 　"))), QString());

    EXPECT_EQ(Joined(dic.PlacesUnder(QStringLiteral("北海道札幌市白石区"))),
              QStringLiteral("北海道|札幌市白石区| 北海道|札幌市白石区|南郷通 北海道|札幌市白石区|南郷通南 "
                             "北海道|札幌市白石区|南郷通"));
    EXPECT_EQ(Joined(dic.PlacesUnder(QStringLiteral("大阪府堺市"))),
              QStringLiteral("大阪府|堺市堺区| 大阪府|堺市堺区|中田出井町 大阪府|堺市| 大阪府|堺市|美原"));
    EXPECT_EQ(Joined(dic.PlacesUnder(QStringLiteral("北海道札幌市"))),
              QStringLiteral("北海道|札幌市白石区| 北海道|札幌市白石区|南郷通 北海道|札幌市白石区|南郷通南 "
                             "北海道|札幌市白石区|南郷通 北海道|札幌市厚別区|"));
    EXPECT_TRUE(dic.PlacesUnder(QString()).empty());
    EXPECT_TRUE(TPostalDictionary(dir.path() + QStringLiteral("/missing")).PlacesUnder(QStringLiteral("北海道")).empty());
}

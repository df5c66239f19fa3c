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

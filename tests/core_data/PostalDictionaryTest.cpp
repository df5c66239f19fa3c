#include "core/common/PostalDictionary.h"
#include "support/data/DataSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iconv.h>
#include <set>
#include <thread>

namespace {

// Text as the SKK files hold it (EUC-JP), through the C library's converter
// rather than the reader's own.
QByteArray Euc(const QString& text)
{
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 4, '\0');
    iconv_t cd = iconv_open("EUC-JP", "UTF-8");
    char* src = in.data();
    char* dst = out.data();
    size_t inLeft = size_t(in.size()), outLeft = size_t(out.size());
    iconv(cd, &src, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
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
// six digits, a byte that does not decode.
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

    TPostalDictionary missing(dir.path() + QStringLiteral("/none"));
    EXPECT_TRUE(missing.PlacesOf(u"0030022").empty());
    EXPECT_FALSE(missing.Ready());
}

// Every thread that asks first gets the one shared dictionary.
TEST(PostalDictionary, SharedIsOneDictionaryForEveryThread)
{
    std::vector<TPostalDictionary*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &TPostalDictionary::Shared(); });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(std::set<TPostalDictionary*>(seen.begin(), seen.end()).size(), 1u);
    EXPECT_EQ(seen.front(), &TPostalDictionary::Shared());
}

#include "core/common/PostalDictionary.h"
#include "drawing/objects/BarcodeRect.h"
#include "drawing/objects/CustomerBarcode.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"
#include "support/data/DataSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <zint.h>

namespace {

struct TExample {
    QString postal, address;
    QByteArray symbols;
    QByteArray symbolsWithoutDictionary; // empty: the same
};

std::vector<TExample> Examples()
{
    std::vector<TExample> rows;
    QFile f(QStringLiteral(TELVORA_TEST_DATA_DIR "/drawing/barcode/extraction.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> cols = line.split('\t');
        EXPECT_TRUE(cols.size() == 3 || cols.size() == 4) << line.constData();
        if (cols.size() >= 3)
            rows.push_back({QString::fromUtf8(cols[0]), QString::fromUtf8(cols[1]), cols[2], cols.value(3)});
    }
    return rows;
}

// The bars as zint draws them for its input: 1 long, 2 upper, 3 lower, 4 timing.
std::vector<quint8> ZintBars(const QByteArray& input)
{
    zint_symbol* s = ZBarcode_Create();
    s->symbology = BARCODE_JAPANPOST;
    const int r = ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(input.constData()), int(input.size()));
    std::vector<quint8> bars;
    if (r < ZINT_ERROR) {
        auto set = [s](int row, int col) { return (s->encoded_data[row][col >> 3] >> (col & 7)) & 1; };
        for (int c = 0; c < s->width; c += 2) {
            const bool top = set(0, c), bottom = set(2, c);
            bars.push_back(top && bottom ? 1 : top ? 2 : bottom ? 3 : 4);
        }
    }
    ZBarcode_Delete(s);
    return bars;
}

// The bars of a horizontal bitmap, read as a scanner would: 1 long, 2 upper,
// 3 lower, 4 timing. Nothing when it does not read.
std::optional<std::vector<quint8>> BarsOf(const QImage& image)
{
    if (image.isNull() || image.width() % 133 != 0)
        return std::nullopt;
    const int u = image.width() / 133;
    if (image.height() != 6 * u)
        return std::nullopt;
    auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    std::vector<quint8> bars;
    for (int i = 0; i < 67; ++i) {
        const int x = 2 * i * u + u / 2;
        if (i < 66 && dark(x + u, 3 * u))
            return std::nullopt; // a space must stay white
        const bool top = dark(x, u / 2), mid = dark(x, 3 * u), bottom = dark(x, 6 * u - 1 - u / 2);
        if (!mid)
            return std::nullopt;
        bars.push_back(top && bottom ? 1 : top ? 2 : bottom ? 3 : 4);
    }
    return bars;
}

// A reader of our own: the bars of a horizontal bitmap back to the symbols,
// checked against start, stop and the check digit. Nothing when it does not
// read.
std::optional<QByteArray> ReadBars(const QImage& image)
{
    const std::optional<std::vector<quint8>> read = BarsOf(image);
    if (!read)
        return std::nullopt;
    const std::vector<quint8>& bars = *read;
    static const std::map<std::vector<int>, char> table = {
        {{1, 4, 4}, '0'}, {{1, 1, 4}, '1'}, {{1, 3, 2}, '2'}, {{3, 1, 2}, '3'}, {{1, 2, 3}, '4'},
        {{1, 4, 1}, '5'}, {{3, 2, 1}, '6'}, {{2, 1, 3}, '7'}, {{2, 3, 1}, '8'}, {{4, 1, 1}, '9'},
        {{4, 1, 4}, '-'}, {{3, 2, 4}, 'a'}, {{3, 4, 2}, 'b'}, {{2, 3, 4}, 'c'}, {{4, 3, 2}, 'd'},
        {{2, 4, 3}, 'e'}, {{4, 2, 3}, 'f'}, {{4, 4, 1}, 'g'}, {{1, 1, 1}, 'h'}};
    if (bars[0] != 1 || bars[1] != 3 || bars[65] != 3 || bars[66] != 1)
        return std::nullopt;
    QByteArray out;
    int sum = 0;
    for (int k = 0; k < 21; ++k) {
        const auto it = table.find({bars[2 + 3 * k], bars[3 + 3 * k], bars[4 + 3 * k]});
        if (it == table.end())
            return std::nullopt;
        const char c = it->second;
        sum += c >= '0' && c <= '9' ? c - '0' : c == '-' ? 10 : 11 + c - 'a';
        if (k < 20)
            out += c;
    }
    if (sum % 19 != 0)
        return std::nullopt;
    return out;
}

// What zint takes for the symbols (letters as letters, no filler); nothing
// when place 20 holds a letter's control code without its digit.
std::optional<QByteArray> ZintInputOf(const QByteArray& symbols)
{
    QByteArray out = symbols.left(7);
    for (qsizetype i = 7; i < symbols.size() && symbols[i] != 'd'; ++i) {
        if (symbols[i] < 'a' || symbols[i] > 'c')
            out += symbols[i];
        else if (++i < symbols.size())
            out += char('A' + (symbols[i - 1] - 'a') * 10 + (symbols[i] - '0'));
        else
            return std::nullopt;
    }
    return out;
}

// The barcode object's bitmap for a postal code and an address, made as the
// designers make it (work files in a folder of its own).
QImage ObjectBarcode(const QString& postal, const QString& address, bool horizontal = true)
{
    QTemporaryDir work;
    const QString folder = work.path() + QLatin1Char('/');
    TBarcodeRect b;
    b.SetHorizontal(horizontal);
    b.MakeBarcode(postal, address, folder, folder, folder);
    return horizontal ? b.GetBitmap() : RotateBitmap(b.GetBitmap(), 0).value_or(QImage());
}

// The object's bars read back as the symbols expected, and equal zint's
// JAPANPOST bars for the expected postal code and number.
void ExpectBarcode(const QString& postal, const QString& address, const QByteArray& symbols, bool bothWays = false)
{
    const QImage image = ObjectBarcode(postal, address);
    EXPECT_EQ(ReadBars(image).value_or("unreadable").toStdString(), symbols.toStdString());
    if (const std::optional<QByteArray> input = ZintInputOf(symbols)) {
        EXPECT_EQ(BarsOf(image), ZintBars(*input)) << input->constData();
    }
    if (bothWays) {
        EXPECT_EQ(ReadBars(ObjectBarcode(postal, address, false)), symbols);
    }
}

QByteArray Record(const TBarcodeRect& b)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    b.SaveToStream(out);
    return out.data();
}

void Load(TBarcodeRect& b, const QByteArray& bytes, qint32 version)
{
    const qint32 saved = DrawRectFileVersion;
    DrawRectFileVersion = version;
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    try {
        b.LoadFromStream(in);
    } catch (...) {
        DrawRectFileVersion = saved;
        throw;
    }
    DrawRectFileVersion = saved;
}

QByteArray Le32(qint32 v)
{
    QByteArray b(4, 0);
    std::memcpy(b.data(), &v, 4);
    return b;
}

} // namespace

// With the dictionary and, as on a machine without it, by the rule alone.
TEST(CustomerBarcode, ExtractionExamplesGiveTheirSymbolsAndZintsBars)
{
    const std::vector<TExample> rows = Examples();
    ASSERT_GE(rows.size(), 40u);
    for (const bool dictionary : {QFile::exists(kZipcodeDictionaryPath), false}) {
        TPostalDictionary::SetSharedPath(dictionary ? kZipcodeDictionaryPath : QStringLiteral("/nonexistent/zipcode"));
        for (const TExample& e : rows) {
            SCOPED_TRACE((e.address + QString::fromUtf16(dictionary ? u" (dictionary)" : u"")).toStdString());
            ExpectBarcode(e.postal, e.address,
                          dictionary || e.symbolsWithoutDictionary.isEmpty() ? e.symbols : e.symbolsWithoutDictionary,
                          true);
        }
    }
    TPostalDictionary::SetSharedPath(kZipcodeDictionaryPath);
}

// Every town of the dictionary whose name holds a kanji numeral before 番, 丁,
// 丁目, の or ノ, its address begun at the prefecture, the city or the town,
// followed by an address number in one of three shapes.
TEST(CustomerBarcode, TownsOfTheDictionaryWithANumeralAddNothing)
{
    if (!QFile::exists(kZipcodeDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    TPostalDictionary& dic = TPostalDictionary::Shared();
    const QRegularExpression numeralBeforeMark(QStringLiteral("[〇一二三四五六七八九十百千]+(番|丁|の|ノ)"));
    const std::pair<const char16_t*, const char*> numbers[] = {
        {u"１２－３", "12-3"}, {u"五丁目６番７号", "5-6-7"}, {u"２番地４", "2-4"}};
    int tested = 0;
    for (int area = 0; area < 1000; ++area) {
        for (const TPostalEntry& e : dic.FindByCode(QStringLiteral("%1").arg(area, 3, 10, QLatin1Char('0')))) {
            const TAddressParts p = dic.Split(e.Address);
            // Building floors (１階) and 地割 are numbered towns of their own kind.
            if (!p.Town.contains(numeralBeforeMark) || p.Town.contains(QRegularExpression(QStringLiteral("[０-９]"))) ||
                cp932::Decode(cp932::Encode(e.Address)) != e.Address)
                continue;
            const QString starts[] = {e.Address, p.City + p.Town, p.Town};
            const auto& [number, expected] = numbers[tested % 3];
            const QString address = starts[(tested / 3) % 3] + QString::fromUtf16(number);
            SCOPED_TRACE((e.Code + u' ' + address).toStdString());
            ExpectBarcode(e.Code, address, CustomerBarcodeSymbols(e.Code.toLatin1(), expected));
            ++tested;
        }
    }
    EXPECT_GE(tested, 400);
}

namespace {

// Digits as the other form people write them: full-width to kanji (２ 二,
// １０ 十), kanji to half-width (四 4).
QString DigitsAsKanji(const QString& s)
{
    static const QRegularExpression digits(QStringLiteral("[０-９]+"));
    QString out = s;
    for (QRegularExpressionMatch m = digits.match(out); m.hasMatch(); m = digits.match(out)) {
        const int v = m.captured().toInt(); // QString::toInt reads full-width digits
        const QString ones = QStringLiteral("〇一二三四五六七八九");
        out.replace(m.capturedStart(), m.capturedLength(),
                    (v >= 20 ? QString(ones[v / 10]) : QString()) + (v >= 10 ? QStringLiteral("十") : QString()) +
                        (v % 10 || v < 10 ? QString(ones[v % 10]) : QString()));
    }
    return out;
}

QString HalfWidthDigits(QString s)
{
    for (QChar& c : s)
        if (c >= u'０' && c <= u'９')
            c = QChar(u'0' + (c.unicode() - u'０'));
    return s;
}

// The ways a Kyoto town with its street designation is written: る as ル, 入
// with る or ル, 通 left out or written 通り, 上がる and 下がる, the blocks in
// kanji or half-width digits, the street's own numerals (四条, 二ノ宮) in
// digits, blanks between the designation's words, and the designation left
// out (the town alone).
std::vector<QString> KyotoForms(const QString& town, const QString& afterStreet)
{
    using namespace Qt::StringLiterals;
    static const QRegularExpression streetNumeral(u"[一二三四五六七八九十](?=条|ノ|の|筋)"_s);
    static const QRegularExpression iri(u"入(?!る)"_s);
    static const QRegularExpression dori(u"通(?=\\p{Han})"_s);
    QString digitStreet = town;
    for (QRegularExpressionMatch m = streetNumeral.match(digitStreet); m.hasMatch();
         m = streetNumeral.match(digitStreet))
        digitStreet.replace(m.capturedStart(), 1, QString::number(u"〇一二三四五六七八九十"_s.indexOf(m.captured())));
    auto ru = [&](QString s) {
        return s.replace(u"上る"_s, u"上ル"_s).replace(u"下る"_s, u"下ル"_s).replace(iri, u"入ル"_s);
    };
    QString noDori = HalfWidthDigits(town);
    noDori.replace(iri, u"入る"_s).remove(dori);
    QString okuri = HalfWidthDigits(digitStreet);
    okuri.replace(u"通"_s, u"通り"_s).replace(u"上る"_s, u"上がる"_s).replace(u"下る"_s, u"下がる"_s);
    static const QRegularExpression wordEnd(u"(通|上る|下る|入|目)(?=\\p{Han})"_s);
    QString blanks = town;
    blanks.replace(wordEnd, u"\\1　"_s);
    return {ru(DigitsAsKanji(town)), noDori, okuri, afterStreet, ru(DigitsAsKanji(digitStreet)).remove(dori), blanks};
}

} // namespace

// Every Kyoto town of the dictionary with a street designation, rewritten in
// the forms people write, begun at the prefecture, the ward or the street:
// the number is the one after the town, whatever numerals the street holds.
TEST(CustomerBarcode, KyotoStreetFormsOfTheDictionaryAddNothing)
{
    if (!QFile::exists(kZipcodeDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    TPostalDictionary& dic = TPostalDictionary::Shared();
    static const QRegularExpression direction(QStringLiteral("上る|下る|東入|西入"));
    static const QRegularExpression lastStreetWord(
        QStringLiteral("^.*(上る|下る|東入|西入|[０-９]+丁目|[０-９]+筋目)"));
    const std::pair<const char16_t*, const char*> numbers[] = {
        {u"３５５", "355"}, {u"１２－３ ソ表能ハイツ１０２", "12-3-102"}, {u"五番地", "5"}};
    int tested = 0;
    for (int area = 600; area <= 616; ++area) {
        for (const TPostalEntry& e : dic.FindByCode(QString::number(area))) {
            const TAddressParts p = dic.Split(e.Address);
            if (!p.City.startsWith(u"京都市") || !p.Town.contains(direction))
                continue;
            const QString town = QString(p.Town).remove(lastStreetWord);
            const std::vector<QString> forms = KyotoForms(p.Town, town);
            const QString starts[] = {p.Tdfkn + p.City, p.City.mid(3), QString()};
            for (int k = 0; k < 2; ++k) {
                const int n = tested * 2 + k;
                const auto& [number, expected] = numbers[n % 3];
                const QString address = starts[(n / 3) % 3] + forms[n % forms.size()] + QString::fromUtf16(number);
                SCOPED_TRACE((e.Code + u' ' + address).toStdString());
                ExpectBarcode(e.Code, address, CustomerBarcodeSymbols(e.Code.toLatin1(), expected));
            }
            ++tested;
        }
    }
    EXPECT_GE(tested, 1000) << tested;
}

// Towns whose names hold numerals (一番, 北一条西, 西神楽１線), their
// addresses begun at the prefecture, the city or the town, under a code of
// their area that the dictionary does not list: read as under their own code.
TEST(CustomerBarcode, TownsUnderACodeTheDictionaryDoesNotListAreFoundFromTheAddress)
{
    if (!QFile::exists(kZipcodeDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    TPostalDictionary& dic = TPostalDictionary::Shared();
    const QRegularExpression numeral(QStringLiteral("[〇一二三四五六七八九十０-９]"));
    const std::pair<const char16_t*, const char*> numbers[] = {
        {u"１２－３", "12-3"}, {u"五丁目６番７号", "5-6-7"}, {u"２番地４", "2-4"}};
    int tested = 0, seen = 0;
    for (int area = 0; area < 1000; ++area) {
        const QString head = QStringLiteral("%1").arg(area, 3, 10, QLatin1Char('0'));
        const std::vector<TPostalEntry> entries = dic.FindByCode(head);
        QString unlisted;
        for (const char* tail : {"8799", "8999", "9999"})
            if (unlisted.isEmpty() && dic.FindByCode(head + QLatin1String(tail)).empty())
                unlisted = head + QLatin1String(tail);
        for (const TPostalEntry& e : entries) {
            const TAddressParts p = dic.Split(e.Address);
            // 地割 and building floors (１階) are numbered towns of their own
            // kind; a town ending in a numeral runs into the number.
            if (!p.Town.contains(numeral) || p.Town.contains(u"地割") || p.Town.contains(u"階") || p.Town.contains(u"場合") ||
                numeral.match(p.Town.right(1)).hasMatch() || cp932::Decode(cp932::Encode(e.Address)) != e.Address ||
                seen++ % 20 != 0)
                continue;
            const QString starts[] = {e.Address, p.City + p.Town, p.Town};
            const auto& [number, expected] = numbers[tested % 3];
            const QString address = starts[(tested / 3) % 3] + QString::fromUtf16(number);
            SCOPED_TRACE((unlisted + u' ' + address).toStdString());
            ExpectBarcode(unlisted, address, CustomerBarcodeSymbols(unlisted.toLatin1(), expected));
            ++tested;
        }
    }
    EXPECT_GE(tested, 400) << tested;
}

// The lines of an address as the designers and the probe hand them over:
// where two lines meet a number ends, while a town name wrapped mid-word
// still reads as one. A line break straight after a digit always ends the
// number (2-21-1 / 101号室, not 2-21-1101).
TEST(CustomerBarcode, AddressLinesCloseANumberWhereTheyMeet)
{
    using namespace Qt::StringLiterals;
    struct TLines {
        const char* postal;
        QStringList lines;
        QByteArray symbols, symbolsWithoutDictionary;
    };
    const TLines rows[] = {
        {"150-0002", {u"東京都"_s, u"渋谷区渋谷"_s, u"2-21-1"_s, u"101号室"_s}, "15000022-21-1-101ddd", {}},
        {"1500002", {u"東京都渋谷区渋谷２－２１－１"_s, u"一〇一号室"_s}, "15000022-21-1-101ddd", {}},
        {"1000001", {u"東京都千代田区千代田1-2"_s, u"3"_s}, "10000011-2-3dddddddd", {}},
        {"7000001", {u"岡山県"_s, u"岡山市北区表町三丁目1-15"_s, u"ソ・ビル"_s, u"502"_s}, "70000013-1-15-502ddd", {}},
        // A town wrapped mid-word, after a numeral of its name, or before
        // the mark of a block number.
        {"1060045", {u"東京都港区麻布十"_s, u"番２－３－４"_s}, "10600452-3-4dddddddd", "106004510-2-3-4ddddd"},
        {"0600001", {u"北海道札幌市中央区北1"_s, u"条西2丁目1"_s}, "06000012-1dddddddddd", "06000011-2-1dddddddd"},
        {"1000005", {u"東京都千代田区丸の内二"_s, u"丁目3-1"_s}, "10000052-3-1dddddddd", {}},
        {"6008022", {u"京都府京都市下京区河原町通四条下ル"_s, u"二丁目稲荷町"_s, u"355"_s}, "6008022355dddddddddd", {}},
        // A last number in kanji ends with its line, whatever the next begins with.
        {"1000005", {u"東京都千代田区丸の内一丁目二番三"_s, u"丸の内ビル"_s}, "10000051-2-3dddddddd", {}},
        {"1000005", {u"東京都千代田区丸の内一丁目二番三"_s, u"101号室"_s}, "10000051-2-3-101dddd", {}},
        {"1000014", {u"東京都千代田区永田町一ノ七ノ一"_s, u"三井ビル"_s}, "10000141-7-1dddddddd", {}},
    };
    for (const bool dictionary : {QFile::exists(kZipcodeDictionaryPath), false}) {
        TPostalDictionary::SetSharedPath(dictionary ? kZipcodeDictionaryPath : QStringLiteral("/nonexistent/zipcode"));
        for (const TLines& r : rows) {
            const QString address = JoinBarcodeAddress(r.lines);
            SCOPED_TRACE((r.lines.join(u'|') + QString::fromUtf16(dictionary ? u" (dictionary)" : u"")).toStdString());
            ExpectBarcode(QString::fromLatin1(r.postal), address,
                          dictionary || r.symbolsWithoutDictionary.isEmpty() ? r.symbols : r.symbolsWithoutDictionary);
        }
    }
    TPostalDictionary::SetSharedPath(kZipcodeDictionaryPath);
}

TEST(CustomerBarcode, PostalCodeIsSevenDigitsOrNothing)
{
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("263-0023")), "2630023");
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("２６３－００２３ ")), "2630023");
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("2630023")), "2630023");
    // zint would take the hyphen as data; a short, old or odd code gives no barcode.
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("26-30023")), "");
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("263-00")), "");
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("263")), "");
    EXPECT_EQ(NormalizeBarcodePostalCode(QStringLiteral("263-00234")), "");
}

TEST(BarcodeRect, MakeBarcodeGoesThroughTheWorkFileAndLeavesNothingBehind)
{
    QTemporaryDir work;
    const QString folder = work.path() + QLatin1Char('/');
    const int refs = SipwenRefCount();
    {
        TBarcodeRect b;
        if (refs == 0) {
            EXPECT_EQ(SipwenCreateAdrsBar("1000013", "", 0, folder, folder, folder + "x.bmp"), kBarcodeNotLoaded);
        }
        // 表 and ソ end in byte 0x5C; the address is cut to 255 bytes on the way.
        const QString address = QStringLiteral("岡山県岡山市北区表町三丁目1-15 ソ・ビル502") + QString(200, u'表');
        b.MakeBarcode(QStringLiteral("700-0001"), address, folder, folder + "Dic/", folder);
        EXPECT_EQ(SipwenRefCount(), refs + 1);
        EXPECT_FALSE(QFile::exists(folder + "Barcode.bmp"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
        ASSERT_FALSE(b.GetBitmap().isNull());
        EXPECT_EQ(ReadBars(b.GetBitmap()), QByteArray("70000013-1-15-502ddd"));
        b.RotateBitmap();
        const std::optional<QImage> back = RotateBitmap(b.GetBitmap(), 2);
        ASSERT_TRUE(back);
        EXPECT_EQ(ReadBars(*back), QByteArray("70000013-1-15-502ddd"));

        // A bad postal code or a work folder that cannot be written: no
        // picture, no file, no message.
        b.MakeBarcode(QStringLiteral("70-1"), address, folder, folder, folder);
        EXPECT_TRUE(b.GetBitmap().isNull());
        b.MakeBarcode(QStringLiteral("7000001"), address, folder, folder, folder + "missing/sub/");
        EXPECT_TRUE(b.GetBitmap().isNull());
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
        EXPECT_EQ(SipwenRefCount(), refs + 1); // one reference per object
    }
    EXPECT_EQ(SipwenRefCount(), refs);
}

TEST(BarcodeRect, SizeClassesFitTheWidthAndResizeAroundTheCentre)
{
    quint8 c = 77;
    EXPECT_FALSE(FindBarcodeSizeClass(682, c));
    EXPECT_EQ(c, 77);
    for (const auto& [width, fitting] : {std::pair{683, 0}, {744, 0}, {745, 1}, {931, 3}, {100000, 3}}) {
        EXPECT_TRUE(FindBarcodeSizeClass(width, c));
        EXPECT_EQ(c, fitting) << width;
    }

    const int sizes[4][2] = {{258, 11}, {281, 12}, {304, 13}, {351, 15}};
    for (quint8 k = 0; k < 4; ++k) {
        EXPECT_EQ(BarcodeLength(k), sizes[k][0]);
        EXPECT_EQ(BarcodeThickness(k), sizes[k][1]);
    }

    TBarcodeRect b;
    b.SetSizeClass(0);
    b.SetRect(TRect(100, 50, 999, 999)); // the mouse moves, never resizes
    EXPECT_EQ(b.GetRect(), TRect(100, 50, 358, 61));
    b.SetSizeClass(2);
    EXPECT_EQ(b.GetRect(), TRect(77, 49, 381, 62));
    b.SetSizeClass(2); // the same class leaves the rectangle alone
    EXPECT_EQ(b.GetRect(), TRect(77, 49, 381, 62));
    b.SetHorizontal(false);
    EXPECT_EQ(b.GetRect(), TRect(77, 49, 381, 62)); // the flag alone
    b.SetSizeClass(3);
    EXPECT_EQ(b.GetRect(), TRect(77 + (304 - 15) / 2, 49 + (13 - 351) / 2, 77 + (304 - 15) / 2 + 15,
                                 49 + (13 - 351) / 2 + 351));

    // A display move of 3 at zoom 2 is 1.5 layout pixels: 2, away from zero.
    TBarcodeRect m;
    m.SetZoom(2.0);
    m.SetRect(TRect(10, 10, 0, 0));
    const TRect d = m.GetDisplayRect();
    m.SetDisplayRect(TRect(d.Left + 3, d.Top - 3, d.Left + 1, d.Top + 1));
    EXPECT_EQ(m.GetRect().Left, 12);
    EXPECT_EQ(m.GetRect().Top, 8);
    EXPECT_EQ(m.GetRect().Width(), 304);
}

TEST(BarcodeRect, RecordsAreByteExactAcrossVersions)
{
    TBarcodeRect b;
    b.SetRect(TRect(-5, 7, 0, 0));
    b.SetHorizontal(false);
    b.SetSizeClass(1);
    b.SetVisible(false);
    const QByteArray rec = Record(b);
    const TRect r = b.GetRect();
    const QByteArray expected = Le32(r.Left) + Le32(r.Top) + Le32(r.Right) + Le32(r.Bottom) +
                                QByteArray("\x00\x01\x00", 3);
    EXPECT_EQ(rec, expected);

    TBarcodeRect back;
    Load(back, rec, DrawRectCurrentVersion);
    EXPECT_EQ(Record(back), rec);

    // Version 199: no Visible in the base part, the item's own after it.
    const QByteArray old = Le32(1) + Le32(2) + Le32(3) + Le32(4) + QByteArray("\x00\x03\x01", 3);
    TBarcodeRect v199;
    Load(v199, old, 199);
    EXPECT_FALSE(v199.IsVisible());
    EXPECT_EQ(v199.GetSizeClass(), 3);
    EXPECT_TRUE(v199.GetHorizontal());
    // Version 200 has neither.
    TBarcodeRect v200;
    Load(v200, Le32(1) + Le32(2) + Le32(3) + Le32(4) + QByteArray("\x02\x01", 2), 200);
    EXPECT_TRUE(v200.IsVisible());
    EXPECT_EQ(v200.GetSizeClass(), 2);

    // Cut short: an error, and the item as it was.
    TBarcodeRect keep;
    keep.SetRect(TRect(9, 9, 0, 0));
    const QByteArray before = Record(keep);
    EXPECT_THROW(Load(keep, rec.left(rec.size() - 1), DrawRectCurrentVersion), EDrawRectStreamError);
    EXPECT_EQ(Record(keep), before);

    // A damaged class byte reads as the largest class, and stays readable.
    QByteArray damaged = rec;
    damaged[17] = char(0xC8);
    TBarcodeRect big;
    Load(big, damaged, DrawRectCurrentVersion);
    EXPECT_EQ(big.GetSizeClass(), 3);
}

#include "support/CorpusReplay.h"
#define BARCODE_RECORD_FUZZER_NO_ENTRY
#include "../../fuzz/barcode_record_fuzzer.cpp"

TEST(BarcodeRecordSeeds, EverySeedReplaysCleanly)
{
    ReplayFuzzCorpus("barcode_record", 6, barcode_fuzz::OneInput);
}

#include "drawing/objects/CustomerBarcode.h"

#include "core/common/PostalDictionary.h"
#include "drawing/objects/CustomerBarcodeTown.h"
#include "drawing/objects/ImageUtils.h"
#include "platform/Cp932.h"

#include <QFile>
#include <QRegularExpression>

#include <atomic>

namespace {

std::atomic<int> gRefCount{0};

int KanjiDigit(QChar c)
{
    const int i = QStringView(u"〇一二三四五六七八九").indexOf(c);
    return i;
}

} // namespace

// ---- text helpers shared with the town search -------------------------------

namespace customer_barcode {

bool IsKanjiNumeral(QChar c)
{
    switch (c.unicode()) {
    case u'〇': case u'一': case u'二': case u'三': case u'四': case u'五': case u'六': case u'七': case u'八':
    case u'九': case u'十': case u'百': case u'千':
        return true;
    default:
        return false;
    }
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\u3000' || c == u'\t';
}

// Positional (二十一 21, 百二 102) when the run holds 十, 百 or 千, else
// digit by digit (二〇三 203).
QString KanjiNumber(QStringView run)
{
    bool positional = false;
    for (QChar c : run)
        positional |= c == u'十' || c == u'百' || c == u'千';
    if (!positional) {
        QString out;
        for (QChar c : run)
            out += QChar(u'0' + KanjiDigit(c));
        return out;
    }
    qint64 total = 0, cur = 0;
    for (QChar c : run) {
        const int d = KanjiDigit(c);
        if (d >= 0) {
            cur = d;
            continue;
        }
        const int unit = c == u'十' ? 10 : c == u'百' ? 100 : 1000;
        total += (cur ? cur : 1) * unit;
        cur = 0;
    }
    return QString::number(total + cur);
}

bool IsKanji(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF) || u == u'々';
}

} // namespace customer_barcode

using namespace customer_barcode;

namespace {

// The length of the mark after which kanji numerals are an address number,
// or 0. Longer marks first, so 丁目 is not taken for 丁.
qsizetype NumberMarkAt(QStringView s, qsizetype at)
{
    static const char16_t* const kMarks[] = {u"丁目", u"番地", u"地割", u"丁", u"番", u"号", u"線", u"の", u"ノ"};
    const QStringView rest = s.mid(at);
    for (const char16_t* m : kMarks)
        if (rest.startsWith(QStringView(m)))
            return QStringView(m).size();
    return 0;
}

bool IsLetter(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool IsKatakana(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x30A1 && u <= 0x30FA) || (u >= 0xFF66 && u <= 0xFF9D);
}

// The block a mark numbers, larger to smaller: 地割 and 線 (0), 丁目 and 丁
// (1), 番 and 番地 (2), 号 (3), の and ノ (4).
int MarkLevel(QStringView mark)
{
    if (mark.startsWith(u'丁'))
        return 1;
    if (mark.startsWith(u'番'))
        return 2;
    if (mark == u"号")
        return 3;
    if (mark == u"の" || mark == u"ノ")
        return 4;
    return 0;
}

// True when kanji numerals followed by a mark are the number of that mark
// rather than part of a town name (八丁堀, 三ノ輪, 一番町, 三の丸). 号, 番地,
// 地割, 線 and 丁目 close a number whatever follows them (no town name goes on
// after them), as in 第二十一地割大淵川 or 六丁目町田東急ツインズ. The number
// of a smaller block straight after a larger one (二丁目四番, 三番五号) is
// one too, whatever name follows it: a town name never stands inside an
// address number. Otherwise a town name goes on in kanji after
// the mark; anything else (a number, a hyphen, a blank, the end, kana, Latin
// letters) closes the number. The address lines are joined without a blank,
// so a building name may start with kanji too: kanji that run into kana or
// Latin letters (新宿センタービル) or end in 館, 棟, 荘 or 寮 (和光本館) are a
// building name, unless they start with a kanji that carries a town name on
// after a numeral (町, 堀, 丸, 輪, 通, 条: 三番町ハイツ, 八丁堀ビル).
bool NumberMarkerAt(QStringView s, qsizetype at, int LastLevel)
{
    const qsizetype n = NumberMarkAt(s, at);
    if (n == 0)
        return false;
    const QStringView mark = s.mid(at, n);
    if (mark == u"号" || mark == u"番地" || mark == u"地割" || mark == u"線" || mark == u"丁目")
        return true;
    if (LastLevel >= 0 && MarkLevel(mark) > LastLevel)
        return true;
    qsizetype i = at + n;
    if (i >= s.size() || !IsKanji(s[i]) || IsKanjiNumeral(s[i]))
        return true;
    if (QStringView(u"町堀丸輪通条").contains(s[i]))
        return false;
    while (i < s.size() && IsKanji(s[i]) && !IsKanjiNumeral(s[i]))
        ++i;
    if (QStringView(u"館棟荘寮").contains(s[i - 1]))
        return true;
    return i < s.size() && (IsKatakana(s[i]) || IsLetter(s[i]));
}

bool IsHyphenLike(char16_t c)
{
    switch (c) {
    case u'-': case u'‐': case u'‑': case u'‒': case u'–': case u'—': case u'―':
    case u'−': case u'－': case u'ー': case u'ｰ': case u'─': case u'━':
        return true;
    default:
        return false;
    }
}

bool IsDropped(char16_t c)
{
    return c == u'&' || c == u'/' || c == u'・' || c == u'･' || c == u'.';
}

// The length of what closes a number at `at` so that the next one goes on
// straight after it: 丁目, 丁, 番, 番地, の, ノ or a hyphen; else 0. 号 ends
// the address number, and 地割 and 線 name a district.
qsizetype ContinuingMarkAt(QStringView s, qsizetype at)
{
    const qsizetype n = NumberMarkAt(s, at);
    const QStringView mark = s.mid(at, n);
    if (n && (mark.startsWith(u'丁') || mark.startsWith(u'番') || mark == u"の" || mark == u"ノ"))
        return n;
    return at < s.size() && s[at] == u'-' ? 1 : 0;
}

// True when what follows kanji numerals that go on from a number ends them as
// the next number with no mark of their own (一ノ七ノ一, 二番三, 四－五): the
// end of the address or of a line, a blank, a digit, a hyphen, a letter, a
// bracket, or a floor or room word (階, 室; F is a letter, 号室 a mark).
// Other kanji or kana after them may begin a building name (三井ビル, 三ツ星):
// the numerals are left as written rather than a number guessed.
bool EndsContinuedNumber(QStringView s, qsizetype at)
{
    if (at >= s.size())
        return true;
    const QChar c = s[at];
    return c == kLineBreak || IsBlank(c) || IsDigit(c) || c == u'-' || IsLetter(c) || c == u'階' || c == u'室' ||
           QStringView(u"()[]{}<>「」『』【】〔〕〈〉《》").contains(c);
}

// Kanji numerals in front of a marker word, and those that go on from a
// number and end it (see EndsContinuedNumber), as Arabic digits. AfterTown:
// s begins right after the town the dictionary matched, so numerals written
// first (永田町一) go on from the town.
QString WithKanjiNumbers(const QString& s, bool AfterTown)
{
    QString out;
    int lastLevel = -1; // the block of the last number, -1 when none or unmarked
    // Where kanji numerals would go on from the number before them; -1 none.
    qsizetype goesOn = -1;
    if (AfterTown)
        for (goesOn = 0; goesOn < s.size() && IsBlank(s[goesOn]);)
            ++goesOn;
    qsizetype i = 0;
    while (i < s.size()) {
        if (IsDigit(s[i])) {
            while (i < s.size() && IsDigit(s[i]))
                out += s[i++];
            const qsizetype n = NumberMarkAt(s, i);
            lastLevel = n ? MarkLevel(QStringView(s).mid(i, n)) : -1;
            if (const qsizetype m = ContinuingMarkAt(s, i))
                goesOn = i + m;
            continue;
        }
        if (!IsKanjiNumeral(s[i])) {
            out += s[i++];
            continue;
        }
        qsizetype j = i;
        while (j < s.size() && IsKanjiNumeral(s[j]))
            ++j;
        const QStringView run = QStringView(s).mid(i, j - i);
        const bool marked = NumberMarkerAt(s, j, lastLevel);
        if (marked || (i == goesOn && EndsContinuedNumber(s, j))) {
            out += KanjiNumber(run);
            lastLevel = marked ? MarkLevel(QStringView(s).mid(j, NumberMarkAt(s, j))) : -1;
            if (const qsizetype m = ContinuingMarkAt(s, j))
                goesOn = j + m;
            // 三 then 101 (a line joined without a break) are two numbers.
            if (j < s.size() && IsDigit(s[j]))
                out += u'-';
        } else {
            out += run.toString();
        }
        i = j;
    }
    return out;
}

} // namespace

namespace customer_barcode {

// Where two lines of the address meet after a digit the number ends (2-21-1
// / 101号室), and after a kanji numeral unless the next line begins with a
// mark (一丁目二番三 / 丸の内ビル ends, 麻布十 / 番 and 丸の内二 / 丁目 run
// on); anywhere else the lines run on as one, so a town name wrapped mid-word
// still reads.
QString Normalized(const QString& address)
{
    QString s;
    s.reserve(address.size());
    for (qsizetype k = 0; k < address.size(); ++k) {
        char16_t c = address[k].unicode();
        if (c >= 0xFF01 && c <= 0xFF5E)
            c = static_cast<char16_t>(c - 0xFF01 + 0x21);
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        if (IsDropped(c))
            continue;
        if (c == u'\r' || c == u'\n') {
            qsizetype next = k + 1;
            while (next < address.size() && (address[next] == u'\r' || address[next] == u'\n'))
                ++next;
            const bool kanjiEnd = !s.isEmpty() && IsKanjiNumeral(s.back()) && !NumberMarkAt(address, next);
            if (!s.isEmpty() && (IsDigit(s.back()) || kanjiEnd))
                s += QChar(kLineBreak);
            continue;
        }
        s += IsHyphenLike(c) ? QChar(u'-') : QChar(c);
    }
    return s;
}

// The address number of a normalised text (see ExtractAddressNumber).
QByteArray NumberOf(const QString& Normal, bool AfterTown)
{
    const QString s = WithKanjiNumbers(Normal, AfterTown);
    // Digits, hyphens and lone letters are kept; whatever stands between
    // them (kanji, kana, blanks, runs of letters, the floor mark F after a
    // number) becomes one hyphen.
    QByteArray raw;
    bool gap = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        bool keep = IsDigit(c) || c == u'-';
        if (IsLetter(c)) {
            const bool lone = (i == 0 || !IsLetter(s[i - 1])) && (i + 1 == s.size() || !IsLetter(s[i + 1]));
            const bool floorMark = c == u'F' && i > 0 && IsDigit(s[i - 1]);
            keep = lone && !floorMark;
        }
        if (!keep) {
            gap = true;
            continue;
        }
        if (gap)
            raw += '-';
        gap = false;
        raw += char(c.unicode());
    }
    // One hyphen for a run, none in front, none beside a letter.
    QByteArray collapsed;
    for (char c : raw)
        if (!(c == '-' && (collapsed.isEmpty() || collapsed.back() == '-')))
            collapsed += c;
    QByteArray out;
    for (qsizetype i = 0; i < collapsed.size(); ++i) {
        const char c = collapsed[i];
        if (c == '-') {
            const bool letterBefore = i > 0 && collapsed[i - 1] >= 'A' && collapsed[i - 1] <= 'Z';
            const bool letterAfter = i + 1 < collapsed.size() && collapsed[i + 1] >= 'A' && collapsed[i + 1] <= 'Z';
            if (letterBefore || letterAfter)
                continue;
        }
        out += c;
    }
    // Nor at the end: a word after the numbers (タワー, a typed "－") would
    // otherwise leave one.
    while (out.endsWith('-'))
        out.chop(1);
    return out;
}

} // namespace customer_barcode

namespace {

// Bars of the symbol values 0-18.
constexpr const char* kBarTable[19] = {"144", "114", "132", "312", "123", "141", "321", "213", "231", "411",
                                       "414", "324", "342", "234", "432", "243", "423", "441", "111"};

char SymbolOfValue(int v)
{
    return v < 10 ? char('0' + v) : v == 10 ? '-' : char('a' + v - 11);
}

QString WithSeparator(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    return folder;
}

} // namespace

QByteArray NormalizeBarcodePostalCode(const QString& PostalCode)
{
    QByteArray digits;
    const QString s = Normalized(PostalCode).trimmed();
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (IsDigit(s[i]))
            digits += char(s[i].unicode());
        else if (!(s[i] == u'-' && i == 3 && digits.size() == 3))
            return {};
    }
    return digits.size() == 7 ? digits : QByteArray();
}

namespace {

// A postal code typed into the address (〒100-0014, pasted from a list that
// keeps it there) is not part of the place: the mark and the code go, so
// the town is still found and the code's digits never join the number.
QString WithoutPostalMark(const QString& Address)
{
    if (!Address.contains(u'〒'))
        return Address;
    static const QRegularExpression mark(
        QStringLiteral("〒[ \\t　]*[0-9０-９]{3}[ \\t　]*[-‐‑‒–—―−－ーｰ]?[ \\t　]*[0-9０-９]{4}"));
    return QString(Address).remove(mark);
}

} // namespace

QByteArray ExtractAddressNumber(const QString& Address)
{
    const QString s = Normalized(WithoutPostalMark(Address));
    return NumberOf(s.mid(StreetDesignationEnd(s, 0)));
}

QByteArray ExtractAddressNumber(TPostalDictionary& Dictionary, const QByteArray& PostalCode7, const QString& Address)
{
    const QString address = WithoutPostalMark(Address);
    const QString s = Normalized(address);
    bool townFound = false;
    const qsizetype start = AddressNumberStart(Dictionary, PostalCode7, address, s, &townFound);
    return NumberOf(s.mid(start), townFound);
}

QByteArray ExtractAddressNumber(const QByteArray& PostalCode7, const QString& Address)
{
    return ExtractAddressNumber(TPostalDictionary::Shared(), PostalCode7, Address);
}

QString JoinBarcodeAddress(const QStringList& Lines)
{
    return Lines.join(QChar(kLineBreak));
}

QByteArray CustomerBarcodeSymbols(const QByteArray& PostalCode7, const QByteArray& AddressNumber)
{
    QByteArray s = PostalCode7.left(7);
    for (char c : AddressNumber) {
        if (s.size() >= 20)
            break;
        if (c >= 'A' && c <= 'Z') {
            const int i = c - 'A';
            s += char('a' + i / 10);
            if (s.size() < 20)
                s += char('0' + i % 10);
        } else if ((c >= '0' && c <= '9') || c == '-') {
            s += c;
        }
    }
    while (s.size() < 20)
        s += 'd';
    return s;
}

int CustomerBarcodeValue(char Symbol)
{
    if (Symbol >= '0' && Symbol <= '9')
        return Symbol - '0';
    if (Symbol == '-')
        return 10;
    if (Symbol >= 'a' && Symbol <= 'h')
        return 11 + Symbol - 'a';
    return -1;
}

char CustomerBarcodeCheck(const QByteArray& Symbols)
{
    int sum = 0;
    for (char c : Symbols)
        sum += std::max(0, CustomerBarcodeValue(c));
    return SymbolOfValue((19 - sum % 19) % 19);
}

std::vector<quint8> CustomerBarcodeBars(const QByteArray& Symbols)
{
    std::vector<quint8> bars{bkLong, bkDescender};
    auto add = [&](char symbol) {
        const int v = CustomerBarcodeValue(symbol);
        for (const char* p = kBarTable[v < 0 ? 14 : v]; *p; ++p)
            bars.push_back(static_cast<quint8>(*p - '0'));
    };
    for (char c : Symbols)
        add(c);
    add(CustomerBarcodeCheck(Symbols));
    bars.push_back(bkDescender);
    bars.push_back(bkLong);
    return bars;
}

QImage CustomerBarcodeImage(const std::vector<quint8>& Bars, bool Horizontal)
{
    constexpr int u = kBarcodeUnitPixels;
    if (Bars.empty())
        return {};
    QImage img = NewBitmap1(static_cast<int>(Bars.size() * 2 - 1) * u, 6 * u);
    for (size_t i = 0; i < Bars.size(); ++i) {
        int top = 0, bottom = 6;
        switch (Bars[i]) {
        case bkAscender: bottom = 4; break;
        case bkDescender: top = 2; break;
        case bkTiming: top = 2; bottom = 4; break;
        default: break;
        }
        for (int y = top * u; y < bottom * u; ++y)
            for (int x = 0; x < u; ++x)
                img.setPixel(static_cast<int>(i) * 2 * u + x, y, 0);
    }
    if (Horizontal)
        return img;
    std::optional<QImage> turned = RotateBitmap(img, 1);
    return turned ? *turned : QImage();
}

int SipwenLoad(const QString&)
{
    ++gRefCount;
    return 0;
}

void SipwenFree()
{
    int n = gRefCount.load();
    while (n > 0 && !gRefCount.compare_exchange_weak(n, n - 1)) {
    }
}

int SipwenRefCount()
{
    return gRefCount.load();
}

int SipwenCreateAdrsBar(const QByteArray& PostalCode, const QByteArray& Address, int Direction,
                        const QString& /*LibraryFolder*/, const QString& DictionaryFolder, const QString& FileName)
{
    if (gRefCount.load() <= 0)
        return kBarcodeNotLoaded;
    const QString file = cp932::Trim(FileName).isEmpty() ? WithSeparator(DictionaryFolder) + QStringLiteral("Barcode.bmp")
                                                         : FileName;
    const QByteArray postal = NormalizeBarcodePostalCode(cp932::Decode(PostalCode));
    if (postal.isEmpty())
        return kBarcodeBadPostalCode;
    const QByteArray symbols = CustomerBarcodeSymbols(postal, ExtractAddressNumber(postal, cp932::Decode(Address)));
    const QImage img = CustomerBarcodeImage(CustomerBarcodeBars(symbols), Direction == 0);
    if (img.isNull() || !img.save(file, "BMP")) {
        QFile::remove(file);
        return kBarcodeWriteFailed;
    }
    return kBarcodeOk;
}

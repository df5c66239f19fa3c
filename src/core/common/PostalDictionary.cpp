#include "core/common/PostalDictionary.h"

#include <QFile>
#include <algorithm>
#include <numeric>
#include <cerrno>
#include <iconv.h>
#include <memory>

namespace {

// EUC-JP with the JIS X 0213 planes the SKK files use; a byte that does not
// decode becomes U+FFFD and the rest of the file still reads.
QString DecodeEuc(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-16LE", "EUC-JISX0213");
    if (cd == reinterpret_cast<iconv_t>(-1))
        cd = iconv_open("UTF-16LE", "EUC-JP");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    const std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
    QByteArray out(bytes.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* dst = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: every EUC character takes at most two UTF-16 units per byte pair
        // Invalid or truncated sequence: replace one byte and go on.
        ++in;
        --inLeft;
        if (outLeft >= 2) {
            *dst++ = char(0xFD);
            *dst++ = char(0xFF);
            outLeft -= 2;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(out.constData()),
                              qsizetype((out.size() - qsizetype(outLeft)) / 2));
}

} // namespace

bool ReadSkkDictionary(const QString& path, QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    text = DecodeEuc(f.readAll());
    return true;
}

namespace {

const QString kPrefectureSuffixes = QStringLiteral("都道府県");

QString PrefectureOf(const QString& address)
{
    if (address.startsWith(u"北海道"))
        return QStringLiteral("北海道");
    // 東京都, 京都府, 大阪府 and the 県: two to three characters and the suffix.
    for (int len = 2; len <= 4 && len < address.size(); ++len)
        if (kPrefectureSuffixes.contains(address.at(len)))
            return address.left(len + 1);
    return {};
}

// When the dictionary does not know the municipality: the county's town or
// village, else the text up to the first 市, 区, 町 or 村.
QString GuessCity(const QString& rest)
{
    const qsizetype gun = rest.indexOf(u'郡');
    if (gun > 0) {
        for (qsizetype i = gun + 1; i < rest.size(); ++i)
            if (rest.at(i) == u'町' || rest.at(i) == u'村')
                return rest.left(i + 1);
    }
    for (qsizetype i = 1; i < rest.size(); ++i) {
        const QChar c = rest.at(i);
        if (c == u'市' || c == u'区' || c == u'町' || c == u'村') {
            // 四日市市, 廿日市市: the city name holds a 市 of its own.
            if (c == u'市' && i + 1 < rest.size() && rest.at(i + 1) == u'市')
                ++i;
            return rest.left(i + 1);
        }
    }
    return {};
}

} // namespace

QString DictionaryMissingMessage(const QString& path)
{
    return QStringLiteral("辞書ファイルが読み込めませんでした。  \r\n") + path + QStringLiteral("  ");
}

// ---- postal codes ----------------------------------------------------------

TPostalDictionary::TPostalDictionary(QString path) : TLazyDictionary(std::move(path), &TPostalDictionary::Read) {}

namespace {

// The shared dictionary and those it replaced (a test may point it at
// another file while a caller still holds the old one).
struct TSharedPostal {
    std::mutex mutex;
    std::atomic<TPostalDictionary*> current{nullptr};
    std::vector<std::unique_ptr<TPostalDictionary>> kept;
};

TSharedPostal& SharedPostal()
{
    static TSharedPostal shared;
    return shared;
}

} // namespace

TPostalDictionary& TPostalDictionary::Shared()
{
    TSharedPostal& s = SharedPostal();
    if (TPostalDictionary* d = s.current.load(std::memory_order_acquire))
        return *d;
    std::lock_guard lock(s.mutex);
    if (!s.current.load(std::memory_order_relaxed)) {
        s.kept.push_back(std::make_unique<TPostalDictionary>());
        s.current.store(s.kept.back().get(), std::memory_order_release);
    }
    return *s.current.load(std::memory_order_relaxed);
}

void TPostalDictionary::SetSharedPath(const QString& path)
{
    TSharedPostal& s = SharedPostal();
    std::lock_guard lock(s.mutex);
    s.kept.push_back(std::make_unique<TPostalDictionary>(path));
    s.current.store(s.kept.back().get(), std::memory_order_release);
}

TPostalData TPostalDictionary::Read(const QString& path)
{
    TPostalData d;
    QString text;
    if (!ReadSkkDictionary(path, text))
        return d;
    d.entries.reserve(130000);
    ForEachSkkEntry(text, [&](QStringView code, QStringView rest) {
        if (code.size() != 7)
            return;
        // One code may serve several places: "/A/B/".
        for (QStringView a : rest.split(u'/', Qt::SkipEmptyParts)) {
            d.entries.push_back({code.toString(), a.toString()});
            // The "xxxxx00" codes stand for a whole municipality.
            if (code.endsWith(u"00"))
                d.municipalities.push_back(d.entries.back().Address);
        }
    });
    std::stable_sort(d.entries.begin(), d.entries.end(),
                     [](const TPostalEntry& a, const TPostalEntry& b) { return a.Code < b.Code; });
    std::sort(d.municipalities.begin(), d.municipalities.end());
    d.municipalities.erase(std::unique(d.municipalities.begin(), d.municipalities.end()), d.municipalities.end());
    // Printing looks addresses up card by card: an index, not a scan.
    d.byAddress.resize(d.entries.size());
    std::iota(d.byAddress.begin(), d.byAddress.end(), quint32(0));
    std::stable_sort(d.byAddress.begin(), d.byAddress.end(),
                     [&](quint32 a, quint32 b) { return d.entries[a].Address < d.entries[b].Address; });
    for (const TPostalEntry& e : d.entries)
        d.longestAddress = std::max(d.longestAddress, e.Address.size());
    d.ok = true;
    return d;
}

std::vector<TPostalEntry> TPostalDictionary::FindByCode(const QString& code)
{
    std::vector<TPostalEntry> out;
    QString digits;
    for (QChar c : code.normalized(QString::NormalizationForm_KC))
        if (c.isDigit())
            digits += c;
    if (!Ready() || (digits.size() != 3 && digits.size() != 5 && digits.size() != 7))
        return out;
    auto it = std::lower_bound(data()->entries.begin(), data()->entries.end(), digits,
                               [](const TPostalEntry& e, const QString& k) { return e.Code < k; });
    for (; it != data()->entries.end() && it->Code.startsWith(digits); ++it)
        out.push_back(*it);
    return out;
}

std::vector<quint32> TPostalDictionary::StartingWith(QStringView Head)
{
    const TPostalData& d = *data();
    auto it = std::lower_bound(d.byAddress.begin(), d.byAddress.end(), Head,
                               [&](quint32 i, QStringView k) { return QStringView(d.entries[i].Address) < k; });
    std::vector<quint32> out;
    for (; it != d.byAddress.end() && d.entries[*it].Address.startsWith(Head); ++it)
        out.push_back(*it);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<TPostalEntry> TPostalDictionary::FindByAddress(const QString& text)
{
    std::vector<TPostalEntry> out;
    QString key;
    for (QChar c : text)
        if (c.unicode() > 0x20 && c != u'\u3000')
            key += c;
    if (!Ready() || key.isEmpty())
        return out;
    // The longest address the text begins with: its prefixes from the
    // longest down, each looked up in the index.
    const TPostalData& d = *data();
    for (qsizetype n = std::min(key.size(), d.longestAddress); n > 0 && out.empty(); --n) {
        const QStringView prefix = QStringView(key).left(n);
        auto it = std::lower_bound(d.byAddress.begin(), d.byAddress.end(), prefix,
                                   [&](quint32 i, QStringView k) { return QStringView(d.entries[i].Address) < k; });
        for (; it != d.byAddress.end() && d.entries[*it].Address == prefix; ++it)
            out.push_back(d.entries[*it]);
    }
    if (!out.empty())
        return out;
    for (quint32 i : StartingWith(key))
        out.push_back(d.entries[i]);
    return out;
}

QString TPostalDictionary::CityOf(const QString& tdfkn, const QString& rest)
{
    // The longest known municipality the text begins with: 札幌市中央区
    // rather than 札幌市.
    const QString full = tdfkn + rest;
    const auto& m = data()->municipalities;
    QString best;
    auto it = std::upper_bound(m.begin(), m.end(), full);
    // Every prefix of full sorts before it; walk back while the entries share
    // the prefecture.
    while (it != m.begin()) {
        --it;
        if (!it->startsWith(tdfkn))
            break;
        if (full.startsWith(*it) && it->size() > best.size())
            best = *it;
    }
    return best.isEmpty() ? GuessCity(rest) : best.mid(tdfkn.size());
}

TAddressParts TPostalDictionary::Split(const QString& address)
{
    TAddressParts p;
    p.Tdfkn = PrefectureOf(address);
    QString rest = address.mid(p.Tdfkn.size());
    p.City = Ready() ? CityOf(p.Tdfkn, rest) : GuessCity(rest);
    p.Town = rest.mid(p.City.size());
    return p;
}


std::vector<TAddressParts> TPostalDictionary::PlacesOf(QStringView code7)
{
    std::vector<TAddressParts> out;
    if (code7.size() != 7 || !Ready())
        return out;
    const auto& e = data()->entries;
    auto it = std::lower_bound(e.begin(), e.end(), code7,
                               [](const TPostalEntry& x, QStringView k) { return QStringView(x.Code) < k; });
    for (; it != e.end() && it->Code == code7; ++it)
        out.push_back(Split(it->Address));
    return out;
}

std::vector<TAddressParts> TPostalDictionary::PlacesUnder(const QString& Head)
{
    std::vector<TAddressParts> out;
    if (Head.isEmpty() || !Ready())
        return out;
    const std::vector<quint32> found = StartingWith(Head);
    // When Head is a municipality the file knows and no other one begins
    // with it, every place under it splits there; otherwise each is split
    // on its own.
    const TAddressParts head = Split(Head);
    const auto& m = data()->municipalities;
    const auto first = std::lower_bound(m.begin(), m.end(), Head);
    const bool sole = first != m.end() && *first == Head && (first + 1 == m.end() || !(first + 1)->startsWith(Head)) &&
                      head.Tdfkn + head.City == Head;
    out.reserve(found.size());
    for (quint32 i : found) {
        const QString& address = data()->entries[i].Address;
        out.push_back(sole ? TAddressParts{head.Tdfkn, head.City, address.mid(Head.size()), {}} : Split(address));
    }
    return out;
}

#include "platform/Font.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QSet>
#include <cmath>
#include <cstdlib>
#include <limits>

QColor ToQColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& c)
{
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long p = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const long long q = (std::llabs(p) + half) / std::llabs(c);
    const long long r = negative ? -q : q;
    // A result beyond the int range is an overflow: -1, as Windows gives.
    if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(r);
}

namespace {

// Heights and sizes are each other's negatives; INT_MIN has none.
int Negated(int v)
{
    return v == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -v;
}

} // namespace

TFont::TFont() : name_(QStringLiteral("ＭＳ Ｐゴシック")), charset_(SHIFTJIS_CHARSET)
{
    SetSize(9);
}

QString TFont::FaceName() const
{
    return IsVerticalFace() ? name_.mid(1) : name_;
}

int TFont::Size() const
{
    return Negated(MulDiv(height_, 72, ppi_));
}

void TFont::SetSize(int points)
{
    height_ = Negated(MulDiv(points, ppi_, 72));
}

void TFont::Assign(const TFont& source)
{
    const int ppi = ppi_;
    *this = source;
    if (ppi != source.ppi_) {
        ppi_ = ppi;
        SetSize(source.Size());
    }
}

bool TFont::operator==(const TFont& o) const
{
    return name_ == o.name_ && charset_ == o.charset_ && height_ == o.height_ && ppi_ == o.ppi_ &&
           style_ == o.style_ && color_ == o.color_ && escapement_ == o.escapement_ &&
           orientation_ == o.orientation_ && width_ == o.width_;
}

namespace {

// Each installed family under every name it goes by (the IPA fonts list
// themselves under their Japanese names in a Japanese locale).
struct FamilyAliases {
    const char* latin;
    const char* local;
};
constexpr FamilyAliases kIpaFamilies[] = {
    {"IPAMincho", "IPA明朝"},       {"IPAPMincho", "IPA P明朝"},       {"IPAGothic", "IPAゴシック"},
    {"IPAPGothic", "IPA Pゴシック"}, {"IPAexMincho", "IPAex明朝"},     {"IPAexGothic", "IPAexゴシック"},
};

// The Windows Japanese faces and the IPA face drawn for each.
struct Substitute {
    const char* windows;
    const char* ipa;
};
constexpr Substitute kSubstitutes[] = {
    {"ＭＳ 明朝", "IPAMincho"},       {"MS Mincho", "IPAMincho"},     {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"MS PMincho", "IPAPMincho"},     {"ＭＳ ゴシック", "IPAGothic"}, {"MS Gothic", "IPAGothic"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},   {"ＭＳ ＵＩ Ｇｏｔｈｉｃ", "IPAPGothic"},
    {"MS UI Gothic", "IPAPGothic"},
};

const QHash<QString, QString>& installedFamilies()
{
    // lower-cased name -> name as the font database spells it
    static const QHash<QString, QString> families = [] {
        QHash<QString, QString> h;
        for (const QString& f : QFontDatabase::families())
            h.insert(f.toLower(), f);
        return h;
    }();
    return families;
}

QString installedName(const QString& family)
{
    const auto& installed = installedFamilies();
    auto it = installed.find(family.toLower());
    if (it != installed.end())
        return *it;
    for (const auto& a : kIpaFamilies) {
        if (family.compare(QLatin1String(a.latin), Qt::CaseInsensitive) == 0 ||
            family == QString::fromUtf8(a.local)) {
            for (const QString& alias : {QString::fromLatin1(a.latin), QString::fromUtf8(a.local)}) {
                it = installed.find(alias.toLower());
                if (it != installed.end())
                    return *it;
            }
        }
    }
    return {};
}

bool looksLikeMincho(const QString& face)
{
    static const char* const kMarks[] = {"明朝", "mincho", "serif", "times", "century", "roman", "教科書"};
    const QString lower = face.toLower();
    for (const char* m : kMarks)
        if (lower.contains(QString::fromUtf8(m)))
            return true;
    return false;
}

struct RawKey {
    QString family;
    bool bold;
    bool italic;
    bool operator==(const RawKey& o) const
    {
        return family == o.family && bold == o.bold && italic == o.italic;
    }
};
size_t qHash(const RawKey& k, size_t seed = 0)
{
    return ::qHash(k.family, seed) ^ (k.bold ? 0x51 : 0) ^ (k.italic ? 0xA3 : 0);
}

// Raw fonts are loaded once per family and style; sizes are set on copies.
QRawFont baseRawFont(const QString& family, bool bold, bool italic)
{
    static QHash<RawKey, QRawFont> cache;
    const RawKey key{family, bold, italic};
    auto it = cache.find(key);
    if (it != cache.end())
        return *it;
    QFont f(family);
    f.setPixelSize(100);
    f.setBold(bold);
    f.setItalic(italic);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    QRawFont raw = QRawFont::fromFont(f);
    if ((bold || italic) && raw.familyName() != family) {
        // No such weight or slant in the family: keep the family and let
        // the canvas embolden or slant it, as Windows does.
        raw = baseRawFont(family, false, false);
    }
    cache.insert(key, raw);
    return raw;
}

bool supportsJapanese(const QString& family)
{
    static QHash<QString, bool> cache;
    auto it = cache.find(family);
    if (it != cache.end())
        return *it;
    const bool ja = QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
    cache.insert(family, ja);
    return ja;
}

// The top of the ideographic em box as a fraction of the em: the typographic
// ascender when ascender and descender span exactly one em (as in the IPA
// fonts), else 0.88, where CJK faces commonly put it.
double emBoxAscent(const QRawFont& raw)
{
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    const double upem = raw.isValid() ? raw.unitsPerEm() : 0;
    if (os2.size() >= 72 && upem > 0) {
        auto s16 = [&](int at) {
            return static_cast<qint16>((static_cast<quint8>(os2[at]) << 8) | static_cast<quint8>(os2[at + 1]));
        };
        const int typoAscender = s16(68);
        const int typoDescender = s16(70);
        if (typoAscender > 0 && typoAscender - typoDescender == static_cast<int>(upem))
            return typoAscender / upem;
    }
    return 0.88;
}

} // namespace

QString ResolveFontFamily(const QString& storedName)
{
    static QHash<QString, QString> cache;
    auto cached = cache.find(storedName);
    if (cached != cache.end())
        return *cached;
    QString face = storedName.startsWith(QLatin1Char('@')) ? storedName.mid(1) : storedName;
    QString result;
    for (const auto& s : kSubstitutes) {
        if (face == QString::fromUtf8(s.windows)) {
            result = installedName(QString::fromLatin1(s.ipa));
            break;
        }
    }
    if (result.isEmpty() && !face.isEmpty())
        result = installedName(face);
    if (result.isEmpty())
        result = installedName(looksLikeMincho(face) ? QStringLiteral("IPAexMincho") : QStringLiteral("IPAexGothic"));
    if (result.isEmpty())
        result = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    cache.insert(storedName, result);
    return result;
}

void InstallFontSubstitutes()
{
    for (const auto& s : kSubstitutes) {
        const QString family = installedName(QString::fromLatin1(s.ipa));
        if (family.isEmpty())
            continue;
        const QString name = QString::fromUtf8(s.windows);
        QFont::removeSubstitutions(name);
        QFont::insertSubstitution(name, family);
        QFont::removeSubstitutions(QLatin1Char('@') + name);
        QFont::insertSubstitution(QLatin1Char('@') + name, family);
    }
    // The ideographs beyond the basic plane (CJK Extension B, 𠮷), which the
    // IPA faces lack, are drawn in IPAmj Mincho after them.
    const QString extensionB = installedName(QStringLiteral("IPAmjMincho"));
    if (!extensionB.isEmpty())
        for (const QString& face : {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAMincho"),
                                    QStringLiteral("IPAPMincho"), QStringLiteral("IPAexGothic"), QStringLiteral("IPAexMincho")})
            if (const QString installed = installedName(face); !installed.isEmpty())
                QFont::insertSubstitution(installed, extensionB);
}

namespace {

TFontFace realizeFontAnew(const TFont& font)
{
    TFontFace face;
    const QString family = ResolveFontFamily(font.Name());
    QRawFont raw = baseRawFont(family, font.Bold(), font.Italic());
    face.japanese = font.Charset() == SHIFTJIS_CHARSET || supportsJapanese(family);
    const double a = raw.isValid() ? raw.ascent() / raw.pixelSize() : 0.88;
    const double d = raw.isValid() ? raw.descent() / raw.pixelSize() : 0.12;

    double em;
    if (font.Height() < 0)
        em = -static_cast<double>(font.Height());
    else if (font.Height() > 0)
        em = face.japanese ? font.Height() : font.Height() / (a + d);
    else
        em = MulDiv(9, font.PixelsPerInch(), 72);
    // A height beyond any device is drawn at the largest one, so the cell
    // metrics and the advances of a line stay within int.
    em = std::min(em, kMaxEmPixels);
    face.em = em;
    if (raw.isValid()) {
        raw.setPixelSize(std::max(em, 0.01));
        face.syntheticBold = font.Bold() && raw.weight() < QFont::DemiBold;
        face.syntheticItalic = font.Italic() && raw.style() == QFont::StyleNormal;
    }
    face.raw = raw;

    if (face.japanese) {
        // The Windows Japanese faces: the cell is the em box the ideographs
        // are designed in.
        const int cell = static_cast<int>(std::lround(em));
        face.ascent = static_cast<int>(std::lround(em * emBoxAscent(raw)));
        face.descent = cell - face.ascent;
        face.internalLeading = 0;
        face.aveCharWidth = static_cast<int>(std::lround(em / 2));
    } else {
        face.ascent = static_cast<int>(std::ceil(em * a - 1e-6));
        face.descent = static_cast<int>(std::ceil(em * d - 1e-6));
        face.internalLeading = std::max(0, face.ascent + face.descent - static_cast<int>(std::lround(em)));
        face.aveCharWidth =
            raw.isValid() ? static_cast<int>(std::lround(raw.averageCharWidth())) : static_cast<int>(std::lround(em / 2));
    }
    if (font.Width() > 0 && face.aveCharWidth > 0)
        face.stretch = double(font.Width()) / face.aveCharWidth;
    return face;
}

// Bounds every cache of realised faces: a layout names a handful of faces
// and sizes, a damaged or fuzzed one may name any number.
constexpr qsizetype kMaxCachedFaces = 512;

} // namespace

TFaceKey FaceKeyOf(const TFont& font)
{
    return {font.Name(),  font.Height(), font.Height() == 0 ? font.PixelsPerInch() : 0, font.Width(),
            font.Charset(), font.Bold(),  font.Italic()};
}

size_t qHash(const TFaceKey& k, size_t seed)
{
    return qHashMulti(seed, k.name, k.height, k.ppi, k.width, k.charset, k.bold, k.italic);
}

TFontFace RealizeFont(const TFont& font)
{
    // A face at a size is realised once, so its raw font keeps the glyphs it
    // has loaded: setting a pixel size makes a new font engine that loads
    // every glyph again. Raw fonts belong to the thread that made them.
    thread_local QHash<TFaceKey, TFontFace> cache;
    const TFaceKey key = FaceKeyOf(font);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() >= kMaxCachedFaces)
        cache.clear();
    return *cache.insert(key, realizeFontAnew(font));
}

QRawFont FallbackRawFont(int index, double pixelSize)
{
    static const QStringList chain = [] {
        QStringList c;
        // IPAmj Mincho: the ideographs beyond the basic plane (CJK Extension B, 𠮷).
        for (const char* f : {"IPAexGothic", "IPAGothic", "IPAmjMincho", "DejaVu Sans"}) {
            const QString name = installedName(QString::fromLatin1(f));
            if (!name.isEmpty())
                c << name;
        }
        return c;
    }();
    if (index < 0 || index >= chain.size())
        return {};
    thread_local QHash<QPair<int, double>, QRawFont> cache;
    const QPair<int, double> key(index, pixelSize);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QRawFont raw = baseRawFont(chain.at(index), false, false);
    if (raw.isValid())
        raw.setPixelSize(pixelSize);
    if (cache.size() >= kMaxCachedFaces)
        cache.clear();
    cache.insert(key, raw);
    return raw;
}

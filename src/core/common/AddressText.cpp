#include "core/common/AddressText.h"

#include "platform/Cp932.h"

#include <QDateTime>
#include <QHash>

// ---------------------------------------------------------------------------
// Narrow text

QByteArray ExtractNumChars(const QByteArray& text, uint8_t kinds)
{
    QByteArray result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (cp932::IsLeadByte(b)) {
            ++i; // the trail byte may look like a digit: skip the pair whole
            continue;
        }
        if ((b >= '0' && b <= '9' && (kinds & kExtractDigits)) || (b == '-' && (kinds & kExtractHyphen))
            || (b == '.' && (kinds & kExtractPeriod)))
            result.append(char(b));
    }
    return result;
}

void ExtractNumChars(const QByteArray& text, uint8_t kinds, QByteArray& result)
{
    result = ExtractNumChars(text, kinds);
}

QByteArray WideToAtHex(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 5);
    for (QChar c : text)
        out += '@' + QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
    return out;
}

namespace {
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

QString AtHexToWide(const QByteArray& text)
{
    if (text.isEmpty() || text[0] != '@' || text.size() % 5 != 0)
        return cp932::Decode(text);
    QString out;
    out.reserve(text.size() / 5);
    for (qsizetype i = 0; i < text.size(); i += 5) {
        if (text[i] != '@')
            return cp932::Decode(text);
        int unit = 0;
        for (int k = 1; k <= 4; ++k) {
            const int d = hexDigit(text[i + k]);
            if (d < 0)
                return cp932::Decode(text);
            unit = unit * 16 + d;
        }
        out += QChar(char16_t(unit));
    }
    return out;
}

// ---------------------------------------------------------------------------
// Corporate forms

namespace {

// Each corporate form is marked by one character, written in half-width
// brackets "(株)" or full-width brackets "（株）" (15 forms, 30 marks), and
// some also as a single enclosed character (24 marks). 54 marks in all.
//
//   mark  full form              enclosed forms
//   株    株式会社               ㈱ ㊑ ㍿
//   有    有限会社               ㈲ ㊒
//   資    合資会社               ㈾ ㊮
//   名    合名会社               ㈴ ㊔
//   同    合同会社               -
//   医    医療法人               ㊩
//   財    財団法人               ㈶ ㊖
//   社    社団法人               ㈳ ㊓
//   宗    宗教法人               ㊪
//   学    学校法人               ㈻ ㊫
//   福    社会福祉法人           -
//   特    特定非営利活動法人     ㈵  (the circled ㊕ means "special offer", not a legal form)
//   協    協同組合               ㈿ ㊯
//   監    監査法人               ㈼ ㊬
//   企    企業組合               ㈽ ㊭
struct CorpForm {
    char16_t mark;
    const char16_t* full;
    const char16_t* enclosed;
};
constexpr CorpForm kCorpForms[] = {
    {u'株', u"株式会社", u"㈱㊑㍿"},
    {u'有', u"有限会社", u"㈲㊒"},
    {u'資', u"合資会社", u"㈾㊮"},
    {u'名', u"合名会社", u"㈴㊔"},
    {u'同', u"合同会社", u""},
    {u'医', u"医療法人", u"㊩"},
    {u'財', u"財団法人", u"㈶㊖"},
    {u'社', u"社団法人", u"㈳㊓"},
    {u'宗', u"宗教法人", u"㊪"},
    {u'学', u"学校法人", u"㈻㊫"},
    {u'福', u"社会福祉法人", u""},
    {u'特', u"特定非営利活動法人", u"㈵"},
    {u'協', u"協同組合", u"㈿㊯"},
    {u'監', u"監査法人", u"㈼㊬"},
    {u'企', u"企業組合", u"㈽㊭"},
};

// Marks keyed by their text: "(株)", "（株）" and the enclosed characters.
const QHash<QString, QString>& corpMarks()
{
    static const QHash<QString, QString> marks = [] {
        QHash<QString, QString> h;
        for (const CorpForm& f : kCorpForms) {
            const QString full = QString::fromUtf16(f.full);
            h.insert(QStringLiteral("(") + QChar(f.mark) + u')', full);
            h.insert(QStringLiteral("（") + QChar(f.mark) + u'）', full);
            for (const char16_t* e = f.enclosed; *e; ++e)
                h.insert(QString(QChar(*e)), full);
        }
        return h;
    }();
    return marks;
}

} // namespace

QString ExpandCorpFormW(const QString& text)
{
    const auto& marks = corpMarks();
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((c == u'(' || c == u'（') && i + 2 < text.size()) {
            auto it = marks.constFind(text.mid(i, 3));
            if (it != marks.constEnd()) {
                out += *it;
                i += 2;
                continue;
            }
        } else if (c.unicode() >= 0x3200 && c.unicode() < 0x3400) {
            auto it = marks.constFind(QString(c));
            if (it != marks.constEnd()) {
                out += *it;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Address conversions

namespace {
constexpr char16_t kKanjiDigits[] = u"〇一二三四五六七八九";

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'０' && u <= u'９')
        return u - u'０';
    return -1;
}

bool isNumeral(QChar c)
{
    if (digitValue(c) >= 0)
        return true;
    for (const char16_t* k = kKanjiDigits; *k; ++k)
        if (c == QChar(*k))
            return true;
    return c == u'十' || c == u'百' || c == u'千';
}

bool isHyphenLike(QChar c)
{
    switch (c.unicode()) {
    case 0x002D: case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014:
    case 0x2015: case 0x2212: case 0xFF0D: case 0xFF70: case 0x30FC:
        return true;
    default:
        return false;
    }
}
} // namespace

QString DigitsToKanjiW(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const int d = digitValue(c);
        if (d >= 0)
            c = QChar(kKanjiDigits[d]);
    }
    return out;
}

QString ReplaceHyphenW(const QString& text, int kind)
{
    const QChar replacement = kind == 1 ? QChar(u'の') : QChar(u'ー');
    QString out = text;
    for (qsizetype i = 1; i + 1 < text.size(); ++i) {
        if (isHyphenLike(text[i]) && isNumeral(text[i - 1]) && isNumeral(text[i + 1]))
            out[i] = replacement;
    }
    return out;
}

namespace {
constexpr const char16_t* kPrefectures[47] = {
    u"北海道", u"青森県", u"岩手県", u"宮城県", u"秋田県", u"山形県", u"福島県",
    u"茨城県", u"栃木県", u"群馬県", u"埼玉県", u"千葉県", u"東京都", u"神奈川県",
    u"新潟県", u"富山県", u"石川県", u"福井県", u"山梨県", u"長野県", u"岐阜県",
    u"静岡県", u"愛知県", u"三重県", u"滋賀県", u"京都府", u"大阪府", u"兵庫県",
    u"奈良県", u"和歌山県", u"鳥取県", u"島根県", u"岡山県", u"広島県", u"山口県",
    u"徳島県", u"香川県", u"愛媛県", u"高知県", u"福岡県", u"佐賀県", u"長崎県",
    u"熊本県", u"大分県", u"宮崎県", u"鹿児島県", u"沖縄県",
};
} // namespace

QString DeleteTdfknW(const QString& text)
{
    QString out = text;
    for (const char16_t* name : kPrefectures)
        out.remove(QString::fromUtf16(name));
    return out;
}

// ---------------------------------------------------------------------------
// Width conversion

namespace {

struct WidthTables {
    QHash<char16_t, char16_t> toFull;
    QHash<char16_t, char16_t> toHalf;
};

const WidthTables& widthTables()
{
    static const WidthTables tables = [] {
        WidthTables t;
        auto pair = [&t](char16_t half, char16_t full) {
            t.toFull.insert(half, full);
            t.toHalf.insert(full, half);
        };
        // ASCII and the full-width forms block.
        for (char16_t c = 0x21; c <= 0x7E; ++c)
            pair(c, char16_t(0xFF01 + (c - 0x21)));
        // Japanese text uses the JIS forms of these; the block's own forms
        // still convert back.
        pair(u'\'', u'’');
        pair(u'"', u'”');
        pair(u'\\', u'￥');
        t.toHalf.insert(u'＇', u'\'');
        t.toHalf.insert(u'＂', u'"');
        t.toHalf.insert(u'＼', u'\\');
        pair(u' ', u'\u3000');
        // Half-width katakana and punctuation from their compatibility
        // decompositions (ｶ -> カ, ｡ -> 。).
        for (char16_t c = 0xFF61; c <= 0xFF9D; ++c) {
            const QString d = QChar(c).decomposition();
            if (d.size() == 1)
                pair(c, d[0].unicode());
        }
        // The voiced marks stand alone as ゛ ゜; the combining marks of
        // decomposed katakana convert to the same half-width marks.
        pair(u'ﾞ', u'゛');
        pair(u'ﾟ', u'゜');
        t.toHalf.insert(0x3099, u'ﾞ');
        t.toHalf.insert(0x309A, u'ﾟ');
        return t;
    }();
    return tables;
}

} // namespace

QString ToFullWidth(const QString& text)
{
    const WidthTables& t = widthTables();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const auto it = t.toFull.constFind(c);
        if (it == t.toFull.constEnd()) {
            out += QChar(c);
            continue;
        }
        const char16_t base = *it;
        if (c >= 0xFF66 && c <= 0xFF9D && i + 1 < text.size()
            && (text[i + 1] == u'ﾞ' || text[i + 1] == u'ﾟ')) {
            const char16_t combining = text[i + 1] == u'ﾞ' ? 0x3099 : 0x309A;
            const QString composed = (QString(QChar(base)) + QChar(combining)).normalized(QString::NormalizationForm_C);
            if (composed.size() == 1) {
                out += composed;
                ++i;
                continue;
            }
        }
        out += QChar(base);
    }
    return out;
}

QString ToHalfWidth(const QString& text)
{
    const WidthTables& t = widthTables();
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const auto it = t.toHalf.constFind(c.unicode());
        if (it != t.toHalf.constEnd()) {
            out += QChar(*it);
            continue;
        }
        // Voiced katakana: ガ is カ + U+3099, written ｶﾞ.
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA && c.decompositionTag() == QChar::Canonical) {
            const QString d = c.decomposition();
            if (d.size() == 2) {
                const auto base = t.toHalf.constFind(d[0].unicode());
                const auto mark = t.toHalf.constFind(d[1].unicode());
                if (base != t.toHalf.constEnd() && mark != t.toHalf.constEnd()) {
                    out += QChar(*base);
                    out += QChar(*mark);
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Miscellaneous

QDateTime TruncToSeconds(const QDateTime& value)
{
    if (!value.isValid())
        return value;
    return value.addMSecs(-value.time().msec());
}

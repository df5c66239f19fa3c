#include "platform/Cp932.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>
#include <QList>

namespace cp932 {
namespace {

// One iconv handle per direction and thread; opening one costs far more than
// a conversion of a record field.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv: code page 932 converter unavailable");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

const Converter& encoder()
{
    thread_local Converter c("CP932", "UTF-32LE");
    return c;
}
const Converter& decoder()
{
    thread_local Converter c("UTF-32LE", "CP932");
    return c;
}

// The converter writes these nine one way only: each reads back as another
// character (¥ as the backslash, ‾ as the tilde). Each is folded on purpose
// to the code page's own form of the same sign, which reads back as written.
char32_t fold(char32_t ch)
{
    switch (ch) {
    case 0x301C: return 0xFF5E; // 〜 WAVE DASH -> FULLWIDTH TILDE
    case 0x2212: return 0xFF0D; // − MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x2014: return 0x2015; // — EM DASH -> HORIZONTAL BAR
    case 0x2016: return 0x2225; // ‖ DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x00A2: return 0xFFE0; // ¢
    case 0x00A3: return 0xFFE1; // £
    case 0x00AC: return 0xFFE2; // ¬
    case 0x00A5: return 0xFFE5; // ¥ YEN SIGN -> FULLWIDTH YEN SIGN (not 0x5C, the backslash)
    case 0x203E: return 0xFFE3; // ‾ OVERLINE -> FULLWIDTH MACRON (not 0x7E, the tilde)
    default: return ch;
    }
}

// Encodes one code point; returns the number of bytes written to out (0 when
// code page 932 has no form for it).
int encodeOne(char32_t ch, char* out)
{
    if (ch < 0x80) {
        out[0] = static_cast<char>(ch);
        return 1;
    }
    ch = fold(ch);
    if (ch >= 0xD800 && ch <= 0xDFFF)
        return 0;
    unsigned char in[4] = {static_cast<unsigned char>(ch), static_cast<unsigned char>(ch >> 8),
                           static_cast<unsigned char>(ch >> 16), static_cast<unsigned char>(ch >> 24)};
    char* inp = reinterpret_cast<char*>(in);
    size_t inLeft = 4;
    char* outp = out;
    size_t outLeft = 4;
    const Converter& c = encoder();
    c.reset();
    if (iconv(c.get(), &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1))
        return 0;
    return static_cast<int>(4 - outLeft);
}

bool isAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

namespace {
bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
} // namespace

QByteArray Encode(const QString& text)
{
    if (isAscii(text))
        return text.toLatin1();
    QByteArray out;
    out.reserve(text.size() * 2);
    char buf[4];
    for (char32_t ch : text.toUcs4()) {
        int n = encodeOne(ch, buf);
        if (n == 0)
            out.append('?');
        else
            out.append(buf, n);
    }
    return out;
}

namespace {
// What the converter makes of every byte and byte pair, asked once: a
// conversion per character costs a call into iconv, and a text of any length
// is decoded character by character. '?' stands for a sequence code page 932
// does not define.
class TDecodeTable {
public:
    TDecodeTable()
    {
        for (int b = 0x80; b < 0x100; ++b) {
            const char in[1] = {char(b)};
            single_[size_t(b - 0x80)] = convert(in, 1);
        }
        for (int lead = 0x80; lead < 0x100; ++lead) {
            if (!IsLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail < 0x100; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const char in[2] = {char(lead), char(trail)};
                pair_[size_t(leadIndex(lead) * 0xC0 + (trail - 0x40))] = convert(in, 2);
            }
        }
    }
    char32_t Single(unsigned char b) const { return single_[size_t(b - 0x80)]; }
    char32_t Pair(unsigned char lead, unsigned char trail) const
    {
        return pair_[size_t(leadIndex(lead) * 0xC0 + (trail - 0x40))];
    }

private:
    // Lead bytes 0x81-0x9F and 0xE0-0xFC, numbered 0-59.
    static int leadIndex(int lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }
    static char32_t convert(const char* bytes, size_t n)
    {
        const Converter& c = decoder();
        char* inp = const_cast<char*>(bytes);
        size_t inLeft = n;
        char32_t u = 0;
        char* outp = reinterpret_cast<char*>(&u);
        size_t outLeft = 4;
        c.reset();
        if (iconv(c.get(), &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || outLeft != 0)
            return U'?';
        return u;
    }
    std::array<char32_t, 0x80> single_{};
    std::array<char32_t, 60 * 0xC0> pair_{};
};

const TDecodeTable& decodeTable()
{
    static const TDecodeTable table;
    return table;
}
} // namespace

QString Decode(const char* bytes, int length)
{
    QString out;
    out.reserve(length);
    int i = 0;
    while (i < length) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        // A lead byte without a possible trail byte after it (a text cut in
        // the middle of a character) stands alone: the byte after it is a
        // character of its own, often a line break.
        const TDecodeTable& table = decodeTable();
        char32_t u;
        if (IsLeadByte(b) && i + 1 < length && isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            u = table.Pair(b, static_cast<unsigned char>(bytes[i + 1]));
            i += 2;
        } else {
            u = table.Single(b);
            ++i;
        }
        if (u < 0x10000)
            out.append(QChar(char16_t(u)));
        else
            out.append(QString::fromUcs4(&u, 1));
    }
    return out;
}

QString Decode(const QByteArray& bytes)
{
    return Decode(bytes.constData(), static_cast<int>(bytes.size()));
}

bool CanEncodeChar(char32_t ch)
{
    // Accepted only when it reads back as written (or as its listed fold):
    // a character the converter maps one way would come back changed.
    char buf[4];
    const int n = encodeOne(ch, buf);
    if (n == 0)
        return false;
    const QList<uint> back = Decode(buf, n).toUcs4();
    return back.size() == 1 && back.front() == (ch < 0x80 ? ch : fold(ch));
}

bool CanEncode(const QString& text)
{
    if (isAscii(text))
        return true;
    for (char32_t ch : text.toUcs4())
        if (!CanEncodeChar(ch))
            return false;
    return true;
}

char32_t FirstUnencodable(const QString& text)
{
    if (isAscii(text))
        return 0;
    for (char32_t ch : text.toUcs4())
        if (!CanEncodeChar(ch))
            return ch;
    return 0;
}

QString FoldToOwnForms(const QString& text)
{
    if (isAscii(text))
        return text;
    QString out = text;
    for (QChar& c : out)
        c = QChar(char16_t(fold(c.unicode())));
    return out;
}

namespace {

// Characters that show as nothing or as a blank, by their Unicode names.
struct TUnseenName {
    char32_t code;
    const char* name;
};
constexpr TUnseenName kUnseenNames[] = {
    {0x00A0, "NO-BREAK SPACE"},
    {0x00AD, "SOFT HYPHEN"},
    {0x034F, "COMBINING GRAPHEME JOINER"},
    {0x061C, "ARABIC LETTER MARK"},
    {0x115F, "HANGUL CHOSEONG FILLER"},
    {0x1160, "HANGUL JUNGSEONG FILLER"},
    {0x180E, "MONGOLIAN VOWEL SEPARATOR"},
    {0x2000, "EN QUAD"},
    {0x2001, "EM QUAD"},
    {0x2002, "EN SPACE"},
    {0x2003, "EM SPACE"},
    {0x2004, "THREE-PER-EM SPACE"},
    {0x2005, "FOUR-PER-EM SPACE"},
    {0x2006, "SIX-PER-EM SPACE"},
    {0x2007, "FIGURE SPACE"},
    {0x2008, "PUNCTUATION SPACE"},
    {0x2009, "THIN SPACE"},
    {0x200A, "HAIR SPACE"},
    {0x200B, "ZERO WIDTH SPACE"},
    {0x200C, "ZERO WIDTH NON-JOINER"},
    {0x200D, "ZERO WIDTH JOINER"},
    {0x200E, "LEFT-TO-RIGHT MARK"},
    {0x200F, "RIGHT-TO-LEFT MARK"},
    {0x2028, "LINE SEPARATOR"},
    {0x2029, "PARAGRAPH SEPARATOR"},
    {0x202A, "LEFT-TO-RIGHT EMBEDDING"},
    {0x202B, "RIGHT-TO-LEFT EMBEDDING"},
    {0x202C, "POP DIRECTIONAL FORMATTING"},
    {0x202D, "LEFT-TO-RIGHT OVERRIDE"},
    {0x202E, "RIGHT-TO-LEFT OVERRIDE"},
    {0x202F, "NARROW NO-BREAK SPACE"},
    {0x205F, "MEDIUM MATHEMATICAL SPACE"},
    {0x2060, "WORD JOINER"},
    {0x2061, "FUNCTION APPLICATION"},
    {0x2062, "INVISIBLE TIMES"},
    {0x2063, "INVISIBLE SEPARATOR"},
    {0x2064, "INVISIBLE PLUS"},
    {0x2066, "LEFT-TO-RIGHT ISOLATE"},
    {0x2067, "RIGHT-TO-LEFT ISOLATE"},
    {0x2068, "FIRST STRONG ISOLATE"},
    {0x2069, "POP DIRECTIONAL ISOLATE"},
    {0x3164, "HANGUL FILLER"},
    {0xFEFF, "ZERO WIDTH NO-BREAK SPACE"},
    {0xFFA0, "HALFWIDTH HANGUL FILLER"},
};

} // namespace

QString UnencodableMessage(char32_t ch)
{
    const QString code = QStringLiteral("U+%1").arg(QString::number(uint(ch), 16).toUpper().rightJustified(4, u'0'));
    QString name;
    for (const TUnseenName& n : kUnseenNames)
        if (n.code == ch)
            name = QLatin1String(n.name);
    if (ch >= 0xFE00 && ch <= 0xFE0F)
        name = QStringLiteral("VARIATION SELECTOR-%1").arg(int(ch - 0xFE00 + 1));
    else if (ch >= 0xE0100 && ch <= 0xE01EF)
        name = QStringLiteral("VARIATION SELECTOR-%1").arg(int(ch - 0xE0100 + 17));
    // 「 」 would leave the user looking for a character that is not there.
    const QChar::Category category = QChar::category(ch);
    const bool unseen = !name.isEmpty() || category == QChar::Other_Control || category == QChar::Other_Format ||
                        category == QChar::Separator_Space || category == QChar::Separator_Line ||
                        category == QChar::Separator_Paragraph || category == QChar::Mark_NonSpacing ||
                        category == QChar::Mark_Enclosing || category == QChar::Other_NotAssigned;
    if (!unseen)
        return QStringLiteral("「%1」（%2）は入力できない文字です。").arg(QString::fromUcs4(&ch, 1), code);
    return QStringLiteral("（%1）は入力できない文字です。").arg(name.isEmpty() ? code : code + u' ' + name);
}

int ByteLength(const QString& text)
{
    if (isAscii(text))
        return static_cast<int>(text.size());
    return static_cast<int>(Encode(text).size());
}

QByteArray CutBytes(const QByteArray& bytes, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (bytes.size() <= maxBytes)
        return bytes;
    int i = 0;
    while (i < maxBytes) {
        int n = IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + n > maxBytes)
            break;
        i += n;
    }
    return bytes.left(i);
}

QString CutToBytes(const QString& text, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (isAscii(text))
        return text.left(maxBytes);
    int used = 0;
    qsizetype pos = 0;
    char buf[4];
    while (pos < text.size()) {
        char32_t ch = text.at(pos).unicode();
        qsizetype units = 1;
        if (text.at(pos).isHighSurrogate() && pos + 1 < text.size() && text.at(pos + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(pos), text.at(pos + 1));
            units = 2;
        }
        int n = encodeOne(ch, buf);
        if (n == 0)
            n = 1;
        if (used + n > maxBytes)
            break;
        used += n;
        pos += units;
    }
    return text.left(pos);
}

QString TrimLeft(const QString& text)
{
    qsizetype b = 0;
    while (b < text.size() && text.at(b).unicode() <= 0x20)
        ++b;
    return text.mid(b);
}

QString TrimRight(const QString& text)
{
    qsizetype e = text.size();
    while (e > 0 && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.left(e);
}

QString Trim(const QString& text)
{
    return TrimRight(TrimLeft(text));
}

QByteArray Trim(const QByteArray& bytes)
{
    qsizetype b = 0, e = bytes.size();
    while (b < e && static_cast<unsigned char>(bytes[b]) <= 0x20)
        ++b;
    // A trail byte is never <= 0x20, so trimming bytes cannot split a character.
    while (e > b && static_cast<unsigned char>(bytes[e - 1]) <= 0x20)
        --e;
    return bytes.mid(b, e - b);
}

} // namespace cp932

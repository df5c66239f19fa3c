#include "platform/VerticalText.h"

#include "platform/Cp932.h"

#include <QByteArray>
#include <QHash>
#include <hb-ot.h>
#include <hb.h>
#include <memory>
#include <vector>

namespace vtext {

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// East Asian width W and F (Unicode 15), blocks merged where the table runs on.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F260, 0x1F265},
    {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Faces made from a raw font's tables, with the vertical glyphs asked so far.
struct HbFace {
    QRawFont font; // keeps the tables alive for the callback
    hb_face_t* face = nullptr;
    hb_font_t* hbFont = nullptr;
    bool hasVert = false;
    QHash<char32_t, quint32> glyphs;
    ~HbFace()
    {
        if (hbFont)
            hb_font_destroy(hbFont);
        if (face)
            hb_face_destroy(face);
    }
};

hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* userData)
{
    const auto* raw = static_cast<const QRawFont*>(userData);
    const char name[4] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
    auto* bytes = new QByteArray(raw->fontTable(name));
    if (bytes->isEmpty()) {
        delete bytes;
        return nullptr;
    }
    return hb_blob_create(bytes->constData(), static_cast<unsigned>(bytes->size()), HB_MEMORY_MODE_READONLY, bytes,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

QString faceKey(const QRawFont& font)
{
    return font.familyName() + QLatin1Char('/') + font.styleName();
}

HbFace& hbFaceFor(const QRawFont& font)
{
    static QHash<QString, std::shared_ptr<HbFace>> faces;
    const QString key = faceKey(font);
    auto it = faces.find(key);
    if (it != faces.end())
        return **it;
    auto f = std::make_shared<HbFace>();
    f->font = font;
    f->face = hb_face_create_for_tables(referenceTable, &f->font, nullptr);
    f->hbFont = hb_font_create(f->face);
    // All records: faces list a feature once per script and language, so
    // vert may come after well over a hundred of them (IPAex).
    unsigned count = hb_ot_layout_table_get_feature_tags(f->face, HB_OT_TAG_GSUB, 0, nullptr, nullptr);
    std::vector<hb_tag_t> tags(count);
    hb_ot_layout_table_get_feature_tags(f->face, HB_OT_TAG_GSUB, 0, &count, tags.data());
    for (unsigned i = 0; i < count; ++i)
        if (tags[i] == HB_TAG('v', 'e', 'r', 't') || tags[i] == HB_TAG('v', 'r', 't', '2'))
            f->hasVert = true;
    faces.insert(key, f);
    return *f;
}

} // namespace

bool IsWide(char32_t ch)
{
    if (ch < 0x1100)
        return false;
    for (const Range& r : kWide) {
        if (ch < r.first)
            return false;
        if (ch <= r.last)
            return true;
    }
    return false;
}

bool IsUpright(char32_t ch)
{
    if (IsWide(ch))
        return true;
    if (ch < 0x80 || !cp932::CanEncodeChar(ch))
        return false;
    const char32_t one[1] = {ch};
    return cp932::ByteLength(QString::fromUcs4(one, 1)) == 2;
}

bool HasVerticalForms(const QRawFont& font)
{
    return font.isValid() && hbFaceFor(font).hasVert;
}

quint32 VerticalGlyph(const QRawFont& font, char32_t ch)
{
    const char32_t one[1] = {ch};
    const QString text = QString::fromUcs4(one, 1);
    const QList<quint32> horizontal = font.glyphIndexesForString(text);
    const quint32 plain = horizontal.isEmpty() ? 0 : horizontal.first();
    if (!font.isValid())
        return plain;
    HbFace& f = hbFaceFor(font);
    if (!f.hasVert)
        return plain;
    auto it = f.glyphs.find(ch);
    if (it != f.glyphs.end())
        return *it;
    hb_buffer_t* buf = hb_buffer_create();
    hb_buffer_add_utf32(buf, reinterpret_cast<const uint32_t*>(one), 1, 0, 1);
    hb_buffer_guess_segment_properties(buf);
    hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
    const hb_feature_t features[] = {{HB_TAG('v', 'e', 'r', 't'), 1, 0, ~0u}, {HB_TAG('v', 'r', 't', '2'), 1, 0, ~0u}};
    hb_shape(f.hbFont, buf, features, 2);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    const quint32 glyph = (n == 1 && info[0].codepoint != 0) ? info[0].codepoint : plain;
    hb_buffer_destroy(buf);
    f.glyphs.insert(ch, glyph);
    return glyph;
}

TVerticalFallback VerticalFallback(char32_t ch)
{
    // Presentation forms first: a face that has them draws them best.
    struct Form {
        char32_t from;
        char32_t to;
    };
    static constexpr Form kForms[] = {
        {U'、', U'︑'}, {U'。', U'︒'}, {U'，', U'︐'}, {U'：', U'︓'}, {U'；', U'︔'}, {U'！', U'︕'},
        {U'？', U'︖'}, {U'…', U'︙'}, {U'‥', U'︰'}, {U'—', U'︱'}, {U'―', U'︱'}, {U'（', U'︵'},
        {U'）', U'︶'}, {U'｛', U'︷'}, {U'｝', U'︸'}, {U'〔', U'︹'}, {U'〕', U'︺'}, {U'【', U'︻'},
        {U'】', U'︼'}, {U'《', U'︽'}, {U'》', U'︾'}, {U'〈', U'︿'}, {U'〉', U'﹀'}, {U'「', U'﹁'},
        {U'」', U'﹂'}, {U'『', U'﹃'}, {U'』', U'﹄'}, {U'［', U'﹇'}, {U'］', U'﹈'},
    };
    static constexpr char32_t kRotated[] = {U'ー', U'－', U'−', U'‐', U'～', U'〜', U'＝', U'＜', U'＞', U'｜', U'＿',
                                            U'→',  U'←',  U'↑',  U'↓',  U'≒',  U'≠',  U'…',  U'‥',
                                            U'（', U'）', U'｛', U'｝', U'〔', U'〕', U'【', U'】', U'《',
                                            U'》', U'〈', U'〉', U'「', U'」', U'『', U'』', U'［', U'］',
                                            U'—',  U'―',  U'：',  U'；'};
    static constexpr char32_t kSmall[] = {U'ぁ', U'ぃ', U'ぅ', U'ぇ', U'ぉ', U'っ', U'ゃ', U'ゅ', U'ょ', U'ゎ',
                                          U'ァ', U'ィ', U'ゥ', U'ェ', U'ォ', U'ッ', U'ャ', U'ュ', U'ョ', U'ヮ',
                                          U'ヵ', U'ヶ'};
    TVerticalFallback fb;
    for (const Form& f : kForms)
        if (f.from == ch)
            fb.replacement = f.to;
    for (char32_t c : kRotated)
        if (c == ch)
            fb.rotate = true;
    for (char32_t c : kSmall)
        if (c == ch)
            fb.shift = QPointF(0.1, -0.1);
    if (ch == U'、' || ch == U'。' || ch == U'，' || ch == U'．')
        fb.shift = QPointF(0.6, -0.6);
    return fb;
}

} // namespace vtext

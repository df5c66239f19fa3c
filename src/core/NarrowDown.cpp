#include "core/NarrowDown.h"

#include "core/AdrsListCache.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

const TNarrowDownItemDef NarrowDownItemDefs[kNarrowDownItemCount] = {
    {"顧客コード", "0", "20"},     {"電話番号", "0", "13"},       {"代表電話", "2", "0"},
    {"FAX番号", "0", "13"},        {"初期掲載年月", "3", "0"},    {"携帯番号1", "0", "13"},
    {"携帯番号2", "0", "13"},      {"〒", "0", "8"},              {"住所", "0", "256"},
    {"個人会社区分", "2", "0"},    {"マイナンバー", "0", "13"},   {"会社名", "0", "112"},
    {"部署", "1", "100"},          {"役職", "1", "50"},           {"従業員番号", "0", "15"},
    {"名前", "0", "15"},           {"URL", "0", "128"},           {"メールアドレス1", "0", "64"},
    {"メールアドレス2", "0", "64"}, {"連名1", "0", "11"},          {"連名2", "0", "11"},
    {"連名3", "0", "11"},          {"連名4", "0", "11"},          {"連名5", "0", "11"},
    {"キーワード1", "0", "100"},   {"キーワード2", "0", "100"},   {"キーワード3", "0", "100"},
    {"キーワード4", "0", "100"},   {"キーワード5", "0", "100"},   {"キーワード6", "1", "100"},
    {"キーワード7", "1", "100"},   {"キーワード8", "1", "100"},   {"備考", "0", "0"},
    {"シンボルマーク", "2", "0"},  {"カテゴリ", "4", "0"},
};

namespace {

bool validItem(int item) { return item >= 0 && item < kNarrowDownItemCount; }

const std::array<const char*, 6> kSymbolMarks = {"●", "▲", "▼", "■", "◆", "★"};

// The table column a text item tests (the address and My Number are read by hand).
int textField(int item)
{
    static constexpr std::array<int, kNarrowDownItemCount> fields = {
        afCustomCode, afTel, -1, afFax, -1, afPortable1, afPortable2, afPos, -1, -1, afMyNumber,
        afCorpKanji, afDptmnt, afPost, afEmployeeNo, afNameKanji, afURL, afEMail1, afEMail2,
        afJoint1, afJoint2, afJoint3, afJoint4, afJoint5,
        afKeyword1, afKeyword2, afKeyword3, afKeyword4, afKeyword5, afKeyword6, afKeyword7, afKeyword8,
        afNote, -1, -1,
    };
    return fields[size_t(item)];
}

// Leading and trailing blanks and control characters go (bytes up to 0x20,
// never part of a double-byte character in either encoding).
std::string_view trimmed(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return s.substr(b, e - b);
}

bool matchUtf8(std::string_view value, const std::string& text, int match)
{
    if (text.empty())
        return value.empty();
    switch (match) {
    case ndmFront:
        return value.starts_with(text);
    case ndmAnywhere:
        return value.find(text) != std::string_view::npos;
    case ndmRear:
        return value.ends_with(text);
    default:
        return false;
    }
}

// Whether a non-empty text stands in the parts joined, starting in one part
// and going on into the next: such a match starts in a part that ends with a
// proper head of the text (the part's last character stands in the text, and
// the part ends with the text up to there); only then are the parts joined.
bool matchAcrossParts(const std::array<std::string_view, 4>& parts, std::string_view t)
{
    bool spans = false;
    for (size_t i = 0; i + 1 < parts.size() && !spans; ++i) {
        const std::string_view p = parts[i];
        if (p.empty())
            continue;
        size_t last = p.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(p[last]) & 0xC0) == 0x80)
            --last;
        const std::string_view lastChar = p.substr(last);
        for (size_t at = t.find(lastChar); at != std::string_view::npos && !spans; at = t.find(lastChar, at + 1)) {
            const size_t k = at + lastChar.size();
            spans = k < t.size() && k <= p.size() && p.ends_with(t.substr(0, k));
        }
    }
    if (!spans)
        return false;
    std::string joined;
    for (const std::string_view part : parts)
        joined += part;
    return joined.find(t) != std::string::npos;
}

std::array<std::string_view, 4> addressParts(const TAdrsListCache& cache, int row)
{
    return {trimmed(cache.Utf8(row, afTdfkn)), trimmed(cache.Utf8(row, afAdrs1)), trimmed(cache.Utf8(row, afAdrs2)),
            trimmed(cache.Utf8(row, afAdrs3))};
}

// matchUtf8 on the parts joined, without joining them on every row: a front
// or rear match walks the parts from their end, and a match anywhere is
// looked for in each part, then across parts only when a part ends with a
// character the text holds before its last one (or the text could not start
// in that part and go on).
bool matchJoined(const std::array<std::string_view, 4>& parts, const std::string& text, int match)
{
    if (text.empty())
        return std::all_of(parts.begin(), parts.end(), [](std::string_view p) { return p.empty(); });
    const std::string_view t = text;
    switch (match) {
    case ndmFront: {
        size_t at = 0;
        for (const std::string_view part : parts) {
            const size_t n = std::min(part.size(), t.size() - at);
            if (part.substr(0, n) != t.substr(at, n))
                return false;
            at += n;
            if (at == t.size())
                return true;
        }
        return false;
    }
    case ndmRear: {
        size_t left = t.size();
        for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
            const size_t n = std::min(part->size(), left);
            if (part->substr(part->size() - n) != t.substr(left - n, n))
                return false;
            left -= n;
            if (left == 0)
                return true;
        }
        return false;
    }
    case ndmAnywhere: {
        if (std::any_of(parts.begin(), parts.end(), [&](std::string_view p) { return p.find(t) != std::string_view::npos; }))
            return true;
        return matchAcrossParts(parts, t);
    }
    default:
        return false;
    }
}

bool matchWide(const QString& value, const QString& text, int match)
{
    if (text.isEmpty())
        return value.isEmpty();
    switch (match) {
    case ndmFront:
        return value.startsWith(text);
    case ndmAnywhere:
        for (qsizetype at = value.indexOf(text); at >= 0; at = value.indexOf(text, at + 1))
            if (!value.at(at).isLowSurrogate())
                return true;
        return false;
    case ndmRear:
        return value.endsWith(text) && !value.at(value.size() - text.size()).isLowSurrogate();
    default:
        return false;
    }
}

} // namespace

QString NarrowDownCaption(int item)
{
    return validItem(item) ? QString::fromUtf8(NarrowDownItemDefs[item].Caption) : QString();
}

namespace {
// The table's kinds and lengths as numbers, converted once.
struct TItemNumbers {
    std::array<int, kNarrowDownItemCount> inputKind{}, maxLength{};
    TItemNumbers()
    {
        for (int i = 0; i < kNarrowDownItemCount; ++i) {
            inputKind[size_t(i)] = std::atoi(NarrowDownItemDefs[i].InputKind);
            maxLength[size_t(i)] = std::atoi(NarrowDownItemDefs[i].MaxLength);
        }
    }
};
const TItemNumbers& itemNumbers()
{
    static const TItemNumbers numbers;
    return numbers;
}
} // namespace

int NarrowDownInputKind(int item)
{
    return validItem(item) ? itemNumbers().inputKind[size_t(item)] : -1;
}

int NarrowDownMaxLength(int item)
{
    return validItem(item) ? itemNumbers().maxLength[size_t(item)] : 0;
}

int NarrowDownKindOf(int item)
{
    switch (NarrowDownInputKind(item)) {
    case ndiFree:
    case ndiHistory:
        return ndkText;
    case ndiChoice:
        return ndkChoice;
    case ndiRange:
        return ndkRange;
    case ndiCategory:
        return ndkCategory;
    default:
        return -1;
    }
}

QStringList NarrowDownChoices(int item)
{
    switch (item) {
    case ndTelDiv:
        return {QStringLiteral("代表")};
    case ndPrivCorp:
        return {QStringLiteral("個人"), QStringLiteral("会社")};
    case ndSymbolMark: {
        QStringList marks;
        for (const char* m : kSymbolMarks)
            marks << QString::fromUtf8(m);
        return marks;
    }
    default:
        return {};
    }
}

bool IsWideNarrowDownItem(int item) { return item == ndName || (item >= ndJoint1 && item < ndJoint1 + 5); }

bool IsDigitsNarrowDownItem(int item)
{
    return item == ndTel || item == ndFax || item == ndPortable1 || item == ndPortable2 || item == ndPos;
}

QByteArray NarrowDownTextFromInput(int item, const QString& typed)
{
    if (IsWideNarrowDownItem(item))
        return WideToAtHex(typed);
    QString text = typed;
    if (IsDigitsNarrowDownItem(item))
        text.remove(QLatin1Char('-'));
    return cp932::Encode(text);
}

QString NarrowDownTextToInput(int item, const QByteArray& text)
{
    return IsWideNarrowDownItem(item) ? AtHexToWide(text) : cp932::Decode(text);
}

bool IsSoundNarrowDownItem(const TNarrowDownItem& c)
{
    if (!validItem(c.Item) || c.Kind != NarrowDownKindOf(c.Item))
        return false;
    if (c.Match < ndmNone || c.Match > ndmRear)
        return false;
    if (c.Kind == ndkChoice && (c.Value1 < 0 || c.Value1 >= NarrowDownChoices(c.Item).size()))
        return false;
    return true;
}

// ---------------------------------------------------------------- evaluator

TNarrowDownEvaluator::TNarrowDownEvaluator(const TNarrowDownCondition& condition,
                                           std::function<bool()> myNumberLocked)
    : matchAll_(condition.MatchAll), myNumberLocked_(std::move(myNumberLocked))
{
    if (!myNumberLocked_)
        myNumberLocked_ = [] { return IsProtectedFieldMasked(); };
    conds_.reserve(condition.Items.size());
    for (const TNarrowDownItem& item : condition.Items) {
        TPrepared p{item, {}, {}, validItem(item.Item) && item.Kind == NarrowDownKindOf(item.Item)};
        if (p.known && item.Kind == ndkText) {
            p.field = textField(item.Item);
            p.wideItem = IsWideNarrowDownItem(item.Item);
        }
        if (item.Kind == ndkText) {
            if (IsWideNarrowDownItem(item.Item)) {
                p.wide = AtHexToWide(item.Text);
                p.utf8 = p.wide.toStdString();
            } else {
                p.utf8 = cp932::Decode(item.Text).toStdString();
            }
        }
        conds_.push_back(std::move(p));
    }
}

bool TNarrowDownEvaluator::Passes(const TAdrsListCache& cache, int row) const
{
    if (conds_.empty())
        return true; // no filter at all, whichever way it combines
    for (const TPrepared& c : conds_) {
        const bool holds = this->holds(c, cache, row);
        if (matchAll_ && !holds)
            return false;
        if (!matchAll_ && holds)
            return true;
    }
    return matchAll_; // every condition held, or (any) none did
}

std::vector<std::uint8_t> TNarrowDownEvaluator::PassingRows(const TAdrsListCache& cache) const
{
    const int rows = cache.Count();
    if (rows == 0)
        return {}; // no book (or an empty one): no field is read
    if (conds_.empty())
        return std::vector<std::uint8_t>(size_t(rows), 1); // no filter at all, whichever way it combines
    // All: a row passes until a condition fails it. Any: a row fails until a
    // condition passes it. Only the rows still open are tested.
    const std::uint8_t open = matchAll_ ? 1 : 0;
    std::vector<std::uint8_t> passing(size_t(rows), open);
    std::vector<std::uint8_t> hits;
    for (const TPrepared& c : conds_) {
        const TNarrowDownItem& it = c.item;
        // A text anywhere in a narrow field, neither end of it a blank:
        // found in the field's texts where it is found in their trimmed
        // forms, so one pass over the field tells every row.
        // A name stored in its wide-text form and a match across address
        // parts are still told row by row.
        const bool onePass = c.known && it.Kind == ndkText && it.Match == ndmAnywhere && it.Item != ndMyNumber
            && (c.field >= 0 || it.Item == ndAddress) && !c.utf8.empty()
            && static_cast<unsigned char>(c.utf8.front()) > 0x20 && static_cast<unsigned char>(c.utf8.back()) > 0x20;
        if (onePass) {
            hits.assign(size_t(rows), 0);
            auto hit = [&](int row) { hits[size_t(row)] = 1; };
            if (it.Item == ndAddress)
                for (const int part : {afTdfkn, afAdrs1, afAdrs2, afAdrs3})
                    cache.ForEachRowHolding(part, c.utf8, hit);
            else
                cache.ForEachRowHolding(c.field, c.utf8, hit);
        }
        // Any other text of a narrow field: the field's texts read in order.
        if (!onePass && c.known && it.Kind == ndkText && c.field >= 0 && !c.wideItem && it.Item != ndMyNumber) {
            const std::vector<std::uint32_t>& ends = cache.FieldEnds(c.field);
            const char* arena = cache.FieldArena(c.field).data();
            std::uint32_t begin = 0;
            for (int row = 0; row < rows; ++row) {
                const std::uint32_t end = ends[size_t(row)];
                if (passing[size_t(row)] == open
                    && matchUtf8(trimmed(std::string_view(arena + begin, end - begin)), c.utf8, it.Match) != matchAll_)
                    passing[size_t(row)] = !open;
                begin = end;
            }
            continue;
        }
        for (int row = 0; row < rows; ++row) {
            if (passing[size_t(row)] != open)
                continue;
            bool h;
            if (!onePass)
                h = holds(c, cache, row);
            else if (it.Item == ndAddress)
                h = hits[size_t(row)] || matchAcrossParts(addressParts(cache, row), c.utf8);
            else if (c.wideItem && trimmed(cache.Utf8(row, c.field)).starts_with('@'))
                h = holds(c, cache, row);
            else
                h = hits[size_t(row)] != 0;
            if (h != matchAll_)
                passing[size_t(row)] = !open;
        }
    }
    return passing;
}

bool TNarrowDownEvaluator::Holds(int index, const TAdrsListCache& cache, int row) const
{
    return holds(conds_[size_t(index)], cache, row);
}

bool TNarrowDownEvaluator::holds(const TPrepared& c, const TAdrsListCache& cache, int row) const
{
    const TNarrowDownItem& it = c.item;
    if (!c.known)
        return false;
    switch (it.Kind) {
    case ndkText: {
        if (it.Item == ndAddress) {
            return matchJoined(addressParts(cache, row), c.utf8, it.Match);
        }
        if (it.Item == ndMyNumber) {
            if (myNumberLocked_())
                return false;
            std::string plain;
            if (!decipher_.Decipher(cache.Utf8(row, afMyNumber), plain))
                return false; // an unreadable value is not taken for a blank one
            // The plain text is code page 932; digits (all there should be)
            // read the same in UTF-8.
            if (std::any_of(plain.begin(), plain.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }))
                plain = cp932::Decode(plain.data(), int(plain.size())).toStdString();
            return matchUtf8(trimmed(plain), c.utf8, it.Match);
        }
        const int field = c.field;
        if (c.wideItem) {
            // Stored plain, the value is its decoded text already; only the
            // "@XXXX" form is decoded.
            const std::string_view stored = trimmed(cache.Utf8(row, field));
            if (!stored.starts_with('@'))
                return matchUtf8(stored, c.utf8, it.Match);
            const QString value = AtHexToWide(QByteArray(stored.data(), qsizetype(stored.size())));
            return matchWide(cp932::Trim(value), c.wide, it.Match);
        }
        return matchUtf8(trimmed(cache.Utf8(row, field)), c.utf8, it.Match);
    }
    case ndkChoice: {
        bool result = false;
        if (it.Item == ndTelDiv)
            result = it.Value1 == (cache.Integer(row, afTelDiv) == 3 ? 0 : 1);
        else if (it.Item == ndPrivCorp)
            result = it.Value1 == (cache.Integer(row, afPrivCorp) != 0 ? 0 : 1);
        else if (it.Item == ndSymbolMark)
            result = it.Value1 >= 0 && size_t(it.Value1) < kSymbolMarks.size()
                && cache.Utf8(row, afSymbolMark) == kSymbolMarks[size_t(it.Value1)];
        return result != it.Exclude;
    }
    case ndkRange: {
        const std::string_view date = trimmed(cache.Utf8(row, afPubDate));
        if (date.empty() || date.size() > 9)
            return false;
        int value = 0;
        for (char ch : date) {
            if (ch < '0' || ch > '9')
                return false;
            value = value * 10 + (ch - '0');
        }
        return it.Value1 <= value && value <= it.Value2;
    }
    case ndkCategory: {
        bool result = cache.Integer(row, afCodeMain) == it.Value1 / 100;
        if (result && it.Value1 % 100 != 0)
            result = cache.Integer(row, afCodeSub) == it.Value1 % 100;
        return result != it.Exclude;
    }
    default:
        return false;
    }
}

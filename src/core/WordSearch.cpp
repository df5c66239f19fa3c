#include "core/WordSearch.h"

#include "core/AdrsListColumns.h"
#include "core/AdrsListModel.h"
#include "core/DBInfo.h"
#include "core/Settings.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// A byte pattern looked for in UTF-8 text. UTF-8 never matches in the middle
// of a character, so bytes found are characters found.
class TBytesFinder {
public:
    explicit TBytesFinder(std::string pattern)
        : pattern_(std::move(pattern)), searcher_(pattern_.begin(), pattern_.end())
    {
    }
    TBytesFinder(const TBytesFinder&) = delete;
    TBytesFinder& operator=(const TBytesFinder&) = delete;

    bool In(std::string_view text) const
    {
        return text.size() >= pattern_.size() && std::search(text.begin(), text.end(), searcher_) != text.end();
    }
    const std::string& Pattern() const { return pattern_; }

private:
    std::string pattern_;
    std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher_;
};

std::string_view trimmed(std::string_view v)
{
    // Code page 932 trimming drops every character up to the space; in UTF-8
    // those are single bytes that never occur inside another character.
    while (!v.empty() && static_cast<unsigned char>(v.front()) <= 0x20)
        v.remove_prefix(1);
    while (!v.empty() && static_cast<unsigned char>(v.back()) <= 0x20)
        v.remove_suffix(1);
    return v;
}

bool onlyChars(const QString& text, std::u16string_view allowed)
{
    return std::all_of(text.begin(), text.end(),
                       [&](QChar c) { return allowed.find(char16_t(c.unicode())) != std::u16string_view::npos; });
}

bool isAllDigits(std::string_view v)
{
    return !v.empty() && std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The length in bytes of the text a stored value deciphers to; -1 when it
// cannot be deciphered to any text: a value that is not hexadecimal, or
// whose blocks do not fit its length byte, is shown empty. Telling that from
// the bytes spares the cipher on most rows of a book whose numbers are
// damaged or were never real, and on every row when the word is longer than
// the numbers.
int decipheredLength(std::string_view v)
{
    v = trimmed(v);
    if (v.size() < 2 || v.size() % 2 != 0)
        return -1;
    int length = 0;
    if (std::from_chars(v.data(), v.data() + 2, length, 16).ptr != v.data() + 2)
        return -1;
    if ((v.size() - 2) / 2 != size_t((length + 15) / 16 * 16))
        return -1;
    const bool hex = std::all_of(v.begin(), v.end(), [](char ch) {
        return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
    });
    return hex ? length : -1;
}

// The fewest code page 932 bytes text can be decoded from: one for ASCII,
// half-width katakana and the other single-byte codes (and for a character
// an undecodable byte may turn into), two for every other character.
int leastCp932Bytes(const QString& text)
{
    int bytes = 0;
    for (const char32_t ch : text.toUcs4()) {
        const bool single = ch < 0x100 || (ch >= 0xFF61 && ch <= 0xFF9F) || (ch >= 0xF8F0 && ch <= 0xF8F3) ||
                            ch == 0xFFFD;
        bytes += single ? 1 : 2;
    }
    return bytes;
}

} // namespace

TListWordSearch::TListWordSearch(const TAdrsListCache& cache, const std::vector<int>& columns, const QString& word)
{
    if (word.isEmpty())
        return;
    const auto finder = std::make_shared<TBytesFinder>(word.toStdString());
    const TAdrsListCache* c = &cache;
    // The cell's own text: the final word on every cell a cheaper test could
    // not settle.
    auto cellHolds = [c, word](int row, int column) { return AdrsListCellText(*c, row, column).contains(word); };
    // A cell whose text follows from one number of its row: each number's
    // text is built once per search.
    auto keyed = [&](int column, std::function<std::int64_t(int)> key) {
        // Small numbers (groups, flags) in an array, others in a map.
        return [cellHolds, column, key = std::move(key), small = std::vector<std::int8_t>(256, -1),
                memo = std::unordered_map<std::int64_t, bool>()](int row) mutable {
            const std::int64_t k = key(row);
            if (k >= 0 && k < 256) {
                std::int8_t& known = small[size_t(k)];
                if (known < 0)
                    known = cellHolds(row, column) ? 1 : 0;
                return known == 1;
            }
            const auto at = memo.find(k);
            if (at != memo.end())
                return at->second;
            return memo[k] = cellHolds(row, column);
        };
    };
    // A stored text shown as it stands, or in its wide-text form ("@XXXX...").
    auto plainOrWide = [c, finder, cellHolds](int field, int column) {
        return [=](int row) {
            const std::string_view v = c->Utf8(row, field);
            if (!v.empty() && v.front() == '@')
                return cellHolds(row, column);
            return finder->In(v);
        };
    };

    for (const int column : columns) {
        if (column < 0 || column >= kAdrsListColumnCount)
            continue;
        switch (column) {
        case alcNo: {
            if (!onlyChars(word, u"0123456789"))
                continue;
            matchers_.push_back([c, finder](int row) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, c->RecNo(row)).ptr;
                return finder->In(std::string_view(digits, size_t(end - digits)));
            });
            continue;
        }
        case alcGroup: matchers_.push_back(keyed(column, [c](int r) { return c->Integer(r, afGroup); })); continue;
        case alcTelDiv:
            matchers_.push_back(keyed(column, [c](int r) { return std::int64_t(c->Integer(r, afTelDiv) == 3); }));
            continue;
        case alcPrivCorp:
            matchers_.push_back(keyed(column, [c](int r) { return std::int64_t(c->Integer(r, afPrivCorp) != 0); }));
            continue;
        case alcCodeMain:
            matchers_.push_back(keyed(column, [c](int r) { return c->Integer(r, afCodeMain); }));
            continue;
        case alcCodeSub:
            matchers_.push_back(keyed(column, [c](int r) {
                const std::int64_t sub = c->Integer(r, afCodeSub);
                return sub ? c->Integer(r, afCodeMain) * 100 + sub : std::int64_t(-1);
            }));
            continue;
        case alcAddress:
            matchers_.push_back([c, finder, joined = std::string()](int row) mutable {
                joined.clear();
                for (const int field : {afTdfkn, afAdrs1, afAdrs2, afAdrs3})
                    joined += trimmed(c->Utf8(row, field));
                return finder->In(joined);
            });
            continue;
        case alcAddDateTime:
        case alcAddDate:
        case alcAddTime:
        case alcUpdDateTime:
        case alcUpdDate:
        case alcUpdTime: {
            if (!onlyChars(word, u"0123456789/: "))
                continue;
            const int field = column < alcUpdDateTime ? afAddDateTime : afUpdDateTime;
            matchers_.push_back([=](int row) { return c->Float(row, field) != 0 && cellHolds(row, column); });
            continue;
        }
        case alcPubDate:
        case alcPos: {
            // Shown as stored with a separator put in: without its
            // separators the word is in the stored text, or not in the cell.
            const int field = column == alcPubDate ? afPubDate : afPos;
            const char separator = column == alcPubDate ? '/' : '-';
            const auto bare = std::make_shared<TBytesFinder>(QString(word).remove(QChar(separator)).toStdString());
            matchers_.push_back([=](int row) {
                const std::string_view v = trimmed(c->Utf8(row, field));
                if (v.empty())
                    return false;
                if (v.find(separator) == std::string_view::npos && !bare->In(v))
                    return false;
                return cellHolds(row, column);
            });
            continue;
        }
        case alcNote: {
            // Line breaks are shown as spaces: a word without white space is
            // in the shown note only where it is in the stored one.
            const bool blankFree = std::none_of(word.begin(), word.end(), [](QChar ch) { return ch.unicode() <= 0x20; });
            matchers_.push_back([=](int row) {
                const std::string_view v = c->Utf8(row, afNote);
                return !v.empty() && (!blankFree || finder->In(v)) && cellHolds(row, column);
            });
            continue;
        }
        case alcNameKana: matchers_.push_back(plainOrWide(afNameKana, column)); continue;
        default: break;
        }
        const int field = AdrsListColumnDefs[size_t(column)].field;
        if (field < 0)
            continue; // shows nothing
        switch (AdrsColumnKind(field)) {
        case TFieldKind::Wide: matchers_.push_back(plainOrWide(field, column)); break;
        case TFieldKind::Phone: {
            // A number of digits starting with the trunk prefix is shown as
            // those digits with hyphens put in; anything else as it stands
            // or as the hyphenation gives it, which only its text can tell.
            const bool phoneChars = onlyChars(word, u"0123456789-");
            const auto digits = std::make_shared<TBytesFinder>(QString(word).remove(u'-').toStdString());
            matchers_.push_back([=](int row) {
                const std::string_view v = trimmed(c->Utf8(row, field));
                if (v.empty())
                    return false;
                if (isAllDigits(v) && v.front() == '0' && (!phoneChars || !digits->In(v)))
                    return false;
                return cellHolds(row, column);
            });
            break;
        }
        case TFieldKind::Cipher:
            if (IsProtectedFieldMasked()) {
                // Every value shows the same stars; the digits are not looked at.
                matchers_.push_back(keyed(column, [c, field](int r) { return std::int64_t(!c->Utf8(r, field).empty()); }));
            } else {
                // The shown number is the deciphered bytes read as code page
                // 932: a word needing more bytes than they hold is not in it.
                const int wordBytes = leastCp932Bytes(word);
                matchers_.push_back([=](int row) {
                    return decipheredLength(c->Utf8(row, field)) >= wordBytes && cellHolds(row, column);
                });
            }
            break;
        default:
            matchers_.push_back([c, finder, field](int row) { return finder->In(c->Utf8(row, field)); });
            break;
        }
    }
}

bool TListWordSearch::RowHolds(int cacheRow) const
{
    for (const auto& holds : matchers_)
        if (holds(cacheRow))
            return true;
    return false;
}

int FindWordInList(const TAdrsListModel& model, const QString& word, int from)
{
    if (word.isEmpty())
        return -1;
    const TListWordSearch search(model.Cache(), model.Columns(), word);
    for (int i = std::max(0, from); i < model.RowCount(); ++i)
        if (search.RowHolds(model.CacheRow(i)))
            return i;
    return -1;
}

#include "core/WordSearch.h"

#include "core/AdrsListColumns.h"
#include "core/AdrsListModel.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Groups.h"
#include "core/Settings.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

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

// Whether a stored value deciphers to a text of at least minBytes bytes:
// a value that is not hexadecimal, or whose blocks do not fit its length
// byte, cannot be deciphered to any text and is shown empty. Telling that
// from the bytes spares the cipher on most rows of a book whose numbers are
// damaged or were never real, and on every row when the word is longer than
// the numbers. The length byte is read first, so a value too short for the
// word is never scanned whole.
bool deciphersToAtLeast(std::string_view v, int minBytes)
{
    // Hexadecimal digits by a table: random stored bytes make every branch
    // a guess, and this runs on every row of the book.
    static const auto kNibble = [] {
        std::array<std::int8_t, 256> t;
        t.fill(-1);
        for (int d = 0; d < 10; ++d)
            t[size_t('0' + d)] = std::int8_t(d);
        for (int d = 0; d < 6; ++d)
            t[size_t('A' + d)] = t[size_t('a' + d)] = std::int8_t(10 + d);
        return t;
    }();
    auto nibble = [](char ch) { return int(kNibble[static_cast<unsigned char>(ch)]); };
    if (!v.empty() && (static_cast<unsigned char>(v.front()) <= 0x20 || static_cast<unsigned char>(v.back()) <= 0x20))
        v = trimmed(v);
    if (v.size() < 2 || v.size() % 2 != 0)
        return false;
    const int hi = nibble(v[0]), lo = nibble(v[1]);
    const int length = hi * 16 + lo;
    if ((hi | lo) < 0 || length < minBytes || (v.size() - 2) / 2 != size_t((length + 15) / 16 * 16))
        return false;
    int bad = 0;
    for (const char ch : v.substr(2))
        bad |= nibble(ch);
    return bad >= 0;
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



// Every row's text of a field, in row order, read straight from the arena.
template <typename Fn>
void forEachText(const TAdrsListCache& c, int field, Fn&& fn)
{
    const std::vector<std::uint32_t>& ends = c.FieldEnds(field);
    const char* arena = c.FieldArena(field).data();
    std::uint32_t begin = 0;
    for (size_t row = 0; row < ends.size(); ++row) {
        fn(int(row), std::string_view(arena + begin, ends[row] - begin));
        begin = ends[row];
    }
}

// The rows whose text of a field starts with a byte.
template <typename Fn>
void forEachRowStartingWith(const TAdrsListCache& c, int field, char first, Fn&& fn)
{
    const std::string_view arena = c.FieldArena(field);
    for (size_t from = 0; from < arena.size();) {
        const void* hit = std::memchr(arena.data() + from, first, arena.size() - from);
        if (!hit)
            return;
        const size_t at = size_t(static_cast<const char*>(hit) - arena.data());
        const int row = c.RowAtArenaOffset(field, at);
        if (c.ArenaOffset(row, field) == at)
            fn(row);
        from = at + 1;
    }
}

// The last character of a UTF-8 text (empty for an empty text).
std::string_view lastChar(std::string_view v)
{
    size_t at = v.size();
    while (at > 0 && at + 4 > v.size() && (static_cast<unsigned char>(v[at - 1]) & 0xC0) == 0x80)
        --at;
    return at > 0 ? v.substr(at - 1) : v;
}

} // namespace

// Each shown column is searched on its own, over every row of the cache:
// texts shown as stored by one pass over the field's arena, everything else
// by a cheap test on its stored value first and its shown text only where
// that test cannot settle it. A column that holds the word nowhere costs
// one pass; the rows found are marked, whichever column found them.
TListWordSearch::TListWordSearch(const TAdrsListCache& cache, const std::vector<int>& columns, const QString& word)
{
    if (word.isEmpty())
        return;
    const TAdrsListCache& c = cache;
    const int rows = c.Count();
    holds_.assign(size_t(rows), 0);
    const std::string pattern = word.toStdString();
    auto mark = [&](int row) {
        holds_[size_t(row)] = 1;
        any_ = true;
    };
    // The cell's own text: the final word on every cell a cheaper test could
    // not settle.
    auto cellHolds = [&](int row, int column) { return AdrsListCellText(c, row, column).contains(word); };
    auto markIfCellHolds = [&](int row, int column) {
        if (!holds_[size_t(row)] && cellHolds(row, column))
            mark(row);
    };
    // A cell whose text follows from one number of its row: each number's
    // text is built once per search.
    auto markKeyed = [&](int column, auto key) {
        std::vector<std::int8_t> small(256, -1);
        std::unordered_map<std::int64_t, bool> memo;
        for (int row = 0; row < rows; ++row) {
            const std::int64_t k = key(row);
            bool holds;
            if (k >= 0 && k < 256) {
                std::int8_t& known = small[size_t(k)];
                if (known < 0)
                    known = cellHolds(row, column) ? 1 : 0;
                holds = known == 1;
            } else {
                const auto at = memo.find(k);
                holds = at != memo.end() ? at->second : (memo[k] = cellHolds(row, column));
            }
            if (holds)
                mark(row);
        }
    };
    // A stored text shown as it stands, or in its wide-text form ("@XXXX...")
    // decoded, which only its shown text can tell.
    auto markPlainOrWide = [&](int field, int column) {
        c.ForEachRowHolding(field, pattern, [&](int row) {
            if (c.Utf8(row, field).front() != '@')
                mark(row);
        });
        forEachRowStartingWith(c, field, '@', [&](int row) { markIfCellHolds(row, column); });
    };
    auto per = [&](auto test) {
        for (int row = 0; row < rows; ++row)
            if (!holds_[size_t(row)] && test(row))
                mark(row);
    };

    for (const int column : columns) {
        if (column < 0 || column >= kAdrsListColumnCount)
            continue;
        switch (column) {
        case alcNo: {
            if (!onlyChars(word, u"0123456789"))
                continue;
            per([&](int row) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, c.RecNo(row)).ptr;
                return std::string_view(digits, size_t(end - digits)).find(pattern) != std::string_view::npos;
            });
            continue;
        }
        case alcGroup: {
            // A group shows one of the group names or nothing.
            bool named = false;
            for (int group = 1; group <= kGroupCount && !named; ++group)
                named = GroupName(group).contains(word);
            if (named)
                markKeyed(column, [&](int r) { return c.Integer(r, afGroup); });
            continue;
        }
        case alcTelDiv:
        case alcPrivCorp: {
            // A flag shows one of two texts: rows are looked at only for the
            // text that holds the word.
            const int field = column == alcTelDiv ? afTelDiv : afPrivCorp;
            const bool whenSet = AdrsListFlagText(column, true).contains(word);
            const bool whenClear = AdrsListFlagText(column, false).contains(word);
            if (whenSet || whenClear)
                per([&](int row) {
                    const std::int64_t v = c.Integer(row, field);
                    return (column == alcTelDiv ? v == 3 : v != 0) ? whenSet : whenClear;
                });
            continue;
        }
        case alcCodeMain: markKeyed(column, [&](int r) { return c.Integer(r, afCodeMain); }); continue;
        case alcCodeSub:
            markKeyed(column, [&](int r) {
                const std::int64_t sub = c.Integer(r, afCodeSub);
                return sub ? c.Integer(r, afCodeMain) * 100 + sub : std::int64_t(-1);
            });
            continue;
        case alcAddress: {
            // The four parts trimmed and joined. The word lies inside one
            // part, or it starts in a part whose last character is in the
            // word before its own last character; only such rows are joined.
            static constexpr int kParts[] = {afTdfkn, afAdrs1, afAdrs2, afAdrs3};
            std::vector<std::uint8_t> candidate(size_t(rows), 0);
            for (const int field : kParts)
                c.ForEachRowHolding(field, pattern, [&](int row) { candidate[size_t(row)] = 1; });
            const std::string_view head = std::string_view(pattern).substr(0, pattern.size() - lastChar(pattern).size());
            if (!head.empty()) {
                // A part's last character is one of the head's, or the word
                // cannot start in that part and go on. Characters are told
                // apart by their last two bytes (one for ASCII) in a table,
                // so the test on every row is one look-up.
                auto key = [](std::string_view v) {
                    const unsigned last = static_cast<unsigned char>(v.back());
                    return last < 0x80 || v.size() < 2 ? last : (unsigned(static_cast<unsigned char>(v[v.size() - 2])) << 8) | last;
                };
                std::bitset<65536> ends;
                for (size_t i = 0; i < head.size(); ++i)
                    if (i + 1 == head.size() || (static_cast<unsigned char>(head[i + 1]) & 0xC0) != 0x80)
                        ends.set(key(head.substr(0, i + 1)));
                for (const int field : {afTdfkn, afAdrs1, afAdrs2}) {
                    forEachText(c, field, [&](int row, std::string_view part) {
                        while (!part.empty() && static_cast<unsigned char>(part.back()) <= 0x20)
                            part.remove_suffix(1);
                        if (!part.empty() && ends.test(key(part)) && !candidate[size_t(row)]
                            && head.find(lastChar(part)) != std::string_view::npos)
                            candidate[size_t(row)] = 1;
                    });
                }
            }
            std::string joined;
            per([&](int row) {
                if (!candidate[size_t(row)])
                    return false;
                joined.clear();
                for (const int field : kParts)
                    joined += trimmed(c.Utf8(row, field));
                return joined.find(pattern) != std::string::npos;
            });
            continue;
        }
        case alcAddDateTime:
        case alcAddDate:
        case alcAddTime:
        case alcUpdDateTime:
        case alcUpdDate:
        case alcUpdTime: {
            if (!onlyChars(word, u"0123456789/: "))
                continue;
            const int field = column < alcUpdDateTime ? afAddDateTime : afUpdDateTime;
            per([&](int row) { return c.Float(row, field) != 0 && cellHolds(row, column); });
            continue;
        }
        case alcPubDate:
        case alcPos: {
            // Shown as stored with a separator put in: without its
            // separators the word is in the stored text, or not in the cell.
            const int field = column == alcPubDate ? afPubDate : afPos;
            const char separator = column == alcPubDate ? '/' : '-';
            const std::string bare = QString(word).remove(QChar(separator)).toStdString();
            per([&](int row) {
                const std::string_view v = trimmed(c.Utf8(row, field));
                if (v.empty())
                    return false;
                if (v.find(separator) == std::string_view::npos && v.find(bare) == std::string_view::npos)
                    return false;
                return cellHolds(row, column);
            });
            continue;
        }
        case alcNote: {
            // Line breaks are shown as spaces: a word without white space is
            // in the shown note only where it is in the stored one.
            const bool blankFree = std::none_of(word.begin(), word.end(), [](QChar ch) { return ch.unicode() <= 0x20; });
            if (blankFree)
                c.ForEachRowHolding(afNote, pattern, [&](int row) { markIfCellHolds(row, column); });
            else
                per([&](int row) { return !c.Utf8(row, afNote).empty() && cellHolds(row, column); });
            continue;
        }
        case alcNameKana: markPlainOrWide(afNameKana, column); continue;
        default: break;
        }
        const int field = AdrsListColumnDefs[size_t(column)].field;
        if (field < 0)
            continue; // shows nothing
        switch (AdrsColumnKind(field)) {
        case TFieldKind::Wide: markPlainOrWide(field, column); break;
        case TFieldKind::Phone: {
            // A number of digits starting with the trunk prefix is shown as
            // those digits with hyphens put in; anything else as it stands
            // or as the hyphenation gives it, which only its text can tell.
            const bool phoneChars = onlyChars(word, u"0123456789-");
            const std::string digits = QString(word).remove(u'-').toStdString();
            // Rows holding only digits and starting with 0 are told by one
            // pass that looks for any other byte, 64 bytes at a time.
            std::vector<std::uint8_t> other(size_t(rows), 0);
            const std::string_view arena = c.FieldArena(field);
            for (size_t at = 0; at < arena.size(); at += 64) {
                const size_t n = std::min<size_t>(64, arena.size() - at);
                unsigned char flagged = 0;
                for (size_t i = 0; i < n; ++i)
                    flagged |= static_cast<unsigned char>(static_cast<unsigned char>(arena[at + i] - '0') > 9);
                if (!flagged)
                    continue;
                for (size_t i = 0; i < n; ++i)
                    if (static_cast<unsigned char>(arena[at + i] - '0') > 9)
                        other[size_t(c.RowAtArenaOffset(field, at + i))] = 1;
            }
            if (phoneChars)
                c.ForEachRowHolding(field, digits, [&](int row) { other[size_t(row)] = 1; });
            forEachText(c, field, [&](int row, std::string_view v) {
                if (v.empty() || (!other[size_t(row)] && v.front() == '0') || holds_[size_t(row)])
                    return;
                v = trimmed(v);
                if (v.empty())
                    return;
                if (v.front() == '0' && isAllDigits(v) && (!phoneChars || v.find(digits) == std::string_view::npos))
                    return;
                if (cellHolds(row, column))
                    mark(row);
            });
            break;
        }
        case TFieldKind::Cipher:
            if (IsProtectedFieldMasked()) {
                // Every value shows the same stars; the digits are not looked at.
                markKeyed(column, [&](int r) { return std::int64_t(!c.Utf8(r, field).empty()); });
            } else {
                // The shown number is the deciphered bytes read as code page
                // 932: a word needing more bytes than they hold is not in it.
                const int wordBytes = leastCp932Bytes(word);
                const TFieldDecipher decipher;
                std::string plain;
                forEachText(c, field, [&](int row, std::string_view v) {
                    if (holds_[size_t(row)] || !deciphersToAtLeast(v, wordBytes) || !decipher.Decipher(v, plain))
                        return; // shown empty
                    // ASCII reads the same in code page 932.
                    const bool ascii = std::all_of(plain.begin(), plain.end(),
                                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
                    if (ascii ? plain.find(pattern) != std::string::npos
                              : cp932::Decode(plain.data(), int(plain.size())).contains(word))
                        mark(row);
                });
            }
            break;
        default: c.ForEachRowHolding(field, pattern, mark); break;
        }
    }
}

bool TListWordSearch::RowHolds(int cacheRow) const
{
    return cacheRow >= 0 && size_t(cacheRow) < holds_.size() && holds_[size_t(cacheRow)];
}

int FindWordInList(const TAdrsListModel& model, const QString& word, int from)
{
    if (word.isEmpty())
        return -1;
    const TListWordSearch search(model.Cache(), model.Columns(), word);
    if (!search.Any())
        return -1;
    for (int i = std::max(0, from); i < model.RowCount(); ++i)
        if (search.RowHolds(model.CacheRow(i)))
            return i;
    return -1;
}

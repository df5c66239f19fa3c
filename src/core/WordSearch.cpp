#include "core/WordSearch.h"

#include "core/AdrsListCache.h"
#include "core/AdrsListColumns.h"
#include "core/AdrsListModel.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Groups.h"
#include "core/Settings.h"
#include "platform/Cp932.h"

#include <algorithm>
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

// Rows are taken a block at a time where a whole block can be ruled out by
// a test on a column kept per row, which the compiler makes on many rows at
// once.
constexpr int kRowBlock = 64;

bool anyByte(const std::uint8_t* bytes, int n)
{
    unsigned any = 0;
    for (int i = 0; i < n; ++i)
        any |= bytes[i];
    return any != 0;
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
            // part, or it starts in a part whose last character is one of
            // the word's before its own last character: only such rows are
            // joined. The cache keeps the parts' last characters per row as
            // numbers, so the parts are not read for this, and a block of
            // rows none of whose parts ends so is passed over at once.
            static constexpr int kParts[] = {afTdfkn, afAdrs1, afAdrs2, afAdrs3};
            std::vector<std::uint8_t> candidate(size_t(rows), 0);
            for (const int field : kParts)
                c.ForEachRowHolding(field, pattern, [&](int row) { candidate[size_t(row)] = 1; });
            std::bitset<65536> heads;
            std::vector<std::uint16_t> headKeys;
            for (size_t i = 0; i + 1 < pattern.size(); ++i) {
                if ((static_cast<unsigned char>(pattern[i + 1]) & 0xC0) == 0x80)
                    continue;
                const std::uint16_t key = TAdrsListCache::TailKey(std::string_view(pattern).substr(0, i + 1));
                if (key != 0 && !heads.test(key)) // 0: a blank part
                    headKeys.push_back(key);
                heads.set(key);
            }
            heads.reset(0);
            const std::uint16_t* tails[] = {c.TailKeys(afTdfkn).data(), c.TailKeys(afAdrs1).data(),
                                            c.TailKeys(afAdrs2).data()};
            // A few keys are tested on a block at once; many, row by row.
            const bool fewKeys = headKeys.size() <= 8;
            if (!fewKeys)
                headKeys.clear();
            std::string joined;
            for (int from = 0; from < rows; from += kRowBlock) {
                const int n = std::min(kRowBlock, rows - from);
                unsigned maybe = !fewKeys || anyByte(candidate.data() + from, n);
                for (const std::uint16_t key : headKeys)
                    for (const std::uint16_t* t : tails)
                        for (int i = 0; i < n; ++i)
                            maybe |= t[from + i] == key;
                if (!maybe)
                    continue;
                for (int row = from; row < from + n; ++row) {
                    if (holds_[size_t(row)])
                        continue;
                    if (!candidate[size_t(row)]
                        && !(heads.test(tails[0][row]) | heads.test(tails[1][row]) | heads.test(tails[2][row])))
                        continue;
                    joined.clear();
                    for (const int field : kParts)
                        joined += trimmed(c.Utf8(row, field));
                    if (joined.find(pattern) != std::string::npos)
                        mark(row);
                }
            }
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
            // those digits with hyphens put in: it can hold a word of
            // digits and hyphens only, where the word's digits are in it.
            // Anything else shows as it stands or as the hyphenation gives
            // it, which only its text can tell. The cache keeps which kind
            // each row's number is, and a block of rows with nothing to
            // look at is passed over at once.
            const bool phoneChars = onlyChars(word, u"0123456789-");
            const std::string digits = QString(word).remove(u'-').toStdString();
            const std::uint8_t* shapes = c.PhoneShapes(field).data();
            std::vector<std::uint8_t> dialledHolding(size_t(rows), 0);
            if (phoneChars)
                c.ForEachRowHolding(field, digits, [&](int row) { dialledHolding[size_t(row)] = 1; });
            for (int from = 0; from < rows; from += kRowBlock) {
                const int n = std::min(kRowBlock, rows - from);
                unsigned other = 0;
                for (int i = 0; i < n; ++i)
                    other |= shapes[from + i] == TAdrsListCache::kOther;
                if (!other && !(phoneChars && anyByte(dialledHolding.data() + from, n)))
                    continue;
                for (int row = from; row < from + n; ++row) {
                    if (holds_[size_t(row)] || shapes[row] == TAdrsListCache::kBlank
                        || (shapes[row] == TAdrsListCache::kDialled && !dialledHolding[size_t(row)]))
                        continue;
                    if (shapes[row] == TAdrsListCache::kOther) {
                        const std::string_view v = trimmed(c.Utf8(row, field));
                        if (v.front() == '0' && isAllDigits(v)
                            && (!phoneChars || v.find(digits) == std::string_view::npos))
                            continue;
                    }
                    if (cellHolds(row, column))
                        mark(row);
                }
            }
            break;
        }
        case TFieldKind::Cipher:
            if (IsProtectedFieldMasked()) {
                // Every value shows the same stars, an empty one nothing:
                // the rows are read only when the stars hold the word.
                const std::vector<std::uint32_t>& ends = c.FieldEnds(field);
                int valued = 0;
                while (valued < rows && ends[size_t(valued)] == (valued ? ends[size_t(valued) - 1] : 0))
                    ++valued;
                if (valued < rows && cellHolds(valued, column))
                    per([&](int row) { return !c.Utf8(row, field).empty(); });
            } else {
                // The shown number is the deciphered bytes read as code page
                // 932: a word needing more bytes than the stored value
                // announces is not in it, which the cache's lengths tell for
                // every row, a block at a time, without reading the values.
                // The values left are read ahead of their turn: they lie
                // scattered over the field, and reading each only when it
                // is deciphered would wait on memory for every one.
                const int wordBytes = leastCp932Bytes(word);
                const std::uint8_t* lengths = c.CipherLengths(field).data();
                std::vector<int> toRead;
                for (int from = 0; from < rows; from += kRowBlock) {
                    const int n = std::min(kRowBlock, rows - from);
                    std::uint8_t longest = 0;
                    for (int i = 0; i < n; ++i)
                        longest = std::max(longest, lengths[from + i]);
                    if (longest < wordBytes)
                        continue;
                    for (int row = from; row < from + n; ++row)
                        if (lengths[row] >= wordBytes && !holds_[size_t(row)])
                            toRead.push_back(row);
                }
                const std::vector<std::uint32_t>& ends = c.FieldEnds(field);
                const char* arena = c.FieldArena(field).data();
                auto begin = [&](int row) { return row == 0 ? std::uint32_t(0) : ends[size_t(row) - 1]; };
                constexpr size_t kAhead = 8;
                const TFieldDecipher decipher;
                std::string plain;
                for (size_t k = 0; k < toRead.size(); ++k) {
                    if (k + 2 * kAhead < toRead.size())
                        __builtin_prefetch(&ends[size_t(std::max(toRead[k + 2 * kAhead] - 1, 0))]);
                    if (k + kAhead < toRead.size()) {
                        const int ahead = toRead[k + kAhead];
                        __builtin_prefetch(arena + begin(ahead));
                        __builtin_prefetch(arena + ends[size_t(ahead)] - 1);
                    }
                    const int row = toRead[k];
                    if (!decipher.Decipher(std::string_view(arena + begin(row), ends[size_t(row)] - begin(row)), plain))
                        continue; // shown empty
                    // ASCII reads the same in code page 932.
                    const bool ascii = std::all_of(plain.begin(), plain.end(),
                                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
                    if (ascii ? plain.find(pattern) != std::string::npos
                              : cp932::Decode(plain.data(), int(plain.size())).contains(word))
                        mark(row);
                }
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

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

// The address column shows these parts, trimmed and joined.
constexpr int kAddressParts[] = {afTdfkn, afAdrs1, afAdrs2, afAdrs3};

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

// The keys (TAdrsListCache::TailKey) of the word's heads: each part of the
// word from its start that ends on a whole character before its last one. A
// word that runs from one address part into the next starts with a head the
// first of those parts ends with, and so shares its key.
struct TWordHeads {
    std::bitset<65536> keys; // 0, the key of a blank text, never set
    // The same keys listed while they are few enough to be tested on a
    // block of rows at once; empty when they are not.
    std::vector<std::uint16_t> few;
    bool fewKeys = true;
};

TWordHeads wordHeads(std::string_view pattern)
{
    TWordHeads heads;
    for (size_t i = 0; i + 1 < pattern.size(); ++i) {
        if ((static_cast<unsigned char>(pattern[i + 1]) & 0xC0) == 0x80)
            continue;
        const std::uint16_t key = TAdrsListCache::TailKey(pattern.substr(0, i + 1));
        if (key != 0 && !heads.keys.test(key))
            heads.few.push_back(key);
        heads.keys.set(key);
    }
    heads.keys.reset(0);
    heads.fewKeys = heads.few.size() <= 8;
    if (!heads.fewKeys)
        heads.few.clear();
    return heads;
}

// The keys the cache keeps of the last characters of the first three
// address parts, per row: the parts a word can run on from.
struct TAddressTails {
    explicit TAddressTails(const TAdrsListCache& c)
        : part{c.TailKeys(afTdfkn).data(), c.TailKeys(afAdrs1).data(), c.TailKeys(afAdrs2).data()}
    {
    }
    // Some row of the block may have a part ending with a head: tested on
    // the whole block when the heads are few, assumed when they are not.
    bool MayEndWithHead(const TWordHeads& heads, int from, int n) const
    {
        if (!heads.fewKeys)
            return true;
        unsigned found = 0;
        for (const std::uint16_t key : heads.few)
            for (const std::uint16_t* t : part)
                for (int i = 0; i < n; ++i)
                    found |= t[from + i] == key;
        return found != 0;
    }
    bool EndsWithHead(const TWordHeads& heads, int row) const
    {
        return heads.keys.test(part[0][row]) | heads.keys.test(part[1][row]) | heads.keys.test(part[2][row]);
    }
    const std::uint16_t* part[3];
};

// The first row whose stored text of a field is not empty (it ends past
// where the row before ends); `rows` when there is none.
int firstStoredValue(const std::vector<std::uint32_t>& ends, int rows)
{
    int row = 0;
    while (row < rows && ends[size_t(row)] == (row ? ends[size_t(row) - 1] : 0))
        ++row;
    return row;
}

// One word looked for over every row of the cache, a shown column at a
// time: a function per kind of column, each deciding most cells on their
// stored value (or on what the cache keeps per row) and building the shown
// text only of the cells that test cannot settle. A column that holds the
// word nowhere costs one pass; the rows found are marked, whichever column
// found them.
class TColumnSearch {
public:
    TColumnSearch(const TAdrsListCache& cache, const QString& word)
        : c(cache), word(word), pattern(word.toStdString()), rows(cache.Count())
    {
        holds.assign(size_t(rows), 0);
    }
    void Search(int column);

    // Per cache row: a shown cell searched so far holds the word.
    std::vector<std::uint8_t> holds;
    bool any = false;

private:
    const TAdrsListCache& c;
    const QString& word;
    const std::string pattern; // the word in UTF-8, as the cache's texts
    const int rows;

    void mark(int row)
    {
        holds[size_t(row)] = 1;
        any = true;
    }
    // The cell's own text: the final word on every cell a cheaper test could
    // not settle.
    bool cellHolds(int row, int column) const { return AdrsListCellText(c, row, column).contains(word); }
    void markIfCellHolds(int row, int column)
    {
        if (!holds[size_t(row)] && cellHolds(row, column))
            mark(row);
    }
    // Every row not yet marked that passes the test.
    template <typename Test>
    void markEach(Test test)
    {
        for (int row = 0; row < rows; ++row)
            if (!holds[size_t(row)] && test(row))
                mark(row);
    }

    void shownAsStored(int column, int field);
    void flagOrKeyed(int column);
    template <typename Key>
    void keyed(int column, Key key);
    void address();
    std::vector<std::uint8_t> rowsWithWordInOneAddressPart() const;
    bool joinedAddressHolds(int row, std::string& joined) const;
    void date(int column);
    void note();
    void telephone(int column, int field);
    void enciphered(int column, int field);
    void deciphered(int field);
};

void TColumnSearch::Search(int column)
{
    if (column < 0 || column >= kAdrsListColumnCount)
        return;
    switch (column) {
    case alcNo:
    case alcGroup:
    case alcTelDiv:
    case alcPrivCorp:
    case alcCodeMain:
    case alcCodeSub: flagOrKeyed(column); return;
    case alcAddress: address(); return;
    case alcAddDateTime:
    case alcAddDate:
    case alcAddTime:
    case alcUpdDateTime:
    case alcUpdDate:
    case alcUpdTime:
    case alcPubDate:
    case alcPos: date(column); return;
    case alcNote: note(); return;
    case alcNameKana: shownAsStored(column, afNameKana); return;
    default: break;
    }
    const int field = AdrsListColumnDefs[size_t(column)].field;
    if (field < 0)
        return; // shows nothing
    switch (AdrsColumnKind(field)) {
    case TFieldKind::Phone: telephone(column, field); return;
    case TFieldKind::Cipher: enciphered(column, field); return;
    default: shownAsStored(column, field); return;
    }
}

// A text shown as it stands holds the word exactly where its stored UTF-8
// does; one stored in the wide-text form ("@XXXX...", a name or the kana
// name) is shown decoded, which only its shown text can tell.
void TColumnSearch::shownAsStored(int column, int field)
{
    if (column != alcNameKana && AdrsColumnKind(field) != TFieldKind::Wide) {
        c.ForEachRowHolding(field, pattern, [&](int row) { mark(row); });
        return;
    }
    c.ForEachRowHolding(field, pattern, [&](int row) {
        if (c.Utf8(row, field).front() != '@')
            mark(row);
    });
    forEachRowStartingWith(c, field, '@', [&](int row) { markIfCellHolds(row, column); });
}

// A cell whose text follows from its row's numbers: the record number's
// digits, one of a flag's two texts, a group or category name by its number.
// Each text that can be shown is tested once, not once per row.
void TColumnSearch::flagOrKeyed(int column)
{
    switch (column) {
    case alcNo:
        if (onlyChars(word, u"0123456789"))
            markEach([&](int row) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, c.RecNo(row)).ptr;
                return std::string_view(digits, size_t(end - digits)).find(pattern) != std::string_view::npos;
            });
        return;
    case alcGroup: {
        // A group shows one of the group names or nothing.
        bool named = false;
        for (int group = 1; group <= kGroupCount && !named; ++group)
            named = GroupName(group).contains(word);
        if (named)
            keyed(column, [&](int r) { return c.Integer(r, afGroup); });
        return;
    }
    case alcTelDiv:
    case alcPrivCorp: {
        // Rows are looked at only for the text that holds the word.
        const int field = column == alcTelDiv ? afTelDiv : afPrivCorp;
        const bool whenSet = AdrsListFlagText(column, true).contains(word);
        const bool whenClear = AdrsListFlagText(column, false).contains(word);
        if (whenSet || whenClear)
            markEach([&](int row) {
                const std::int64_t v = c.Integer(row, field);
                return (column == alcTelDiv ? v == 3 : v != 0) ? whenSet : whenClear;
            });
        return;
    }
    case alcCodeMain: keyed(column, [&](int r) { return c.Integer(r, afCodeMain); }); return;
    case alcCodeSub:
        keyed(column, [&](int r) {
            const std::int64_t sub = c.Integer(r, afCodeSub);
            return sub ? c.Integer(r, afCodeMain) * 100 + sub : std::int64_t(-1);
        });
        return;
    default: return;
    }
}

// Marks the rows whose cell holds the word, the cell's text being the same
// for every row of the same key.
template <typename Key>
void TColumnSearch::keyed(int column, Key key)
{
    std::vector<std::int8_t> small(256, -1);
    std::unordered_map<std::int64_t, bool> memo;
    for (int row = 0; row < rows; ++row) {
        const std::int64_t k = key(row);
        bool holdsWord;
        if (k >= 0 && k < 256) {
            std::int8_t& known = small[size_t(k)];
            if (known < 0)
                known = cellHolds(row, column) ? 1 : 0;
            holdsWord = known == 1;
        } else {
            const auto at = memo.find(k);
            holdsWord = at != memo.end() ? at->second : (memo[k] = cellHolds(row, column));
        }
        if (holdsWord)
            mark(row);
    }
}

// The four parts trimmed and joined. The word lies inside one part, or it
// starts in a part that ends with one of the word's heads (wordHeads): only
// such rows are joined. The cache keeps the first three parts' last
// characters per row as keys, so the parts are not read for this, and a
// block of rows none of whose parts holds the word or ends so is passed
// over at once.
void TColumnSearch::address()
{
    const std::vector<std::uint8_t> inOnePart = rowsWithWordInOneAddressPart();
    const TWordHeads heads = wordHeads(pattern);
    const TAddressTails tails(c);
    std::string joined;
    for (int from = 0; from < rows; from += kRowBlock) {
        const int n = std::min(kRowBlock, rows - from);
        if (!anyByte(inOnePart.data() + from, n) && !tails.MayEndWithHead(heads, from, n))
            continue;
        for (int row = from; row < from + n; ++row)
            if (!holds[size_t(row)] && (inOnePart[size_t(row)] || tails.EndsWithHead(heads, row))
                && joinedAddressHolds(row, joined))
                mark(row);
    }
}

std::vector<std::uint8_t> TColumnSearch::rowsWithWordInOneAddressPart() const
{
    std::vector<std::uint8_t> rowsWith(size_t(rows), 0);
    for (const int field : kAddressParts)
        c.ForEachRowHolding(field, pattern, [&](int row) { rowsWith[size_t(row)] = 1; });
    return rowsWith;
}

// The row's address as shown; `joined` is the caller's buffer, kept from
// row to row.
bool TColumnSearch::joinedAddressHolds(int row, std::string& joined) const
{
    joined.clear();
    for (const int field : kAddressParts)
        joined += trimmed(c.Utf8(row, field));
    return joined.find(pattern) != std::string::npos;
}

// A date and time shows digits, "/", ":" and spaces only (and a minus
// before a year before the first, which only a damaged value gives), and
// nothing for no date. A publication month or postal code is shown as stored with one
// separator put in: without its separators the word is in the stored text,
// or the stored text holds the separator itself, or the word is not in the
// cell.
void TColumnSearch::date(int column)
{
    if (column != alcPubDate && column != alcPos) {
        if (!onlyChars(word, u"0123456789/: -"))
            return;
        const int field = column < alcUpdDateTime ? afAddDateTime : afUpdDateTime;
        markEach([&](int row) { return c.Float(row, field) != 0 && cellHolds(row, column); });
        return;
    }
    const int field = column == alcPubDate ? afPubDate : afPos;
    const char separator = column == alcPubDate ? '/' : '-';
    const std::string bare = QString(word).remove(QChar(separator)).toStdString();
    markEach([&](int row) {
        const std::string_view v = trimmed(c.Utf8(row, field));
        if (v.empty())
            return false;
        if (v.find(separator) == std::string_view::npos && v.find(bare) == std::string_view::npos)
            return false;
        return cellHolds(row, column);
    });
}

// Line breaks are shown as spaces: a word without white space is in the
// shown note only where it is in the stored one.
void TColumnSearch::note()
{
    const bool blankFree = std::none_of(word.begin(), word.end(), [](QChar ch) { return ch.unicode() <= 0x20; });
    if (blankFree)
        c.ForEachRowHolding(afNote, pattern, [&](int row) { markIfCellHolds(row, alcNote); });
    else
        markEach([&](int row) { return !c.Utf8(row, afNote).empty() && cellHolds(row, alcNote); });
}

// A number of digits starting with the trunk prefix is shown as those
// digits with hyphens put in: it can hold a word of digits and hyphens
// only, where the word's digits are in it. A blank number shows nothing.
// Anything else shows as it stands or as the hyphenation gives it, which
// only its text can tell. The cache keeps which of these each row's number
// is (PhoneShapes), and a block of rows with nothing to look at is passed
// over at once.
void TColumnSearch::telephone(int column, int field)
{
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
            if (holds[size_t(row)] || shapes[row] == TAdrsListCache::kBlank
                || (shapes[row] == TAdrsListCache::kDialled && !dialledHolding[size_t(row)]))
                continue;
            if (shapes[row] == TAdrsListCache::kOther) {
                // Dialled digits between blanks: shown as the trimmed digits.
                const std::string_view v = trimmed(c.Utf8(row, field));
                if (v.front() == '0' && isAllDigits(v) && (!phoneChars || v.find(digits) == std::string_view::npos))
                    continue;
            }
            if (cellHolds(row, column))
                mark(row);
        }
    }
}

// Behind the lock every stored value shows the same stars and an empty one
// nothing, so the rows are read only when the stars hold the word.
void TColumnSearch::enciphered(int column, int field)
{
    if (!IsProtectedFieldMasked()) {
        deciphered(field);
        return;
    }
    const int valued = firstStoredValue(c.FieldEnds(field), rows);
    if (valued < rows && cellHolds(valued, column))
        markEach([&](int row) { return !c.Utf8(row, field).empty(); });
}

// Unlocked, the shown number is the deciphered bytes read as code page 932:
// a word needing more bytes than the stored value announces is not in it,
// which the cache's lengths (CipherLengths) tell for every row, a block at a
// time, without reading the values. The values left are read ahead of their
// turn: they lie scattered over the field, and reading each only when it is
// deciphered would wait on memory for every one.
void TColumnSearch::deciphered(int field)
{
    // Step 1: the rows whose values announce enough bytes.
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
            if (lengths[row] >= wordBytes && !holds[size_t(row)])
                toRead.push_back(row);
    }
    // Step 2: those values deciphered, each read ahead of its turn.
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
        const bool ascii =
            std::all_of(plain.begin(), plain.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
        if (ascii ? plain.find(pattern) != std::string::npos
                  : cp932::Decode(plain.data(), int(plain.size())).contains(word))
            mark(row);
    }
}

} // namespace

TListWordSearch::TListWordSearch(const TAdrsListCache& cache, const std::vector<int>& columns, const QString& word)
{
    if (word.isEmpty())
        return;
    TColumnSearch search(cache, word);
    for (const int column : columns)
        search.Search(column);
    holds_ = std::move(search.holds);
    any_ = search.any;
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

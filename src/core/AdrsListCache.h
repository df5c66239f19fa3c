#pragma once
// The stored values of every row of a book, loaded once in RecNo order and
// kept compact, field by field (a number column per number field, and one
// text arena per text field holding that field of every row end to end), so the address list
// can sort, filter, search and look for duplicates without going back to
// the table. A field's arena lets a search run one pass over the field
// instead of one per cell.

#include <QString>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class TSqlTable;

class TAdrsListCache {
public:
    // Reads every row of the table (any filter of the caller is not applied).
    void Load(TSqlTable& table);
    void Clear();

    int Count() const { return rows_; }
    // Changes with every Load and Clear, and differs between caches: what
    // was worked out over the rows holds while it stays the same.
    std::uint64_t Generation() const { return generation_; }
    std::int64_t RecNo(int row) const { return ints_[0][size_t(row)]; }
    // The row of RecNo, -1 when the book has no such row.
    int IndexOfRecNo(std::int64_t recNo) const;

    // Integer and Boolean fields (field numbers of the table).
    std::int64_t Integer(int row, int field) const { return ints_[size_t(slot_[field])][size_t(row)]; }
    double Float(int row, int field) const { return floats_[size_t(slot_[field])][size_t(row)]; }
    // Text and memo fields, as UTF-8.
    std::string_view Utf8(int row, int field) const
    {
        const TTextColumn& c = text_[size_t(slot_[field])];
        const std::uint32_t begin = row == 0 ? 0 : c.ends[size_t(row) - 1];
        return std::string_view(c.arena.data() + begin, c.ends[size_t(row)] - begin);
    }
    // A text field of every row end to end, and the row whose text holds
    // the byte at an offset into it (texts never overlap; an empty text
    // holds no byte). A cache that holds no book (never loaded, or
    // cleared) has no columns: these read as the field of no rows.
    std::string_view FieldArena(int field) const { return textColumn(field).arena; }
    int RowAtArenaOffset(int field, size_t offset) const;
    // Per row, where its text of the field ends in the field's arena (it
    // starts where the row before ends).
    const std::vector<std::uint32_t>& FieldEnds(int field) const { return textColumn(field).ends; }
    // Calls fn(row) for every row whose text of the field holds a byte
    // pattern (every row for an empty one): one memmem over the field's
    // arena, each hit taken by the row it starts in when it ends there too
    // (a hit across two texts is no hit), then on from that row's end.
    template <typename Fn>
    void ForEachRowHolding(int field, std::string_view pattern, Fn&& fn) const
    {
        if (pattern.empty()) {
            for (int row = 0; row < rows_; ++row)
                fn(row);
            return;
        }
        const std::string_view arena = FieldArena(field);
        size_t from = 0;
        while (from + pattern.size() <= arena.size()) {
            const void* hit = memmem(arena.data() + from, arena.size() - from, pattern.data(), pattern.size());
            if (!hit)
                return;
            const size_t at = size_t(static_cast<const char*>(hit) - arena.data());
            const int row = RowAtArenaOffset(field, at);
            const size_t end = ArenaOffset(row, field) + Utf8(row, field).size();
            if (at + pattern.size() <= end) {
                fn(row);
                from = end;
            } else {
                from = at + 1;
            }
        }
    }
    // Where the row's text of the field starts in the field's arena.
    size_t ArenaOffset(int row, int field) const
    {
        return row == 0 ? 0 : textColumn(field).ends[size_t(row) - 1];
    }
    QString Text(int row, int field) const;
    bool IsNull(int row, int field) const { return nulls_[size_t(row) * textCols_ + slot_[field]]; }

    // Kept per row at load, a small column each, so that a pass over every
    // row for a word need not read the arenas again for what they tell
    // (empty for a field not named here, and for a table other than the
    // address book's):
    // - TailKeys: for the address's first three parts (afTdfkn, afAdrs1,
    //   afAdrs2), the TailKey of each row's text, so that only the rows where
    //   a text could run from one part into the next are joined;
    // - PhoneShapes: per telephone field, its shape: kBlank (nothing but
    //   blanks), kDialled (digits only, starting with 0: shown hyphenated) or
    //   kOther;
    // - CipherLengths: per enciphered field the list shows (the My Numbers),
    //   the length of the plain text the stored value announces when it is
    //   well-formed (hexadecimal, its blocks fitting that length), 0 when it
    //   cannot be deciphered to any text and is shown empty.
    const std::vector<std::uint16_t>& TailKeys(int field) const { return perField(tailKeys_, field); }
    enum TPhoneShape : std::uint8_t { kBlank, kDialled, kOther };
    const std::vector<std::uint8_t>& PhoneShapes(int field) const { return perField(phoneShapes_, field); }
    const std::vector<std::uint8_t>& CipherLengths(int field) const { return perField(cipherLengths_, field); }
    // The last character of a text after its trailing blanks (bytes up to
    // the space) as a number: its byte for ASCII, else its last two UTF-8
    // bytes; 0 for a blank text. Two characters rarely share a key.
    static std::uint16_t TailKey(std::string_view text)
    {
        while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
            text.remove_suffix(1);
        if (text.empty())
            return 0;
        const unsigned last = static_cast<unsigned char>(text.back());
        if (last < 0x80 || text.size() < 2)
            return std::uint16_t(last);
        return std::uint16_t((unsigned(static_cast<unsigned char>(text[text.size() - 2])) << 8) | last);
    }

    size_t MemoryBytes() const;

private:
    enum class TKind : std::uint8_t { Int, Float, Text };
    std::vector<TKind> kind_;
    std::vector<int> slot_;
    int intCols_ = 0, floatCols_ = 0, textCols_ = 0;
    int rows_ = 0;
    std::uint64_t generation_ = 0;
    // Every column of every kind holds its field of all rows together, so a
    // pass over one field of the book reads memory in order.
    std::vector<std::vector<std::int64_t>> ints_;
    std::vector<std::vector<double>> floats_;
    struct TTextColumn {
        std::string arena;
        std::vector<std::uint32_t> ends; // per row, end offset in arena; a text starts where the one before ends
    };
    std::vector<TTextColumn> text_;
    std::vector<bool> nulls_;
    // The field's text column; an empty one while the cache holds no book.
    const TTextColumn& textColumn(int field) const
    {
        static const TTextColumn none;
        return size_t(field) < slot_.size() ? text_[size_t(slot_[size_t(field)])] : none;
    }
    // Per field, its column of that name kept per row (above); empty for
    // every other field.
    std::vector<std::vector<std::uint16_t>> tailKeys_;
    std::vector<std::vector<std::uint8_t>> phoneShapes_;
    std::vector<std::vector<std::uint8_t>> cipherLengths_;
    template <typename T>
    static const std::vector<T>& perField(const std::vector<std::vector<T>>& columns, int field)
    {
        static const std::vector<T> none;
        return field >= 0 && size_t(field) < columns.size() ? columns[size_t(field)] : none;
    }
    void keepRowColumns();
};

#pragma once
// The stored values of every row of a book, loaded once in RecNo order and
// kept compact, field by field (a number column per number field, and one
// text arena per text field holding that field of every row end to end), so the address list
// can sort, filter, search and look for duplicates without going back to
// the table. A field's arena lets a search run one pass over the field
// instead of one per cell.

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

class TSqlTable;

class TAdrsListCache {
public:
    // Reads every row of the table (any filter of the caller is not applied).
    void Load(TSqlTable& table);
    void Clear();

    int Count() const { return rows_; }
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
    // holds no byte).
    std::string_view FieldArena(int field) const { return text_[size_t(slot_[field])].arena; }
    int RowAtArenaOffset(int field, size_t offset) const;
    // Per row, where its text of the field ends in the field's arena (it
    // starts where the row before ends).
    const std::vector<std::uint32_t>& FieldEnds(int field) const { return text_[size_t(slot_[field])].ends; }
    // Where the row's text of the field starts in the field's arena.
    size_t ArenaOffset(int row, int field) const
    {
        return row == 0 ? 0 : text_[size_t(slot_[field])].ends[size_t(row) - 1];
    }
    QString Text(int row, int field) const;
    bool IsNull(int row, int field) const { return nulls_[size_t(row) * textCols_ + slot_[field]]; }

    size_t MemoryBytes() const;

private:
    enum class TKind : std::uint8_t { Int, Float, Text };
    std::vector<TKind> kind_;
    std::vector<int> slot_;
    int intCols_ = 0, floatCols_ = 0, textCols_ = 0;
    int rows_ = 0;
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
};

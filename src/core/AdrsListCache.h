#pragma once
// The stored values of every row of a book, loaded once in RecNo order and
// kept compact (one text arena, fixed-size number columns), so the address
// list can sort, filter and look for duplicates without going back to the
// table.

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
    std::int64_t RecNo(int row) const { return ints_[size_t(row) * intCols_]; }
    // The row of RecNo, -1 when the book has no such row.
    int IndexOfRecNo(std::int64_t recNo) const;

    // Integer and Boolean fields (field numbers of the table).
    std::int64_t Integer(int row, int field) const { return ints_[size_t(row) * intCols_ + slot_[field]]; }
    double Float(int row, int field) const { return floats_[size_t(row) * floatCols_ + slot_[field]]; }
    // Text and memo fields, as UTF-8.
    std::string_view Utf8(int row, int field) const
    {
        const size_t k = size_t(row) * textCols_ + slot_[field];
        const std::uint32_t begin = k == 0 ? 0 : textEnd_[k - 1];
        return std::string_view(arena_.data() + begin, textEnd_[k] - begin);
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
    std::vector<std::int64_t> ints_;
    std::vector<double> floats_;
    std::vector<std::uint32_t> textEnd_; // end offset in arena_; a text starts where the one before ends
    std::vector<bool> nulls_;
    std::string arena_;
};

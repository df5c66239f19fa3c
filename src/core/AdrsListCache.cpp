#include "core/AdrsListCache.h"

#include "platform/SqlTable.h"

#include <algorithm>
#include <atomic>

namespace {
std::uint64_t nextGeneration()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}
} // namespace

void TAdrsListCache::Clear()
{
    generation_ = nextGeneration();
    rows_ = 0;
    // No columns either: a cache that holds no book reads as one of no
    // rows whichever field is asked for (the columns come with the next Load).
    kind_.clear();
    slot_.clear();
    intCols_ = floatCols_ = textCols_ = 0;
    ints_.clear();
    floats_.clear();
    text_.clear();
    nulls_.clear();
}

void TAdrsListCache::Load(TSqlTable& table)
{
    Clear();
    const auto& fields = table.Def().Fields;
    kind_.clear();
    slot_.clear();
    intCols_ = floatCols_ = textCols_ = 0;
    for (const auto& f : fields) {
        switch (f.Type) {
        case TSqlFieldType::Text:
        case TSqlFieldType::Memo:
            kind_.push_back(TKind::Text);
            slot_.push_back(textCols_++);
            break;
        case TSqlFieldType::Float:
            kind_.push_back(TKind::Float);
            slot_.push_back(floatCols_++);
            break;
        default:
            kind_.push_back(TKind::Int);
            slot_.push_back(intCols_++);
            break;
        }
    }
    const int expected = table.RecordCount();
    ints_.resize(size_t(intCols_));
    for (auto& column : ints_)
        column.reserve(size_t(expected));
    floats_.resize(size_t(floatCols_));
    for (auto& column : floats_)
        column.reserve(size_t(expected));
    text_.resize(size_t(textCols_));
    for (TTextColumn& c : text_)
        c.ends.reserve(size_t(expected));
    nulls_.reserve(size_t(expected) * textCols_);

    const int n = int(fields.size());
    table.Scan([&](const TSqlRow& row) {
        for (int i = 0; i < n; ++i) {
            switch (kind_[size_t(i)]) {
            case TKind::Int: ints_[size_t(slot_[size_t(i)])].push_back(row.Integer(i)); break;
            case TKind::Float: floats_[size_t(slot_[size_t(i)])].push_back(row.Float(i)); break;
            case TKind::Text: {
                int len = 0;
                const char* p = row.Text(i, &len);
                TTextColumn& c = text_[size_t(slot_[size_t(i)])];
                c.arena.append(p, size_t(len));
                c.ends.push_back(std::uint32_t(c.arena.size()));
                nulls_.push_back(row.IsNull(i));
                break;
            }
            }
        }
        ++rows_;
    });
    for (TTextColumn& c : text_)
        c.arena.shrink_to_fit();
}

int TAdrsListCache::IndexOfRecNo(std::int64_t recNo) const
{
    // Rows are loaded in RecNo order.
    int lo = 0, hi = rows_ - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const std::int64_t v = RecNo(mid);
        if (v == recNo)
            return mid;
        if (v < recNo)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

int TAdrsListCache::RowAtArenaOffset(int field, size_t offset) const
{
    const std::vector<std::uint32_t>& ends = FieldEnds(field);
    return int(std::upper_bound(ends.begin(), ends.end(), offset) - ends.begin());
}

QString TAdrsListCache::Text(int row, int field) const
{
    const std::string_view v = Utf8(row, field);
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

size_t TAdrsListCache::MemoryBytes() const
{
    size_t bytes = nulls_.capacity() / 8;
    for (const auto& column : ints_)
        bytes += column.capacity() * sizeof(std::int64_t);
    for (const auto& column : floats_)
        bytes += column.capacity() * sizeof(double);
    for (const TTextColumn& c : text_)
        bytes += c.ends.capacity() * sizeof(std::uint32_t) + c.arena.capacity();
    return bytes;
}

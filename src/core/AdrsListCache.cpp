#include "core/AdrsListCache.h"

#include "platform/SqlTable.h"

#include <algorithm>

void TAdrsListCache::Clear()
{
    rows_ = 0;
    ints_.clear();
    floats_.clear();
    textEnd_.clear();
    nulls_.clear();
    arena_.clear();
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
    ints_.reserve(size_t(expected) * intCols_);
    floats_.reserve(size_t(expected) * floatCols_);
    textEnd_.reserve(size_t(expected) * textCols_);
    nulls_.reserve(size_t(expected) * textCols_);
    arena_.reserve(size_t(expected) * 256);

    const int n = int(fields.size());
    table.Scan([&](const TSqlRow& row) {
        for (int i = 0; i < n; ++i) {
            switch (kind_[i]) {
            case TKind::Int: ints_.push_back(row.Integer(i)); break;
            case TKind::Float: floats_.push_back(row.Float(i)); break;
            case TKind::Text: {
                int len = 0;
                const char* p = row.Text(i, &len);
                arena_.append(p, size_t(len));
                textEnd_.push_back(std::uint32_t(arena_.size()));
                nulls_.push_back(row.IsNull(i));
                break;
            }
            }
        }
        ++rows_;
    });
    arena_.shrink_to_fit();
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

QString TAdrsListCache::Text(int row, int field) const
{
    const std::string_view v = Utf8(row, field);
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

size_t TAdrsListCache::MemoryBytes() const
{
    return ints_.capacity() * sizeof(std::int64_t) + floats_.capacity() * sizeof(double) +
           textEnd_.capacity() * sizeof(std::uint32_t) + nulls_.capacity() / 8 + arena_.capacity();
}

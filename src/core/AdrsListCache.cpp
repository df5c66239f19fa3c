#include "core/AdrsListCache.h"

#include "core/AdrsListColumns.h"
#include "core/DBInfo.h"
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
    tailKeys_.clear();
    phoneShapes_.clear();
    cipherLengths_.clear();
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
    keepRowColumns();
}

namespace {

// The length of the plain text a stored enciphered value announces when the
// value is well-formed: trimmed, an even number of hexadecimal digits, its
// first byte the length and the rest whole 16-byte blocks that fit it. 0
// otherwise (such a value is shown empty).
std::uint8_t cipherLength(std::string_view v)
{
    static const auto kNibble = [] {
        std::array<std::int8_t, 256> t;
        t.fill(-1);
        for (int d = 0; d < 10; ++d)
            t[size_t('0' + d)] = std::int8_t(d);
        for (int d = 0; d < 6; ++d)
            t[size_t('A' + d)] = t[size_t('a' + d)] = std::int8_t(10 + d);
        return t;
    }();
    while (!v.empty() && static_cast<unsigned char>(v.front()) <= 0x20)
        v.remove_prefix(1);
    while (!v.empty() && static_cast<unsigned char>(v.back()) <= 0x20)
        v.remove_suffix(1);
    if (v.size() < 2 || v.size() % 2 != 0)
        return 0;
    int bad = 0;
    for (const char ch : v)
        bad |= kNibble[static_cast<unsigned char>(ch)];
    if (bad < 0)
        return 0;
    const int length = kNibble[static_cast<unsigned char>(v[0])] * 16 + kNibble[static_cast<unsigned char>(v[1])];
    return (v.size() - 2) / 2 == size_t((length + 15) / 16 * 16) ? std::uint8_t(length) : 0;
}

std::uint8_t phoneShape(std::string_view v)
{
    if (!v.empty() && v.front() == '0'
        && std::all_of(v.begin(), v.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return TAdrsListCache::kDialled;
    return std::all_of(v.begin(), v.end(), [](char ch) { return static_cast<unsigned char>(ch) <= 0x20; })
               ? TAdrsListCache::kBlank
               : TAdrsListCache::kOther;
}

} // namespace

void TAdrsListCache::keepRowColumns()
{
    if (kind_.size() != size_t(afFieldCount))
        return;
    auto isText = [&](int field) { return kind_[size_t(field)] == TKind::Text; };
    // One column of a value per row, worked out from each row's text.
    auto keep = [&](auto& columns, int field, auto of) {
        auto& column = columns[size_t(field)];
        column.resize(size_t(rows_));
        const TTextColumn& c = text_[size_t(slot_[size_t(field)])];
        std::uint32_t begin = 0;
        for (size_t row = 0; row < c.ends.size(); ++row) {
            column[row] = of(std::string_view(c.arena.data() + begin, c.ends[row] - begin));
            begin = c.ends[row];
        }
    };
    tailKeys_.assign(kind_.size(), {});
    phoneShapes_.assign(kind_.size(), {});
    cipherLengths_.assign(kind_.size(), {});
    for (int field = 0; field < afFieldCount; ++field) {
        if (!isText(field))
            continue;
        if (field == afTdfkn || field == afAdrs1 || field == afAdrs2)
            keep(tailKeys_, field, TailKey);
        else if (AdrsColumnKind(field) == TFieldKind::Phone)
            keep(phoneShapes_, field, phoneShape);
        // The enciphered fields the list shows (the My Numbers), not the
        // protected memos it never does.
        else if (AdrsColumnKind(field) == TFieldKind::Cipher
                 && std::any_of(AdrsListColumnDefs.begin(), AdrsListColumnDefs.end(),
                                [&](const TAdrsListColumnDef& d) { return d.field == field; }))
            keep(cipherLengths_, field, cipherLength);
    }
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
    for (const auto& keys : tailKeys_)
        bytes += keys.capacity() * sizeof(std::uint16_t);
    for (const auto& shapes : phoneShapes_)
        bytes += shapes.capacity();
    for (const auto& lengths : cipherLengths_)
        bytes += lengths.capacity();
    return bytes;
}

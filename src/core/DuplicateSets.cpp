#include "core/DuplicateSets.h"

#include "core/AdrsListCache.h"
#include "core/DBInfo.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string_view trimmed(std::string_view v)
{
    while (!v.empty() && static_cast<unsigned char>(v.front()) <= 0x20)
        v.remove_prefix(1);
    while (!v.empty() && static_cast<unsigned char>(v.back()) <= 0x20)
        v.remove_suffix(1);
    return v;
}

bool isAscii(std::string_view v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Appends the item's text as the list shows it, trimmed.
void appendItem(const TAdrsListCache& c, int row, int item, std::string& out)
{
    switch (item) {
    case diTel: out += trimmed(c.Utf8(row, afTel)); return;
    case diAddress:
        for (const int field : {afTdfkn, afAdrs1, afAdrs2, afAdrs3})
            out += trimmed(c.Utf8(row, field));
        return;
    case diCompany:
    case diName: {
        const int field = item == diCompany ? afCorpKanji : afNameKanji;
        const std::string_view v = c.Utf8(row, field);
        if (!v.empty() && v.front() == '@' && isAscii(v)) {
            // The wide-text form of a name the code page cannot hold.
            out += cp932::Trim(AtHexToWide(QByteArray(v.data(), qsizetype(v.size())))).toStdString();
            return;
        }
        out += trimmed(v);
        return;
    }
    default: return;
    }
}

// FNV-1a, 64 bits.
std::uint64_t hashOf(std::string_view key)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char ch : key) {
        h ^= static_cast<unsigned char>(ch);
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

std::vector<std::vector<int>> DuplicateSets(const TAdrsListCache& cache, int item1, int item2)
{
    std::vector<std::vector<int>> sets;
    if (item1 < 1 || item1 > kDuplicateItemCount)
        return sets;
    if (item2 < 1 || item2 > kDuplicateItemCount || item2 == item1)
        item2 = diNone;

    // Every row's key in one arena: with two items the first one's length,
    // its text and the second one's text, so no two pairs share a key.
    const int n = cache.Count();
    std::string arena;
    std::vector<std::uint32_t> start(size_t(n) + 1, 0);
    struct TEntry {
        std::uint64_t hash;
        int row;
    };
    std::vector<TEntry> entries;
    entries.reserve(size_t(n));
    std::string key;
    for (int row = 0; row < n; ++row) {
        key.clear();
        bool blank = true;
        if (item2 != diNone) {
            key.resize(sizeof(std::uint32_t));
            appendItem(cache, row, item1, key);
            const auto first = std::uint32_t(key.size() - sizeof(std::uint32_t));
            std::memcpy(key.data(), &first, sizeof first);
            const size_t second = key.size();
            appendItem(cache, row, item2, key);
            blank = first == 0 && key.size() == second;
        } else {
            appendItem(cache, row, item1, key);
            blank = key.empty();
        }
        start[size_t(row)] = std::uint32_t(arena.size());
        if (!blank) {
            arena += key;
            entries.push_back({hashOf(key), row});
        }
        start[size_t(row) + 1] = std::uint32_t(arena.size());
    }
    auto keyOf = [&](int row) {
        return std::string_view(arena).substr(start[size_t(row)], start[size_t(row) + 1] - start[size_t(row)]);
    };

    // Equal keys have equal hashes: sort by hash, and within a run of one
    // hash (almost always one key) by key, then by book order.
    std::sort(entries.begin(), entries.end(), [&](const TEntry& a, const TEntry& b) {
        if (a.hash != b.hash)
            return a.hash < b.hash;
        const std::string_view ka = keyOf(a.row), kb = keyOf(b.row);
        return ka != kb ? ka < kb : a.row < b.row;
    });
    for (size_t i = 0; i < entries.size();) {
        size_t j = i + 1;
        while (j < entries.size() && entries[j].hash == entries[i].hash && keyOf(entries[j].row) == keyOf(entries[i].row))
            ++j;
        if (j - i >= 2) {
            std::vector<int>& set = sets.emplace_back();
            set.reserve(j - i);
            for (size_t k = i; k < j; ++k)
                set.push_back(entries[k].row);
        }
        i = j;
    }
    std::sort(sets.begin(), sets.end(), [](const auto& a, const auto& b) { return a.front() < b.front(); });
    return sets;
}

std::vector<int> DuplicateRows(const TAdrsListCache& cache, int item1, int item2)
{
    std::vector<int> rows;
    for (const std::vector<int>& set : DuplicateSets(cache, item1, item2))
        rows.insert(rows.end(), set.begin(), set.end());
    return rows;
}

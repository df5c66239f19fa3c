#pragma once
// The description of an address record's fields, made from the field list
// (core/AdrsFieldList.h): for every field its column, kind, width and member,
// visited at compile time by ForEachAdrsField. Everything that treats the
// fields alike is written once against it:
//   - the table's columns (AdrsFieldDefs, used by AdrsTableDef in DBInfo.cpp),
//   - ReadAdrsRecord / WriteAdrsRecord and operator== (AdrsRecord.cpp),
//   - the list cells of columns that show a field (AdrsListModel.cpp, by kind),
//   - the record window's change test (IsRecordChanged in RecordMapping.cpp).
// What differs per field is written by hand, each at one place:
//   - the indexes of Adrs.DB (DBInfo.cpp),
//   - list columns that are not one field as stored (address, group, dates,
//     categories, postal code, first publication, note; AdrsListCellText),
//   - which window control edits which field (the control lists by kind and
//     the fields mapped by hand in InputFromRecord / RecordFromInput,
//     RecordMapping.cpp) and the change test's exceptions (ComparedByHand
//     there),
//   - HyphenatePhoneFields and InitNewAdrsRecord (AdrsRecord.cpp).

#include "core/AdrsRecord.h"
#include "platform/SqlTable.h"

#include <type_traits>
#include <QString>
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace adrs_fields_detail {
template <class M>
struct TShape {
    using Value = M;
    static constexpr int Count = 1;
};
template <class E, std::size_t N>
struct TShape<std::array<E, N>> {
    using Value = E;
    static constexpr int Count = int(N);
};
} // namespace adrs_fields_detail

// One field of the list. An array member is Count columns from First on.
template <TFieldKind K, int W, class M>
struct TAdrsFieldDesc {
    using Value = typename adrs_fields_detail::TShape<M>::Value;
    static constexpr TFieldKind Kind = K;
    static constexpr int Width = W;
    static constexpr int Count = adrs_fields_detail::TShape<M>::Count;

    M TAdrsRecord::*Member;
    const char* Column; // the column's name; an array's columns are Column1..ColumnN
    int First;          // column number (table order) of the first element

    constexpr Value& At(TAdrsRecord& r, int i = 0) const
    {
        if constexpr (Count == 1)
            return r.*Member;
        else
            return (r.*Member)[std::size_t(i)];
    }
    constexpr const Value& At(const TAdrsRecord& r, int i = 0) const
    {
        if constexpr (Count == 1)
            return r.*Member;
        else
            return (r.*Member)[std::size_t(i)];
    }
    QString ColumnName(int i = 0) const
    {
        return Count == 1 ? QLatin1String(Column) : QLatin1String(Column) + QString::number(i + 1);
    }
};

// Calls f(desc) for every field, in column order; desc's kind, width and
// type are compile-time constants, so a visit costs what the written-out
// field-by-field code would.
template <class F>
constexpr void ForEachAdrsField(F&& f)
{
    int column = 0;
#define TELVORA_VISIT_ADRS_FIELD(member, name, kind, width, ...)                                  \
    {                                                                                          \
        using D = TAdrsFieldDesc<TFieldKind::kind, width, __VA_ARGS__>;                        \
        f(D{&TAdrsRecord::member, name, column});                                              \
        column += D::Count;                                                                    \
    }
    TELVORA_ADRS_FIELDS(TELVORA_VISIT_ADRS_FIELD)
#undef TELVORA_VISIT_ADRS_FIELD
}

// Calls f(desc, i, column) for every column: each element of an array field.
template <class F>
constexpr void ForEachAdrsColumn(F&& f)
{
    ForEachAdrsField([&](const auto& d) {
        for (int i = 0; i < d.Count; ++i)
            f(d, i, d.First + i);
    });
}

inline constexpr int kAdrsColumnCount = [] {
    int n = 0;
    ForEachAdrsField([&](const auto& d) { n += d.Count; });
    return n;
}();

// The column number of a column name ("Tel", "Joint3"), -1 when there is none.
constexpr int AdrsColumnOf(std::string_view name)
{
    int found = -1;
    ForEachAdrsField([&](const auto& d) {
        const std::string_view stem(d.Column);
        if (d.Count == 1) {
            if (name == stem)
                found = d.First;
        } else if (name.size() > stem.size() && name.substr(0, stem.size()) == stem) {
            int n = 0;
            for (char c : name.substr(stem.size()))
                n = (c >= '0' && c <= '9' && n >= 0) ? n * 10 + (c - '0') : -1;
            if (n >= 1 && n <= d.Count)
                found = d.First + n - 1;
        }
    });
    return found;
}

// The kind of a column.
TFieldKind AdrsColumnKind(int column);

// The columns of Adrs.DB in table order, with the checks the table makes on
// writing (widths in code page 932 bytes, digits-only columns).
std::vector<TSqlFieldDef> AdrsFieldDefs();

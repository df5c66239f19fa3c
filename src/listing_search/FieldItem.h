#pragma once
// One entry of an ordered field choice: the export columns of the listing
// searches, the values the record window copies. The order of the entries is
// the order of the columns.

#include <cstdint>

struct TFieldItem {
    int32_t ItemCode = 0; // the code kept in the settings
    int32_t ItemNo = 0;   // row of the item table the entry stands for
    bool Selected = false;

    bool operator==(const TFieldItem&) const = default;
};

// The record window's copy settings in Telvora21.ini [DATA INQUIRY]: any
// bytes give the 75 items each once in some order (the table order when the
// stored one is not such an order); written back as text and read again
// they are the same. tests/listing_search replays the seed corpus under
// ASan/UBSan.
#include "FuzzSupport.h"
#include "listing_search/FieldItemText.h"
#include "platform/IniFile.h"

#include <array>

namespace copy_items_fuzz {

constexpr int kCount = 75; // the record window's copy items

int OneInput(const uint8_t* data, size_t size)
{
    const TIniFile ini(FuzzWriteFile(QStringLiteral("copy.ini"), data, size));
    const QString section = QStringLiteral("DATA INQUIRY");
    std::array<TFieldItem, kCount> items;
    for (int i = 0; i < kCount; ++i)
        items[i] = TFieldItem{i, i, true};
    const auto table = items;
    const bool taken = ParseFieldItems(ini.ReadString(section, QStringLiteral("CopyItemIndex")),
                                       ini.ReadString(section, QStringLiteral("CopyItemCopy")), items);
    FuzzCheck(taken || items == table, "an order not taken leaves the items alone");
    std::array<bool, kCount> seen{};
    for (const TFieldItem& e : items) {
        FuzzCheck(e.ItemCode >= 0 && e.ItemCode < kCount && e.ItemNo == e.ItemCode && !seen[e.ItemCode],
                  "every item once");
        seen[e.ItemCode] = true;
    }
    std::array<TFieldItem, kCount> again = table;
    FuzzCheck(ParseFieldItems(FieldItemIndexText(items), FieldItemChosenText(items), again) && again == items,
              "the written order reads back the same");
    return 0;
}

} // namespace copy_items_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return copy_items_fuzz::OneInput(data, size);
}

// The record window's copy settings in Telvora21.ini [DATA INQUIRY]: any
// bytes give the 75 items each once, in the stored order when it names each
// item once (else in table order, every item chosen), chosen as stored when
// there is a choice for each; written back as text and read again they are
// the same. tests/listing_search replays the seed corpus under
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
    const QString index = ini.ReadString(section, QStringLiteral("CopyItemIndex"));
    const QString chosen = ini.ReadString(section, QStringLiteral("CopyItemCopy"));
    const bool taken = ParseFieldItems(index, chosen, items);
    FuzzCheck(taken || items == table, "an order not taken leaves the items alone");
    const QStringList codes = index.split(u','), marks = chosen.split(u',');
    std::array<bool, kCount> seen{};
    for (int i = 0; i < kCount; ++i) {
        const TFieldItem& e = items[i];
        FuzzCheck(e.ItemCode >= 0 && e.ItemCode < kCount && e.ItemNo == e.ItemCode && !seen[e.ItemCode],
                  "every item once");
        seen[e.ItemCode] = true;
        FuzzCheck(!taken || e.ItemCode == codes[i].trimmed().toInt(), "the stored order is the order");
        FuzzCheck(e.Selected == (!taken || marks.size() != kCount || marks[i].trimmed() == QLatin1String("1")),
                  "an item is chosen as stored; every one without a choice for each");
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

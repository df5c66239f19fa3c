#pragma once
// The record window's item copy: the 75 copy items, their order and choice
// as kept in [DATA INQUIRY], and the text the copy puts on the clipboard.

#include "listing_search/FieldItem.h"
#include "records/RecordInput.h"

#include <QString>
#include <array>
#include <optional>

inline constexpr int kCopyItemCount = 75;
using TCopyItems = std::array<TFieldItem, kCopyItemCount>;
using TCopyValues = std::array<QString, kCopyItemCount>;

// The caption of the item table ("グループ" ... "小分類名").
QString CopyItemCaption(int itemNo);
// The caption the chooser shows: the common My Number label, the keyword and
// protected-memo item names, the table caption otherwise.
QString CopyItemRowCaption(int itemNo);
// My Numbers and protected memos: hidden under the administrator lock.
bool IsCopyItemMasked(int itemNo);

// Table order, every item chosen.
TCopyItems DefaultCopyItems();
// The stored CopyItemIndex and CopyItemCopy. The order is taken only when it
// names every item exactly once: a repeated code would drop an item for good.
TCopyItems ParseCopyItems(const QString& index, const QString& copy);
QString CopyItemIndexText(const TCopyItems& items);
QString CopyItemCopyText(const TCopyItems& items);

// What the copy reads of the window besides the input itself.
struct TCopySource {
    TRecordInput Input;
    QString GroupName;      // empty when no group is chosen
    QString CommonMyNumber;
    QString JointOwner;     // the owner list's text
    QString Sender;         // the sender list's text
    QString CatMain;        // the category lists' texts
    QString CatSub;
    std::optional<double> AddDateTime; // of the held record; none without one
    std::optional<double> UpdDateTime;
};

TCopyValues CopyItemValues(const TCopySource& source);

// The chosen values in the items' order, joined by ","; masked values become
// "*" repeated to their length; CR LF after the last with lastReturn.
QString ComposeItemCopy(const TCopyValues& values, const TCopyItems& items, bool masked, bool lastReturn);

#pragma once
// An ordered field choice as the settings files keep it: the item codes in
// their order ("2,0,1") and whether each is chosen ("1,0,1"). Read here,
// below the windows that edit the choices, so that it can be read alone.

#include "listing_search/FieldItem.h"

#include <QString>
#include <span>

// Reads a stored order into items (item i of the table has code i). The
// order is taken only when it names every code exactly once: a repeated
// code would drop an item for good. False, with items left as they were,
// otherwise. The choices are taken when there is one for every item; else
// every item is chosen.
bool ParseFieldItems(const QString& index, const QString& chosen, std::span<TFieldItem> items);
QString FieldItemIndexText(std::span<const TFieldItem> items);
QString FieldItemChosenText(std::span<const TFieldItem> items);

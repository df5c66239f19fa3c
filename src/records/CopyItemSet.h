#pragma once
// "コピーする項目の設定": which of the 75 items the record window's item copy
// puts on the clipboard, in which order, and whether a line break ends it.

#include "listing_search/FieldSelect.h"
#include "records/ItemCopy.h"

class TCopyItemSet : public TFieldSelect {
    Q_OBJECT
public:
    explicit TCopyItemSet(QWidget* owner = nullptr);

    void SetItems(const TCopyItems& items, bool lastReturn);
    void GetItems(TCopyItems& items, bool& lastReturn) const;
};

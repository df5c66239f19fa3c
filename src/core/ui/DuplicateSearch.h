#pragma once
// "重複データの表示": asks which item, or pair of items, must be equal for a
// record to be listed as a duplicate (numbers as in DuplicateSets.h). The
// list builds the display from what the dialog returns.

#include "platform/ui/DialogKit.h"

#include <memory>

namespace Ui {
class TDuplicateSearch;
}

class TDuplicateSearch : public TModalDialog {
    Q_OBJECT
public:
    explicit TDuplicateSearch(QWidget* owner = nullptr);
    ~TDuplicateSearch() override;

    // The items of the display now shown (item1 0: none). Values out of
    // range count as no display. Kept to tell an unchanged choice.
    void SetItems(int item1, int item2);
    // After "重複データ表示の解除" both 0; otherwise the choice.
    void GetItems(int& item1, int& item2) const;

private:
    void onView();

    std::unique_ptr<Ui::TDuplicateSearch> ui;
    int givenItem1_ = 0;
    int givenItem2_ = 0;
    bool cleared_ = false;
};

#pragma once
// "表示項目の設定": which of the 52 columns of the address list are shown,
// and in which order. The dialog works on its own copy of the column
// settings; the list takes them back on OK (modal result 1).

#include "core/AdrsListColumns.h"
#include "platform/ui/DialogKit.h"

#include <memory>
#include <span>
#include <vector>

class QListWidgetItem;

namespace Ui {
class THeaderSelect;
}

class THeaderSelect : public TModalDialog {
    Q_OBJECT
public:
    explicit THeaderSelect(QWidget* owner = nullptr);
    ~THeaderSelect() override;

    // Exactly 52 entries, each column once with its own table position;
    // anything else is taken as the default columns, so the list never
    // loses a column. The first row is selected.
    void SetColumns(std::span<const TListColumnSetting> entries);
    // Every row's check into its entry; the entries in the rows' order.
    TListColumnSettings GetColumns() const;

private:
    void fillList(int focusRow);
    void moveFocused(int step, bool toEnd);
    void storeChecks();
    void onOk();

    std::unique_ptr<Ui::THeaderSelect> ui;
    std::vector<TListColumnSetting> entries_;
};

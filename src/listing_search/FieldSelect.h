#pragma once
// The design both field choosers share: a checked list of items whose order
// is the order of the columns or values, with buttons that move the focused
// row, check every row and put the rows back in table order.
//
// Protocol: create, SetItems, ShowModal (centred on the owner), and after OK
// GetItems. TExportItemSelect chooses the listing searches' export columns;
// the record window's copy items use the same design (TCopyItemSet).

#include "listing_search/FieldItem.h"
#include "listing_search/ListingSearchBase.h"
#include "platform/ui/DialogKit.h"

#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <memory>

namespace Ui {
class TFieldSelect;
}
class QListWidgetItem;

class TFieldSelect : public TModalDialog {
    Q_OBJECT
public:
    ~TFieldSelect() override;

    // Row operations of the buttons, on the focused row.
    void MoveTop();
    void MoveUp();
    void MoveDown();
    void MoveBottom();
    void CheckAll();
    void ReSort();

public slots:
    // Refuses to close while no row is checked.
    void accept() override;

protected:
    struct TStyle {
        QString Title;
        QString Prompt;
        QString AllCaption;
        QString NoneMessage; // shown by OK when no row is checked
        bool LastReturn = false; // the end-of-line check box is shown
    };
    TFieldSelect(QWidget* owner, const TStyle& style);

    // The caption of the row for an item number.
    void SetCaptionSource(std::function<QString(int itemNo)> caption) { caption_ = std::move(caption); }
    void SetEntries(const QList<TFieldItem>& entries);
    // The entries in the rows' order, selected as the rows are checked.
    QList<TFieldItem> Entries() const;
    void SetLastReturnFlag(bool on);
    bool LastReturnFlag() const;

private:
    void Rebuild(int focusRow);
    void MoveRow(int from, int to);
    int FocusedRow() const;
    void ToggleRow(QListWidgetItem* item);

    std::unique_ptr<Ui::TFieldSelect> ui;
    std::function<QString(int)> caption_;
    QList<TFieldItem> entries_; // parallel to the rows
    QString noneMessage_;
};

// "出力項目の設定": the 19 export columns of the listing searches.
class TExportItemSelect : public TFieldSelect {
    Q_OBJECT
public:
    explicit TExportItemSelect(QWidget* owner = nullptr);

    void SetItems(const std::array<TFieldItem, kExportItemCount>& items);
    void GetItems(std::array<TFieldItem, kExportItemCount>& items) const;
};

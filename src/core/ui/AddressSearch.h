#pragma once
// TAddressSearch, the narrowing dialog ("絞り込み"): edits a filter of up to
// ten conditions, one at a time in the item panel, and keeps named condition
// patterns in Search.ptn. A simple view builds a one-condition filter; the
// advanced view shows the pattern bar, the condition list and the all/any
// choice. The view survives in [ADRS SCH] ViewType.

#include "core/NarrowDown.h"
#include "core/SearchPatterns.h"
#include "platform/ui/DialogKit.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;
class TByteLimitComboBox;
class TByteLimitEdit;

class TAddressSearch : public TModalDialog {
    Q_OBJECT
public:
    explicit TAddressSearch(QWidget* owner);
    ~TAddressSearch() override;

    void SetConditions(const TNarrowDownCondition& condition);
    void GetConditions(TNarrowDownCondition& condition) const;

    int ViewType() const { return viewType_; }
    bool AdvancedView() const { return viewType_ != 0; }
    int HelpContext() const { return AdvancedView() ? 48 : 47; }
    const TSearchPatterns& Patterns() const { return patterns_; }
    // The condition the editor holds now (as 追加 would build it).
    TNarrowDownItem EditorCondition() const;
    // The row texts of a condition: 項目名, 内容, 条件.
    QStringList RowTexts(const TNarrowDownItem& item) const;

    // The controls, named as the tests and the key rules know them.
    QComboBox* cbxPattern = nullptr;
    QPushButton *btnPtnView = nullptr, *btnPtnSave = nullptr, *btnPtnDelete = nullptr;
    QComboBox* cbxItem = nullptr;
    QStackedWidget* stkEditor = nullptr;
    TByteLimitEdit* edtAnsi = nullptr;
    TByteLimitEdit* edtWide = nullptr;
    TByteLimitComboBox* cbxHistory = nullptr;
    QComboBox* cbxChoice = nullptr;
    QComboBox *cbxYear1 = nullptr, *cbxMonth1 = nullptr, *cbxYear2 = nullptr, *cbxMonth2 = nullptr;
    QComboBox *cbxCtgryMain = nullptr, *cbxCtgrySub = nullptr;
    QLabel* lblCondition = nullptr;
    QComboBox* cbxMatch = nullptr;
    QCheckBox* chkExclude = nullptr;
    QTreeWidget* lvCondition = nullptr;
    QPushButton *btnAdd = nullptr, *btnChange = nullptr, *btnDelete = nullptr, *btnClear = nullptr;
    QRadioButton *rbAll = nullptr, *rbAny = nullptr;
    QPushButton *btnSwitch = nullptr, *btnOK = nullptr, *btnRelease = nullptr, *btnCancel = nullptr;

    // The actions of the buttons.
    void AddCondition();
    void ChangeCondition();
    void DeleteConditions();
    void ClearConditions();
    void LoadSelectedCondition(); // double click on the list
    void ViewPattern();
    void SavePattern();
    void DeletePattern();
    void SwitchView();
    void Narrow();        // 絞り込む
    void ReleaseFilter(); // 絞り込みの解除

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window in steps, each control made in tab order.
    QWidget* buildPatternBar();
    QWidget* buildItemPanel();
    void buildEditorStack(QWidget* panel);
    QWidget* buildRangeEditor();
    QWidget* buildCategoryEditor();
    QWidget* buildConditionList();
    QWidget* buildMatchAll();
    QHBoxLayout* buildBottomRow();
    void connectActions();

    void applyView();
    void setupEditor(int item, bool force = false);
    void fillSubCategories();
    void updateButtons();
    void refillPatternBox();
    void setRow(int row, const TNarrowDownItem& item);
    void appendRow(const TNarrowDownItem& item);
    QString patternName() const;

    QWidget *pnlPattern = nullptr, *pnlList = nullptr, *pnlMatchAll = nullptr;
    TEnterKeyFilter* enter_ = nullptr;
    std::vector<TNarrowDownItem> items_; // the condition list, row for row
    TSearchPatterns patterns_;
    int viewType_ = 0;
    int editorItem_ = -1;
};

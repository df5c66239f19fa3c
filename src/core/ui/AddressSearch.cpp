#include "core/ui/AddressSearch.h"

#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/HistoryData.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/FileErrors.h"
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kSection = QStringLiteral("ADRS SCH");
const QString kViewType = QStringLiteral("ViewType");
const QString kBlank = QStringLiteral("＜空白＞");
constexpr int kFirstYear = 1995, kLastYear = 2015;

enum TPage { pgAnsi, pgWide, pgHistory, pgChoice, pgRange, pgCategory };

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// The input method opens in hiragana for these items (and the wide edit).
bool opensInputMethod(int item)
{
    return item == ndAddress || item == ndCorpKanji || (item >= ndKeyword1 && item < ndKeyword1 + 5) || item == ndNote;
}

void selectByData(QComboBox* box, int value)
{
    const int i = box->findData(value);
    if (i >= 0)
        box->setCurrentIndex(i);
}

} // namespace

TAddressSearch::TAddressSearch(QWidget* owner) : TModalDialog(owner)
{
    setObjectName(QStringLiteral("TAddressSearch"));
    viewType_ = TIniFile(SettingsFileName()).ReadInteger(kSection, kViewType, 0);
    patterns_ = LoadSearchPatterns();

    auto* root = new QVBoxLayout(this);
    root->addWidget(buildPatternBar());
    root->addWidget(buildItemPanel());
    root->addWidget(buildConditionList());
    root->addWidget(buildMatchAll());
    root->addLayout(buildBottomRow());
    connectActions();

    enter_ = ApplyDialogConventions(this);
    enter_->SetNext(cbxPattern, cbxItem);
    enter_->SetNext(rbAll, btnOK);
    enter_->SetNext(rbAny, btnOK);
    auto listNext = [this] { enter_->SetNext(lvCondition, rbAll->isChecked() ? rbAll : rbAny); };
    connect(rbAll, &QRadioButton::toggled, this, listNext);
    listNext();

    setupEditor(0, true);
    refillPatternBox();
    applyView();
    updateButtons();
    btnRelease->setEnabled(false);
}

// The pattern bar: a pattern's name and 表示, 保存, 削除.
QWidget* TAddressSearch::buildPatternBar()
{
    pnlPattern = named(new QGroupBox(QStringLiteral("条件パターン"), this), "pnlPattern");
    auto* pattern = new QHBoxLayout(pnlPattern);
    // A name is one line of at most 30 characters; Search.ptn keeps any
    // character (those code page 932 cannot hold as wide text).
    auto* patternBox = named(new TByteLimitComboBox(pnlPattern), "cbxPattern");
    patternBox->SetWide(true);
    patternBox->SetMaxBytes(30);
    cbxPattern = patternBox;
    cbxPattern->setMinimumContentsLength(20);
    btnPtnView = button(QStringLiteral("表示"), "btnPtnView", pnlPattern);
    btnPtnSave = button(QStringLiteral("保存"), "btnPtnSave", pnlPattern);
    btnPtnDelete = button(QStringLiteral("削除"), "btnPtnDelete", pnlPattern);
    pattern->addWidget(new QLabel(QStringLiteral("パターン名"), pnlPattern));
    pattern->addWidget(cbxPattern, 1);
    pattern->addWidget(btnPtnView);
    pattern->addWidget(btnPtnSave);
    pattern->addWidget(btnPtnDelete);
    return pnlPattern;
}

// The item panel: the item, its editor and how it matches.
QWidget* TAddressSearch::buildItemPanel()
{
    auto* pnlItem = named(new QGroupBox(this), "pnlItem");
    auto* grid = new QGridLayout(pnlItem);
    cbxItem = named(new QComboBox(pnlItem), "cbxItem");
    for (int item = 0; item < kNarrowDownItemCount; ++item) {
        QString caption = NarrowDownCaption(item);
        if (item >= ndKeyword1 && item < ndKeyword1 + kKeywordCount && !KeywordNames[size_t(item - ndKeyword1)].isEmpty())
            caption = KeywordNames[size_t(item - ndKeyword1)];
        cbxItem->addItem(caption, item);
    }
    cbxItem->setMaxVisibleItems(10);
    buildEditorStack(pnlItem);
    lblCondition = named(new QLabel(QStringLiteral("条件"), pnlItem), "lblCondition");
    cbxMatch = named(new QComboBox(pnlItem), "cbxMatch");
    cbxMatch->addItems({QStringLiteral("前方一致"), QStringLiteral("あいまい"), QStringLiteral("後方一致")});
    chkExclude = named(new QCheckBox(QStringLiteral("以外を検索"), pnlItem), "chkExclude");
    grid->addWidget(new QLabel(QStringLiteral("項目"), pnlItem), 0, 0);
    grid->addWidget(cbxItem, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("内容"), pnlItem), 1, 0);
    grid->addWidget(stkEditor, 1, 1, 1, 3);
    grid->addWidget(lblCondition, 0, 2);
    grid->addWidget(cbxMatch, 0, 3);
    grid->addWidget(chkExclude, 0, 4);
    return pnlItem;
}

// One editor a kind of item, in the order of TPage.
void TAddressSearch::buildEditorStack(QWidget* panel)
{
    stkEditor = named(new QStackedWidget(panel), "stkEditor");
    edtAnsi = named(new TByteLimitEdit(stkEditor), "edtAnsi");
    edtWide = named(new TByteLimitEdit(stkEditor), "edtWide");
    edtWide->SetWide(true);
    cbxHistory = named(new TByteLimitComboBox(stkEditor), "cbxHistory");
    cbxChoice = named(new QComboBox(stkEditor), "cbxChoice");
    QWidget* range = buildRangeEditor();
    QWidget* category = buildCategoryEditor();
    stkEditor->addWidget(edtAnsi);
    stkEditor->addWidget(edtWide);
    stkEditor->addWidget(cbxHistory);
    stkEditor->addWidget(cbxChoice);
    stkEditor->addWidget(range);
    stkEditor->addWidget(category);
}

// A publication range: year and month to year and month.
QWidget* TAddressSearch::buildRangeEditor()
{
    auto* range = new QWidget(stkEditor);
    auto* rangeRow = new QHBoxLayout(range);
    rangeRow->setContentsMargins(0, 0, 0, 0);
    cbxYear1 = named(new QComboBox(range), "cbxYear1");
    cbxMonth1 = named(new QComboBox(range), "cbxMonth1");
    cbxYear2 = named(new QComboBox(range), "cbxYear2");
    cbxMonth2 = named(new QComboBox(range), "cbxMonth2");
    for (QComboBox* year : {cbxYear1, cbxYear2}) {
        for (int y = kLastYear; y >= kFirstYear; --y)
            year->addItem(QString::number(y) + QStringLiteral("年"), y);
        year->setMaxVisibleItems(year->count());
    }
    for (QComboBox* month : {cbxMonth1, cbxMonth2}) {
        for (int m = 1; m <= 12; ++m)
            month->addItem(QString::number(m) + QStringLiteral("月"), m);
        month->setMaxVisibleItems(12);
    }
    rangeRow->addWidget(cbxYear1);
    rangeRow->addWidget(cbxMonth1);
    rangeRow->addWidget(new QLabel(QStringLiteral("～"), range));
    rangeRow->addWidget(cbxYear2);
    rangeRow->addWidget(cbxMonth2);
    return range;
}

// A category: the main one and its minor.
QWidget* TAddressSearch::buildCategoryEditor()
{
    auto* category = new QWidget(stkEditor);
    auto* categoryRow = new QHBoxLayout(category);
    categoryRow->setContentsMargins(0, 0, 0, 0);
    cbxCtgryMain = named(new QComboBox(category), "cbxCtgryMain");
    cbxCtgrySub = named(new QComboBox(category), "cbxCtgrySub");
    categoryRow->addWidget(cbxCtgryMain, 1);
    categoryRow->addWidget(cbxCtgrySub, 1);
    return category;
}

// The condition list with its buttons.
QWidget* TAddressSearch::buildConditionList()
{
    pnlList = named(new QWidget(this), "pnlList");
    auto* list = new QVBoxLayout(pnlList);
    list->setContentsMargins(0, 0, 0, 0);
    auto* listButtons = new QHBoxLayout;
    btnAdd = button(QStringLiteral("追加"), "btnAdd", pnlList);
    btnChange = button(QStringLiteral("変更"), "btnChange", pnlList);
    btnDelete = button(QStringLiteral("削除"), "btnDelete", pnlList);
    btnClear = button(QStringLiteral("クリア"), "btnClear", pnlList);
    for (QPushButton* b : {btnAdd, btnChange, btnDelete, btnClear})
        listButtons->addWidget(b);
    listButtons->addWidget(new QLabel(QStringLiteral("※条件は１０件まで指定できます"), pnlList), 1);
    lvCondition = named(new QTreeWidget(pnlList), "lvCondition");
    lvCondition->setHeaderLabels({QStringLiteral("項目名"), QStringLiteral("内容"), QStringLiteral("条件")});
    lvCondition->setRootIsDecorated(false);
    lvCondition->setColumnWidth(0, 120);
    lvCondition->setColumnWidth(1, 260); // a publication range in full
    lvCondition->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvCondition->viewport()->installEventFilter(this);
    list->addLayout(listButtons);
    list->addWidget(lvCondition);
    return pnlList;
}

// Whether all conditions must hold or any.
QWidget* TAddressSearch::buildMatchAll()
{
    pnlMatchAll = named(new QWidget(this), "pnlMatchAll");
    auto* matchAll = new QHBoxLayout(pnlMatchAll);
    matchAll->setContentsMargins(0, 0, 0, 0);
    rbAll = named(new QRadioButton(QStringLiteral("すべて一致"), pnlMatchAll), "rbAll");
    rbAny = named(new QRadioButton(QStringLiteral("いずれかが一致"), pnlMatchAll), "rbAny");
    rbAll->setChecked(true);
    matchAll->addWidget(rbAll);
    matchAll->addWidget(rbAny);
    matchAll->addStretch(1);
    return pnlMatchAll;
}

QHBoxLayout* TAddressSearch::buildBottomRow()
{
    auto* bottom = new QHBoxLayout;
    btnSwitch = button(QString(), "btnSwitch", this);
    btnOK = button(QStringLiteral("絞り込む"), "btnOK", this);
    btnRelease = button(QStringLiteral("絞り込みの解除"), "btnRelease", this);
    btnCancel = button(QStringLiteral("キャンセル"), "btnCancel", this);
    bottom->addWidget(btnSwitch);
    bottom->addStretch(1);
    bottom->addWidget(btnOK);
    bottom->addWidget(btnRelease);
    bottom->addWidget(btnCancel);
    return bottom;
}

void TAddressSearch::connectActions()
{
    connect(cbxItem, &QComboBox::currentIndexChanged, this, [this](int item) { setupEditor(item); });
    connect(cbxCtgryMain, &QComboBox::currentIndexChanged, this, [this] { fillSubCategories(); });
    connect(btnAdd, &QPushButton::clicked, this, &TAddressSearch::AddCondition);
    connect(btnChange, &QPushButton::clicked, this, &TAddressSearch::ChangeCondition);
    connect(btnDelete, &QPushButton::clicked, this, &TAddressSearch::DeleteConditions);
    connect(btnClear, &QPushButton::clicked, this, &TAddressSearch::ClearConditions);
    connect(lvCondition, &QTreeWidget::itemSelectionChanged, this, &TAddressSearch::updateButtons);
    connect(btnPtnView, &QPushButton::clicked, this, &TAddressSearch::ViewPattern);
    connect(btnPtnSave, &QPushButton::clicked, this, &TAddressSearch::SavePattern);
    connect(btnPtnDelete, &QPushButton::clicked, this, &TAddressSearch::DeletePattern);
    connect(btnSwitch, &QPushButton::clicked, this, &TAddressSearch::SwitchView);
    connect(btnOK, &QPushButton::clicked, this, &TAddressSearch::Narrow);
    connect(btnRelease, &QPushButton::clicked, this, &TAddressSearch::ReleaseFilter);
    connect(btnCancel, &QPushButton::clicked, this, &TAddressSearch::reject);
}

TAddressSearch::~TAddressSearch()
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, kViewType, viewType_);
    ini.UpdateFile();
}

bool TAddressSearch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lvCondition->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        QTreeWidget* list = lvCondition;
        QMetaObject::invokeMethod(this, [this, list] { if (list) LoadSelectedCondition(); }, Qt::QueuedConnection);
    }
    return TModalDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- views

void TAddressSearch::applyView()
{
    const bool advanced = AdvancedView();
    setWindowTitle(advanced ? QStringLiteral("絞り込み - 高度な設定") : QStringLiteral("絞り込み"));
    btnSwitch->setText(advanced ? QStringLiteral("通常の設定方法に戻す") : QStringLiteral("高度な設定方法に切り替える"));
    pnlPattern->setVisible(advanced);
    pnlList->setVisible(advanced);
    pnlMatchAll->setVisible(advanced);
    // Enter on the match box or 以外を検索 ends at 絞り込む in the simple view
    // and moves on in tab order in the advanced one.
    for (QWidget* w : {static_cast<QWidget*>(cbxMatch), static_cast<QWidget*>(chkExclude)})
        enter_->SetNext(w, advanced ? nullptr : btnOK);
    adjustSize();
    if (!advanced)
        resize(width(), minimumSizeHint().height());
}

void TAddressSearch::SwitchView()
{
    viewType_ ^= 1;
    applyView();
    CenterFormOnOwner(this, parentWidget());
    cbxItem->setFocus();
}

// ---------------------------------------------------------------- editor

void TAddressSearch::setupEditor(int item, bool force)
{
    if (item < 0 || item >= kNarrowDownItemCount || (!force && item == editorItem_))
        return;
    editorItem_ = item;
    const int kind = NarrowDownInputKind(item);
    const int maxLength = NarrowDownMaxLength(item);
    switch (kind) {
    case ndiFree: {
        const bool wide = IsWideNarrowDownItem(item);
        TByteLimitEdit* edit = wide ? edtWide : edtAnsi;
        edit->SetMaxBytes(maxLength);
        edit->setAttribute(Qt::WA_InputMethodEnabled, wide || opensInputMethod(item));
        edit->clear();
        stkEditor->setCurrentIndex(wide ? pgWide : pgAnsi);
        break;
    }
    case ndiHistory: {
        cbxHistory->clear();
        cbxHistory->SetMaxBytes(maxLength);
        if (DMTelvora21) {
            THistoryData* history = item == ndDptmnt ? &DMTelvora21->DptmntHistory()
                : item == ndPost                    ? &DMTelvora21->PostHistory()
                                                     : &DMTelvora21->KeywordHistory(item - ndKeyword6 + 6);
            for (int i = 0; i < history->GetCount(); ++i)
                cbxHistory->addItem(history->GetItem(i));
        }
        cbxHistory->setCurrentIndex(-1);
        cbxHistory->setEditText(QString());
        stkEditor->setCurrentIndex(pgHistory);
        break;
    }
    case ndiChoice:
        cbxChoice->clear();
        cbxChoice->addItems(NarrowDownChoices(item));
        cbxChoice->setCurrentIndex(0);
        chkExclude->setChecked(false);
        stkEditor->setCurrentIndex(pgChoice);
        break;
    case ndiRange:
        selectByData(cbxYear1, kFirstYear);
        cbxMonth1->setCurrentIndex(0);
        selectByData(cbxYear2, kLastYear);
        cbxMonth2->setCurrentIndex(11);
        stkEditor->setCurrentIndex(pgRange);
        break;
    case ndiCategory: {
        const QSignalBlocker block(cbxCtgryMain);
        cbxCtgryMain->clear();
        for (const TCtgryItem& main : CtgryMainList)
            cbxCtgryMain->addItem(main.Name, main.Code);
        cbxCtgryMain->setMaxVisibleItems(std::max(1, cbxCtgryMain->count()));
        selectByData(cbxCtgryMain, 1);
        fillSubCategories();
        stkEditor->setCurrentIndex(pgCategory);
        break;
    }
    default:
        break;
    }
    const bool text = kind == ndiFree || kind == ndiHistory;
    lblCondition->setVisible(kind != ndiRange);
    cbxMatch->setVisible(text);
    chkExclude->setVisible(kind == ndiChoice || kind == ndiCategory);
}

void TAddressSearch::fillSubCategories()
{
    const int main = cbxCtgryMain->currentData().toInt();
    cbxCtgrySub->clear();
    cbxCtgrySub->addItem(QStringLiteral("指定しない"), main * 100);
    if (main > 0 && size_t(main) < CtgrySubLists.size())
        for (const TCtgryItem& sub : CtgrySubLists[size_t(main)])
            cbxCtgrySub->addItem(sub.Name, sub.Code);
    cbxCtgrySub->setMaxVisibleItems(cbxCtgrySub->count());
    cbxCtgrySub->setCurrentIndex(0);
}

TNarrowDownItem TAddressSearch::EditorCondition() const
{
    TNarrowDownItem c;
    c.Item = editorItem_;
    switch (NarrowDownInputKind(editorItem_)) {
    case ndiFree:
    case ndiHistory: {
        c.Kind = ndkText;
        const QString typed = stkEditor->currentIndex() == pgHistory ? cbxHistory->currentText()
            : stkEditor->currentIndex() == pgWide                   ? edtWide->text()
                                                                     : edtAnsi->text();
        c.Text = NarrowDownTextFromInput(editorItem_, typed);
        break;
    }
    case ndiChoice:
        c.Kind = ndkChoice;
        c.Value1 = std::max(0, cbxChoice->currentIndex());
        break;
    case ndiRange:
        c.Kind = ndkRange;
        c.Value1 = cbxYear1->currentData().toInt() * 100 + cbxMonth1->currentData().toInt();
        c.Value2 = cbxYear2->currentData().toInt() * 100 + cbxMonth2->currentData().toInt();
        if (c.Value2 < c.Value1)
            std::swap(c.Value1, c.Value2);
        break;
    case ndiCategory:
        c.Kind = ndkCategory;
        c.Value1 = cbxCtgrySub->currentData().toInt();
        break;
    default:
        break;
    }
    if (!c.Text.isEmpty() && !cbxMatch->isHidden()) {
        c.Match = cbxMatch->currentIndex();
        c.Exclude = false;
    } else {
        c.Match = ndmNone;
        c.Exclude = !chkExclude->isHidden() && chkExclude->isChecked();
    }
    return c;
}

QStringList TAddressSearch::RowTexts(const TNarrowDownItem& c) const
{
    QString content;
    switch (c.Kind) {
    case ndkText:
        content = c.Text.isEmpty() ? kBlank : NarrowDownTextToInput(c.Item, c.Text);
        break;
    case ndkChoice:
        content = NarrowDownChoices(c.Item).value(c.Value1);
        break;
    case ndkRange:
        content = QString::asprintf("%.4d年%.2d月～%.4d年%.2d月", c.Value1 / 100, c.Value1 % 100, c.Value2 / 100,
                                    c.Value2 % 100);
        break;
    case ndkCategory:
        content = GetCtgryMainName(c.Value1 / 100);
        if (c.Value1 % 100 != 0)
            content += QStringLiteral("-") + GetCtgrySubName(c.Value1);
        break;
    default:
        break;
    }
    const QString match = c.Match >= 0 ? cbxMatch->itemText(c.Match)
        : c.Exclude                    ? QStringLiteral("以外")
                                       : QString();
    return {cbxItem->itemText(c.Item), content, match};
}

// ---------------------------------------------------------------- condition list

void TAddressSearch::setRow(int row, const TNarrowDownItem& item)
{
    const QStringList texts = RowTexts(item);
    QTreeWidgetItem* line = lvCondition->topLevelItem(row);
    for (int col = 0; col < 3; ++col)
        line->setText(col, texts[col]);
}

void TAddressSearch::appendRow(const TNarrowDownItem& item)
{
    lvCondition->addTopLevelItem(new QTreeWidgetItem(lvCondition));
    setRow(lvCondition->topLevelItemCount() - 1, item);
}

void TAddressSearch::SetConditions(const TNarrowDownCondition& condition)
{
    items_ = condition.Items;
    lvCondition->clear();
    for (const TNarrowDownItem& item : items_)
        appendRow(item);
    (condition.MatchAll ? rbAll : rbAny)->setChecked(true);
    updateButtons();
    if (!items_.empty()) {
        lvCondition->setCurrentItem(lvCondition->topLevelItem(0));
        LoadSelectedCondition();
    }
    btnRelease->setEnabled(!items_.empty());
}

void TAddressSearch::GetConditions(TNarrowDownCondition& condition) const
{
    condition.Items = items_;
    condition.MatchAll = rbAll->isChecked();
}

void TAddressSearch::AddCondition()
{
    if (int(items_.size()) >= kMaxNarrowDownConditions)
        return;
    const TNarrowDownItem c = EditorCondition();
    if (std::find(items_.begin(), items_.end(), c) == items_.end()) {
        items_.push_back(c);
        appendRow(c);
        QTreeWidgetItem* row = lvCondition->topLevelItem(lvCondition->topLevelItemCount() - 1);
        lvCondition->clearSelection();
        lvCondition->setCurrentItem(row);
        row->setSelected(true);
        lvCondition->scrollToItem(row);
    }
    updateButtons();
    if (lvCondition->isVisible())
        lvCondition->setFocus();
}

void TAddressSearch::ChangeCondition()
{
    const QList<QTreeWidgetItem*> selected = lvCondition->selectedItems();
    if (selected.size() != 1)
        return;
    const TNarrowDownItem c = EditorCondition();
    if (std::find(items_.begin(), items_.end(), c) == items_.end()) {
        const int row = lvCondition->indexOfTopLevelItem(selected.first());
        items_[size_t(row)] = c;
        setRow(row, c);
    }
    updateButtons();
    if (lvCondition->isVisible())
        lvCondition->setFocus();
}

void TAddressSearch::DeleteConditions()
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : lvCondition->selectedItems())
        rows.push_back(lvCondition->indexOfTopLevelItem(item));
    if (rows.empty()) {
        (items_.empty() ? static_cast<QWidget*>(cbxItem) : lvCondition)->setFocus();
        return;
    }
    std::sort(rows.begin(), rows.end());
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
        items_.erase(items_.begin() + *r);
        delete lvCondition->takeTopLevelItem(*r);
    }
    if (!items_.empty()) {
        QTreeWidgetItem* next = lvCondition->topLevelItem(std::min(rows.front(), int(items_.size()) - 1));
        lvCondition->setCurrentItem(next);
        next->setSelected(true);
    }
    updateButtons();
    lvCondition->setFocus();
}

void TAddressSearch::ClearConditions()
{
    items_.clear();
    lvCondition->clear();
    updateButtons();
}

void TAddressSearch::LoadSelectedCondition()
{
    if (items_.empty()) {
        cbxItem->setFocus();
        return;
    }
    const QList<QTreeWidgetItem*> selected = lvCondition->selectedItems();
    if (selected.isEmpty()) {
        lvCondition->setFocus();
        return;
    }
    int first = int(items_.size());
    for (QTreeWidgetItem* item : selected)
        first = std::min(first, lvCondition->indexOfTopLevelItem(item));
    const TNarrowDownItem c = items_[size_t(first)];
    cbxItem->setCurrentIndex(c.Item); // sets the editor up when the item changed
    switch (c.Kind) {
    case ndkText: {
        const QString text = NarrowDownTextToInput(c.Item, c.Text);
        if (stkEditor->currentIndex() == pgHistory)
            cbxHistory->setEditText(text);
        else
            (stkEditor->currentIndex() == pgWide ? edtWide : edtAnsi)->setText(text);
        break;
    }
    case ndkChoice:
        cbxChoice->setCurrentIndex(c.Value1);
        break;
    case ndkRange:
        selectByData(cbxYear1, c.Value1 / 100);
        cbxMonth1->setCurrentIndex(c.Value1 % 100 - 1);
        selectByData(cbxYear2, c.Value2 / 100);
        cbxMonth2->setCurrentIndex(c.Value2 % 100 - 1);
        break;
    case ndkCategory:
        selectByData(cbxCtgryMain, c.Value1 / 100);
        selectByData(cbxCtgrySub, c.Value1);
        break;
    default:
        break;
    }
    cbxMatch->setCurrentIndex(c.Match >= 0 ? c.Match : 0);
    chkExclude->setChecked(c.Exclude);
}

void TAddressSearch::updateButtons()
{
    const int rows = int(items_.size());
    const int selected = int(lvCondition->selectedItems().size());
    btnPtnSave->setEnabled(rows > 0);
    btnAdd->setEnabled(rows < kMaxNarrowDownConditions);
    btnChange->setEnabled(selected == 1);
    btnDelete->setEnabled(selected >= 1);
    btnClear->setEnabled(rows > 0);
    btnPtnView->setEnabled(!patterns_.empty());
    btnPtnDelete->setEnabled(!patterns_.empty());
}

// ---------------------------------------------------------------- ending

void TAddressSearch::Narrow()
{
    if (!AdvancedView()) {
        items_ = {EditorCondition()};
        lvCondition->clear();
        appendRow(items_.front());
    }
    accept();
}

void TAddressSearch::ReleaseFilter()
{
    ClearConditions();
    accept();
}

// ---------------------------------------------------------------- patterns

QString TAddressSearch::patternName() const { return cp932::Trim(cbxPattern->currentText()); }

void TAddressSearch::refillPatternBox()
{
    const QString shown = cbxPattern->currentText();
    const QSignalBlocker block(cbxPattern);
    cbxPattern->clear();
    for (const TSearchPattern& p : patterns_)
        cbxPattern->addItem(p.Name);
    const int again = IndexOfSearchPattern(patterns_, shown);
    cbxPattern->setCurrentIndex(again);
    if (again < 0)
        cbxPattern->setEditText(QString());
    updateButtons();
}

void TAddressSearch::ViewPattern()
{
    const QString name = patternName();
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("表示したいパターン名を入力してください"), MB_ICONINFORMATION);
        cbxPattern->setFocus();
        return;
    }
    const int at = IndexOfSearchPattern(patterns_, name);
    if (at < 0) {
        ShowMessage(this, QStringLiteral("指定したパターン名は保存されていません"), MB_ICONINFORMATION);
        return;
    }
    cbxPattern->setCurrentIndex(at);
    SetConditions(patterns_[size_t(at)].Condition);
}

void TAddressSearch::SavePattern()
{
    const QString name = patternName();
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("保存するにはパターン名を入力してください"), MB_ICONINFORMATION);
        cbxPattern->setFocus();
        return;
    }
    TSearchPatterns next = patterns_;
    TSearchPattern pattern{name, {}};
    GetConditions(pattern.Condition);
    const int at = IndexOfSearchPattern(next, name);
    if (at >= 0) {
        next[size_t(at)] = pattern;
    } else {
        // The file counts its patterns in one byte: a 256th is refused
        // before anything changes.
        if (next.size() >= size_t(kMaxSearchPatterns)) {
            ShowMessage(this, QStringLiteral("パターンは２５５件まで保存できます"), MB_ICONERROR);
            return;
        }
        next.push_back(pattern);
    }
    errno = 0; // a pattern the file cannot hold fails before any write
    if (!SaveSearchPatterns(next)) {
        const int error = errno;
        // The old file is left whole, and the list stays what it holds.
        ShowMessage(this, QStringLiteral("パターンが保存できませんでした  \r\n") + FileErrorCause(error) + QStringLiteral("  "),
                    MB_ICONERROR);
        return;
    }
    patterns_ = std::move(next);
    refillPatternBox();
}

void TAddressSearch::DeletePattern()
{
    const QString name = patternName();
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("削除したいパターン名を入力してください"), MB_ICONINFORMATION);
        cbxPattern->setFocus();
        return;
    }
    if (ShowMessage(this, QStringLiteral("選択しているパターンを削除します  \r\nよろしいですか？  "),
                    MB_YESNO | MB_ICONQUESTION)
        != IDYES)
        return;
    const int at = IndexOfSearchPattern(patterns_, name);
    if (at < 0)
        return;
    TSearchPatterns next = patterns_;
    next.erase(next.begin() + at);
    errno = 0; // a pattern the file cannot hold fails before any write
    if (!SaveSearchPatterns(next)) {
        const int error = errno;
        ShowMessage(this, QStringLiteral("パターンが保存できませんでした  \r\n") + FileErrorCause(error) + QStringLiteral("  "),
                    MB_ICONERROR);
        return;
    }
    patterns_ = std::move(next);
    refillPatternBox();
    cbxPattern->setFocus();
}

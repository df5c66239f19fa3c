#include "core/ui/AdrsList.h"

#include "ui_AdrsList.h"

#include "core/AdrsBook.h"
#include "core/AdrsFields.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/ui/GroupEdit.h"
#include "core/Groups.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/common/Units.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/ui/DialogKit.h"
#include "platform/IniFile.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <cerrno>

TAddressList* AddressList = nullptr;

namespace {

const QString kWindowSection = QStringLiteral("ADRS LIST");
const QString kSortSection = QStringLiteral("LIST SORT");
const QString kRowReadError = QStringLiteral("データを読み込めませんでした  \r\n");

QString lines(std::initializer_list<QString> list)
{
    QStringList out;
    for (const QString& l : list)
        out << l + QStringLiteral("  ");
    return out.join(QStringLiteral("\r\n"));
}

// Why a book's file could not be opened, in words a user can act on. The
// book is called damaged only when the engine says so: a user told that may
// delete an intact book or restore an old backup over it, while a full disk
// or a refused lock says nothing about the file.
QString openFailureCause(const QString& folder, const ESqlTableError& error)
{
    const QFileInfo file(AdrsTableFileName(folder));
    const QFileInfo dir(file.absolutePath());
    if (!dir.exists())
        return QStringLiteral("アドレス帳のフォルダがありません");
    // A folder the user may not enter hides the file in it: no missing file.
    if (!dir.isExecutable())
        return QStringLiteral("アドレス帳のフォルダを開く権限がありません");
    if (!file.exists())
        return dir.isWritable() ? QStringLiteral("アドレス帳のファイルがありません")
                                : QStringLiteral("アドレス帳のフォルダに書き込む権限がありません");
    // The error's own cause comes first: a file on a read-only disk is not
    // writable either, yet no permission would mend that. Then each
    // permission that is missing is named: a user who can read a book is
    // not told it is out of reach, only that it cannot be written.
    const bool ownCauseSaysLittle = error.Cause().isEmpty() || error.Cause() == FileErrorCause(EACCES);
    if (ownCauseSaysLittle) {
        const bool readable = file.isReadable();
        const bool writable = file.isWritable();
        if (!readable && !writable)
            return QStringLiteral("アドレス帳のファイルを読み書きする権限がありません");
        if (!readable)
            return QStringLiteral("アドレス帳のファイルを読み込む権限がありません");
        if (!writable)
            return QStringLiteral("アドレス帳のファイルに書き込む権限がありません");
        // The engine keeps its log and index files beside the book.
        if (!dir.isWritable())
            return QStringLiteral("アドレス帳のフォルダに書き込む権限がありません");
    }
    switch (error.Kind()) {
    case ESqlTableError::TKind::InUse:
        return QStringLiteral("アドレス帳のファイルが他で使用中です");
    case ESqlTableError::TKind::Damaged:
        return QStringLiteral("アドレス帳のファイルではないか、壊れています");
    case ESqlTableError::TKind::Other:
    case ESqlTableError::TKind::Moved:
        break;
    }
    return error.Cause().isEmpty() ? FileErrorCause(0) : error.Cause();
}

} // namespace

TAddressList::TAddressList(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TAddressList>())
{
    ui->setupUi(this);
    AddressList = this;
    actEditGroup = ui->actEditGroup;

    auto* label = new QLabel(QStringLiteral(" グループ： "), ui->tbrMain);
    cbxGroup = new QComboBox(ui->tbrMain);
    cbxGroup->setObjectName(QStringLiteral("cbxGroup"));
    cbxGroup->setMaxVisibleItems(12);
    cbxGroup->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ui->tbrMain->addWidget(label);
    ui->tbrMain->addWidget(cbxGroup);
    fillGroupCombo();
    connect(cbxGroup, &QComboBox::activated, this, [this](int choice) { SetGroupChoice(choice); });

    pnlBook = new QLabel(this);
    pnlCount = new QLabel(this);
    pnlSelect = new QLabel(this);
    pnlFilter = new QLabel(this);
    pnlBook->setObjectName(QStringLiteral("pnlBook"));
    pnlCount->setObjectName(QStringLiteral("pnlCount"));
    pnlSelect->setObjectName(QStringLiteral("pnlSelect"));
    pnlFilter->setObjectName(QStringLiteral("pnlFilter"));
    ui->stbMain->addWidget(pnlBook, 2);
    ui->stbMain->addWidget(pnlCount, 1);
    ui->stbMain->addWidget(pnlSelect, 1);
    ui->stbMain->addWidget(pnlFilter, 1);

    QTreeView* view = ui->lvAddress;
    view->setModel(&model_);
    view->header()->setSectionsClickable(true);
    view->header()->setSortIndicatorShown(true);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->installEventFilter(this);
    connect(view->header(), &QHeaderView::sectionClicked, this, &TAddressList::onHeaderClicked);
    connect(view->header(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (applyingColumns_ || section < 0 || size_t(section) >= model_.Columns().size())
            return;
        const int col = model_.Columns()[size_t(section)];
        for (TListColumnSetting& c : columns_)
            if (c.ColumnNo == col)
                c.Width = ScaleForDpi(size, false);
    });
    connect(view, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) { requestOpen(index.row()); });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        selection_.reset();
        updateStatus();
        emit listSelectionChanged();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { selection_.reset(); });

    connect(ui->actInquiry, &QAction::triggered, this, [this] {
        const int focused = focusedIndex();
        requestOpen(focused >= 0 ? focused : GetSelectedIndex());
    });
    connect(ui->actNewRecord, &QAction::triggered, this, &TAddressList::newRecordRequested);
    connect(ui->actNameAdrsSearch, &QAction::triggered, this, &TAddressList::nameAdrsSearchRequested);
    connect(ui->actCategorySearch, &QAction::triggered, this, &TAddressList::categorySearchRequested);
    connect(ui->actRefresh, &QAction::triggered, this, [this] { RefreshList(false, true, true); });
    connect(ui->actEditGroup, &QAction::triggered, this, &TAddressList::actEditGroupExecute);
    connect(ui->actKeywordEdit, &QAction::triggered, this, &TAddressList::keywordItemsEditRequested);
    connect(ui->actProtectMemoEdit, &QAction::triggered, this, &TAddressList::protectMemoItemsEditRequested);
    connect(ui->actSenderEdit, &QAction::triggered, this, &TAddressList::senderEditRequested);
    connect(ui->actAdrsCopy, &QAction::triggered, this, &TAddressList::adrsCopyRequested);
    connect(ui->actSettings, &QAction::triggered, this, &TAddressList::settingsEditRequested);
    connect(ui->actOpenAdrsBook, &QAction::triggered, this, &TAddressList::onOpenAdrsBook);
    connect(ui->actNewAdrsBook, &QAction::triggered, this, &TAddressList::onNewAdrsBook);
    setupNarrowDown();
    connect(ui->actClose, &QAction::triggered, this, &QWidget::close);
    setupSearchActions();

    {
        // The columns first: a saved sort by a column no longer shown is dropped.
        const TIniFile ini(AdrsListIniFileName());
        columns_ = LoadListColumns(ini);
        applyColumns();
        model_.SetSort(ini.ReadInteger(kSortSection, QStringLiteral("Column"), -1),
                       ini.ReadBool(kSortSection, QStringLiteral("Descending"), false));
        showSortArrow();
    }
    // The senders are read once the window shows (StartupOpenWhenShown): a
    // sender file held elsewhere is waited for, and told, over a drawn window.
    loadWindowSettings();
    updateTitle();
    updateStatus();
}

TAddressList::~TAddressList()
{
    if (AddressList == this)
        AddressList = nullptr;
}

QTreeView* TAddressList::ListView() const { return ui->lvAddress; }

// ---------------------------------------------------------------- books

bool TAddressList::OpenAdrsBook(const QString& name)
{
    if (!DMTelvora21)
        return false;
    const int at = IndexOfAdrsBook(name);
    if (at < 0) {
        ShowMessage(this, lines({QStringLiteral("アドレス帳「%1」が見つかりません").arg(name)}), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (DMTelvora21->AdrsTable().Active() && bookChangeGuard_ && !bookChangeGuard_())
        return false;
    const QString previous = DMTelvora21->AdrsTable().Active() ? AdrsName : QString();
    std::optional<THourglass> hourglass(std::in_place);
    std::optional<ESqlTableError> error;
    try {
        DMTelvora21->OpenAdrsTable(AdrsBookList[size_t(at)].Folder);
    } catch (const ESqlTableError& e) {
        error = e;
    } catch (const std::exception& e) {
        error = ESqlTableError(QString::fromUtf8(e.what()));
    }
    if (error) {
        // Stay usable: go back to the book that was open.
        bool back = false;
        const int prev = previous.isEmpty() ? -1 : IndexOfAdrsBook(previous);
        if (prev >= 0) {
            try {
                DMTelvora21->OpenAdrsTable(AdrsBookList[size_t(prev)].Folder);
                back = true;
            } catch (const std::exception&) {
            }
        }
        if (!back) {
            model_.Cache().Clear();
            model_.Rebuild();
            current_ = -1;
            AdrsName.clear();
        } else {
            RefreshList(false, true, true);
        }
        hourglass.reset();
        updateTitle();
        updateStatus();
        ShowMessage(this,
                    lines({QStringLiteral("アドレス帳ファイルがオープンできませんでした"),
                           openFailureCause(AdrsBookList[size_t(at)].Folder, *error),
                           QStringLiteral("アドレス帳：%1").arg(name)}),
                    MB_OK | MB_ICONERROR);
        emit adrsBookChanged();
        return false;
    }
    // Duplicate sets belong to the book they were found in.
    EndDuplicateDisplay();
    AdrsName = name;
    WriteStartAdrsName(name);
    relist(
        [this] {
            model_.Cache().Load(DMTelvora21->AdrsTable());
            model_.Rebuild();
        },
        false, false);
    ui->lvAddress->selectionModel()->clearSelection();
    SetCurrentIndex(-1);
    ui->lvAddress->scrollToTop();
    hourglass.reset();
    updateTitle();
    updateStatus();
    // A log another file left beside the book (or the sender file) was
    // kept out of it, under a name of its own: the user may want it back.
    if (const QStringList aside = TSqlTable::TakeSetAsideLogs(); !aside.isEmpty())
        ShowMessage(this,
                    (QStringList{QStringLiteral("ファイルのそばに、そのファイルのものではない更新記録がありました"),
                                 QStringLiteral("ファイルには取り込まず、次の名前で残しました")} +
                     aside)
                            .join(QStringLiteral("  \r\n")) +
                        QStringLiteral("  "),
                    MB_OK | MB_ICONWARNING);
    emit adrsBookChanged();
    return true;
}

bool TAddressList::CreateAdrsBookAndOpen(const QString& name)
{
    if (DMTelvora21 && DMTelvora21->AdrsTable().Active() && bookChangeGuard_ && !bookChangeGuard_())
        return false;
    const QString clean = cp932::Trim(name);
    QString error = CheckAdrsBookName(clean);
    if (!error.isEmpty()) {
        ShowMessage(this, error, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (!CreateAdrsBook(clean, &error)) {
        // The name was fine; the book could not be made: a failure, not advice.
        ShowMessage(this, error.isEmpty() ? QStringLiteral("アドレス帳が作成できませんでした") : error,
                    MB_OK | MB_ICONERROR);
        return false;
    }
    return OpenAdrsBook(clean);
}

bool TAddressList::OpenStartBook()
{
    BuildAdrsBookList();
    if (AdrsBookList.empty()) {
        QString cause;
        const bool made = EnsureDefaultAdrsBook(&cause);
        BuildAdrsBookList();
        if (AdrsBookList.empty()) {
            // Not "not found": the book was never there to find. Said with
            // its cause, as a full disk on a first start is the likely one.
            ShowMessage(this,
                        lines({QStringLiteral("アドレス帳「%1」を作成できませんでした").arg(kDefaultAdrsName),
                               made || cause.isEmpty() ? FileErrorCause(0) : cause}),
                        MB_OK | MB_ICONERROR);
            return false;
        }
    }
    QString name = ReadStartAdrsName();
    if (IndexOfAdrsBook(name) < 0)
        name = kDefaultAdrsName;
    if (IndexOfAdrsBook(name) < 0 && !AdrsBookList.empty())
        name = AdrsBookList.front().Name;
    return OpenAdrsBook(name);
}

void TAddressList::onOpenAdrsBook()
{
    BuildAdrsBookList();
    QStringList names;
    for (const TAdrsFolderInfo& book : AdrsBookList)
        if (book.State != 1)
            names << book.Name;
    if (names.isEmpty())
        return;
    bool ok = false;
    const QString name = QInputDialog::getItem(this, QStringLiteral("アドレス帳を開く"), QStringLiteral("アドレス帳："),
                                               names, std::max<int>(0, int(names.indexOf(AdrsName))), false, &ok);
    if (ok && !name.isEmpty() && name != AdrsName)
        OpenAdrsBook(name);
}

void TAddressList::onNewAdrsBook()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("アドレス帳の新規作成"),
                                               QStringLiteral("アドレス帳名："), QLineEdit::Normal, QString(), &ok);
    if (ok)
        CreateAdrsBookAndOpen(name);
}

// ---------------------------------------------------------------- rows

int TAddressList::GetRecordCount() const { return model_.RowCount(); }

const TRowIntervals& TAddressList::selection() const
{
    if (!selection_) {
        selection_.emplace();
        selection_->Assign(ui->lvAddress->selectionModel()->selection());
    }
    return *selection_;
}

int TAddressList::GetSelCount() const { return selection().Count(); }

bool TAddressList::IsSelected(int index) const
{
    return index >= 0 && index < GetRecordCount() && selection().Contains(index);
}

int TAddressList::GetRecNo(int index) const { return model_.RecNo(index); }
int TAddressList::GetSelectedIndex() const { return selection().First(); }
int TAddressList::GetLastSelectedIndex() const { return selection().Last(); }
int TAddressList::IndexOfRecNo(int recNo) const { return model_.IndexOfRecNo(recNo); }

void TAddressList::SelectItem(int index, bool exclusive, bool makeVisible)
{
    if (index < 0 || index >= GetRecordCount())
        return;
    const QModelIndex at = model_.index(index, 0);
    auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (exclusive)
        flags |= QItemSelectionModel::Clear;
    ui->lvAddress->selectionModel()->select(at, flags);
    if (makeVisible)
        ui->lvAddress->scrollTo(at);
}

void TAddressList::selectIndexes(std::vector<int> indexes)
{
    std::sort(indexes.begin(), indexes.end());
    QItemSelection sel;
    const int lastColumn = std::max(0, model_.columnCount() - 1);
    size_t i = 0;
    while (i < indexes.size()) {
        size_t j = i;
        while (j + 1 < indexes.size() && indexes[j + 1] <= indexes[j] + 1)
            ++j;
        sel.append(QItemSelectionRange(model_.index(indexes[i], 0), model_.index(indexes[j], lastColumn)));
        i = j + 1;
    }
    ui->lvAddress->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

// ---------------------------------------------------------------- current row

int TAddressList::GetCurrentIndex() const { return current_ < GetRecordCount() ? current_ : -1; }

int TAddressList::focusedIndex() const
{
    const QModelIndex focused = ui->lvAddress->selectionModel()->currentIndex();
    return focused.isValid() ? focused.row() : -1;
}

void TAddressList::SetCurrentIndex(int index)
{
    if (index < -1 || index >= GetRecordCount())
        return;
    current_ = index;
    QItemSelectionModel* sel = ui->lvAddress->selectionModel();
    if (index < 0)
        sel->clearCurrentIndex();
    else
        sel->setCurrentIndex(model_.index(index, 0), QItemSelectionModel::NoUpdate);
}

bool TAddressList::IsFirstRecord() const { return GetRecordCount() == 0 || GetCurrentIndex() == 0; }

bool TAddressList::IsLastRecord() const { return GetRecordCount() == 0 || GetCurrentIndex() >= GetRecordCount() - 1; }

bool TAddressList::ReadRecord(int recNo, TAdrsRecord& record)
{
    if (!DMTelvora21)
        return false;
    try {
        return DMTelvora21->ReadAdrsRecordByRecNo(recNo, record);
    } catch (const std::exception& e) {
        ShowMessage(this, kRowReadError + QString::fromUtf8(e.what()), MB_OK | MB_ICONSTOP);
        return false;
    }
}

bool TAddressList::ReadRecordAt(int index, TAdrsRecord& record)
{
    if (index < 0 || index >= GetRecordCount() || !ReadRecord(GetRecNo(index), record))
        return false;
    SetCurrentIndex(index);
    SelectItem(index, true, true);
    return true;
}

bool TAddressList::ReadFirstRecord(TAdrsRecord& record) { return ReadRecordAt(0, record); }

bool TAddressList::Move(TMoveKind kind, TAdrsRecord& record)
{
    switch (kind) {
    case mkFirst: return ReadFirstRecord(record);
    case mkPrior: return ReadPriorRecord(record);
    case mkNext: return ReadNextRecord(record);
    case mkLast: return ReadLastRecord(record);
    }
    return false;
}

void TAddressList::EditGroupNames()
{
    if (actEditGroup)
        actEditGroup->trigger();
}

bool TAddressList::ReadPriorRecord(TAdrsRecord& record)
{
    const int current = GetCurrentIndex();
    return current > 0 && ReadRecordAt(current - 1, record);
}

bool TAddressList::ReadNextRecord(TAdrsRecord& record)
{
    const int current = GetCurrentIndex();
    return current + 1 < GetRecordCount() && ReadRecordAt(current + 1, record);
}

bool TAddressList::ReadLastRecord(TAdrsRecord& record) { return ReadRecordAt(GetRecordCount() - 1, record); }

// ---------------------------------------------------------------- refresh

void TAddressList::relist(const std::function<void()>& change, bool keepIndexWhenGone, bool keepTop)
{
    QTreeView* view = ui->lvAddress;
    const int current = GetCurrentIndex();
    const int currentRecNo = GetRecNo(current);
    const int top = view->verticalScrollBar()->value();
    std::vector<int> selectedRecNos;
    selectedRecNos.reserve(size_t(GetSelCount()));
    for (const auto& [first, last] : selection().Intervals())
        for (int i = first; i <= last; ++i)
            selectedRecNos.push_back(GetRecNo(i));

    change();

    std::vector<int> indexes;
    indexes.reserve(selectedRecNos.size());
    for (int recNo : selectedRecNos)
        if (const int i = IndexOfRecNo(recNo); i >= 0)
            indexes.push_back(i);
    selectIndexes(std::move(indexes));

    int now = currentRecNo > 0 ? IndexOfRecNo(currentRecNo) : -1;
    if (now < 0 && keepIndexWhenGone && current >= 0)
        now = std::min(current, GetRecordCount() - 1);
    SetCurrentIndex(now);
    if (keepTop)
        view->verticalScrollBar()->setValue(top);
    else if (now >= 0)
        view->scrollTo(model_.index(now, 0));
    showSortArrow();
    updateStatus();
    emit listRebuilt();
}

void TAddressList::RefreshList(bool reloadColumns, bool rebuild, bool keepTop)
{
    const THourglass hourglass;
    if (reloadColumns)
        applyColumns();
    relist(
        [this, rebuild] {
            if (rebuild && DMTelvora21 && DMTelvora21->AdrsTable().Active()) {
                model_.Cache().Load(DMTelvora21->AdrsTable());
                model_.Rebuild();
            } else if (rebuild) {
                model_.Rebuild();
            } else {
                model_.Relist();
            }
        },
        true, keepTop);
}

void TAddressList::NotifyRecordsUpdated(const QList<int>& recNos)
{
    if (!recNos.isEmpty())
        emit recordsUpdated(recNos);
}

void TAddressList::NotifyRecordsDeleted(const QList<int>& recNos)
{
    if (!recNos.isEmpty())
        emit recordsDeleted(recNos);
}

void TAddressList::SetRecordWindowLink(std::function<bool()> showsListRecord)
{
    recordWindowLink_ = std::move(showsListRecord);
    UpdateListColor();
}

void TAddressList::UpdateListColor()
{
    QTreeView* view = ui->lvAddress;
    QPalette palette = view->palette();
    const bool linked = Settings().BGPaint && recordWindowLink_ && recordWindowLink_();
    const QColor base = linked ? Settings().BGQColor() : QApplication::palette(view).color(QPalette::Base);
    if (palette.color(QPalette::Base) != base) {
        palette.setColor(QPalette::Base, base);
        view->setPalette(palette);
    }
    view->viewport()->update();
}

// ---------------------------------------------------------------- senders

QString TAddressList::GetSenderTitle(int index) const
{
    return index >= 0 && index < GetSenderCount() ? senders_[size_t(index)].second : QString();
}

int TAddressList::GetSenderRecNo(int index) const
{
    return index >= 0 && index < GetSenderCount() ? senders_[size_t(index)].first : -1;
}

bool TAddressList::LoadSenderList(QString* cause)
{
    senders_.clear();
    if (!DMTelvora21)
        return true;
    try {
        for (TDMTelvora21::TSenderTitle& sender : DMTelvora21->ReadSenderTitles())
            senders_.emplace_back(sender.RecNo, std::move(sender.Title));
    } catch (const ESqlTableError& e) {
        senders_.clear();
        if (cause)
            *cause = e.Cause().isEmpty() ? FileErrorCause(0) : e.Cause();
        return false;
    } catch (const std::exception&) {
        senders_.clear();
        if (cause)
            *cause = FileErrorCause(0);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- groups and filter

void TAddressList::fillGroupCombo()
{
    const int choice = std::max(0, cbxGroup->currentIndex());
    cbxGroup->clear();
    cbxGroup->addItem(QStringLiteral("すべてのグループ"));
    cbxGroup->addItem(QStringLiteral("グループ指定なし"));
    for (int g = 1; g <= kGroupCount; ++g)
        cbxGroup->addItem(QString::asprintf("%2d： ", g) + GroupName(g));
    cbxGroup->setCurrentIndex(choice);
}

int TAddressList::GetGroupChoice() const { return model_.GroupChoice(); }

void TAddressList::SetGroupChoice(int choice)
{
    if (choice < 0 || choice > kGroupCount + 1)
        return;
    cbxGroup->setCurrentIndex(choice);
    if (choice == model_.GroupChoice())
        return;
    const THourglass hourglass;
    relist([this, choice] { model_.SetGroupChoice(choice); model_.Relist(); }, false, false);
}

void TAddressList::SetRowCondition(TAdrsListModel::TRowCondition condition)
{
    const THourglass hourglass;
    relist([&] { model_.SetCondition(std::move(condition)); model_.Relist(); }, false, false);
}

void TAddressList::SetFilterStatusText(const QString& text) { pnlFilter->setText(text); }

void TAddressList::actEditGroupExecute()
{
    TGroupEdit dialog(this);
    QStringList names;
    for (int g = 1; g <= kGroupCount; ++g)
        names << GroupName(g);
    dialog.SetNames(names);
    if (dialog.ShowModal() != mrOk)
        return;
    const QStringList edited = dialog.GetNames();
    for (int g = 1; g <= kGroupCount; ++g)
        SetGroupName(g, edited.value(g - 1));
    if (!SaveGroupNames())
        ShowMessage(this, lines({QStringLiteral("グループ名が保存できませんでした"), FileErrorCause(errno)}),
                    MB_OK | MB_ICONERROR);
    fillGroupCombo();
    ui->lvAddress->viewport()->update();
    emit groupNamesChanged();
}

// ---------------------------------------------------------------- columns

void TAddressList::SetColumnSettings(const TListColumnSettings& columns)
{
    columns_ = IsValidListColumns(columns) ? columns : DefaultListColumns();
    RefreshList(true, false, true);
    saveListSettings(); // with the sort the columns left
}

void TAddressList::applyColumns()
{
    std::vector<int> shown;
    std::vector<int> widths;
    for (const TListColumnSetting& c : columns_)
        if (c.Shown) {
            shown.push_back(c.ColumnNo);
            widths.push_back(c.Width);
        }
    applyingColumns_ = true;
    model_.SetColumns(shown);
    QHeaderView* header = ui->lvAddress->header();
    for (size_t i = 0; i < widths.size(); ++i)
        header->resizeSection(int(i), ScaleForDpi(widths[i], true));
    showSortArrow();
    applyingColumns_ = false;
}

void TAddressList::showSortArrow()
{
    // The order the rows are in: none while the duplicate sets keep their
    // own order, or in the book's order; the model names no sort it did
    // not apply.
    const auto& shown = model_.Columns();
    const auto at = std::find(shown.begin(), shown.end(), model_.SortColumn());
    const bool sorted = at != shown.end() && !IsShowingDuplicates();
    ui->lvAddress->header()->setSortIndicator(sorted ? int(at - shown.begin()) : -1,
                                              sorted && model_.SortDescending() ? Qt::DescendingOrder
                                                                                : Qt::AscendingOrder);
}

void TAddressList::SetSortColumn(int columnNo, bool descending)
{
    const THourglass hourglass;
    relist([&] { model_.SetSort(columnNo, descending); }, false, false); // shows the arrow
}

void TAddressList::ProtectionChanged()
{
    if (!model_.CanSortBy(model_.SortColumn()) && !IsShowingDuplicates()) {
        SetSortColumn(-1, false); // re-lists
        return;
    }
    const THourglass hourglass;
    relist([this] { model_.Rebuild(); }, false, true);
}

void TAddressList::onHeaderClicked(int section)
{
    // The header has moved its arrow to the clicked column already; a click
    // that sorts nothing puts it back where the rows' order is.
    const int col = section >= 0 && size_t(section) < model_.Columns().size() ? model_.Columns()[size_t(section)] : -1;
    if (col < 0 || IsShowingDuplicates() || !model_.CanSortBy(col)) {
        // The duplicate sets keep their own order; hidden values are not
        // sorted by (the order the rows have stays).
        showSortArrow();
        return;
    }
    SetSortColumn(col, col == model_.SortColumn() && !model_.SortDescending());
}

// ---------------------------------------------------------------- window

void TAddressList::requestOpen(int index)
{
    if (index >= 0 && index < GetRecordCount())
        emit openRecordRequested(index);
}

bool TAddressList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lvAddress && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            requestOpen(focusedIndex());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TAddressList::updateTitle()
{
    setWindowTitle(AdrsName.isEmpty() ? kProductTitle : kProductTitle + QStringLiteral(" - ") + AdrsName);
    pnlBook->setText(AdrsName.isEmpty() ? QString() : QStringLiteral("アドレス帳：") + AdrsName);
    // Without an open book a record typed in could only fail at its save.
    const bool open = DMTelvora21 && DMTelvora21->AdrsTable().Active();
    ui->actInquiry->setEnabled(open);
    ui->actNewRecord->setEnabled(open);
    // Nor do a search through the rows, the duplicates among them or a copy
    // of them mean anything. The filter and the columns stay: they are kept
    // for the book opened next.
    ui->actWordSearch->setEnabled(open);
    ui->actWordSearchNext->setEnabled(open && !SearchWord.isEmpty());
    ui->actDuplicate->setEnabled(open);
    ui->actAdrsCopy->setEnabled(open);
}

void TAddressList::updateStatus()
{
    pnlCount->setText(QStringLiteral("表示件数：%1件 / 全%2件").arg(GetRecordCount()).arg(model_.Cache().Count()));
    const int selected = GetSelCount();
    pnlSelect->setText(selected ? QStringLiteral("選択：%1件").arg(selected) : QString());
}

void TAddressList::loadWindowSettings()
{
    const TIniFile ini(SettingsFileName());
    const QScreen* screen = QApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const int width = std::min(ScaleForDpi(ini.ReadInteger(kWindowSection, QStringLiteral("Width"), 1000), true),
                               area.width());
    const int height = std::min(ScaleForDpi(ini.ReadInteger(kWindowSection, QStringLiteral("Height"), 640), true),
                                area.height());
    resize(std::max(width, 400), std::max(height, 300));
    if (ini.ValueExists(kWindowSection, QStringLiteral("Left"))) {
        QPoint at(ScaleForDpi(ini.ReadInteger(kWindowSection, QStringLiteral("Left")), true),
                  ScaleForDpi(ini.ReadInteger(kWindowSection, QStringLiteral("Top")), true));
        // Keep the window reachable, frame included, when the screen has become smaller.
        PlaceWindowOnScreen(this, at);
    } else {
        move(area.center() - rect().center());
    }
}

bool TAddressList::saveWindowSettings()
{
    TIniFile ini(SettingsFileName());
    const QRect frame = normalGeometry().isValid() ? normalGeometry() : geometry();
    ini.WriteInteger(kWindowSection, QStringLiteral("Left"), ScaleForDpi(pos().x(), false));
    ini.WriteInteger(kWindowSection, QStringLiteral("Top"), ScaleForDpi(pos().y(), false));
    ini.WriteInteger(kWindowSection, QStringLiteral("Width"), ScaleForDpi(frame.width(), false));
    ini.WriteInteger(kWindowSection, QStringLiteral("Height"), ScaleForDpi(frame.height(), false));
    return ini.UpdateFile();
}

bool TAddressList::saveListSettings()
{
    TIniFile ini(AdrsListIniFileName());
    SaveListColumns(ini, columns_);
    ini.WriteInteger(kSortSection, QStringLiteral("Column"), model_.SortColumn());
    ini.WriteBool(kSortSection, QStringLiteral("Descending"), model_.SortDescending());
    return ini.UpdateFile();
}

void TAddressList::closeEvent(QCloseEvent* event)
{
    // The windows beside this one (the record window, the copy window) close
    // first; one that refuses (unsaved data kept) keeps the program open.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && !w->close()) {
            event->ignore();
            return;
        }
    }
    // Each save ends in the write that failed, so errno right after it is
    // its cause (a full disk, a read-only disk).
    const bool windowSaved = saveWindowSettings();
    const int windowError = errno;
    const bool listSaved = saveListSettings();
    const int listError = errno;
    if (!windowSaved || !listSaved) {
        QStringList files;
        if (!windowSaved)
            files << SettingsFileName();
        if (!listSaved)
            files << AdrsListIniFileName();
        ShowMessage(this,
                    lines({QStringLiteral("設定を保存できませんでした"), FileErrorCause(windowSaved ? listError : windowError),
                           files.join(QStringLiteral("  \r\n"))}),
                    MB_OK | MB_ICONERROR);
    }
    event->accept();
    emit closed();
}

#include "drawing/dialogs/PrintDataList.h"

#include "drawing/objects/PrintDataFile.h"
#include "platform/FileErrors.h"
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// Hands the edited caption to the list's rules instead of writing it.
class TRenameDelegate : public QStyledItemDelegate {
public:
    TRenameDelegate(TPrintDataList* list, QTreeWidget* view) : QStyledItemDelegate(view), list_(list), view_(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* item = view_->topLevelItem(index.row());
        if (!edit || !item)
            return;
        const QString text = edit->text();
        // The rules may show a message and start editing again: not from
        // inside the view's own commit.
        QTimer::singleShot(0, list_, [list = list_, item, text] { list->EndRename(item, text); });
    }

protected:
    // Shown as the list tells it; edited as the title it is.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const QTreeWidgetItem* item = view_->topLevelItem(index.row()))
            option->text = list_->ShownCaption(item);
    }

private:
    TPrintDataList* list_;
    QTreeWidget* view_;
};

} // namespace

TPrintDataList::TPrintDataList(QWidget* parent) : QObject(parent), owner_(parent)
{
    lvFile = new QTreeWidget(parent);
    lvFile->setObjectName(QStringLiteral("lvFile"));
    lvFile->setColumnCount(2);
    lvFile->setHeaderLabels({QStringLiteral("タイトル"), QStringLiteral("日付")});
    lvFile->setColumnWidth(0, 250);
    lvFile->setColumnWidth(1, 100);
    lvFile->setRootIsDecorated(false);
    lvFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFile->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFile->setSortingEnabled(false);
    lvFile->header()->setSectionsClickable(false);
    lvFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFile->setItemDelegateForColumn(0, new TRenameDelegate(this, lvFile));
    lvFile->installEventFilter(this);

    btnDelete = new QToolButton(parent);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnDelete->setText(QStringLiteral("削除"));
    btnDelete->setIcon(QIcon(QStringLiteral(":/glyphs/DELFILE.png")));
    btnDelete->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnDelete->setEnabled(false);
    btnRename = new QToolButton(parent);
    btnRename->setObjectName(QStringLiteral("btnRename"));
    btnRename->setText(QStringLiteral("名前の変更"));
    btnRename->setIcon(QIcon(QStringLiteral(":/glyphs/EDIT.png")));
    btnRename->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnRename->setEnabled(false);
    connect(btnDelete, &QToolButton::clicked, this, [this] { DeleteSelected(); });
    connect(btnRename, &QToolButton::clicked, this, [this] { StartRename(); });

    pmFile = new QMenu(lvFile);
    pmFile->setObjectName(QStringLiteral("pmFile"));
    QAction* del = pmFile->addAction(QStringLiteral("削除(&D)"));
    del->setObjectName(QStringLiteral("mnDelete"));
    QAction* ren = pmFile->addAction(QStringLiteral("名前の変更(&M)"));
    ren->setObjectName(QStringLiteral("mnRename"));
    connect(del, &QAction::triggered, this, [this] { DeleteSelected(); });
    connect(ren, &QAction::triggered, this, [this] { StartRename(); });
    lvFile->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvFile, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (Selected())
            pmFile->popup(lvFile->viewport()->mapToGlobal(at));
    });

    connect(lvFile, &QTreeWidget::itemSelectionChanged, this, [this] {
        UpdateButtons();
        emit SelectionChanged(Selected());
    });
}

void TPrintDataList::Fill(quint8 Kind)
{
    kind_ = Kind;
    folder_ = PrintDataFolder(Kind);
    const QSignalBlocker block(lvFile);
    lvFile->clear();
    for (const TPrintDataEntry& e : ListPrintDataFolder(folder_, Kind)) {
        auto* item = new QTreeWidgetItem(lvFile, {e.Title, e.DateText()});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setData(0, Qt::UserRole, e.FileName);
    }
    UpdateButtons();
}

QString TPrintDataList::FileOf(const QTreeWidgetItem* Item) const
{
    return Item ? Item->data(0, Qt::UserRole).toString() : QString();
}

QString TPrintDataList::ShownCaption(const QTreeWidgetItem* Item) const
{
    if (!Item)
        return QString();
    for (int i = 0; i < lvFile->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* other = lvFile->topLevelItem(i);
        if (other != Item && other->text(0) == Item->text(0))
            return QFileInfo(FileOf(Item)).fileName();
    }
    return Item->text(0);
}

namespace {
QString samePath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }
} // namespace

void TPrintDataList::SetCurrent(const QString& Name, const QString& File)
{
    CurrentName = Name;
    CurrentFile = File.isEmpty() ? QString() : samePath(File);
    bool selected = false;
    for (int i = 0; !selected && !CurrentFile.isEmpty() && i < lvFile->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvFile->topLevelItem(i);
        if (IsOpenLayout(item)) {
            lvFile->setCurrentItem(item);
            item->setSelected(true);
            lvFile->scrollToItem(item);
            lvFile->setFocus();
            selected = true;
        }
    }
    if (!selected)
        Select(Name);
    UpdateButtons();
}

bool TPrintDataList::IsOpenLayout(const QTreeWidgetItem* Item) const
{
    if (!Item)
        return false;
    if (!CurrentFile.isEmpty())
        return samePath(FileOf(Item)) == CurrentFile;
    return Item->text(0).compare(CurrentName, Qt::CaseInsensitive) == 0;
}

QString TPrintDataList::FileNameOf(const QString& Title) const
{
    // A caption equal as typed before one equal but for letter case: "PLAN"
    // names PLAN.GPL even while Plan.gpl is selected or open.
    QTreeWidgetItem* selected = Selected();
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        if (selected && selected->text(0).compare(Title, cs) == 0)
            return FileOf(selected);
        for (int i = 0; !CurrentFile.isEmpty() && i < lvFile->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lvFile->topLevelItem(i);
            if (IsOpenLayout(item) && item->text(0).compare(Title, cs) == 0)
                return FileOf(item);
        }
        for (int i = 0; i < lvFile->topLevelItemCount(); ++i)
            if (lvFile->topLevelItem(i)->text(0).compare(Title, cs) == 0)
                return FileOf(lvFile->topLevelItem(i));
    }
    return folder_ + Title + PrintDataExtension(kind_);
}

QTreeWidgetItem* TPrintDataList::Selected() const
{
    const auto items = lvFile->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

QString TPrintDataList::SelectedTitle() const
{
    QTreeWidgetItem* item = Selected();
    return item ? item->text(0) : QString();
}

bool TPrintDataList::Select(const QString& Title)
{
    for (int i = 0; i < lvFile->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvFile->topLevelItem(i);
        if (item->text(0) == Title) {
            lvFile->setCurrentItem(item);
            item->setSelected(true);
            lvFile->scrollToItem(item);
            lvFile->setFocus();
            return true;
        }
    }
    return false;
}

QStringList TPrintDataList::Titles() const
{
    QStringList out;
    for (int i = 0; i < lvFile->topLevelItemCount(); ++i)
        out << lvFile->topLevelItem(i)->text(0);
    return out;
}

bool TPrintDataList::Contains(const QString& Title) const
{
    return Titles().contains(Title, Qt::CaseInsensitive);
}

void TPrintDataList::UpdateButtons()
{
    QTreeWidgetItem* item = Selected();
    const bool on = item && !IsOpenLayout(item);
    btnDelete->setEnabled(on);
    btnRename->setEnabled(on);
}

void TPrintDataList::StartRename()
{
    if (QTreeWidgetItem* item = Selected())
        lvFile->editItem(item, 0);
}

bool TPrintDataList::EndRename(QTreeWidgetItem* Item, const QString& Text)
{
    const int row = lvFile->indexOfTopLevelItem(Item);
    if (row < 0)
        return false;
    const QString old = Item->text(0);
    QString title = TrimTitle(Text);
    QStringList others = Titles();
    others.removeAt(row);
    auto editAgain = [this, Item] {
        QTimer::singleShot(0, lvFile, [this, Item] {
            if (lvFile->indexOfTopLevelItem(Item) >= 0)
                lvFile->editItem(Item, 0);
        });
    };
    const TRenameCheck check = CheckRename(old, title, IsOpenLayout(Item), others, kind_);
    switch (check) {
    case TRenameCheck::Unchanged:
        return false;
    case TRenameCheck::OpenLayout:
        ShowMessage(owner_, QStringLiteral("現在開いているファイルの名前は変更できません  "), MB_ICONINFORMATION);
        return false;
    case TRenameCheck::Forbidden:
    case TRenameCheck::Unencodable:
    case TRenameCheck::BackupTitle:
    case TRenameCheck::HiddenTitle:
    case TRenameCheck::TooLong:
        ShowMessage(owner_, TitleRefusalMessage(check, title), MB_ICONINFORMATION);
        editAgain();
        return false;
    case TRenameCheck::Exists:
        ShowMessage(owner_, QStringLiteral("指定されたファイル名は既に存在します  "), MB_ICONINFORMATION);
        editAgain();
        return false;
    case TRenameCheck::Rename:
        break;
    }
    // The file keeps its extension as written (PLAN.GPL becomes NEW.GPL).
    // QFile::rename never replaces an existing file, so a file of another
    // kind or one the listing left out is never lost under the new name; a
    // name the disk shows alike but for letter case or Unicode form is taken
    // too, unless it is the item's own file getting another case.
    const QString from = FileOf(Item);
    const QString to = folder_ + title + from.right(PrintDataExtension(kind_).size());
    if (const QString onDisk = PrintDataFileOnDisk(to); !onDisk.isEmpty() && samePath(onDisk) != samePath(from)) {
        ShowMessage(owner_, QStringLiteral("指定されたファイル名は既に存在します  "), MB_ICONINFORMATION);
        editAgain();
        return false;
    }
    if (!QFile::rename(from, to)) {
        ShowMessage(owner_, QStringLiteral("ファイルの名前を変更できませんでした  \r\n") + FileErrorCause(errno) + QStringLiteral("  "),
                    MB_ICONERROR);
        return false;
    }
    Item->setText(0, title);
    Item->setData(0, Qt::UserRole, to);
    FilesChanged = true;
    UpdateButtons();
    emit SelectionChanged(Selected());
    return true;
}

bool TPrintDataList::DeleteSelected()
{
    QTreeWidgetItem* item = Selected();
    if (!item)
        return false;
    if (IsOpenLayout(item)) {
        ShowMessage(owner_, QStringLiteral("現在開いているファイルは削除できません  "), MB_ICONINFORMATION);
        return false;
    }
    if (ShowMessage(owner_, QStringLiteral("選択中のファイルを削除します  \nよろしいですか？"),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    if (!QFile::remove(FileOf(item))) {
        ShowMessage(owner_, QStringLiteral("ファイルを削除できませんでした  \r\n") + FileErrorCause(errno) + QStringLiteral("  "),
                    MB_ICONERROR);
        return false;
    }
    delete item;
    FilesChanged = true;
    UpdateButtons();
    emit SelectionChanged(Selected());
    return true;
}

bool TPrintDataList::eventFilter(QObject* watched, QEvent* event)
{
    // Keys reach the list itself only while no caption is being edited: the
    // in-place editor has the focus then.
    if (watched == lvFile && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F2 && Selected()) {
            StartRename();
            return true;
        }
        if (key == Qt::Key_Delete && Selected()) {
            DeleteSelected();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

int PrintDataHelpContext(quint8 Kind, int current)
{
    switch (Kind) {
    case 1: return 92;
    case 2: return 100;
    case 3: return 107;
    default: return current;
    }
}

#pragma once
// The file list both print-data dialogs share: the saved layouts of one kind
// with their dates, and the in-place rename and the delete that work on it.
// A rename or delete the file system refuses is reported and changes
// nothing in the list.

#include <QObject>
#include <QString>

// The help context of the open and save dialogs for a print-data kind
// (address side, message side, labels and cards); another kind keeps
// `current`.
int PrintDataHelpContext(quint8 Kind, int current);

class QMenu;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class TPrintDataList : public QObject {
    Q_OBJECT
public:
    // Builds lvFile, the buttons btnDelete and btnRename and the context
    // menu under parent.
    explicit TPrintDataList(QWidget* parent);

    QTreeWidget* List() const { return lvFile; }
    QToolButton* DeleteButton() const { return btnDelete; }
    QToolButton* RenameButton() const { return btnRename; }

    // Lists the kind's folder (PrintDataFolder) and remembers the kind.
    void Fill(quint8 Kind);
    quint8 Kind() const { return kind_; }
    QString Folder() const { return folder_; }
    // The file an item was listed from, by its real name (PLAN.GPL and
    // Plan.gpl are two files on a case-sensitive disk).
    QString FileOf(const QTreeWidgetItem* Item) const;
    // The caption as shown: the title, or the file's name where another
    // item has the same title (PLAN.GPL and Plan.gpl are both "Plan").
    QString ShownCaption(const QTreeWidgetItem* Item) const;
    // The file a typed title names: the selected item's when its caption
    // equals Title, else the open layout's when its caption does, else the
    // first listed with that caption; the same again ignoring case (an
    // overwrite replaces the file the question was about); else a new file
    // in the folder.
    QString FileNameOf(const QString& Title) const;

    QString CurrentName;       // the layout the designer has open
    QString CurrentFile;       // and the file it was read from (empty: not known)
    bool FilesChanged = false; // a file was renamed or deleted
    // Sets both and selects the open layout's item: its file's where that
    // is known and listed, else the first of that exact caption.
    void SetCurrent(const QString& Name, const QString& File);
    // Whether an item is the open layout, which is neither renamed nor
    // deleted: its file is CurrentFile; without one, its caption equals
    // CurrentName ignoring case. The buttons, the rename and the delete
    // all ask this.
    bool IsOpenLayout(const QTreeWidgetItem* Item) const;

    QTreeWidgetItem* Selected() const;
    QString SelectedTitle() const;
    // Selects, focuses and shows the item of that caption; false when none.
    bool Select(const QString& Title);
    QStringList Titles() const;
    // True when a caption equals Title ignoring case.
    bool Contains(const QString& Title) const;

    // Starts editing the selected item's caption in place.
    void StartRename();
    // Ends an in-place edit of item with Text: the rename rules, then the
    // rename of the file. True when the file was renamed.
    bool EndRename(QTreeWidgetItem* Item, const QString& Text);
    // Asks, then deletes the selected file. True when it was deleted.
    bool DeleteSelected();
    // Delete and rename are enabled for a selected item other than the open
    // layout.
    void UpdateButtons();

signals:
    void SelectionChanged(QTreeWidgetItem* Item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* owner_;
    QTreeWidget* lvFile;
    QToolButton* btnDelete;
    QToolButton* btnRename;
    QMenu* pmFile;
    quint8 kind_ = 0;
    QString folder_;
};

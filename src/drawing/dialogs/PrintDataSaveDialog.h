#pragma once
// "名前を付けて保存": the saved layouts of one kind and the title to save
// under; rename and delete in the list. SavePrintData is the one way the
// designers replace a layout file.

#include "drawing/objects/PrintDataFile.h"
#include "platform/ui/DialogKit.h"

class QLineEdit;
class QPushButton;
class QTreeWidgetItem;
class TPrintDataList;

class TPrintDataSaveDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TPrintDataSaveDialog(QWidget* owner = nullptr);

    void SetPrintKind(quint8 Kind);
    void SetPaperKind(int K);
    // The open layout: its title and, where known, the file it was read
    // from, which is then selected and overwritten.
    void SetTitle(const QString& Name, const QString& OpenFile = QString());
    QString GetTitle() const; // trimmed (TrimTitle)
    // The file to write. Once OK was taken, the file the title named then:
    // the one the question named when there was one, else a new one. Before,
    // the listed file the title names (whatever the letter case of its
    // name), else a new one.
    QString FilePath() const;
    // Writes the layout to FilePath() through SavePrintData: the file is
    // replaced only when the user agreed at OK; when none was there, a file
    // of that name that appeared meanwhile is left and the save fails.
    bool Save(const TPrintDataWriter& Writer);
    bool FilesChanged() const;
    int HelpContext() const { return helpContext_; }
    TPrintDataList* Files() const { return list_; }

public slots:
    // Keeps the dialog open on an empty title or one CheckTitle refuses,
    // and, whenever the disk holds a file of that name (listed or not, its
    // name alike but for letter case or Unicode form), unless the user
    // agrees to overwrite it; a folder or anything else that is no regular
    // file is never overwritten.
    void accept() override;

private:
    void itemSelected(QTreeWidgetItem* Item);
    void refuseTitle(const QString& Message);

    TPrintDataList* list_;
    QLineEdit* edtTitle;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    int helpContext_ = 0;
    bool accepted_ = false; // OK was taken: target_ and replaces_ hold
    QString target_;
    bool replaces_ = false;
};

// Replaces FileName through SavePrintDataFile; on failure shows
// "保存できませんでした  " with the cause on a line of its own over owner
// and answers false.
bool SavePrintData(QWidget* owner, const QString& FileName, const TPrintDataWriter& Writer,
                   TPrintDataSave Mode = TPrintDataSave::Replace);

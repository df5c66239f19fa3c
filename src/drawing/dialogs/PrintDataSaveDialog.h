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
    QString GetTitle() const; // trimmed
    // The file to write: the listed file the title names (an overwrite
    // replaces it, whatever the letter case of its name), else a new one.
    QString FilePath() const;
    bool FilesChanged() const;
    int HelpContext() const { return helpContext_; }
    TPrintDataList* Files() const { return list_; }

public slots:
    // Keeps the dialog open on an empty or forbidden title, one too long
    // for a file name, and on a title already listed unless the user agrees
    // to overwrite it.
    void accept() override;

private:
    void itemSelected(QTreeWidgetItem* Item);

    TPrintDataList* list_;
    QLineEdit* edtTitle;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    int helpContext_ = 0;
};

// Replaces FileName through SavePrintDataFile; on failure shows
// "保存できませんでした  " with the cause on a line of its own over owner
// and answers false.
bool SavePrintData(QWidget* owner, const QString& FileName, const TPrintDataWriter& Writer);

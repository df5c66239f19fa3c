#pragma once
// "開く": the saved layouts of one kind with a preview of the selected one's
// thumbnail; rename and delete in the list.

#include "platform/ui/DialogKit.h"

#include <QImage>

class QGroupBox;
class QPushButton;
class QTreeWidgetItem;
class TPrintDataList;

class TPrintDataOpenDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TPrintDataOpenDialog(QWidget* owner = nullptr);

    void SetPrintKind(quint8 Kind);
    void SetPaperKind(int K);
    // The open layout: its title and, where known, the file it was read
    // from (titles differing in letter case name different files).
    void SetFileName(const QString& Name, const QString& OpenFile = QString());
    QString GetFileName() const; // the selected item's title
    QString FilePath() const;    // and the file it was listed from
    bool FilesChanged() const;
    int HelpContext() const { return helpContext_; }

    // The decoded thumbnail (null when none is shown) and where it is drawn.
    const QImage& Preview() const { return preview_; }
    QRect PreviewRect() const;
    TPrintDataList* Files() const { return list_; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void itemSelected(QTreeWidgetItem* Item);
    void placePreview();

    TPrintDataList* list_;
    QGroupBox* pnlPreview;
    QWidget* pbPreview;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QImage preview_;
    int helpContext_ = 0;
};

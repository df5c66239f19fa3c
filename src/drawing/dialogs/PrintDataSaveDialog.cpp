#include "drawing/dialogs/PrintDataSaveDialog.h"

#include "drawing/dialogs/PrintDataList.h"
#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/MessageBox.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TPrintDataSaveDialog::TPrintDataSaveDialog(QWidget* owner) : TModalDialog(owner)
{
    setObjectName(QStringLiteral("PrintDataSaveDialog"));
    setWindowTitle(QStringLiteral("名前を付けて保存"));
    auto* layout = new QVBoxLayout(this);
    list_ = new TPrintDataList(this);
    auto* tools = new QHBoxLayout;
    tools->addWidget(list_->DeleteButton());
    tools->addWidget(list_->RenameButton());
    tools->addStretch();
    layout->addLayout(tools);
    layout->addWidget(list_->List());
    list_->List()->setMinimumWidth(370); // both columns whole

    auto* titleRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("タイトル"), this);
    auto* title = new TByteLimitEdit(this);
    title->SetMaxBytes(kMaxTitleBytes);
    edtTitle = title;
    edtTitle->setObjectName(QStringLiteral("edtTitle"));
    edtTitle->setProperty("imeMode", QStringLiteral("hiragana"));
    label->setBuddy(edtTitle);
    titleRow->addWidget(label);
    titleRow->addWidget(edtTitle, 1);
    layout->addLayout(titleRow);

    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &TPrintDataSaveDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TPrintDataSaveDialog::reject);
    connect(list_, &TPrintDataList::SelectionChanged, this, &TPrintDataSaveDialog::itemSelected);

    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(edtTitle, btnOK);
    enter->SetNext(list_->List(), btnOK);
}

void TPrintDataSaveDialog::SetPrintKind(quint8 Kind)
{
    helpContext_ = PrintDataHelpContext(Kind, helpContext_);
    list_->Fill(Kind);
}

void TPrintDataSaveDialog::SetPaperKind(int K) { helpContext_ = K == 0 ? 79 : 85; }

void TPrintDataSaveDialog::SetTitle(const QString& Name, const QString& OpenFile)
{
    list_->SetCurrent(Name, OpenFile);
    if (!list_->Selected())
        edtTitle->setText(Name);
    edtTitle->setCursorPosition(edtTitle->text().size());
}

QString TPrintDataSaveDialog::GetTitle() const { return cp932::Trim(edtTitle->text()); }

QString TPrintDataSaveDialog::FilePath() const { return list_->FileNameOf(GetTitle()); }

bool TPrintDataSaveDialog::FilesChanged() const { return list_->FilesChanged; }

void TPrintDataSaveDialog::itemSelected(QTreeWidgetItem* Item)
{
    if (Item)
        edtTitle->setText(Item->text(0));
}

void TPrintDataSaveDialog::accept()
{
    const QString title = GetTitle();
    if (title.isEmpty())
        return;
    // A "$$" title would be taken for the copy of its namesake's old file.
    const QString refused = HasForbiddenTitleChars(title)                ? ForbiddenTitleMessage()
                            : IsBackupTitle(title)                       ? BackupTitleMessage()
                            : !PrintDataTitleFits(title, list_->Kind()) ? TitleTooLongMessage()
                                                                         : QString();
    if (!refused.isEmpty()) {
        ShowMessage(this, refused, MB_ICONINFORMATION);
        edtTitle->setFocus();
        edtTitle->setCursorPosition(edtTitle->text().size());
        return;
    }
    // The question names the file it replaces: titles alike but for letter
    // case are different files.
    if (list_->Contains(title) &&
        ShowMessage(this,
                    QStringLiteral("同名のファイルが存在します．上書きしますか？  \n") + QFileInfo(FilePath()).fileName(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    TModalDialog::accept();
}

bool SavePrintData(QWidget* owner, const QString& FileName, const TPrintDataWriter& Writer)
{
    QString cause;
    if (SavePrintDataFile(FileName, Writer, &cause))
        return true;
    ShowMessage(owner, QStringLiteral("保存できませんでした  \r\n") + cause, MB_ICONERROR);
    return false;
}

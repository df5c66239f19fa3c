#include "drawing/dialogs/PrintDataSaveDialog.h"

#include "drawing/dialogs/PrintDataList.h"
#include "platform/FileErrors.h"
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

#include <cerrno>

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
    accepted_ = false;
    list_->SetCurrent(Name, OpenFile);
    if (!list_->Selected())
        edtTitle->setText(Name);
    edtTitle->setCursorPosition(edtTitle->text().size());
}

QString TPrintDataSaveDialog::GetTitle() const { return TrimTitle(edtTitle->text()); }

QString TPrintDataSaveDialog::FilePath() const { return accepted_ ? target_ : list_->FileNameOf(GetTitle()); }

bool TPrintDataSaveDialog::Save(const TPrintDataWriter& Writer)
{
    const TPrintDataSave mode = accepted_ && replaces_ ? TPrintDataSave::Replace : TPrintDataSave::New;
    return SavePrintData(parentWidget() ? parentWidget() : this, FilePath(), Writer, mode);
}

bool TPrintDataSaveDialog::FilesChanged() const { return list_->FilesChanged; }

void TPrintDataSaveDialog::itemSelected(QTreeWidgetItem* Item)
{
    if (Item)
        edtTitle->setText(Item->text(0));
}

void TPrintDataSaveDialog::refuseTitle(const QString& Message)
{
    ShowMessage(this, Message, MB_ICONINFORMATION);
    edtTitle->setFocus();
    edtTitle->setCursorPosition(edtTitle->text().size());
}

void TPrintDataSaveDialog::accept()
{
    accepted_ = false;
    const QString title = GetTitle();
    if (title.isEmpty())
        return;
    if (const TRenameCheck check = CheckTitle(title, list_->Kind()); check != TRenameCheck::Rename) {
        refuseTitle(TitleRefusalMessage(check, title));
        return;
    }
    // The disk is asked now, not the list read when the dialog opened: a
    // damaged layout, another program's file with the extension or one
    // another window saved meanwhile is a file all the same. The question
    // names the file it replaces: titles alike but for letter case are
    // different files.
    const QString named = list_->FileNameOf(title), onDisk = PrintDataFileOnDisk(named);
    if (!onDisk.isEmpty()) {
        const QFileInfo found(onDisk);
        if (!found.isFile()) {
            ShowMessage(this, QStringLiteral("保存できませんでした  \r\n") + FileErrorCause(found.isDir() ? EISDIR : EEXIST),
                        MB_ICONERROR);
            return;
        }
        if (ShowMessage(this, QStringLiteral("同名のファイルが存在します．上書きしますか？  \n") + found.fileName(),
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    target_ = onDisk.isEmpty() ? named : onDisk;
    replaces_ = !onDisk.isEmpty();
    accepted_ = true;
    TModalDialog::accept();
}

bool SavePrintData(QWidget* owner, const QString& FileName, const TPrintDataWriter& Writer, TPrintDataSave Mode)
{
    QString cause;
    if (SavePrintDataFile(FileName, Writer, &cause, Mode))
        return true;
    ShowMessage(owner, QStringLiteral("保存できませんでした  \r\n") + cause, MB_ICONERROR);
    return false;
}

#include "drawing/dialogs/PrintMenuDialog.h"

#include "drawing/objects/PrintDataFile.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TPrintMenuDialog::TPrintMenuDialog(QWidget* owner) : TModalDialog(owner)
{
    setObjectName(QStringLiteral("PrintMenuDialog"));
    auto* layout = new QVBoxLayout(this);
    auto make = [&](const char* name, const QString& caption) {
        auto* rb = new QRadioButton(caption, this);
        rb->setObjectName(QString::fromLatin1(name));
        layout->addWidget(rb);
        return rb;
    };
    rbNew = make("rbNew", QString());
    rbOpen = make("rbOpen", QStringLiteral("既存のファイルを開く"));
    rbContinue = make("rbContinue", QStringLiteral("前回編集したファイルを開く"));
    ckbShowMenu = new QCheckBox(QStringLiteral("次回もこの画面を表示する"), this);
    ckbShowMenu->setObjectName(QStringLiteral("ckbShowMenu"));
    ckbShowMenu->setChecked(true);
    layout->addWidget(ckbShowMenu);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &TPrintMenuDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TPrintMenuDialog::reject);
    rbNew->setChecked(true);
    rbContinue->setEnabled(false);
    ApplyDialogConventions(this);
    SetPrintKind(pdAddress);
}

void TPrintMenuDialog::SetPrintKind(quint8 Kind)
{
    const TPrintDataKind& k = PrintDataKind(Kind);
    setWindowTitle(QString::fromUtf8(k.MenuWord) + QStringLiteral("印刷　メニュー"));
    helpContext_ = 76;
    rbNew->setText(QStringLiteral("新規に") + QString::fromUtf8(k.MenuObject) + QStringLiteral("を作成する"));
}

void TPrintMenuDialog::SetMenuIndex(int I)
{
    QRadioButton* rb = I == 0 ? rbNew : I == 1 ? rbOpen : rbContinue;
    rbContinue->setEnabled(rb == rbContinue);
    rb->setChecked(true);
}

int TPrintMenuDialog::GetMenuIndex() const { return rbNew->isChecked() ? 0 : rbOpen->isChecked() ? 1 : 2; }

bool TPrintMenuDialog::GetShowMenu() const { return ckbShowMenu->isChecked(); }

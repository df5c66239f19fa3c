#include "core/ui/GroupEdit.h"

#include "ui_GroupEdit.h"

#include "core/Groups.h"
#include "platform/Cp932.h"

namespace {

TByteLimitEdit* nameEdit(const QWidget* dialog, int group)
{
    return dialog->findChild<TByteLimitEdit*>(QStringLiteral("edtGroup%1").arg(group));
}

} // namespace

TGroupEdit::TGroupEdit(QWidget* owner) : TModalDialog(owner), ui(std::make_unique<Ui::TGroupEdit>())
{
    ui->setupUi(this);
    for (int g = 1; g <= kGroupCount; ++g)
        nameEdit(this, g)->SetMaxBytes(kGroupNameBytes);
    ApplyDialogConventions(this);
    connect(ui->btnOk, &QPushButton::clicked, this, &TGroupEdit::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TGroupEdit::reject);
}

TGroupEdit::~TGroupEdit() = default;

void TGroupEdit::SetNames(const QStringList& names)
{
    for (int g = 1; g <= kGroupCount; ++g)
        nameEdit(this, g)->setText(names.value(g - 1));
}

QStringList TGroupEdit::GetNames() const
{
    QStringList names;
    for (int g = 1; g <= kGroupCount; ++g)
        names << cp932::CutToBytes(cp932::Trim(nameEdit(this, g)->text()), kGroupNameBytes);
    return names;
}

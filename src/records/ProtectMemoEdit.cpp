#include "records/ProtectMemoEdit.h"

#include "ui_ProtectMemoEdit.h"

#include "core/ItemNames.h"

TProtectMemoEdit::TProtectMemoEdit(QWidget* owner)
    : TItemNameEdit(owner), ui(std::make_unique<Ui::TProtectMemoEdit>())
{
    ui->setupUi(this);
    InitItems(QStringLiteral("ProtectMemo"), QStringLiteral("保護メモ項目"),
              QStringList(ProtectMemoNames.begin(), ProtectMemoNames.end()),
              std::vector<int>(ProtectMemoModes.begin(), ProtectMemoModes.end()));
}

TProtectMemoEdit::~TProtectMemoEdit() = default;

bool TProtectMemoEdit::SaveSettings(const QStringList& names, const std::vector<int>& modes)
{
    return SaveProtectMemoItems(ToItemArray<TProtectMemoNames>(names), ToItemArray<TProtectMemoModes>(modes));
}

void TProtectMemoEdit::ApplySettings(const QStringList& names, const std::vector<int>& modes)
{
    ProtectMemoNames = ToItemArray<TProtectMemoNames>(names);
    ProtectMemoModes = ToItemArray<TProtectMemoModes>(modes);
}

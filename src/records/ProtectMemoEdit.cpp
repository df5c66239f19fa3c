#include "records/ProtectMemoEdit.h"

#include "ui_ProtectMemoEdit.h"

#include "core/ItemNames.h"

namespace {

template <class Array>
Array toArray(const auto& values)
{
    Array out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = values[qsizetype(i)];
    return out;
}

} // namespace

TProtectMemoEdit::TProtectMemoEdit(QWidget* owner) : TItemNameEdit(owner), ui(std::make_unique<Ui::TProtectMemoEdit>())
{
    ui->setupUi(this);
    InitItems(QStringLiteral("ProtectMemo"), QStringLiteral("保護メモ項目"), QStringList(ProtectMemoNames.begin(), ProtectMemoNames.end()),
              std::vector<int>(ProtectMemoModes.begin(), ProtectMemoModes.end()));
}

TProtectMemoEdit::~TProtectMemoEdit() = default;

bool TProtectMemoEdit::SaveSettings(const QStringList& names, const std::vector<int>& modes)
{
    return SaveProtectMemoItems(toArray<TProtectMemoNames>(names), toArray<TProtectMemoModes>(modes));
}

void TProtectMemoEdit::ApplySettings(const QStringList& names, const std::vector<int>& modes)
{
    ProtectMemoNames = toArray<TProtectMemoNames>(names);
    ProtectMemoModes = toArray<TProtectMemoModes>(modes);
}

#pragma once
// "保護メモ項目の設定": the names and input modes of the ten protected-memo
// items, kept in AdrsList.ini [PROTECT MEMO] for every book of the data path.

#include "records/ItemNameEdit.h"

#include <memory>

namespace Ui {
class TProtectMemoEdit;
}

class TProtectMemoEdit : public TItemNameEdit {
    Q_OBJECT
public:
    explicit TProtectMemoEdit(QWidget* owner = nullptr);
    ~TProtectMemoEdit() override;

protected:
    bool SaveSettings(const QStringList& names, const std::vector<int>& modes) override;
    void ApplySettings(const QStringList& names, const std::vector<int>& modes) override;

private:
    std::unique_ptr<Ui::TProtectMemoEdit> ui;
};

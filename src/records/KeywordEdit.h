#pragma once
// "キーワード項目の設定": the names and input modes of the eight keyword
// items, kept in AdrsList.ini [KEYWORD] for every book of the data path.

#include "records/ItemNameEdit.h"

#include <memory>

namespace Ui {
class TKeywordEdit;
}

class TKeywordEdit : public TItemNameEdit {
    Q_OBJECT
public:
    explicit TKeywordEdit(QWidget* owner = nullptr);
    ~TKeywordEdit() override;

protected:
    bool SaveSettings(const QStringList& names, const std::vector<int>& modes) override;
    void ApplySettings(const QStringList& names, const std::vector<int>& modes) override;

private:
    std::unique_ptr<Ui::TKeywordEdit> ui;
};

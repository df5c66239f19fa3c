#pragma once
// "グループ名の設定": the dialog that edits the names of the ten groups of the
// address books. The caller fills it with SetNames, shows it modally and on
// OK (modal result 1) takes the names back with GetNames.

#include "platform/ui/DialogKit.h"

#include <QStringList>
#include <memory>

namespace Ui {
class TGroupEdit;
}

class TGroupEdit : public TModalDialog {
    Q_OBJECT
public:
    explicit TGroupEdit(QWidget* owner = nullptr);
    ~TGroupEdit() override;

    void SetNames(const QStringList& names);
    QStringList GetNames() const; // trimmed, cut to the byte limit of a name

private:
    std::unique_ptr<Ui::TGroupEdit> ui;
};

#pragma once
// The dialog that edits the names of the ten groups of the address books.

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TGroupEdit;
}

// "グループ名の設定": one edit per group name. The caller fills it with
// SetNames, shows it modally and on OK takes the names back with GetNames.
class TGroupEdit : public QDialog {
    Q_OBJECT
public:
    explicit TGroupEdit(QWidget* owner = nullptr);
    ~TGroupEdit() override;

    void SetNames(const QStringList& names);
    QStringList GetNames() const; // trimmed, cut to the byte limit of a name

    // Modal result 1 on OK, 2 on cancel, Escape or closing.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TGroupEdit> ui;
};

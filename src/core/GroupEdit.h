#pragma once
// The names of the ten groups of the address books, and the small dialog that
// edits them. The names are kept for the whole data path in Group.dat
// (DataPath) and shown at combo positions 1 to 10 wherever a group is chosen.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

inline constexpr int kGroupCount = 10;
inline constexpr int kGroupNameBytes = 30; // code page 932 bytes

// Name of group 1..10; empty for other numbers.
QString GetGroupName(int group);
// The ten names, group 1 first.
QStringList GetGroupNames();
// Takes up to ten names (missing ones empty), each trimmed and cut to
// kGroupNameBytes without splitting a double-byte character.
void SetGroupNames(const QStringList& names);

// Reads Group.dat of DataPath; a missing file gives ten empty names.
void LoadGroupNames();
// Writes Group.dat; false when the file could not be written (then the old
// file is untouched).
bool SaveGroupNames();

namespace Ui {
class TGroupEdit;
}

class TGroupEdit : public QDialog {
    Q_OBJECT
public:
    explicit TGroupEdit(QWidget* owner = nullptr);
    ~TGroupEdit() override;

    void SetNames(const QStringList& names);
    QStringList GetNames() const; // trimmed

    // Modal result 1 on OK, 2 on cancel, Escape or closing.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TGroupEdit> ui;
};

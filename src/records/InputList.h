#pragma once
// "入力リストの編集": the six pick lists of the record and sender windows
// (departments, posts, honorifics, the values of keyword items 6 to 8) in
// tabs. Each tab edits a working copy; nothing is written before OK, and OK
// writes back only the lists that changed.
//
// Protocol: create, SetListKind, ShowModal (centred on the owner), then
// GetChangedLists; Execute does all of it.

#include "platform/ui/DialogKit.h"

#include <QList>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class THistoryData;

namespace Ui {
class TInputList;
}

class TInputList : public TModalDialog {
    Q_OBJECT
public:
    // Tabs, also the bits of GetChangedLists.
    enum TListKind : int { lkDptmnt, lkPost, lkHonor, lkKeyword6, lkKeyword7, lkKeyword8 };
    static constexpr int kListCount = 6;

    explicit TInputList(QWidget* owner = nullptr);
    ~TInputList() override;

    // Opens the dialog on that tab (0-5; another value is ignored).
    void SetListKind(int kind);
    // Bit n: the list of tab n was changed and written.
    int GetChangedLists() const { return changedLists_; }
    // Writes every changed list, in tab order; false (after telling the user)
    // when one could not be written. The lists before it stay written.
    bool SaveLists();

    // The whole protocol. Answers the lists written, also when the user
    // cancelled after a write failed part way (those lists are written).
    static int Execute(QWidget* owner, int kind);

    // The maximum length of a name in bytes on each tab.
    static int NameLength(int kind);

public slots:
    // Cancel, Escape and the close box: asks first when a list was changed.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TTabState {
        std::optional<QStringList> work; // made the first time the tab is left or saved
        QList<int> selected;
        QString name;
        bool modified = false;
    };

    void bbtnAddClick();
    void bbtnUpdateClick();
    void bbtnDeleteClick();
    void bbtnUpClick();
    void bbtnDownClick();
    void btnOkClick();
    void tabChanged(int index);
    void keepTab();
    void showTab();
    void updateMoveButtons();
    void markModified() { tabs_[size_t(tab_)].modified = true; }
    QStringList entries() const;
    QList<int> selectedRows() const;
    void selectRows(const QList<int>& rows, int current);
    QString typedName() const;
    void info(const QString& text, QWidget* focus);
    bool anyModified() const;
    THistoryData* history(int kind) const;

    std::unique_ptr<Ui::TInputList> ui;
    std::array<TTabState, kListCount> tabs_;
    int tab_ = 0;
    int changedLists_ = 0;
};

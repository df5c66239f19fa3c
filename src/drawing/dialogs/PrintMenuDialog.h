#pragma once
// The start menu of a designer: make a new layout, open a saved one, or go on
// with the one edited last; and whether the menu shows again next time.

#include "platform/ui/DialogKit.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

class TPrintMenuDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TPrintMenuDialog(QWidget* owner = nullptr);

    void SetPrintKind(quint8 Kind);
    // 0 new, 1 open, 2 continue; the continue radio is enabled only while
    // it is the chosen one.
    void SetMenuIndex(int I);
    int GetMenuIndex() const;
    bool GetShowMenu() const;
    int HelpContext() const { return helpContext_; }

private:
    QRadioButton* rbNew;
    QRadioButton* rbOpen;
    QRadioButton* rbContinue;
    QCheckBox* ckbShowMenu;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    int helpContext_ = 0;
};

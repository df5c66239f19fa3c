#pragma once
// The one guard every text input of the program goes through: each line
// edit, editable combo box and memo that was not made with a limit of its
// own (TByteLimitEdit, TByteLimitComboBox, a TByteLimit given by its window)
// is given the input rules when it is first polished or takes the focus:
// one line (memos keep their lines), no character code page 932 cannot
// hold, no limit of bytes. So an input added to any window keeps the rules
// without a word in its window's code. The inputs that keep a rule otherwise
// or not at all are listed in one place, InputExemption(). A validator an
// input had (a spin box's edit has its spin box's) is asked after the rules.

#include <QObject>
#include <QString>

class QWidget;
class TByteLimit;

class TInputGuard : public QObject {
    Q_OBJECT
public:
    // Puts the guard on the application, now or, before there is one, when
    // it is made. Once is enough; later calls do nothing.
    static void Install();

    // The limit a text input keeps, given now when it has none; nullptr for
    // an input the guard leaves to rules of its own and for other widgets.
    static TByteLimit* Guard(QWidget* input);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

// Why an input keeps a rule otherwise than the guard gives it, or none of
// them, for every such kind of input; empty for an input that keeps them all.
QString InputExemption(const QWidget* input);

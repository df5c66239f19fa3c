#include "records/NameEdit.h"

#include "platform/ui/ByteLimitEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QValidator>

// Every change of the text ends in validation; an Invalid change is undone.
class TNameLimitValidator : public QValidator {
public:
    explicit TNameLimitValidator(TNameEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override
    {
        // Text the program set, and undo or redo to a text already there,
        // are not new input.
        if (!edit_->isUndoAvailable() || edit_->isRedoAvailable())
            return Acceptable;
        return TByteLimitEdit::Allows(edit_->accepted_, input, edit_->maxBytes_, edit_->wide_) ? Acceptable : Invalid;
    }

private:
    TNameEdit* edit_;
};

TNameEdit::TNameEdit(QWidget* parent) : TTntNMDEdit(parent)
{
    setValidator(new TNameLimitValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
    connect(this, &QLineEdit::inputRejected, this, [] { QApplication::beep(); });
}

void TNameEdit::focusOutEvent(QFocusEvent* event)
{
    // A context menu, the popup or another window taking the focus is not leaving.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
        const QString cut = TByteLimitEdit::Cut(text(), maxBytes_, wide_);
        if (cut != text()) {
            setText(cut);
            setModified(true);
        }
    }
    TTntNMDEdit::focusOutEvent(event);
}

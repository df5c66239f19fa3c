#include "platform/ui/ByteLimitEdit.h"

#include "platform/Cp932.h"

#include <QApplication>
#include <QFocusEvent>
#include <QValidator>

// The single gate every change of the text passes: typing, paste (keys,
// context menu, middle button), drops and input-method commits all end in
// the line control's validation, which undoes a change judged Invalid.
class TByteLimitValidator : public QValidator {
public:
    explicit TByteLimitValidator(TByteLimitEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override
    {
        // No undo step: the program set the text (setText clears the undo
        // history), or the user undid every step. An undo step still ahead:
        // the user is undoing or redoing to a text that was already there.
        // Neither is new input.
        if (!edit_->isUndoAvailable() || edit_->isRedoAvailable())
            return Acceptable;
        return TByteLimitEdit::Allows(edit_->accepted_, input, edit_->maxBytes_, edit_->wide_) ? Acceptable
                                                                                               : Invalid;
    }

private:
    TByteLimitEdit* edit_;
};

TByteLimitEdit::TByteLimitEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new TByteLimitValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
    connect(this, &QLineEdit::inputRejected, this, [this] {
        QApplication::beep();
        emit InputRefused();
    });
}

void TByteLimitEdit::SetMaxBytes(int maxBytes) { maxBytes_ = qMax(0, maxBytes); }

int TByteLimitEdit::Length(const QString& text, bool wide)
{
    return wide ? static_cast<int>(text.size()) : cp932::ByteLength(text);
}

bool TByteLimitEdit::Allows(const QString& before, const QString& after, int maxBytes, bool wide)
{
    if (!wide) {
        // Only what the edit puts in is checked: characters already there
        // (set by the program) may be kept or deleted.
        const qsizetype common = qMin(before.size(), after.size());
        qsizetype head = 0;
        while (head < common && before[head] == after[head])
            ++head;
        if (head > 0 && head < after.size() && after[head].isLowSurrogate())
            --head;
        qsizetype tail = 0;
        while (tail < common - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        if (tail > 0 && after[after.size() - tail].isLowSurrogate())
            --tail;
        if (!cp932::CanEncode(after.mid(head, after.size() - head - tail)))
            return false;
    }
    if (maxBytes > 0) {
        // A text already over the limit may shrink but never grow.
        const int length = Length(after, wide);
        if (length > maxBytes && length > Length(before, wide))
            return false;
    }
    return true;
}

QString TByteLimitEdit::Cut(const QString& text, int maxBytes, bool wide)
{
    if (maxBytes <= 0 || Length(text, wide) <= maxBytes)
        return text;
    if (!wide)
        return cp932::CutToBytes(text, maxBytes);
    qsizetype n = maxBytes;
    if (text[n - 1].isHighSurrogate())
        --n;
    return text.left(n);
}

bool TByteLimitEdit::CutToLimit()
{
    const QString cut = Cut(text(), maxBytes_, wide_);
    if (cut == text())
        return false;
    setText(cut);
    setModified(true);
    return true;
}

void TByteLimitEdit::focusOutEvent(QFocusEvent* event)
{
    // A context menu or another window taking the focus is not leaving.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        CutToLimit();
    QLineEdit::focusOutEvent(event);
}

TByteLimitComboBox::TByteLimitComboBox(QWidget* parent) : QComboBox(parent), edit_(new TByteLimitEdit(this))
{
    setEditable(true);
    setLineEdit(edit_);
    // Items are chosen, not inserted as typing.
    setInsertPolicy(QComboBox::NoInsert);
}

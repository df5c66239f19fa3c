#include "records/NumberInput.h"

#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"

#include <QLineEdit>
#include <QValidator>

namespace {

int DigitCount(const QString& text)
{
    int digits = 0;
    for (QChar c : text)
        digits += c >= u'0' && c <= u'9' ? 1 : 0;
    return digits;
}

// Digits and hyphens alone, once outer blanks are trimmed: what the record
// stores as a number.
bool IsNumber(const QString& text)
{
    const QString trimmed = cp932::Trim(text);
    for (QChar c : trimmed) {
        if (c != u'-' && (c < u'0' || c > u'9'))
            return false;
    }
    return true;
}

class TWholeNumberValidator : public QValidator {
public:
    TWholeNumberValidator(QLineEdit* edit, int maxDigits)
        : QValidator(edit), edit_(edit), inner_(edit->validator()), maxDigits_(maxDigits), before_(edit->text())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    }

    State validate(QString& input, int& pos) const override
    {
        // No undo step, or one still ahead: the program set the text, or the
        // user is undoing to a text that was there. Neither is new input.
        const bool typed = edit_->isUndoAvailable() && !edit_->isRedoAvailable();
        if (typed && !Fits(input))
            return Invalid;
        return inner_ ? inner_->validate(input, pos) : Acceptable;
    }

private:
    // Counted on what the edit would take whole, before anything is cut to
    // fit: the part put in folded to half width, and its first line.
    bool Fits(const QString& input) const
    {
        const auto* limited = qobject_cast<const TByteLimitEdit*>(edit_);
        const QString folded = limited && limited->Numeric() ? TByteLimitEdit::FoldNumber(input) : input;
        qsizetype head = 0, tail = 0;
        TByteLimitEdit::ChangedSpan(before_, folded, head, tail);
        const QString line = TByteLimitEdit::OneLine(folded.mid(head, folded.size() - head - tail));
        // A character the code page cannot hold is refused by the edit, by name.
        if (!cp932::CanEncode(line))
            return true;
        const QString after = folded.left(head) + line + folded.right(tail);
        const int digits = DigitCount(after);
        if (digits > maxDigits_ && digits > DigitCount(before_))
            return false;
        // Text that is no number at all (a bracket, a word) is refused where
        // it is saved, and told so; a number cut short would be saved.
        const int maxBytes = limited ? limited->MaxBytes() : 0;
        const int bytes = cp932::ByteLength(after);
        return maxBytes <= 0 || bytes <= maxBytes || bytes <= cp932::ByteLength(before_) || !IsNumber(after);
    }

    QLineEdit* edit_;
    const QValidator* inner_;
    int maxDigits_;
    QString before_;
};

} // namespace

void KeepNumberWhole(QLineEdit* edit, int maxDigits)
{
    edit->setValidator(new TWholeNumberValidator(edit, maxDigits));
}

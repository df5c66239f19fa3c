#include "platform/ui/NumEdit.h"

#include <QLineEdit>
#include <climits>

TNumEdit::TNumEdit(QWidget* parent) : QSpinBox(parent)
{
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setSingleStep(1);
}

void TNumEdit::SetMaxLength(int length) { lineEdit()->setMaxLength(length > 0 ? length : 32767); }

int TNumEdit::MaxLength() const { return lineEdit()->maxLength(); }

int TNumEdit::ParseNonNegative(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return -1;
    qint64 value = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return -1;
        value = qMin<qint64>(value * 10 + (c.unicode() - u'0'), INT_MAX);
    }
    return static_cast<int>(value);
}

QValidator::State TNumEdit::validate(QString& text, int&) const
{
    // Anything may be typed, as in a plain edit; only an in-range number is
    // taken as it stands. The rest is settled by fixup() on leaving.
    const int value = ParseNonNegative(text);
    return value >= minimum() && value <= maximum() && value >= 0 ? QValidator::Acceptable
                                                                   : QValidator::Intermediate;
}

void TNumEdit::fixup(QString& text) const
{
    const int value = ParseNonNegative(text);
    // Left unchanged, the spin box restores the previous value.
    if (value >= 0)
        text = textFromValue(qBound(minimum(), value, maximum()));
}

int TNumEdit::valueFromText(const QString& text) const
{
    const int value = ParseNonNegative(text);
    return value >= 0 ? value : this->value();
}

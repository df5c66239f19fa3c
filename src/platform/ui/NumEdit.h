#pragma once
// A numeric edit with its up-down control: Up and Down step by 1, Page Up and
// Page Down by 10, always within the range. What is typed is taken when the
// edit is left (or on Enter, or before a step): a number of at least 0 is
// clamped to the range, any other text (empty, negative, letters) brings
// back the last value. valueChanged is sent only then, not per keystroke.

#include <QSpinBox>

class TNumEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TNumEdit(QWidget* parent = nullptr);

    // The most characters the edit takes (0: no limit of its own).
    void SetMaxLength(int length);
    int MaxLength() const;

    // The number a typed text stands for: the trimmed text of ASCII digits
    // only, else -1. Numbers too large for an int give INT_MAX.
    static int ParseNonNegative(const QString& text);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
    int valueFromText(const QString& text) const override;
};

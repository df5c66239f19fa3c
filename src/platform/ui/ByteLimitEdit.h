#pragma once
// Edits whose limit is counted in code page 932 bytes, the unit the system
// stores text in (QLineEdit::setMaxLength counts UTF-16 units).
//
// Typing, pasting, dropping or an input-method commit that would put in a
// character code page 932 cannot hold, or that would make the text longer
// than the limit, is refused with a beep and leaves the text as it was.
// Text the program sets is taken as it is; when the edit is left, text over
// the limit is cut to it without splitting a double-byte character.
//
// The wide variant (for fields kept in Unicode) takes any character and,
// when a limit is given, counts it in UTF-16 units.

#include <QComboBox>
#include <QLineEdit>

class TByteLimitEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int maxBytes READ MaxBytes WRITE SetMaxBytes)
    Q_PROPERTY(bool wide READ Wide WRITE SetWide)
public:
    explicit TByteLimitEdit(QWidget* parent = nullptr);

    // 0: no limit.
    int MaxBytes() const { return maxBytes_; }
    void SetMaxBytes(int maxBytes);
    bool Wide() const { return wide_; }
    void SetWide(bool wide) { wide_ = wide; }

    // The length the limit is counted in.
    int TextLength() const { return Length(text(), wide_); }
    // Cuts the text to the limit now (as leaving the edit does); true when
    // it was cut.
    bool CutToLimit();

    // The rules, on plain strings: the length counted, whether an edit from
    // `before` to `after` is allowed, and the cut.
    static int Length(const QString& text, bool wide);
    static bool Allows(const QString& before, const QString& after, int maxBytes, bool wide);
    static QString Cut(const QString& text, int maxBytes, bool wide);

signals:
    // An input was refused (after the beep).
    void InputRefused();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class TByteLimitValidator;
    int maxBytes_ = 0;
    bool wide_ = false;
    QString accepted_; // the text before the edit being checked
};

// An editable combo box whose edit is a TByteLimitEdit. Keep it editable:
// QComboBox::setEditable(false) followed by true would put a plain edit in.
class TByteLimitComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int maxBytes READ MaxBytes WRITE SetMaxBytes)
    Q_PROPERTY(bool wide READ Wide WRITE SetWide)
public:
    explicit TByteLimitComboBox(QWidget* parent = nullptr);

    TByteLimitEdit* Edit() const { return edit_; }
    int MaxBytes() const { return edit_->MaxBytes(); }
    void SetMaxBytes(int maxBytes) { edit_->SetMaxBytes(maxBytes); }
    bool Wide() const { return edit_->Wide(); }
    void SetWide(bool wide) { edit_->SetWide(wide); }

private:
    TByteLimitEdit* edit_;
};

#pragma once
// Edits whose limit is counted in code page 932 bytes, the unit the system
// stores text in (QLineEdit::setMaxLength counts UTF-16 units).
//
// Typing, pasting, dropping or an input-method commit that would put in a
// character code page 932 cannot hold is refused with a message naming the
// character (an invisible one by its code and name) and leaves the text as
// it was. One that would make the text longer than the limit puts in what
// fits, cut without splitting a character, with a beep; when nothing fits it
// is refused with a beep. A one-line edit takes the first line of a text put
// in, without its control characters (tabs too); a multi-line edit keeps
// them. Pasted, dropped and committed text is taken as it arrives, so text
// beside the caret that equals its first line is never mistaken for it.
// The characters code page 932 stores in a form of its own (〜 as ～, ¥ as
// ￥, ...) go in in that form, so what is shown is what is stored and reads
// back. A numeric edit (telephone numbers, postal codes) takes full-width
// digits and hyphens as their half-width forms, for the same reason. Input
// taken in part (a first line, folded characters, a cut) is one undo step
// like any other, and undo gives back each step taken before it. A drop
// taken in part or refused ends as a copy, so its source keeps the text.
// Text the program sets is taken as it is; when the edit is left, text over
// the limit is cut to it without splitting a double-byte character.
//
// The wide variant (for fields kept in Unicode) takes any character and,
// when a limit is given, counts it in UTF-16 units.
//
// Every line edit, editable combo box and memo of the program keeps these
// rules: the input guard (InputGuard.h) gives the one-line and code page
// rules to any that was not made with a limit of its own.

#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <functional>

class QDropEvent;
class QFocusEvent;
class QKeyEvent;
class QPlainTextEdit;

// The limit as a behaviour an edit takes on, for edits that cannot be a
// TByteLimitEdit (they derive from another edit, or are multi-line): made
// with the edit as its parent, it goes with it. On a line edit it guards
// every change through the edit's validation (a validator the edit had
// already is asked after it) and cuts the text to the limit when the edit is
// left. On a multi-line edit, whose text is stored with CR LF line breaks
// and counted so, a change too long for the limit keeps what fits (never
// half a line break); a refused change is undone at once and the caret put
// back where it began. An edit has one limit: a new one takes the place of
// the input guard's.
class TByteLimit : public QObject {
    Q_OBJECT
public:
    explicit TByteLimit(QLineEdit* edit);
    explicit TByteLimit(QPlainTextEdit* memo);

    // The limit an input keeps, nullptr when it has none.
    static TByteLimit* Of(const QWidget* input);
    // Given by the input guard rather than made for the field.
    bool GuardDefault() const { return guardDefault_; }
    void SetGuardDefault(bool byGuard) { guardDefault_ = byGuard; }
    bool Memo() const { return memo_ != nullptr; }

    // 0: no limit.
    int MaxBytes() const { return maxBytes_; }
    void SetMaxBytes(int maxBytes) { maxBytes_ = qMax(0, maxBytes); }
    bool Wide() const { return wide_; }
    void SetWide(bool wide) { wide_ = wide; }
    bool Numeric() const { return numeric_; }
    void SetNumeric(bool numeric) { numeric_ = numeric; }

    // Cuts a line edit's text to the limit now; true when it was cut.
    bool CutToLimit();
    // Whether the line edit may take `after` in place of its text as input
    // of the user (the whole of it: nothing is cut).
    bool Allows(const QString& after) const;
    // Refuses an input the edit's owner judged itself: the beep and the signal.
    void Refuse();
    // Takes an event of the line edit that puts text in (paste, drop,
    // input-method commit, middle button) or opens its context menu, and
    // hands it to the edit knowing what arrives; false for any other event.
    // Seen through an event filter; an edit whose events may be handed to it
    // directly (the edit of a combo box) calls it from its own event().
    bool Take(QEvent* event);
    // The line edit loses the focus: cut unless the focus only went to a
    // context menu, a popup or another window, or the edit is read-only. Seen through an event filter;
    // an edit whose focus events are handed to it directly (the edit of a
    // combo box) calls it from its own focusOutEvent. Cutting twice is cutting once.
    void Leaving(const QFocusEvent* event);

signals:
    // An input was refused (after the beep).
    void InputRefused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TByteLimitValidator;
    // Leaves the place of an edit's earlier limit (the guard's) to this one.
    static void replaceEarlier(QObject* input);
    // The rules on a line edit's change, asked by its validator.
    bool validateLine(QString& input, int& pos);
    // Hands the edit an event that puts `text` in, known while it is validated.
    bool deliver(QEvent* event, const QString& text, bool ownStep);
    // Runs handOver, which puts `text` in the line edit, known while it is
    // validated; input taken in part is put in again as such, one undo step
    // of its own when ownStep (a paste, a drop, a commit), else joined to
    // the typing before it.
    void arrive(const QString& text, const std::function<void()>& handOver, bool ownStep = true);
    // Puts `want` in place of the line edit's text as the user's edit, the
    // caret at `pos`: one undo step of its own when ownStep.
    void putIn(const QString& want, int pos, bool ownStep);
    // A typed key, judged before it goes in; false to let the edit type it.
    bool takeLineKey(const QKeyEvent* key);
    // Ends a drop the edit refused or took in part as a copy (`before`: the
    // text before it).
    void endDrop(QDropEvent* drop, const QString& before) const;
    void showContextMenu(const QPoint& globalPos);
    // The span of input_ that arriving_ took, when it is found there whole.
    bool arrivedSpan(const QString& input, int pos, qsizetype& head, qsizetype& tail) const;
    // The rules on a change from accepted_ to `input` (a line edit's text,
    // or a memo's in its stored form): false refuses it; true takes it,
    // with `input` and `pos` narrowed (a first line, folded characters, what
    // fits) where the change could not be taken whole.
    bool fit(QString& input, int& pos);
    void tellUnencodable(char32_t ch);

    // A memo: the check after each change, and input checked before it goes
    // in (typed keys, drops), which is then put in as taken or refused.
    void checkMemo();
    bool takeMemoKey(QKeyEvent* key);
    bool takeMemoDrop(QDropEvent* drop);
    // Puts the memo's text right as `want` (stored form), the caret at
    // `pos`: after a change, in one undo step with it; else a step of its own.
    void setMemoText(const QString& want, int pos, bool afterChange);

    bool cut_ = false; // the change being validated was cut to fit
    bool reshaped_ = false; // a line edit's change was narrowed to one line

    QLineEdit* edit_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    int maxBytes_ = 0;
    bool wide_ = false;
    bool numeric_ = false;
    bool guardDefault_ = false;
    bool arrivingSet_ = false;
    bool handing_ = false; // deliver() is handing an event to the edit
    bool narrowed_ = false; // the validation changed what it was given
    bool refused_ = false; // the validation refused what it was given
    bool deferring_ = false; // input narrowed now is put in again afterwards
    bool deferred_ = false; // ... and there is such input
    bool quietRejection_ = false; // the edit rejects the input to be put in again
    QString pendingText_; // the text the narrowed input gives
    int pendingPos_ = 0;
    QString arriving_; // what the event being handled puts in, as it came
    QString accepted_; // the text before the change being checked
    bool fixing_ = false; // a memo's text is being put right
    int undoSteps_ = 0; // a memo's undo steps at accepted_
};

class TByteLimitEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int maxBytes READ MaxBytes WRITE SetMaxBytes)
    Q_PROPERTY(bool wide READ Wide WRITE SetWide)
    Q_PROPERTY(bool numeric READ Numeric WRITE SetNumeric)
public:
    explicit TByteLimitEdit(QWidget* parent = nullptr);

    // 0: no limit.
    int MaxBytes() const { return limit_->MaxBytes(); }
    void SetMaxBytes(int maxBytes) { limit_->SetMaxBytes(maxBytes); }
    bool Wide() const { return limit_->Wide(); }
    void SetWide(bool wide) { limit_->SetWide(wide); }
    bool Numeric() const { return limit_->Numeric(); }
    void SetNumeric(bool numeric) { limit_->SetNumeric(numeric); }

    // The length the limit is counted in.
    int TextLength() const { return Length(text(), Wide()); }
    // Cuts the text to the limit now (as leaving the edit does); true when
    // it was cut.
    bool CutToLimit() { return limit_->CutToLimit(); }

    // The rules, on plain strings: the length counted, whether an edit from
    // `before` to `after` is allowed, and the cut.
    static int Length(const QString& text, bool wide);
    static bool Allows(const QString& before, const QString& after, int maxBytes, bool wide);
    // The part of `after` a change from `before` put in: `after` minus the
    // longest common head and tail, no surrogate pair split.
    static void ChangedSpan(const QString& before, const QString& after, qsizetype& head, qsizetype& tail);
    static QString Cut(const QString& text, int maxBytes, bool wide);
    // A number as typed with the input method, in half-width forms: ０-９
    // become 0-9, － and ‐ become "-", and so does ー between two digits.
    // Every other character stays as it is, one for one.
    static QString FoldNumber(const QString& text);
    // What a one-line input takes of a text put in: its first line that is
    // not empty, without control characters (a tab too).
    static QString OneLine(const QString& text);

signals:
    // An input was refused (after the beep).
    void InputRefused();

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TByteLimit* limit_ = nullptr;
};

// An editable combo box whose edit is a TByteLimitEdit. The combo box, the
// focus widget, hands its edit keys, input-method events and the context
// menu directly; the edit's own event() keeps the rules on them. Keep it
// editable: QComboBox::setEditable(false) followed by true would put a plain
// edit in.
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

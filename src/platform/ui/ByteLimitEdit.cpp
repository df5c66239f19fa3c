#include "platform/ui/ByteLimitEdit.h"

#include "platform/Cp932.h"
#include "platform/ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QValidator>

// The single gate every change of a line edit's text passes: typing, paste
// (keys, context menu, middle button), drops and input-method commits all
// end in the line control's validation, which undoes a change judged Invalid.
class TByteLimitValidator : public QValidator {
public:
    TByteLimitValidator(QLineEdit* edit, TByteLimit* limit) : QValidator(edit), edit_(edit), limit_(limit) {}

    State validate(QString& input, int& pos) const override
    {
        // No undo step: the program set the text (setText clears the undo
        // history), or the user undid every step. An undo step still ahead:
        // the user is undoing or redoing to a text that was already there.
        // Neither is new input.
        if (!edit_->isUndoAvailable() || edit_->isRedoAvailable())
            return Acceptable;
        return limit_->fit(input, pos) ? Acceptable : Invalid;
    }

private:
    QLineEdit* edit_;
    TByteLimit* limit_;
};

namespace {

// Multi-line text is stored with CR LF line breaks; the edit holds LF.
QString StoredMemoText(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// What a one-line edit takes of a text put in: its first line that is not
// empty, without control characters (a tab too), which would break the rows
// of the list and the lines of a copy.
QString OneLineInput(const QString& text)
{
    QString line;
    for (QChar ch : text) {
        const bool lineBreak = ch == u'\r' || ch == u'\n' || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator;
        if (lineBreak && !line.isEmpty())
            break;
        if (!lineBreak && ch.category() != QChar::Other_Control)
            line += ch;
    }
    return line;
}

} // namespace

TByteLimit::TByteLimit(QLineEdit* edit) : QObject(edit), edit_(edit)
{
    edit->setValidator(new TByteLimitValidator(edit, this));
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
    // A change cut to fit is put in as a new text, which leaves the edit
    // unmodified in Qt's eyes; it is the user's input all the same.
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (!cut_ && !reshaped_)
            return;
        edit_->setModified(true);
        reshaped_ = false;
        if (!cut_)
            return;
        cut_ = false;
        QApplication::beep();
        emit InputRefused();
    });
    connect(edit, &QLineEdit::inputRejected, this, [this] {
        QApplication::beep();
        emit InputRefused();
    });
}

TByteLimit::TByteLimit(QPlainTextEdit* memo) : QObject(memo), memo_(memo)
{
    connect(memo, &QPlainTextEdit::textChanged, this, &TByteLimit::checkMemo);
}

void TByteLimit::checkMemo()
{
    QString text = StoredMemoText(memo_);
    if (TByteLimitEdit::Allows(accepted_, text, maxBytes_, wide_)) {
        accepted_ = text;
        return;
    }
    int pos = 0;
    if (fit(text, pos)) {
        // Cut to what fits; never half a line break.
        cut_ = false;
        if (pos > 0 && text.at(pos - 1) == u'\r') {
            text.remove(pos - 1, 1);
            --pos;
        }
        accepted_ = text;
        {
            const QSignalBlocker blocker(memo_);
            memo_->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        }
        QTextCursor cursor = memo_->textCursor();
        cursor.setPosition(pos - int(text.left(pos).count(u'\r')));
        memo_->setTextCursor(cursor);
        emit memo_->textChanged(); // the memo did change, by what was kept
        QApplication::beep();
        emit InputRefused();
        return;
    }
    // The caret goes back to where the refused input began.
    const int inserted = int(memo_->toPlainText().size()) - int(QString(accepted_).remove(QLatin1Char('\r')).size());
    const int at = memo_->textCursor().position() - qMax(0, inserted);
    {
        const QSignalBlocker blocker(memo_);
        memo_->setPlainText(QString(accepted_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    QTextCursor cursor = memo_->textCursor();
    cursor.setPosition(qBound(0, at, int(memo_->toPlainText().size())));
    memo_->setTextCursor(cursor);
    QApplication::beep();
    emit InputRefused();
}

bool TByteLimit::arrivedSpan(const QString& input, int pos, qsizetype& head, qsizetype& tail) const
{
    // The caret stands after what went in; what stands before and after it
    // must be what stood before and after the replaced part.
    const qsizetype n = arriving_.size();
    if (!arrivingSet_ || pos < n || pos > input.size() || QStringView(input).mid(pos - n, n) != arriving_)
        return false;
    const qsizetype h = pos - n, t = input.size() - pos;
    if (h + t > accepted_.size() || QStringView(input).left(h) != QStringView(accepted_).left(h) ||
        QStringView(input).right(t) != QStringView(accepted_).right(t))
        return false;
    head = h;
    tail = t;
    return true;
}

bool TByteLimit::fit(QString& input, int& pos)
{
    qsizetype head = 0, tail = 0;
    // Text put in by a paste, a drop or the input method is known as it
    // came; only typing is told apart by comparing the texts.
    if (!arrivedSpan(input, pos, head, tail))
        TByteLimitEdit::ChangedSpan(accepted_, input, head, tail);
    arrivingSet_ = false;
    reshaped_ = false;
    if (numeric_) {
        // Folded whole: a ー typed before the digit after it is folded once
        // that digit comes. One character for one, so the span stands.
        const QString folded = TByteLimitEdit::FoldNumber(input);
        if (folded != input) {
            input = folded;
            reshaped_ = narrowed_ = true;
        }
    }
    QString inserted = input.mid(head, input.size() - head - tail);
    if (edit_) {
        const QString line = OneLineInput(inserted);
        if (line.isEmpty() && !inserted.isEmpty())
            return false;
        if (line != inserted) {
            input = input.left(head) + line + input.right(tail);
            pos = int(head + line.size());
            inserted = line;
            reshaped_ = narrowed_ = true;
        }
    }
    if (!wide_) {
        for (char32_t ch : inserted.toUcs4()) {
            if (!cp932::CanEncodeChar(ch)) {
                tellUnencodable(ch);
                return false;
            }
        }
    }
    if (maxBytes_ <= 0)
        return true;
    // A text already over the limit may shrink but never grow.
    const int length = TByteLimitEdit::Length(input, wide_);
    if (length <= maxBytes_ || length <= TByteLimitEdit::Length(accepted_, wide_))
        return true;
    const int room = maxBytes_ - (length - TByteLimitEdit::Length(inserted, wide_));
    const QString kept = room > 0 ? TByteLimitEdit::Cut(inserted, room, wide_) : QString();
    if (kept.isEmpty())
        return false;
    input = input.left(head) + kept + input.right(tail);
    pos = int(head + kept.size());
    cut_ = narrowed_ = true;
    return true;
}

void TByteLimit::tellUnencodable(char32_t ch)
{
    // Told once the edit is done with the change, not from inside its validation.
    const QString text = cp932::UnencodableMessage(ch);
    QWidget* owner = edit_ ? static_cast<QWidget*>(edit_) : static_cast<QWidget*>(memo_);
    QMetaObject::invokeMethod(
        this, [owner, text] { ShowMessage(owner->window(), text, MB_ICONWARNING); }, Qt::QueuedConnection);
}

bool TByteLimit::Allows(const QString& after) const
{
    return edit_ && TByteLimitEdit::Allows(edit_->text(), after, maxBytes_, wide_);
}

void TByteLimit::Refuse()
{
    QApplication::beep();
    emit InputRefused();
}

bool TByteLimit::CutToLimit()
{
    if (!edit_)
        return false;
    const QString cut = TByteLimitEdit::Cut(edit_->text(), maxBytes_, wide_);
    if (cut == edit_->text())
        return false;
    edit_->setText(cut);
    edit_->setModified(true);
    return true;
}

void TByteLimit::Leaving(const QFocusEvent* event)
{
    // A read-only edit holds what the program put there, to be kept.
    if (edit_ && edit_->isReadOnly())
        return;
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        CutToLimit();
}

bool TByteLimit::deliver(QEvent* event, const QString& text)
{
    // The edit's own handling runs once: a TByteLimitEdit's event() passes
    // the event on while it is being handed over.
    arrive(text, [this, event] {
        handing_ = true;
        edit_->event(event);
        handing_ = false;
    });
    return true; // handled here, once
}

void TByteLimit::arrive(const QString& text, const std::function<void()>& putIn)
{
    arriving_ = text;
    arrivingSet_ = true;
    narrowed_ = false;
    const QString before = edit_->text();
    putIn();
    arrivingSet_ = false;
    arriving_.clear();
    if (narrowed_ && edit_->text() != before && !edit_->isUndoAvailable())
        keepUndo(before);
}

void TByteLimit::keepUndo(const QString& before)
{
    // The line control forgets every undo step when its validation changes
    // the text it checks (a first line taken, digits folded, a cut to fit).
    // The change is made again as one step over the text before it, so that
    // undo gives that text back as after any other input; unseen, since
    // what was put in has been announced already.
    const QString after = edit_->text();
    const int cursor = edit_->cursorPosition();
    const bool modified = edit_->isModified();
    const QSignalBlocker blocker(edit_);
    edit_->setText(before);
    edit_->selectAll();
    edit_->insert(after); // passes the validation as it is
    edit_->setCursorPosition(cursor);
    edit_->setModified(modified);
    accepted_ = after;
}

void TByteLimit::showContextMenu(const QPoint& globalPos)
{
    // The edit's own menu, with its paste taken through deliver() like the
    // paste key, so that the clipboard's text is known as it arrives.
    QMenu* menu = edit_->createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction* action : menu->actions()) {
        if (action->text().section(QLatin1Char('\t'), 0, 0) != pasteText)
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        disconnect(action, &QAction::triggered, edit_, nullptr);
        connect(action, &QAction::triggered, this, [this] {
            arrive(QApplication::clipboard()->text(QClipboard::Clipboard), [this] { edit_->paste(); });
        });
    }
    menu->popup(globalPos);
}

bool TByteLimit::eventFilter(QObject* watched, QEvent* event)
{
    // An edit being destroyed is a line edit no more (it loses the focus
    // from the widget's destructor): nothing to cut or take.
    if (watched != edit_ || !qobject_cast<QLineEdit*>(watched))
        return QObject::eventFilter(watched, event);
    // The cut comes before the edit's own handling of the leave.
    if (event->type() == QEvent::FocusOut)
        Leaving(static_cast<QFocusEvent*>(event));
    return Take(event) || QObject::eventFilter(watched, event);
}

bool TByteLimit::Take(QEvent* event)
{
    if (!edit_ || handing_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
            return deliver(event, QApplication::clipboard()->text(QClipboard::Clipboard));
        break;
    case QEvent::InputMethod: {
        const QString commit = static_cast<QInputMethodEvent*>(event)->commitString();
        if (!commit.isEmpty())
            return deliver(event, commit);
        break;
    }
    case QEvent::Drop:
        if (const QMimeData* mime = static_cast<QDropEvent*>(event)->mimeData(); mime && mime->hasText())
            return deliver(event, mime->text());
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QApplication::clipboard()->supportsSelection())
            return deliver(event, QApplication::clipboard()->text(QClipboard::Selection));
        break;
    case QEvent::ContextMenu:
        if (edit_->contextMenuPolicy() == Qt::DefaultContextMenu) {
            showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

TByteLimitEdit::TByteLimitEdit(QWidget* parent) : QLineEdit(parent)
{
    limit_ = new TByteLimit(this); // the edit has events (a child added) before it is there
    connect(limit_, &TByteLimit::InputRefused, this, &TByteLimitEdit::InputRefused);
}

bool TByteLimitEdit::event(QEvent* event)
{
    // The edit of a combo box gets the combo's keys, input-method events and
    // context menu through this call alone, past every event filter.
    return (limit_ && limit_->Take(event)) || QLineEdit::event(event);
}

void TByteLimitEdit::focusOutEvent(QFocusEvent* event)
{
    limit_->Leaving(event);
    QLineEdit::focusOutEvent(event);
}

int TByteLimitEdit::Length(const QString& text, bool wide)
{
    return wide ? static_cast<int>(text.size()) : cp932::ByteLength(text);
}

bool TByteLimitEdit::Allows(const QString& before, const QString& after, int maxBytes, bool wide)
{
    if (!wide) {
        // Only what the edit puts in is checked: characters already there
        // (set by the program) may be kept or deleted.
        qsizetype head = 0, tail = 0;
        ChangedSpan(before, after, head, tail);
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

void TByteLimitEdit::ChangedSpan(const QString& before, const QString& after, qsizetype& head, qsizetype& tail)
{
    const qsizetype common = qMin(before.size(), after.size());
    head = 0;
    while (head < common && before[head] == after[head])
        ++head;
    if (head > 0 && head < after.size() && after[head].isLowSurrogate())
        --head;
    tail = 0;
    while (tail < common - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    if (tail > 0 && after[after.size() - tail].isLowSurrogate())
        --tail;
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

QString TByteLimitEdit::FoldNumber(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        const char16_t u = ch.unicode();
        if (u >= u'０' && u <= u'９')
            ch = QChar(u'0' + (u - u'０'));
        else if (u == u'－' || u == u'‐')
            ch = QLatin1Char('-');
    }
    // The long vowel mark stands for a hyphen only between two digits.
    const auto digit = [&out](qsizetype i) { return i >= 0 && i < out.size() && out[i] >= u'0' && out[i] <= u'9'; };
    for (qsizetype i = 1; i + 1 < out.size(); ++i) {
        if (out[i] == u'ー' && digit(i - 1) && digit(i + 1))
            out[i] = QLatin1Char('-');
    }
    return out;
}

TByteLimitComboBox::TByteLimitComboBox(QWidget* parent) : QComboBox(parent), edit_(new TByteLimitEdit(this))
{
    setEditable(true);
    setLineEdit(edit_);
    // Items are chosen, not inserted as typing.
    setInsertPolicy(QComboBox::NoInsert);
}

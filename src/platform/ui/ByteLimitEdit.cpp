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
#include <QPointer>
#include <QValidator>

// The single gate every change of a line edit's text passes: typing, paste
// (keys, context menu, middle button), drops and input-method commits all
// end in the line control's validation, which undoes a change judged Invalid.
// A validator the edit had before is asked after the rules, on what they took.
class TByteLimitValidator : public QValidator {
public:
    TByteLimitValidator(QLineEdit* edit, TByteLimit* limit, const QValidator* inner)
        : QValidator(edit), edit_(edit), limit_(limit), inner_(inner)
    {
    }

    State validate(QString& input, int& pos) const override
    {
        // No undo step: the program set the text (setText clears the undo
        // history), or the user undid every step. An undo step still ahead:
        // the user is undoing or redoing to a text that was already there.
        // Neither is new input.
        const bool typed = edit_->isUndoAvailable() && !edit_->isRedoAvailable();
        if (typed && !limit_->validateLine(input, pos))
            return Invalid;
        const State state = inner_ ? inner_->validate(input, pos) : Acceptable;
        if (typed && state == Invalid)
            limit_->refused_ = true;
        return state;
    }
    void fixup(QString& input) const override
    {
        if (inner_)
            inner_->fixup(input);
    }
    const QValidator* Inner() const { return inner_; }

private:
    QLineEdit* edit_;
    TByteLimit* limit_;
    QPointer<const QValidator> inner_;
};

TByteLimit* TByteLimit::Of(const QWidget* input)
{
    return input ? input->findChild<TByteLimit*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TByteLimit::replaceEarlier(QObject* input)
{
    auto* earlier = input->findChild<TByteLimit*>(QString(), Qt::FindDirectChildrenOnly);
    if (!earlier)
        return;
    if (earlier->edit_) {
        // Its gate gives way to the validator it wrapped.
        auto* gate = dynamic_cast<const TByteLimitValidator*>(earlier->edit_->validator());
        if (gate) {
            earlier->edit_->setValidator(gate->Inner());
            delete gate;
        }
    }
    delete earlier;
}

TByteLimit::TByteLimit(QLineEdit* edit) : edit_(edit)
{
    replaceEarlier(edit);
    setParent(edit);
    edit->setValidator(new TByteLimitValidator(edit, this, edit->validator()));
    edit->installEventFilter(this);
    // A combo box hands its edit keys, input-method events and the context
    // menu directly, past the edit's event filters: a TByteLimitEdit sees
    // them in its own event(), a plain edit through its combo box.
    if (auto* combo = qobject_cast<QComboBox*>(edit->parentWidget()); combo && !qobject_cast<TByteLimitEdit*>(edit))
        combo->installEventFilter(this);
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
        if (quietRejection_) {
            quietRejection_ = false; // rejected only to be put in again as taken
            return;
        }
        QApplication::beep();
        emit InputRefused();
    });
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
        const QString line = TByteLimitEdit::OneLine(inserted);
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
        // Shown as it will be stored and read back.
        const QString own = cp932::FoldToOwnForms(inserted);
        if (own != inserted) {
            input = input.left(head) + own + input.right(tail);
            inserted = own;
            reshaped_ = narrowed_ = true;
        }
    }
    if (maxBytes_ <= 0)
        return true;
    // A text already over the limit may shrink but never grow.
    const int length = TByteLimitEdit::Length(input, wide_);
    if (length <= maxBytes_ || length <= TByteLimitEdit::Length(accepted_, wide_))
        return true;
    const int room = maxBytes_ - (length - TByteLimitEdit::Length(inserted, wide_));
    QString kept = room > 0 ? TByteLimitEdit::Cut(inserted, room, wide_) : QString();
    if (memo_ && kept.endsWith(u'\r'))
        kept.chop(1); // never half a line break
    if (kept.isEmpty())
        return false;
    input = input.left(head) + kept + input.right(tail);
    pos = int(head + kept.size());
    cut_ = narrowed_ = true;
    return true;
}

bool TByteLimit::validateLine(QString& input, int& pos)
{
    const QString given = input;
    const int givenPos = pos;
    if (!fit(input, pos)) {
        refused_ = true;
        return false;
    }
    if (input == given || !deferring_)
        return true;
    // The line control would forget every undo step if its validation
    // changed the text it checks: the input is rejected unseen and put in
    // again as taken, an edit like any other.
    pendingText_ = input;
    pendingPos_ = pos;
    deferred_ = true;
    quietRejection_ = true;
    input = given;
    pos = givenPos;
    return false;
}

void TByteLimit::tellUnencodable(char32_t ch)
{
    // Told once the edit is done with the change, not from inside its
    // validation. A password's character is not shown: it is part of the password.
    const bool secret = edit_ && edit_->echoMode() != QLineEdit::Normal;
    const QString text = secret ? QStringLiteral("パスワードに入力できない文字が含まれています。")
                                : cp932::UnencodableMessage(ch);
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

bool TByteLimit::deliver(QEvent* event, const QString& text, bool ownStep)
{
    // The edit's own handling runs once: a TByteLimitEdit's event() passes
    // the event on while it is being handed over.
    arrive(
        text,
        [this, event] {
            handing_ = true;
            edit_->event(event);
            handing_ = false;
        },
        ownStep);
    return true; // handled here, once
}

namespace {

// Ends the run of typing the undo history would join the next change to.
void SeparateUndoStep(QLineEdit* edit)
{
    const int at = edit->cursorPosition();
    const int length = int(edit->text().size());
    if (length == 0)
        return;
    edit->setCursorPosition(at > 0 ? at - 1 : at + 1); // a caret move closes the step
    edit->setCursorPosition(at);
}

} // namespace

void TByteLimit::arrive(const QString& text, const std::function<void()>& handOver, bool ownStep)
{
    arriving_ = text;
    arrivingSet_ = true;
    narrowed_ = refused_ = deferred_ = false;
    deferring_ = true;
    handOver();
    deferring_ = false;
    quietRejection_ = false;
    arrivingSet_ = false;
    arriving_.clear();
    if (!deferred_)
        return;
    deferred_ = false;
    putIn(pendingText_, pendingPos_, ownStep);
}

void TByteLimit::putIn(const QString& want, int pos, bool ownStep)
{
    // What was taken goes in over the text as it stands, as the user's edit.
    const QString before = edit_->text();
    qsizetype head = 0, tail = 0;
    TByteLimitEdit::ChangedSpan(before, want, head, tail);
    if (ownStep)
        SeparateUndoStep(edit_);
    const int replaced = int(before.size() - head - tail);
    if (replaced > 0)
        edit_->setSelection(int(head), replaced);
    else
        edit_->setCursorPosition(int(head));
    edit_->insert(want.mid(head, want.size() - head - tail));
    edit_->setCursorPosition(qBound(0, pos, int(edit_->text().size())));
    if (ownStep)
        SeparateUndoStep(edit_);
}

bool TByteLimit::takeLineKey(const QKeyEvent* key)
{
    const QString typed = key->text();
    if (edit_->isReadOnly() || typed.isEmpty() || !typed.at(0).isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    // The key is judged before it goes in, so that what is taken of it is
    // typed like any key: it joins the typing before it in the undo history.
    const QString before = edit_->text();
    const int from = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
    const int to = edit_->hasSelectedText() ? from + int(edit_->selectedText().size()) : from;
    const QString input = before.left(from) + typed + before.mid(to);
    QString want = input;
    int pos = from + int(typed.size());
    arriving_ = typed;
    arrivingSet_ = true;
    const bool taken = fit(want, pos);
    arrivingSet_ = false;
    arriving_.clear();
    if (!taken) {
        Refuse();
        return true;
    }
    if (want == input)
        return false; // typed as usual
    putIn(want, pos, false);
    return true;
}

void TByteLimit::endDrop(QDropEvent* drop, const QString& before) const
{
    // The source deletes what it gave only when the drop ends as a move:
    // that is when the edit took all of it (whatever narrowed it, the rules,
    // a validator or a length the edit keeps). A move inside the edit puts
    // in nothing new.
    if (drop->source() == edit_ || !drop->isAccepted())
        return;
    if (refused_ || edit_->text() == before)
        drop->setDropAction(Qt::IgnoreAction);
    else if (drop->dropAction() == Qt::MoveAction && !edit_->text().contains(drop->mimeData()->text()))
        drop->setDropAction(Qt::CopyAction);
}

void TByteLimit::showContextMenu(const QPoint& globalPos)
{
    // The edit's own menu, with its paste taken through arrive() like the
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
    if (memo_) {
        // A memo being destroyed is a memo no more: nothing to take.
        if (!qobject_cast<QPlainTextEdit*>(static_cast<QObject*>(memo_)))
            return false;
        if (watched == memo_ && event->type() == QEvent::KeyPress)
            return takeMemoKey(static_cast<QKeyEvent*>(event));
        if (watched != memo_ && watched->parent() == memo_ && event->type() == QEvent::Drop)
            return takeMemoDrop(static_cast<QDropEvent*>(event)); // on its viewport
        return false;
    }
    // The combo box of a plain edit: what it hands the edit directly.
    if (edit_ && watched == edit_->parentWidget()) {
        const QEvent::Type type = event->type();
        const bool handed = type == QEvent::InputMethod || type == QEvent::ContextMenu ||
                            (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste));
        return handed && Take(event);
    }
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
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste))
            return deliver(event, QApplication::clipboard()->text(QClipboard::Clipboard), true);
        return takeLineKey(key);
    }
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(event);
        // A commit is a step of its own, unless a composition goes on after
        // it (a caret move would end that composition).
        if (!im->commitString().isEmpty())
            return deliver(event, im->commitString(), im->preeditString().isEmpty());
        break;
    }
    case QEvent::Drop:
        if (const QMimeData* mime = static_cast<QDropEvent*>(event)->mimeData(); mime && mime->hasText()) {
            const QString before = edit_->text();
            deliver(event, mime->text(), true);
            endDrop(static_cast<QDropEvent*>(event), before);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QApplication::clipboard()->supportsSelection())
            return deliver(event, QApplication::clipboard()->text(QClipboard::Selection), true);
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

QString TByteLimitEdit::OneLine(const QString& text)
{
    // Line breaks and other control characters would break the rows of the
    // list, the lines of a copy and the lines of the settings files.
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

TByteLimitComboBox::TByteLimitComboBox(QWidget* parent) : QComboBox(parent), edit_(new TByteLimitEdit(this))
{
    setEditable(true);
    setLineEdit(edit_);
    // Items are chosen, not inserted as typing.
    setInsertPolicy(QComboBox::NoInsert);
}

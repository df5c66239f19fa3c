// The limit on a multi-line edit (a memo): its text is stored with CR LF
// line breaks and counted so. A change is checked after it is made; input
// whose end is known before it goes in (a typed key, a drop) is checked
// first, so that a refused drop ends as a copy and a key joins the typing
// before it. What is put right is one undo step with the change it rights:
// undo gives back the text before that change and every step before it.

#include "platform/ui/ByteLimitEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The memo's text, a character for each position of its cursor: a line
// break as LF, every other character as it is (the memo's plain text would
// show a no-break space as a blank).
QString ShownText(const QPlainTextEdit* memo)
{
    QString text = memo->document()->toRawText();
    if (text.endsWith(QChar::ParagraphSeparator) && text.size() > memo->document()->characterCount() - 1)
        text.chop(1);
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator)
            c = QLatin1Char('\n');
    return text;
}

// The stored form: CR LF line breaks (a line break inside a paragraph too).
QString Stored(QString shown)
{
    shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return shown.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString Shown(QString stored)
{
    stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return stored.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

int StoredPos(const QString& shown, int pos)
{
    int breaks = 0;
    for (int i = 0; i < pos && i < shown.size(); ++i)
        breaks += shown.at(i) == u'\n' || shown.at(i) == QChar::LineSeparator ? 1 : 0;
    return pos + breaks;
}

int ShownPos(const QString& stored, int pos)
{
    int pairs = 0;
    for (int i = 0; i + 1 < pos && i + 1 < stored.size(); ++i)
        pairs += stored.at(i) == u'\r' && stored.at(i + 1) == u'\n' ? 1 : 0;
    return pos - pairs;
}

} // namespace

TByteLimit::TByteLimit(QPlainTextEdit* memo) : memo_(memo)
{
    replaceEarlier(memo);
    setParent(memo);
    accepted_ = Stored(ShownText(memo));
    undoSteps_ = memo->document()->availableUndoSteps();
    connect(memo, &QPlainTextEdit::textChanged, this, &TByteLimit::checkMemo);
    memo->installEventFilter(this);
    memo->viewport()->installEventFilter(this); // drops land on the viewport
}

void TByteLimit::checkMemo()
{
    if (fixing_)
        return;
    QTextDocument* doc = memo_->document();
    const QString shown = ShownText(memo_);
    const QString text = Stored(shown);
    // The program's text (setPlainText turns the undo history off while it
    // sets the text, and leaves no undo step), or undo and redo over steps
    // already taken: not new input.
    const bool notInput = !doc->isUndoRedoEnabled() || !doc->isUndoAvailable() || doc->isRedoAvailable();
    if (text == accepted_ || notInput) {
        accepted_ = text;
        undoSteps_ = doc->availableUndoSteps();
        return;
    }
    QString want = text;
    int pos = StoredPos(shown, memo_->textCursor().position());
    narrowed_ = cut_ = false;
    if (fit(want, pos)) {
        if (want == text) {
            accepted_ = text;
            undoSteps_ = doc->availableUndoSteps();
            return;
        }
        setMemoText(want, pos, true);
        if (cut_) {
            cut_ = false;
            Refuse();
        }
        return;
    }
    // The caret goes back to where the refused input began.
    qsizetype head = 0, tail = 0;
    TByteLimitEdit::ChangedSpan(accepted_, text, head, tail);
    setMemoText(accepted_, int(head), true);
    Refuse();
}

void TByteLimit::setMemoText(const QString& want, int pos, bool afterChange)
{
    QTextDocument* doc = memo_->document();
    fixing_ = true;
    // A change that made an undo step of its own (a paste, a commit, a new
    // line) is taken back whole, and what is kept of it made a step anew.
    bool undone = false;
    if (afterChange && doc->isUndoRedoEnabled() && doc->availableUndoSteps() > undoSteps_) {
        doc->undo();
        doc->clearUndoRedoStacks(QTextDocument::RedoStack);
        undone = true;
    }
    const QString now = ShownText(memo_);
    const QString shownWant = Shown(want);
    if (now != shownWant) {
        qsizetype head = 0, tail = 0;
        TByteLimitEdit::ChangedSpan(now, shownWant, head, tail);
        QTextCursor cursor(doc);
        // Otherwise the change joined the typing before it: righted in that step.
        afterChange && !undone ? cursor.joinPreviousEditBlock() : cursor.beginEditBlock();
        cursor.setPosition(int(head));
        cursor.setPosition(int(now.size() - tail), QTextCursor::KeepAnchor);
        cursor.insertText(shownWant.mid(head, shownWant.size() - head - tail));
        cursor.endEditBlock();
    }
    fixing_ = false;
    accepted_ = Stored(ShownText(memo_));
    undoSteps_ = doc->availableUndoSteps();
    QTextCursor caret = memo_->textCursor();
    caret.setPosition(qBound(0, ShownPos(want, pos), doc->characterCount() - 1));
    memo_->setTextCursor(caret);
}

bool TByteLimit::takeMemoKey(QKeyEvent* key)
{
    if (memo_->isReadOnly() || fixing_)
        return false;
    QString typed = key->text();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        typed = QStringLiteral("\n");
    else if (typed.isEmpty() || !typed.at(0).isPrint() || (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const QTextCursor cursor = memo_->textCursor();
    const QString shown = ShownText(memo_);
    const int from = cursor.selectionStart(), to = cursor.selectionEnd();
    const QString after = shown.left(from) + typed + shown.mid(to);
    const QString input = Stored(after);
    QString want = input;
    int pos = StoredPos(after, from + int(typed.size()));
    narrowed_ = cut_ = false;
    if (!fit(want, pos)) {
        Refuse();
        return true;
    }
    if (want == input)
        return false; // typed as usual
    // Typed as taken, joined to the typing before it like any key.
    qsizetype head = 0, tail = 0;
    const QString shownWant = Shown(want);
    TByteLimitEdit::ChangedSpan(shown, shownWant, head, tail);
    QTextCursor edit = memo_->textCursor();
    edit.setPosition(int(head));
    edit.setPosition(int(shown.size() - tail), QTextCursor::KeepAnchor);
    edit.insertText(shownWant.mid(head, shownWant.size() - head - tail));
    memo_->setTextCursor(edit);
    if (cut_) {
        cut_ = false;
        Refuse();
    }
    return true;
}

bool TByteLimit::takeMemoDrop(QDropEvent* drop)
{
    const QMimeData* mime = drop->mimeData();
    if (memo_->isReadOnly() || !mime || !mime->hasText())
        return false;
    // A move inside the memo puts in nothing new.
    if (drop->source() == memo_ || drop->source() == memo_->viewport())
        return false;
    const QString shown = ShownText(memo_);
    const int at = memo_->cursorForPosition(drop->position().toPoint()).position();
    const QString dropped = Shown(mime->text());
    const QString after = shown.left(at) + dropped + shown.mid(at);
    const QString input = Stored(after);
    QString want = input;
    int pos = StoredPos(after, at + int(dropped.size()));
    narrowed_ = cut_ = false;
    if (!fit(want, pos)) {
        // Refused: the source keeps its text.
        drop->setDropAction(Qt::IgnoreAction);
        drop->accept();
        Refuse();
        return true;
    }
    if (want == input)
        return false; // dropped as usual, a move if the source asked for one
    // Taken in part: put in as a step of its own, and a copy for the source.
    setMemoText(want, pos, false);
    memo_->setFocus(Qt::OtherFocusReason);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (cut_) {
        cut_ = false;
        Refuse();
    }
    return true;
}

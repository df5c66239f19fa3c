#include "core/ui/TntNMDEdit.h"

#include "platform/ui/ByteLimitEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

bool IsReadingChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x3041 && u <= 0x3096) || u == 0x30FC; // hiragana and the long-vowel mark
}

} // namespace

TTntNMDEdit::TTntNMDEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &TTntNMDEdit::CheckReading);
}

void TTntNMDEdit::CheckReading()
{
    const QString t = text();
    const int end = cursorPosition();
    int start = end;
    while (start > 0 && IsReadingChar(t.at(start - 1)))
        --start;
    if (start == end) {
        reading_.clear();
        readingStart_ = -1;
        emit NameConvertNeed(false, QString(), 0);
        return;
    }
    reading_ = t.mid(start, end - start);
    readingStart_ = start;
    emit NameConvertNeed(true, reading_, start == 0 ? 0 : 1);
}

namespace {

// The limit an edit keeps, when it has one.
TByteLimit* limitOf(QLineEdit* edit)
{
    return edit ? edit->findChild<TByteLimit*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

void TTntNMDEdit::InsertName(const QString& name, const QString& reading)
{
    // The reading typed for the lookup gives way to the name, if it is still there.
    if (readingStart_ >= 0 && text().mid(readingStart_, reading_.size()) == reading_)
        setSelection(readingStart_, int(reading_.size()));
    reading_.clear();
    readingStart_ = -1;
    const int from = hasSelectedText() ? selectionStart() : cursorPosition();
    const int replaced = hasSelectedText() ? int(selectedText().size()) : 0;
    const QString named = QString(text()).replace(from, replaced, name);
    if (TByteLimit* limit = limitOf(this); limit && !limit->Allows(named)) {
        limit->Refuse();
        return;
    }
    insert(name);
    setCursorPosition(int(text().size()));
    if (!kanaEdit_ || reading.isEmpty())
        return;
    const QString read = kanaEdit_->text() + reading;
    if (TByteLimit* limit = limitOf(kanaEdit_); limit && !limit->Allows(read)) {
        limit->Refuse();
        return;
    }
    kanaEdit_->setText(read);
    kanaEdit_->setModified(true);
}

void TTntNMDEdit::keyPressEvent(QKeyEvent* event)
{
    if (OnConvertKeyDown && OnConvertKeyDown(event->key())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TTntNMDEdit::inputMethodEvent(QInputMethodEvent* event)
{
    QLineEdit::inputMethodEvent(event);
    // A composition in kana asks for candidates before it is committed.
    const QString pre = event->preeditString();
    if (!pre.isEmpty() && std::all_of(pre.begin(), pre.end(), IsReadingChar)) {
        reading_.clear();
        readingStart_ = -1;
        emit NameConvertNeed(true, pre, cursorPosition() == 0 ? 0 : 1);
    }
    // A committed text arrives through textEdited like typed text.
}

#pragma once
// Helpers shared by the tests of windows: typing into widgets and a recorder
// that stands in for the message box, with the data helpers of DataSupport.h.

#include "platform/ui/MessageBox.h"
#include "support/data/DataSupport.h"

#include <deque>
#include <vector>

class QLineEdit;
class QWidget;

// Text as an input method commits it, all at once (QTest types ASCII only).
void CommitText(QWidget* w, const QString& text);
// Text as the keyboard delivers it: one key press per character.
void TypeChars(QWidget* w, const QString& text);

// The ways text arrives, as Qt routes them: keys, the input method and the
// context menu to the focus widget (a combo box or a spin box, not its edit);
// a drop (at the caret) and the middle button to the input itself.
enum class TArrival { PasteKey, ShiftInsert, MenuPaste, Commit, Drop, MiddleButton, Keys };
extern const char* const kArrivalNames[];
// Puts text in the input (a line edit or a memo) the way `how` does; focus is
// the widget with the focus. A drop is the text dragged out of a memo, which
// keeps it unless the input took all of it; the action the drop ended with.
Qt::DropAction Arrive(QWidget* focus, QWidget* input, TArrival how, const QString& text);
// The text of a line edit or a memo.
QString TextOf(const QWidget* input);
// Two lines arrive by every way in each one-line input of the window (line
// edits and editable combo boxes, `inputs` of them), at the caret and over a
// selection, as the user reaches it: each keeps the first line alone.
void ExpectFirstLineEverywhere(QWidget* window, int inputs);

// Records every message box instead of showing it, and answers from a queue
// of scripted answers (default: IDOK for OK boxes, IDYES for questions).
class TMessageRecorder {
public:
    TMessageRecorder();
    ~TMessageRecorder();
    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<TMessageBoxRequest>& Messages() const { return messages_; }
    QString LastText() const { return messages_.empty() ? QString() : messages_.back().text; }
    void Clear() { messages_.clear(); }

private:
    std::vector<TMessageBoxRequest> messages_;
    std::deque<int> answers_;
    TMessageBoxHandler previous_;
};

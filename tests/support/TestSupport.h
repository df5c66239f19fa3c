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

// The ways text arrives besides typing, as Qt routes them: keys, the input
// method and the context menu go to the focus widget (the combo box, not its
// edit, when the edit is a combo box's); drops and the middle button go to
// the edit under the mouse. A drop lands at the caret; the middle button
// pastes the selection clipboard only where the platform has one.
enum class TArrival { PasteKey, ShiftInsert, MenuPaste, Commit, Drop, MiddleButton };
inline constexpr TArrival kEveryArrival[] = {TArrival::PasteKey, TArrival::ShiftInsert, TArrival::MenuPaste,
                                             TArrival::Commit,   TArrival::Drop,        TArrival::MiddleButton};
const char* ArrivalName(TArrival how);
// Puts text in the edit the way `how` does; focus is the edit's focus widget
// (the edit itself when it stands alone).
void Arrive(QWidget* focus, QLineEdit* edit, TArrival how, const QString& text);
// A one-line input of a window (a line edit, or an editable combo box) as
// the user reaches it: its page of the window brought forward, the focus on
// it, its text (before) all selected (else the caret at the end); then text
// arrives `how` and the input's text is returned.
QString ArriveInField(QWidget* field, const QString& before, bool selectAll, TArrival how, const QString& text);
// The one-line inputs of a window the user can type in: its line edits that
// are not read-only (a combo box's edit stands for the combo box).
std::vector<QWidget*> OneLineInputs(QWidget* window);
// Puts two lines into each one-line input of the window by every way, at the
// caret of the empty input and over a selection equal to the first line (the
// clipboard is left empty); returns each input and way that did not take
// the first line alone ("name: way: text"). names receives the inputs'
// names, sorted.
QStringList FirstLineMisses(QWidget* window, QString* names);

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

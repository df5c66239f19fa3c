#pragma once
// The dialog kit every window of the system is built with: Enter moves the
// focus on, checked captions turn blue, the mouse wheel over a tab header
// wraps around, long operations show the hourglass, and modal dialogs answer
// 1 for OK and 2 for Cancel.

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QTabBar;

// Modal results, with the values the system's dialogs have always returned.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Enter in an input control of the window is consumed and moves the focus to
// the next control in tab order, or to the control named for it with
// SetNext(). When the new control is a single-line edit (or the edit of a
// spin box) the caret goes to the end of its text, nothing selected.
// Buttons, multi-line edits and controls passed to Keep() receive Enter as
// usual. The filter is a child of the window and ends with it.
// A control that at times wants Enter for itself (a popup it steers is up):
// the filter offers the key to it before anything else, and a key it takes
// neither moves the focus nor reaches the control as typing.
class TEnterKeyClaimant {
public:
    virtual ~TEnterKeyClaimant() = default;
    // True when the control acted on the key.
    virtual bool ClaimEnterKey(int key) = 0;
};

class TEnterKeyFilter : public QObject {
    Q_OBJECT
public:
    static TEnterKeyFilter* Install(QWidget* window);

    // Enter in `from` focuses `to` (or, when `to` cannot take the focus now,
    // the first control after it that can).
    void SetNext(QWidget* from, QWidget* to);
    // `control` keeps Enter for itself.
    void Keep(QWidget* control);

    // Moves the focus from `from` as Enter would; false when no control could
    // take it.
    bool MoveFocusFrom(QWidget* from);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TEnterKeyFilter(QWidget* window);
    bool takesEnter(QWidget* w) const;

    QWidget* window_;
    QHash<QWidget*, QPointer<QWidget>> next_;
    QList<QPointer<QWidget>> keep_;
};

// The first control after `from` in tab order that can take the focus now
// (enabled, shown, accepting Tab focus, the chosen radio button of a group),
// staying inside from's window; nullptr when there is none.
QWidget* NextTabControl(QWidget* from);

// Puts the focus on `control` as Enter does: caret at the end of a
// single-line edit.
void FocusControl(QWidget* control);

// Keeps the caption of the check box or radio button blue while it is
// checked (radio: chosen), in the window-text colour otherwise, also after
// programmatic changes. A tristate box in its third state counts as not
// checked.
void ApplyBlueCaption(QAbstractButton* button);
// The same for every check box and radio button under root.
void ApplyBlueCaptions(QWidget* root);
// The caption colour of a checked check box or chosen radio button
// (Windows colour value 0xFF0000, pure blue).
QColor CheckedCaptionColor();

// The mouse wheel over the tab header switches pages, wrapping from the last
// page to the first and from the first to the last (disabled and hidden tabs
// are passed over).
void InstallTabWheel(QTabBar* bar);
// The same for every tab bar under root.
void InstallTabWheels(QWidget* root);

// Places a top-level window with its frame's top-left corner at `at` (a
// saved position, or where a dialog centres on its owner), then moves it as
// little as needed to have it wholly on the work area of the screen it is
// on (the primary screen when it is on none), frame included; a window
// larger than that area is made as large as fits. A window not yet shown is
// laid out first as showing it would (its size hint, unless it was given a
// size), and the frame of another shown window stands in for its own until
// it is shown; it is checked again then.
void PlaceWindowOnScreen(QWidget* window, QPoint at);
// The size of the window's frame as PlaceWindowOnScreen reckons it.
QSize ShownFrameSize(QWidget* window);

// The work area (the screen less its panels) of the screen holding the
// centre of `frame`, else of the primary screen. Tests stand a screen of
// their own in through the handler; an empty handler restores the real
// screens, and the setter returns the handler that was in place.
using TWorkAreaHandler = std::function<QRect(const QRect& frame)>;
TWorkAreaHandler SetWorkAreaHandler(TWorkAreaHandler handler);
QRect WorkAreaOf(const QRect& frame);

// Enter moves on, blue captions and wrapping tab wheels for a whole window.
TEnterKeyFilter* ApplyDialogConventions(QWidget* window);

// Shows the hourglass for its lifetime. Nested hourglasses stack; each one
// restores what was shown before it.
class THourglass {
public:
    THourglass();
    ~THourglass();
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// Base of the system's modal dialogs: OK answers mrOk (1), Cancel, Escape
// and closing the window answer mrCancel (2); QDialog's own reject() would
// answer 0.
class TModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit TModalDialog(QWidget* owner = nullptr, Qt::WindowFlags flags = {});

    // Centres the dialog on its owner and runs it; the modal result.
    int ShowModal();
    int ModalResult() const { return result(); }

public slots:
    void accept() override;
    void reject() override;
};

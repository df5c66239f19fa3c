#pragma once
// The program's start, in order: Qt and its Japanese translations, the
// folders, one instance per data folder, the settings and the data module,
// then the address-book main window on the last used book.

#include <functional>

class QApplication;
class QWidget;
class TAddressList;

// Loads Qt's own Japanese texts (standard buttons, dialogs) from the Qt
// translations folder; false when they are not installed.
bool StartupLoadTranslations(QApplication& app);

// Connects the main window to the windows it opens (the record window, the
// searches), which live in libraries above this one; called once the window
// exists and before it is shown.
using TMainWindowWiring = std::function<void(TAddressList&)>;

// Runs open once window has been painted for the first time (at the latest a
// second after the call, for a window the desktop keeps off the screen): a
// wait inside it, for a book another program holds, then stands over a drawn
// window with the hourglass instead of a blank frame.
void StartupWhenShown(QWidget& window, std::function<void()> open);

// What the start does once the main window has been painted, in this order:
// the senders are read (a sender file that cannot be read is told over the
// drawn window, not before it on a blank screen), then the start book opens.
void StartupOpenWhenShown(TAddressList& window);

// Runs the program; returns the exit code.
int StartupRun(int argc, char** argv, const TMainWindowWiring& wire = {});

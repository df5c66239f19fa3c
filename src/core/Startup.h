#pragma once
// The program's start, in order: Qt and its Japanese translations, the
// folders, one instance per data folder, the settings and the data module,
// then the address-book main window on the last used book.

class QApplication;

// Loads Qt's own Japanese texts (standard buttons, dialogs) from the Qt
// translations folder; false when they are not installed.
bool StartupLoadTranslations(QApplication& app);

// Runs the program; returns the exit code.
int StartupRun(int argc, char** argv);

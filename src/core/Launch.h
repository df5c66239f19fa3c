#pragma once
// Starting outside programs.

#include <QString>
#include <QStringList>

// Starts a program with its arguments in folder (empty: the current folder).
// No shell is involved. There is no show state to pass: the program's
// windows appear as the desktop places them. Unless noWait, waits for it and returns its exit code;
// with noWait returns 0 once it has started. -1 when it cannot be started or
// when it crashed.
int ExecuteProgram(const QString& program, const QStringList& arguments, const QString& folder, bool noWait);
// The same for a command line, split by QProcess::splitCommand: arguments are
// separated by blanks, double quotes group blanks into one argument, and
// three consecutive quotes stand for one literal quote. No shell expansion,
// redirection or piping happens. -1 for an empty command line.
int ExecuteProgram(const QString& commandLine, const QString& folder, bool noWait);

// Desktops here hand mailto: links to the user's mail program through
// xdg-open; there is no protocol registration to repair.
void EnsureMailtoUrlProtocol();

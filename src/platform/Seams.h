#pragma once
// What the system asks of the desktop, each behind a seam that tests replace
// through a handler (an empty handler restores the real one; the setter
// returns the handler that was in place):
//   OpenUrl, OpenDocument   hand a link or a file to the desktop (xdg-open,
//                           with an argument list, never through a shell)
//   Now                     the clock
// The file dialogs are in platform/ui/DialogSeams.h.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// --- Launching programs -----------------------------------------------------

// Starts `program` with `args`, detached; false when it could not be started.
using TLaunchHandler = std::function<bool(const QString& program, const QStringList& args)>;
TLaunchHandler SetLaunchHandler(TLaunchHandler handler);

// Opens a web address (or any URL) in the desktop's program for it. False
// for an empty text, a text that starts with '-' (it would reach xdg-open as
// an option) or when nothing could be started.
bool OpenUrl(const QString& url);
// OpenUrl's outcome as a number for a message: 0 started, 1 a text the
// opener cannot take (empty or starting with '-'; the opener's own status
// for a bad command line), -1 the opener could not be started.
int OpenUrlStatus(const QString& url);
// Opens a file or folder with the desktop's program for it; the path is
// handed over absolute. False when the path does not exist or nothing could
// be started.
bool OpenDocument(const QString& path);

// --- Clock ------------------------------------------------------------------

using TClockHandler = std::function<QDateTime()>;
TClockHandler SetClockHandler(TClockHandler handler);
// Local date and time.
QDateTime Now();

#pragma once
// Why a file could not be read or written, in the words a user reads: the
// line a failure message puts under its first one ("保存できませんでした
// \r\n" + cause). The C library's own text follows the locale and is English
// on most desktops here, so the common causes are said in Japanese.

#include <QString>

// errnum is an errno value; 0 or an unknown value gives a general cause
// with the system's own text beside it.
QString FileErrorCause(int errnum);

// The same for a failure of the database engine: its extended result code
// and the errno of the system call that failed under it (0 when none). A
// full disk, a missing permission or a file in use is said as such; only
// the engine's own verdict that the file is no database or is corrupt says
// so, since a user told "damaged" may delete an intact book.
// engineText, the engine's own message, stands beside a cause it has no
// words for.
QString SqliteErrorCause(int extendedCode, int systemErrno, const QString& engineText = QString());
// True for the codes that mean the file itself is damaged or foreign.
bool SqliteErrorMeansDamaged(int extendedCode);
// True for the codes that mean another connection holds the file.
bool SqliteErrorMeansInUse(int extendedCode);
// A file open for writing that is no longer at its path: renamed away,
// deleted, or another file put in its place. Whatever is written into it
// then is in no file the user can find.
QString FileMovedCause();

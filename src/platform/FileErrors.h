#pragma once
// Why a file could not be read or written, in the words a user reads: the
// line a failure message puts under its first one ("保存できませんでした
// \r\n" + cause). The C library's own text follows the locale and is English
// on most desktops here, so the common causes are said in Japanese.

#include <QString>

// errnum is an errno value; 0 or an unknown value gives a general cause
// with the system's own text beside it.
QString FileErrorCause(int errnum);

#pragma once
// The engine's side files beside a table's file ("<file>-wal", "-shm",
// "-journal"): what the table layer does to them before and after an open.
// Every function here opens and closes descriptors of the file and its
// index, which drops any lock this process holds on them: call them only
// while no table of this process has the file open.

#include <QString>
#include <QStringList>

// Gives the owner's write back to side files an earlier read-only open left
// read-only.
void MendSideFileModes(const QString& fileName);

// Removes side files a failed open made, when nothing could be lost.
void RemoveIdleSideFiles(const QString& fileName);

// A log beside fileName that is not the file's own is renamed to
// "<side file>.set-aside-<date>-<time>" beside it (with its index), never
// deleted, so that the engine cannot take it into the file. newFile: the
// file is about to be made (it is missing or empty), so no log can be its
// own. Left alone: side files a connection to the file is using, and a log
// the file could be the owner of. Returns the new names. Throws
// ESqlTableError (InUse) when a live connection uses the log but not this
// file (it has another file open under the same name), and when a log that
// must go cannot be renamed.
QStringList SetAsideForeignLog(const QString& fileName, bool newFile);

void SyncFolder(const QString& folder);

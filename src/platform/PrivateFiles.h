#pragma once
// The data folder holds names, addresses, telephone numbers and My Numbers:
// its folders are made 0700 and its files 0600 whatever the umask, here and
// nowhere else.

#include <QByteArray>
#include <QString>
#include <functional>

class QFileDevice;

// Creates path and every missing parent; the folders it creates are 0700
// (existing ones are left as they are). False when the folder is not there.
bool MakePrivateFolder(const QString& path);

// Makes a file readable and writable by its owner only.
bool MakePrivateFile(int fd);
bool MakePrivateFile(QFileDevice& file); // an open file (a QSaveFile before its commit)
bool MakePrivateFile(const QString& path);

// Creates an empty file 0600 when it is missing; an existing file is left
// alone. False when it could not be made.
bool CreatePrivateFile(const QString& path);

// Puts bytes in place of fileName whole or not at all: written to a
// temporary file beside it, then renamed over it. The write is unbuffered so
// that a disk refusing part of the bytes (full, or a file size limit) is
// seen: through Qt's buffer such a short write went unnoticed and the rename
// put a cut file in place of the old one. privateFile makes the file 0600.
// False, with the old file untouched, when anything failed; error then says
// why when given, and errno holds the cause (for FileErrorCause).
//
// The temporary file is "<name>.t21save-<pid>-<random>", a name nothing
// else takes. A save killed half-way leaves one (a whole copy of a private
// file): each save removes those of the folder whose process is gone.
//
// What the save may take the place of: Any, whatever the name holds (a
// symbolic link is written through); RegularFile, only a regular file (or
// a link to one), a folder, device or pipe of that name failing the save;
// NoFile, nothing at all: the name must be free when the file is put in
// place (the rename refuses to replace, so a file that appeared meanwhile
// stays and the save fails with EEXIST).
enum class TSaveTarget { Any, RegularFile, NoFile };
bool SaveFileAtomically(const QString& fileName, const QByteArray& bytes, bool privateFile, QString* error = nullptr,
                        TSaveTarget replaces = TSaveTarget::Any);

// Called once at start: a file size limit (ulimit -f) then makes a write
// fail with its message instead of killing the program with SIGXFSZ, which
// lost the input of every open window without a word.
void KeepRunningAtFileSizeLimit();

// Takes a lock on the whole file fd is open on, without waiting: exclusive
// or shared. Returns 0 when taken, EWOULDBLOCK when another open of the file
// holds it (another process, or another open in this one), else the errno
// of why no lock could be had. The lock goes with the last descriptor of
// that open.
//
// flock first. Some FUSE and network file systems have none (ENOLCK,
// ENOTSUP, EINVAL) while their fcntl locks work: there an open-file lock of
// fcntl takes its place, which conflicts the same way. Only for lock files
// of our own: a database file's fcntl locks are the engine's, and closing
// any descriptor of it would drop them.
int TryLockFile(int fd, bool exclusive);
// Stands in for flock(2) in tests (a file system without it); an empty
// handler restores the real call. Returns the handler that was in place.
using TFlockHandler = std::function<int(int fd, int operation)>;
TFlockHandler SetFlockHandler(TFlockHandler handler);

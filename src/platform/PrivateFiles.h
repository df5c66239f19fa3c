#pragma once
// The data folder holds names, addresses, telephone numbers and My Numbers:
// its folders are made 0700 and its files 0600 whatever the umask, here and
// nowhere else.

#include <QString>

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

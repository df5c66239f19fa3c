#pragma once
// The example-sentence library of the text editor, read here so that it can
// be read without a window. Common/Text/Index.rbf lists the classes, one
// "name,file" line each up to the first blank line (comma-separated fields,
// double-quoted where they hold a comma, a doubled quote standing for one);
// each class file holds its number of examples, then for each example its
// number of lines and the lines. Both are code page 932 text.

#include <QList>
#include <QString>
#include <QStringList>

struct TExampleClass {
    QString Name;
    QString File; // as the index names it, relative to Common/, '\' or '/'
};

// The lines of a code page 932 text file (a final line break starts no
// further line); false when it cannot be opened.
bool ReadCp932Lines(const QString& path, QStringList& lines);

QList<TExampleClass> ParseExampleIndex(const QStringList& lines);

// The path of a class file in commonFolder; empty for an empty name or one
// that leaves the folder (an absolute path, a ".." above it): the index
// names files of the library, nothing else on the disk.
QString ExampleClassPath(const QString& commonFolder, const QString& file);

// The examples of a class file, each with its lines joined by CR LF. A
// count that is not a number stops the reading with what was read so far;
// *badCount is then that text (null when every count read).
QStringList ParseExampleClass(const QStringList& lines, QString* badCount);

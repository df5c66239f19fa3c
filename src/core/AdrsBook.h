#pragma once
// The address books of DataPath: each is a folder under Adrs/ holding its
// Adrs.DB; AdrsMng.ini keeps their order (format in docs/formats.md).

#include <QString>
#include <vector>

struct TAdrsFolderInfo {
    QString Name;
    QString Folder;
    int State = 0; // 1 = deletion pending
};

inline const QString kDefaultAdrsName = QStringLiteral("アドレス");

extern QString AdrsName;                        // the current book
extern std::vector<TAdrsFolderInfo> AdrsBookList; // the books found at start

QString AdrsMngFileName(); // DataPath/AdrsMng.ini

// Rebuilds AdrsBookList: the books listed in AdrsMng.ini in their order,
// then books found on disk but not listed, by name. Listed books whose
// folder has no table are left out.
void BuildAdrsBookList();
// Writes AdrsBookList in its order to AdrsMng.ini; false when not written.
bool SaveAdrsBookList();

// Empty when name can be a new book's name, else the message to show.
QString CheckAdrsBookName(const QString& name);
// Makes the folder and its empty table and appends the book to
// AdrsBookList and AdrsMng.ini. On failure returns false with the message
// (its cause, when known, on a line of its own).
bool CreateAdrsBook(const QString& name, QString* error = nullptr);
// On the first start (no book at all) creates the default book "アドレス".
// False when it could not be made; cause then says why, in Japanese.
bool EnsureDefaultAdrsBook(QString* cause = nullptr);
int IndexOfAdrsBook(const QString& name); // -1 when not in AdrsBookList

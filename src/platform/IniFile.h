#pragma once
// Settings files with the semantics the system's INI files have always had:
// code page 932 text (UTF-8 in a file that starts with its byte-order mark,
// as other editors save it; the mark is kept), section and key names compared without regard to case,
// every line the program does not change kept byte for byte, Booleans as
// 1/0, values trimmed of blanks and of one pair of enclosing quotes. A value
// is one line: line breaks in a written value are stored as blanks.
//
// Changes are held in memory and written by UpdateFile(), which replaces the
// file atomically (a temporary file beside it, flushed, then renamed), so a
// crash never leaves a half-written settings file. The destructor writes
// pending changes too. A file that exists but could not be read is never
// written over: its keys would be lost, an administrator password with them.
//
// Sections and keys are found through hash tables (the first of several
// sections or keys of one name wins, as it always has), so a file of some
// hundred thousand lines loads and reads in linear time.

#include <QByteArray>
#include <QString>
#include <QHash>
#include <QStringList>
#include <list>

class TIniFile {
public:
    explicit TIniFile(const QString& fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& key, const QString& def = {}) const;
    int ReadInteger(const QString& section, const QString& key, int def = 0) const;
    bool ReadBool(const QString& section, const QString& key, bool def = false) const;
    double ReadFloat(const QString& section, const QString& key, double def = 0.0) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSection(const QString& section) const; // key names in file order
    QStringList ReadSections() const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

    bool Modified() const { return dirty_; }
    // False when the file exists but could not be read; it then reads as
    // empty and UpdateFile() refuses to write.
    bool Readable() const { return readable_; }
    // Writes pending changes; false when the file could not be written or
    // could not be read before (the old file is then untouched), with errno
    // set to the cause.
    bool UpdateFile();
    // Re-reads the file, dropping pending changes.
    void Reload();

private:
    struct Line {
        QByteArray raw;  // the line as stored, without its line ending
        QString key;     // empty for comments and blank lines
        QString value;
    };
    using Lines = std::list<Line>;
    struct Section {
        QByteArray header; // the "[NAME]" line as stored; empty for lines before the first section
        QString name;
        Lines lines;
        QHash<QString, Lines::iterator> keys; // folded key name -> its first line
    };
    using Sections = std::list<Section>;

    static QString fold(const QString& name) { return name.toCaseFolded(); }
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    static Line* findKey(Section& s, const QString& key);
    static const Line* findKey(const Section& s, const QString& key);
    static void indexKey(Section& s, Lines::iterator line);
    void indexSection(Sections::iterator s);
    void parse(const QByteArray& data);
    // Text as the file holds it: code page 932, or UTF-8 in a marked file.
    QString decode(const QByteArray& bytes) const;
    QByteArray encode(const QString& text) const;

    QString fileName_;
    QByteArray eol_ = "\r\n";
    QByteArray mark_; // the UTF-8 byte-order mark the file starts with, if it does
    bool utf8_ = false; // the file's text is UTF-8 (marked, and valid as such)
    Sections sections_;
    QHash<QString, Sections::iterator> sectionIndex_; // folded section name -> its first section
    bool dirty_ = false;
    bool readable_ = true;
    int readError_ = 0; // why the file could not be read, when it could not
};

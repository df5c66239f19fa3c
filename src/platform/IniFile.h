#pragma once
// Settings files with the semantics the system's INI files have always had:
// code page 932 text, section and key names compared without regard to case,
// every line the program does not change kept byte for byte, Booleans as
// 1/0, values trimmed of blanks and of one pair of enclosing quotes. A value
// is one line: line breaks in a written value are stored as blanks.
//
// Changes are held in memory and written by UpdateFile(), which replaces the
// file atomically (a temporary file beside it, flushed, then renamed), so a
// crash never leaves a half-written settings file. The destructor writes
// pending changes too.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

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
    // Writes pending changes; false when the file could not be written (the
    // old file is then untouched).
    bool UpdateFile();
    // Re-reads the file, dropping pending changes.
    void Reload();

private:
    struct Line {
        QByteArray raw;  // the line as stored, without its line ending
        QString key;     // empty for comments and blank lines
        QString value;
    };
    struct Section {
        QByteArray header; // the "[NAME]" line as stored; empty for lines before the first section
        QString name;
        std::vector<Line> lines;
    };

    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    static Line* findKey(Section& s, const QString& key);
    static const Line* findKey(const Section& s, const QString& key);
    void parse(const QByteArray& data);

    QString fileName_;
    QByteArray eol_ = "\r\n";
    std::vector<Section> sections_;
    bool dirty_ = false;
};

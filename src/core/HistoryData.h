#pragma once
// A bounded list of recent input values, most recent first, kept in a small
// .mtd file (format in docs/formats.md). Each item is code page 932 text of
// at most the list's item size in bytes, with the time it was entered.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <stdexcept>
#include <vector>

class EHistoryDataError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class THistoryData {
public:
    // Loads fileName when it exists; a damaged file is read as far as it is sound.
    THistoryData(const QString& fileName, int itemSize, int maxCount = 100);

    const QString& FileName() const { return fileName_; }
    int ItemSize() const { return itemSize_; }
    int MaxCount() const { return maxCount_; }

    int GetCount() const { return int(items_.size()); }
    QString GetItem(int index) const;
    QByteArray GetItemBytes(int index) const;
    QDateTime GetDateTime(int index) const;
    int IndexOf(const QString& text) const; // exact, case-sensitive; -1 when absent
    void Delete(int index);
    // Index 0 .. GetCount(); the text is cut to the item size without
    // splitting a double-byte character. Beyond MaxCount the oldest item goes.
    void Insert(int index, const QString& text, const QDateTime& dateTime);
    // Appends as the oldest item (ignored when the list is full).
    void Add(const QString& text, const QDateTime& dateTime);
    void Clear() { items_.clear(); }
    // Writes the whole file anew (atomically); false when it could not be written.
    bool Save() const;
    void Load();

private:
    struct TItem {
        QByteArray text; // code page 932
        qint64 msecs = 0; // UTC milliseconds since 1970
    };
    void check(int index, int limit, const char* op) const;

    QString fileName_;
    int itemSize_;
    int maxCount_;
    std::vector<TItem> items_;
};

#pragma once
// Copying records of the open book into another book: for every record the
// same-number rule and the same-customer-code rule decide whether it is
// appended, overwrites a destination record or is left out. No widgets: the
// copy window asks, counts on the screen and shows the summary.
//
// Every column but RecNo is copied as stored (enciphered fields enciphered,
// memos absent or present as they are), walked from the field list, so a new
// field is copied without a line here.
//
// Writes go in transactions of kCopyBatchSize records; a record is one
// statement, which SQLite takes back alone when it fails, so every record
// written before a failure or the book's limit is kept. A full disk is the
// exception: SQLite takes back the whole batch, whose records are then
// counted as failed, so the counts are always what the destination holds.

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

class ESqlTableError;
class TSqlTable;

struct TAdrsCopyOptions {
    // Number targets, in the fixed order Tel, Fax, Portable1, Portable2.
    bool Tel = false;
    bool Fax = false;
    bool Portable1 = false;
    bool Portable2 = false;
    int BothType = 0;        // 0 every taking-part number equal, 1 any of them
    int SameNumCheck = 0;    // 0 append anyway, 1 leave the record out
    int SameCustomCheck = 1; // 0 overwrite the destination's record, 1 leave it out
    bool SameAddDateTime = true;
    bool SameUpdDateTime = true;

    int TargetCount() const { return int(Tel) + int(Fax) + int(Portable1) + int(Portable2); }
};

enum class TAdrsCopyResult { Registered, Overwritten, NotProcessed, LimitReached, Failed };

// Why the destination could not be written, as SQLite told it. InUse: another
// program holds a write on the book (its lock outlasted the wait). Moved: the
// book's file was moved, deleted or replaced by another since it was opened.
enum class TAdrsCopyWriteFault { None, DiskFull, ReadOnly, DiskError, Damaged, InUse, Moved, Other };

struct TAdrsCopyCounts {
    int Registered = 0;
    int Overwritten = 0;
    int NotProcessed = 0;
    int Failed = 0;
    bool LimitReached = false;
    // The destination could not be written from some point on (a
    // transaction could not be started); what was committed before stays.
    bool WriteError = false;
    // Records were lost because the destination could not be written (a
    // batch taken back or not committed, a record failing on a full disk or
    // a disk error), not refused one by one: why, from the first such
    // failure. None when every failed record was refused on its own.
    TAdrsCopyWriteFault WriteFault = TAdrsCopyWriteFault::None;
};

inline constexpr int kCopyBatchSize = 1000;

class TAdrsCopyEngine {
public:
    // source: the open book's table (only read); destination: the other
    // book's table, opened exclusively by the caller.
    TAdrsCopyEngine(TSqlTable& source, TSqlTable& destination, const TAdrsCopyOptions& options);

    // Called once when the destination is full (the caller tells the user),
    // and after every found record that did not reach the limit.
    std::function<void()> OnLimit;
    std::function<void()> OnStep;

    // Copies the records of these RecNos in this order; a RecNo not in the
    // source is passed over. Never throws: the counters tell what was done.
    TAdrsCopyCounts Run(const std::vector<int>& recNos);

    // True when both tables are one file: a book is never copied into itself.
    static bool IsSameBook(const TSqlTable& source, const TSqlTable& destination);
    // The kind of write failure a table error tells (Other for any that is
    // not about the file, its disk or its lock, a refused record too).
    static TAdrsCopyWriteFault WriteFaultOf(const ESqlTableError& error);

private:
    TAdrsCopyResult copyCurrent();
    bool findSameNumber();
    void writeFields(const QDateTime& now);

    TSqlTable& src_;
    TSqlTable& dst_;
    TAdrsCopyOptions opt_;
    int dstCount_ = 0;
    // Of the last failure writing the destination.
    TAdrsCopyWriteFault lastFault_ = TAdrsCopyWriteFault::None;
};

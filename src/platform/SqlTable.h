#pragma once
// One table in one SQLite file, with the dataset operations the callers were
// written against: an index to walk, key lookups and nearest-key seeks, a
// current row with first/prior/next/last, and an edit buffer that is appended
// or edited, then posted or cancelled.
//
// Text columns hold UTF-8; their widths count code page 932 bytes and are
// enforced here, at the one place where rows are written. Nothing is ever
// cut: a value longer than its column (or a digits-only column holding
// anything but digits) makes Post throw and leaves the table as it was.
// Every failure of the engine is thrown as ESqlTableError; a Post either
// wrote its row or threw.
//
// Every write checks, with the write lock held, that the file it goes into
// is still the one at the table's path (not renamed away, deleted or
// replaced by another file), and is refused (Moved) when it is not. After a
// write commits, outside a run of StartTransaction/Commit, the log is folded
// into the file once the thread's event loop is idle (at once where there
// is none), so the file alone holds every row whenever the program waits.
//
// RecNo is "INTEGER PRIMARY KEY AUTOINCREMENT": a deleted row's number is
// never given out again. An append may set it; so may an edit, which then
// moves the row to that number (refused when another row holds it). Non-memo columns are NOT NULL (blank = '' or 0), so
// every row can be reached along every index.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QObject>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct TSqlFileSeen;

enum class TSqlFieldType { AutoInc, Integer, Float, Boolean, Text, Memo };

struct TSqlFieldDef {
    QString Name;
    TSqlFieldType Type = TSqlFieldType::Text;
    int Size = 0;            // Text: width in code page 932 bytes; Memo: 0 = no limit
    bool DigitsOnly = false; // Text: only '0'-'9' may be stored
};

struct TSqlIndexDef {
    QString Name;
    QStringList Fields;
};

struct TSqlTableDef {
    QString TableName;
    std::vector<TSqlFieldDef> Fields; // the first field is the AutoInc RecNo
    std::vector<TSqlIndexDef> Indexes;
};

class ESqlTableError : public std::runtime_error {
public:
    // What a caller may act on: another connection holds the file, the
    // engine found the file foreign or corrupt, or the open file is no
    // longer the one at its path. Everything else (a full disk, a missing
    // permission) is Other, with its cause.
    enum class TKind { Other, InUse, Damaged, Moved };
    explicit ESqlTableError(const QString& message, const QString& cause = QString(), TKind kind = TKind::Other,
                            int code = 0);
    const QString& Message() const { return message_; }
    // Why, in Japanese, for a line of its own under a failure message;
    // empty when the message says all there is.
    const QString& Cause() const { return cause_; }
    // The line a user is shown under a failure: the cause, or the message
    // where the message says all there is.
    const QString& ShownCause() const { return cause_.isEmpty() ? message_ : cause_; }
    TKind Kind() const { return kind_; }
    // The engine's extended result code; 0 for a refusal of the table layer's own.
    int Code() const { return code_; }

private:
    QString message_;
    QString cause_;
    TKind kind_;
    int code_;
};

// The columns of one row while a table is scanned; valid only inside the
// callback of TSqlTable::Scan.
class TSqlRow {
public:
    explicit TSqlRow(sqlite3_stmt* stmt) : stmt_(stmt) {}
    qint64 Integer(int field) const;
    double Float(int field) const;
    // UTF-8 bytes of a text column; empty for a blank or NULL value.
    const char* Text(int field, int* length) const;
    bool IsNull(int field) const;

private:
    sqlite3_stmt* stmt_;
};

class TSqlTable {
public:
    enum class TState { Inactive, Browse, Edit, Insert, SetKey };

    explicit TSqlTable(TSqlTableDef def);
    ~TSqlTable();
    TSqlTable(const TSqlTable&) = delete;
    TSqlTable& operator=(const TSqlTable&) = delete;

    // Creates the file with its table and indexes, mode 0600; an existing
    // file is left alone when it already holds the table. A new file is
    // built under another name and renamed into place, so it never exists
    // without its table.
    static void CreateTable(const QString& fileName, const TSqlTableDef& def);

    // Opens an existing file (an empty one, as a kill while it was first
    // made leaves, gets its table first). Every open holds a lock on "<base>.lck" beside
    // the file: shared normally, exclusive with exclusive = true, so an
    // exclusive open fails while any other open (in this or another process)
    // holds the table, and the other way round (InUse). A failed open leaves
    // no side files of the engine behind that it made.
    // A log beside the file that is not its own (left by a file deleted or
    // replaced under a program) is set aside before the engine could take
    // it in, here and in CreateTable; InUse when a program still uses it.
    void Open(const QString& fileName, bool exclusive = false);
    // The logs set aside (their new names) since the last call, by any table
    // of this process: what the window that opened a file tells the user.
    static QStringList TakeSetAsideLogs();
    void Close();
    bool Active() const { return db_ != nullptr; }
    const QString& FileName() const { return fileName_; }
    const TSqlTableDef& Def() const { return def_; }
    TState State() const { return state_; }

    // Index: "" (or "RecNo") for the primary index, else an index name.
    void SetIndexName(const QString& name);
    const QString& IndexName() const { return indexName_; }

    // Navigation along the current index.
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty();
    // The table's row count; no filter ever hides rows from it.
    int RecordCount();
    // 1-based place of the current row along the current index; 0 when none.
    int Position();
    // RecNo of the current row, 0 when there is none.
    qint64 CurrentRecNo() const { return cur_; }

    // Lookups on the current index; values fill its fields from the first.
    bool FindKey(const QVariantList& values);
    void FindNearest(const QVariantList& values);
    void SetKey();  // the field setters then fill the key buffer
    bool GotoKey();
    bool Locate(const QString& field, const QVariant& value);

    // Editing. Append starts a blank row (RecNo left to the table unless set).
    void Append();
    // Post after Edit writes only if the row still holds every value Edit
    // read; a row changed or deleted meanwhile (by another program on the
    // book) makes it throw, and the edit stays pending for Cancel.
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void ClearFields();
    void FlushBuffers();

    // Bulk writes: everything between StartTransaction and Commit is one
    // transaction; Rollback drops it. SQLite takes a whole transaction back
    // by itself when a disk fills or a size limit is reached (in a post or
    // in the commit): the failing call throws and InTransaction() is false
    // from then on, so the caller knows every row since StartTransaction is
    // gone and the next write starts a transaction of its own.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    // Fields of the current row or the edit buffer.
    int FieldIndex(const QString& name) const; // -1 when unknown
    int FieldCount() const { return int(def_.Fields.size()); }
    QString AsString(int field) const;
    QByteArray AsUtf8(int field) const;
    qint64 AsInteger(int field) const;
    double AsFloat(int field) const;
    bool AsBoolean(int field) const;
    bool IsNull(int field) const;
    QString AsString(const QString& name) const { return AsString(checkedIndex(name)); }
    qint64 AsInteger(const QString& name) const { return AsInteger(checkedIndex(name)); }
    double AsFloat(const QString& name) const { return AsFloat(checkedIndex(name)); }
    bool AsBoolean(const QString& name) const { return AsBoolean(checkedIndex(name)); }

    void SetString(int field, const QString& value);
    // cp932Length: the value's length in code page 932 bytes when the caller
    // knows it (saves converting it again for the width check), else -1.
    void SetUtf8(int field, const QByteArray& utf8, int cp932Length = -1);
    // The same from bytes the table copies (into storage it keeps between rows).
    void SetUtf8(int field, const char* utf8, int length, int cp932Length = -1);
    // Builds a text value in place, in storage the table keeps between rows:
    // fill(out) writes at most capacity bytes of UTF-8 to out and returns how
    // many, or -1 to give up (the field is left blank). False when the fill
    // gave up or the field holds no text (then fill is not called).
    template <class Fill>
    bool FillUtf8(int field, int capacity, int cp932Length, Fill&& fill);
    void SetInteger(int field, qint64 value);
    void SetFloat(int field, double value);
    void SetBoolean(int field, bool value);
    void SetNull(int field); // memo: absent; others: blank
    void SetString(const QString& name, const QString& value) { SetString(checkedIndex(name), value); }
    void SetInteger(const QString& name, qint64 value) { SetInteger(checkedIndex(name), value); }
    void SetFloat(const QString& name, double value) { SetFloat(checkedIndex(name), value); }
    void SetBoolean(const QString& name, bool value) { SetBoolean(checkedIndex(name), value); }

    // Reads every row in RecNo order without moving the current row.
    template <class F>
    void Scan(F&& onRow)
    {
        scanImpl([](void* ctx, const TSqlRow& row) { (*static_cast<F*>(ctx))(row); }, &onRow);
    }

    // The write check on its own: empty when the value fits the field, else
    // the message Post would throw.
    QString CheckValue(int field, const QByteArray& utf8, int cp932Length = -1) const;

private:
    struct TValue {
        bool null = false;
        qint64 i = 0;
        double d = 0;
        QByteArray text; // UTF-8
        int cp932Length = -1; // known length in code page 932 bytes, else -1
        // Whether the value passes the write check: 1 yes, 0 no, -1 not known
        // yet (read from the file). Setters check once, Post only the unknown.
        signed char fits = 1;
    };
    int checkedIndex(const QString& name) const;
    TValue& writable(int field); // the value a setter writes: the edit buffer's or the key's
    TValue& writableOther(int field);
    char* textRoom(int field, int capacity); // a text field's value storage, capacity bytes
    void textFilled(int field, int length, int cp932Length);
    signed char valueFits(int field, const char* utf8, qsizetype length, int cp932Length) const;
    void setText(TValue& v, int field, int cp932Length);
    void blankBuffer();
    void loadRow(sqlite3_stmt* st);
    bool stepOne(sqlite3_stmt* st); // positions on the row, false when none
    bool stepAlong(bool forward);   // the next or prior row along the current index
    void bindValue(sqlite3_stmt* st, int pos, int field, const TValue& v, bool copy) const;
    void bindCurrentKey(sqlite3_stmt* st) const;
    void bindKeyValues(sqlite3_stmt* st, const QVariantList& values) const;
    sqlite3_stmt* prepare(const QString& sql);
    template <class F>
    sqlite3_stmt* cached(int site, int variant, F&& sql);
    [[noreturn]] void fail(const QString& what);
    void abandonOpen();
    void beginOwnWrite(const QString& what);
    void commitOwnWrite(const QString& what);
    void dropOwnWrite();
    void requireUnmoved(const QString& what);
    bool fileRewritten();
    void noteCommitted();
    void foldLog();
    void noticeEndedTransaction();
    void transactionEnded();
    void exec(const char* sql);
    void requireBrowse(const char* op) const;
    void refreshCurrent();
    void scanImpl(void (*fn)(void*, const TSqlRow&), void* ctx);
    QString orderBy(bool desc) const;
    const QString& selectList() const { return selectList_; }
    const QString& selectFrom() const { return selectFrom_; } // "SELECT <every column> FROM <table>"

    TSqlTableDef def_;
    // What the write path asks of a field on every row, kept compact.
    struct TFieldInfo {
        TSqlFieldType type;
        bool text;       // Text or Memo
        bool blankNull;  // NULL when blank (Memo, AutoInc)
        bool digitsOnly;
        int size;
    };
    std::vector<TFieldInfo> info_;
    QString selectList_;
    QString selectFrom_;
    QString fileName_;
    sqlite3* db_ = nullptr;
    int lockFd_ = -1;
    // Whose queue the deferred folding of the log waits in; going with the
    // table, it takes a pending fold with it.
    std::unique_ptr<QObject> idle_;
    bool foldPending_ = false;
    int foldRetryMs_ = 0;
    // The file as last seen by any table of this process on it (its stat,
    // and how far any connection had folded the log into it then), to tell
    // a file whose bytes were replaced in place from one only folds wrote.
    std::shared_ptr<TSqlFileSeen> seen_;
    bool wal_ = false;      // the connection keeps a log (the file's bytes change only by a fold)
    bool rewritten_ = false; // replaced in place under the table: nothing of its own goes into it again
    struct TCachedStmt {
        int site;
        int variant;
        QString index;
        sqlite3_stmt* stmt;
    };
    std::vector<TCachedStmt> stmts_;
    sqlite3_stmt* insertStmt_ = nullptr;
    sqlite3_stmt* updateStmt_ = nullptr;
    QString indexName_;
    QStringList indexFields_; // empty for the primary index
    std::vector<int> indexFieldNos_;
    TState state_ = TState::Inactive;
    std::vector<TValue> buf_;
    std::vector<TValue> read_; // the row as Edit found it
    std::vector<TValue> key_;
    qint64 cur_ = 0;
    bool eof_ = true;
    bool bof_ = true;
    bool inTransaction_ = false;
};

template <class Fill>
bool TSqlTable::FillUtf8(int field, int capacity, int cp932Length, Fill&& fill)
{
    char* out = textRoom(field, capacity);
    const int length = out ? fill(out) : -1;
    Q_ASSERT(length <= capacity);
    if (length < 0) {
        if (out)
            textFilled(field, 0, 0); // a fill that gave up leaves the field blank
        return false;
    }
    textFilled(field, length, cp932Length);
    return true;
}

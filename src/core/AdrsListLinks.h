#pragma once
// What the record window needs of the lists it is opened from: stepping
// through their rows, and (of the address-book main window) reading, listing
// anew and telling of written records. The main window implements these
// itself; a search window's results and the tests offer their own.

#include <QList>
#include <QString>

struct TAdrsRecord;

// Move buttons, by their tag.
enum TMoveKind : int { mkFirst = 0, mkPrior = 1, mkNext = 2, mkLast = 3 };

// What every list the record window was opened from offers.
class TSourceLink {
public:
    virtual ~TSourceLink() = default;
    virtual bool IsFirst() const = 0;
    virtual bool IsLast() const = 0;
    virtual int Count() const = 0;
    virtual int CurrentIndex() const = 0;
    virtual void SetCurrentIndex(int index) = 0; // -1 allowed
    // Repaints the list in its linked colour (or without it).
    virtual void UpdateColor() = 0;
};

// The address-book main window.
class TAddressListLink : public TSourceLink {
public:
    // Reads the first, previous, next or last row and makes it current.
    virtual bool Move(TMoveKind kind, TAdrsRecord& record) = 0;
    virtual bool ReadRecord(int recNo, TAdrsRecord& record) = 0;
    virtual bool ReadRecordAt(int index, TAdrsRecord& record) = 0;
    virtual void RefreshList(bool reloadColumns, bool rebuild, bool keepTop) = 0;
    virtual int IndexOfRecNo(int recNo) const = 0;
    virtual void SelectItem(int index, bool exclusive, bool makeVisible) = 0;
    virtual void NotifyRecordsUpdated(const QList<int>& recNos) = 0;
    virtual void NotifyRecordsDeleted(const QList<int>& recNos) = 0;
    virtual int SenderCount() const = 0;
    virtual QString SenderTitle(int index) const = 0;
    virtual int SenderRecNo(int index) const = 0;
    virtual void EditGroupNames() = 0;
};

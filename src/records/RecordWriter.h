#pragma once
// The checks and table work behind registering and changing a record, with
// no window involved: the input's format checks, the lookups that need the
// table, and writing a record as a new row or over an existing one.

#include "records/RecordInput.h"

#include <QString>
#include <optional>
#include <vector>

class ESqlTableError;
class TSqlTable;
struct TBookTelMatch;

// The first failed check: its message and the control to focus.
struct TInputError {
    QString Message;
    QString Control;        // objectName
    bool SelectAll = false; // else the caret goes to the end
};

// Customer code characters, telephone-type numbers, postal code, links; in
// that order. A link the record cannot give back as written is never stored;
// with shownFrom (the record the input was shown from, as RecordFromInput
// takes it) a link that record showed is written as it is stored, and passes.
std::optional<TInputError> CheckInputFormat(const TRecordInput& input, const TAdrsRecord* shownFrom = nullptr);

// Whether the customer code is held by a row of the table.
bool CustomCodeInUse(TSqlTable& table, const QString& code);

// The first of Tel, Fax, Portable1, Portable2 (0-3) whose digits a row of the
// table already holds; -1 when none. Empty numbers are skipped.
int FindDuplicateNumber(TSqlTable& table, const TRecordInput& input);
// "電話番号", "FAX番号", "携帯番号１", "携帯番号２".
QString DuplicateNumberLabel(int which);

// How a write ended; the values are the ones callers have always been given.
enum class TWriteResult : int { Written = 0, Refused = 1, Failed = 9 };

// Writes the record as a new row (heldRecNo < 0) or over the row heldRecNo.
// A failed post is cancelled and reported as Failed, leaving the table as
// it was; Refused when the row to update is gone. newRecNo receives the
// RecNo of a new row; cause, when given, why a write Failed (the engine's
// message: a full disk, a row changed by another program on the book).
//
// rowAsShown guards an update against a change another program made while
// the record was on screen: when given, it is the row as read when the
// record was shown, and the write fails (Failed, with the cause) if the row
// holds anything else now; after a write it receives the row as written.
//
// keepProtected (the administrator lock is on): an update keeps the row's
// stored My Numbers, protected memos and protected free memo byte for byte,
// whatever the record holds, so that no way into the window's locked fields
// can change them. They are taken from the row as the file holds it, never
// through the record's fixed-width fields: one longer than its column
// (written by another program) fails the write rather than being cut.
TWriteResult WriteAdrsRow(TSqlTable& table, const TAdrsRecord& record, int heldRecNo, int* newRecNo,
                          QString* cause = nullptr, TAdrsRecord* rowAsShown = nullptr, bool keepProtected = false);
// Why a write into the book failed, for the line under the failure message;
// a file moved or replaced under the window is said to be the book's.
QString BookWriteCause(const ESqlTableError& error);
// The message of a failed write: its text ("add error", "update error") and,
// on a line of its own, the cause when one is known.
QString WriteFailureMessage(const QString& text, const QString& cause);

// The rows whose Tel, Fax, Portable1 or Portable2 holds the digits of tel,
// each row once, for the telephone lookup of the dictionary dialog.
std::vector<TBookTelMatch> FindBookTelMatches(TSqlTable& table, const QString& tel);

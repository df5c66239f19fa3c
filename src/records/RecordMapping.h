#pragma once
// Between address records, business listings and the record window's input
// (TRecordInput), with no window involved: what the window shows for a
// record or a listing, the record its input makes, and whether that input
// differs from a record.

#include "records/RecordInput.h"

struct TListingDetail;
struct TDicAdrsRecord;

// Byte limits of the window's edits where they are narrower than the field
// (what a listing may put in must also fit what can be typed).
namespace input_limit {
inline constexpr int Tdfkn = 8;
inline constexpr int Adrs1 = 32;
inline constexpr int Adrs2 = 100;
inline constexpr int AdrsKana = 80;
inline constexpr int CorpKanji = 112;
inline constexpr int CorpKana = 80;
inline constexpr int NameKanjiChars = 15;
inline constexpr int NameKana = 25;
} // namespace input_limit

// What the controls show for a stored record: deciphered numbers and memos,
// decoded wide names, display forms of the postal code, first publication
// and the two time stamps.
TRecordInput InputFromRecord(const TAdrsRecord& record);

// Puts a listing into input that was emptied before (its group and the
// person/company state are replaced only where the listing decides them).
void ApplyListing(const TListingDetail& listing, TRecordInput& input);

// Puts the result of a dictionary lookup into the input. resultKind is the
// lookup dialog's: 1 and 2 (postal code, address) leave the numbers alone, 9
// (a telephone listing of a person) fills the person's name. An address the
// input already begins with stays as typed.
void ApplyDictionaryResult(const TDicAdrsRecord& found, int resultKind, TRecordInput& input);

// How the input becomes a record.
enum class TRecordForm {
    // As the window keeps it to compare later: texts cut to their fields,
    // not trimmed.
    Snapshot,
    // As it is written to the table: texts trimmed and cut to their fields.
    Write,
};

// The record the input makes. Numbers, postal code and first publication
// keep their single-byte digits; My Numbers and protected memos are
// enciphered; the name and joint names take the wide-text form. RecNo,
// AddDateTime, UpdDateTime and CodeGenre are left 0.
// With shownFrom (the record the input was shown from), every field whose
// control still holds what showing that record put there keeps the record's
// stored value exactly, so that a record saved with one edit changes in that
// field alone.
void RecordFromInput(const TRecordInput& input, TRecordForm form, TAdrsRecord& record,
                     const TAdrsRecord* shownFrom = nullptr);

// True when writing the input would change the record's stored values (the
// fields the system compares; RecNo, the time stamps and CodeGenre are not).
// A field left as showing the record put it is never a change.
// JisCode and KajoCode are compared as typed, so a trailing blank counts.
// Fields are compared by their kind (core/AdrsFields.h); the exceptions are
// listed in RecordMapping.cpp (ComparedByHand).
bool IsRecordChanged(const TRecordInput& input, const TAdrsRecord& record);

// A link is stored as one line of code page 932 bytes and must read back as
// it was chosen, or it would no longer open: the first character of the link
// that would not (one the code page cannot hold or gives back as another
// sign, or a control character such as a line break, which would split the
// stored line), or 0 when the link can be stored as it is.
char32_t UnstorableLinkChar(const QString& link);

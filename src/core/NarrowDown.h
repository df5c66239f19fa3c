#pragma once
// The address list's filter: conditions on 35 items of a record, combined so
// that all or any of them must hold, and their evaluation over the list's
// cache of stored values.
//
// Text conditions match the way code page 932 text matches: byte for byte,
// with no folding, and never starting on the second byte of a double-byte
// character. The cache holds texts as UTF-8, and the evaluator matches there:
// UTF-8 cannot start a match inside a character, and a text read from code
// page 932 is one UTF-8 form per character, so a byte match in UTF-8 finds
// exactly the character-aligned matches of the code page 932 bytes. The
// condition's text is converted once per filter, never per row. Names and
// joint names (stored plain or as "@XXXX" wide text) are compared on their
// decoded text.

#include "core/FieldCipher.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TAdrsListCache;

// Condition kinds.
inline constexpr int ndkText = 0, ndkChoice = 1, ndkRange = 11, ndkCategory = 12;
// Match codes of a text condition with a text; -1 for every other condition.
inline constexpr int ndmFront = 0, ndmAnywhere = 1, ndmRear = 2, ndmNone = -1;
// Input kinds of the item table.
inline constexpr int ndiFree = 0, ndiHistory = 1, ndiChoice = 2, ndiRange = 3, ndiCategory = 4;

inline constexpr int kNarrowDownItemCount = 35;
inline constexpr int kMaxNarrowDownConditions = 10; // what the dialog lets the user build
// Item numbers the code refers to by name.
inline constexpr int ndTel = 1, ndTelDiv = 2, ndFax = 3, ndPubDate = 4, ndPortable1 = 5, ndPortable2 = 6,
                     ndPos = 7, ndAddress = 8, ndPrivCorp = 9, ndMyNumber = 10, ndCorpKanji = 11,
                     ndDptmnt = 12, ndPost = 13, ndName = 15, ndJoint1 = 19, ndKeyword1 = 24,
                     ndKeyword6 = 29, ndNote = 32, ndSymbolMark = 33, ndCategory = 34;

struct TNarrowDownItem {
    std::int32_t Item = 0;
    std::int32_t Kind = ndkText;
    QByteArray Text; // code page 932 (names and joint names: "@XXXX" wide text)
    std::int32_t Value1 = 0;
    std::int32_t Value2 = 0;
    std::int32_t Match = ndmNone;
    bool Exclude = false;

    friend bool operator==(const TNarrowDownItem&, const TNarrowDownItem&) = default;
};

struct TNarrowDownCondition {
    std::vector<TNarrowDownItem> Items;
    bool MatchAll = true;

    friend bool operator==(const TNarrowDownCondition&, const TNarrowDownCondition&) = default;
};

// One row of the item table: caption, input kind and maximum input length
// (0 = none), as text.
struct TNarrowDownItemDef {
    const char* Caption;
    const char* InputKind;
    const char* MaxLength;
};
extern const TNarrowDownItemDef NarrowDownItemDefs[kNarrowDownItemCount];

QString NarrowDownCaption(int item);
int NarrowDownInputKind(int item);
int NarrowDownMaxLength(int item);
// The condition kind an item's conditions have.
int NarrowDownKindOf(int item);
// The choices of a fixed-choice item (empty for the others).
QStringList NarrowDownChoices(int item);
// Names and joint names: typed as wide text.
bool IsWideNarrowDownItem(int item);
// Telephone-type numbers and the postal code: stored as digits only.
bool IsDigitsNarrowDownItem(int item);

// The stored form of a typed text: wide text for names, hyphens removed for
// numbers and the postal code, code page 932 otherwise.
QByteArray NarrowDownTextFromInput(int item, const QString& typed);
// The text as typed back from its stored form.
QString NarrowDownTextToInput(int item, const QByteArray& text);

// Whether a condition read from outside (a file) is one this system can
// evaluate: a known item with its own kind, a known match code, a choice
// within range, Exclude 0 or 1.
bool IsSoundNarrowDownItem(const TNarrowDownItem& item);

// Evaluates one filter over the cache. Built once per filter run; Passes is
// called per row.
class TNarrowDownEvaluator {
public:
    // myNumberLocked tells whether My Number conditions are locked out (an
    // administrator password set and administrator mode off); by default the
    // settings are asked at every evaluation of such a condition.
    explicit TNarrowDownEvaluator(const TNarrowDownCondition& condition,
                                  std::function<bool()> myNumberLocked = {});

    bool Passes(const TAdrsListCache& cache, int row) const;
    // Passes for every row of the cache at once, taken condition by
    // condition over whole fields (a text looked for anywhere in a field is
    // one pass over the field's texts), each condition tested only on the
    // rows it can still decide: what the list uses when it lists anew.
    std::vector<std::uint8_t> PassingRows(const TAdrsListCache& cache) const;
    // Whether My Number conditions are locked out now.
    bool MyNumberLocked() const { return myNumberLocked_(); }
    bool Holds(int index, const TAdrsListCache& cache, int row) const;
    bool Empty() const { return conds_.empty(); }

private:
    struct TPrepared {
        TNarrowDownItem item;
        std::string utf8; // the text as UTF-8 (narrow items)
        QString wide;     // the decoded text (names and joint names)
        bool known;       // a known item with its own kind; others never hold
        int field = -1;   // the table column a text item tests
        bool wideItem = false;
    };
    bool holds(const TPrepared& c, const TAdrsListCache& cache, int row) const;
    TFieldDecipher decipher_; // one key schedule for the run (the list filters on one thread)
    std::vector<TPrepared> conds_;
    bool matchAll_ = true;
    std::function<bool()> myNumberLocked_;
};

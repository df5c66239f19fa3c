#include "records/RecordMapping.h"

#include "core/AdrsFields.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/common/AddressText.h"
#include "listing_search/DicSch.h"
#include "listing_search/ListingDetail.h"
#include "platform/Cp932.h"

#include <array>
#include <tuple>
#include <type_traits>

namespace {

const QByteArray kKey(kFieldKey);

QString Deciphered(const QByteArray& stored)
{
    QByteArray plain;
    // A value that cannot be read shows as empty, never as garbage.
    if (!DecryptAESString(stored, kKey, plain))
        return {};
    return cp932::Decode(plain);
}

QByteArray Enciphered(const QString& text)
{
    return EncryptAESString(cp932::Encode(text), kKey);
}

QByteArray Digits(const QString& text)
{
    return ExtractNumChars(cp932::Encode(text), kExtractDigits);
}

// The memo shows the lines joined by CR LF, and MemoLines is its exact
// inverse: a shown note read back unedited is the same list of lines, an
// empty last line included.
QString LinesText(const TStringList& lines)
{
    QStringList out;
    for (const QByteArray& line : lines)
        out.append(cp932::Decode(line));
    return out.join(QStringLiteral("\r\n"));
}

TStringList MemoLines(const QString& text)
{
    TStringList lines;
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        lines.append(cp932::Encode(line));
    return lines;
}

template <int N>
void Put(TShortStr<N>& field, const QString& text, TRecordForm form)
{
    field.SetText(form == TRecordForm::Write ? cp932::Trim(text) : text);
}

template <int N>
QString Stored(const TShortStr<N>& field)
{
    return cp932::Trim(field.Text());
}

QString StoredWide(const QByteArray& stored)
{
    return cp932::Trim(AtHexToWide(stored));
}

// The controls that edit a field as it is stored, by the field's kind; the
// other controls are mapped by hand in InputFromRecord and RecordFromInput.
// An array field pairs with an array of controls of the same length.
template <class R, class I>
struct TControl {
    R TAdrsRecord::*Field;
    I TRecordInput::*Input;
};
template <class R, class I>
TControl(R TAdrsRecordFields::*, I TRecordInput::*) -> TControl<R, I>;

// Texts: shown as stored, given back trimmed (Write) or as typed (Snapshot).
const auto kTextControls = std::tuple{
    TControl{&TAdrsRecord::CustomCode, &TRecordInput::CustomCode}, TControl{&TAdrsRecord::Tdfkn, &TRecordInput::Tdfkn},
    TControl{&TAdrsRecord::Adrs1, &TRecordInput::Adrs1},           TControl{&TAdrsRecord::Adrs2, &TRecordInput::Adrs2},
    TControl{&TAdrsRecord::Adrs3, &TRecordInput::Adrs3},           TControl{&TAdrsRecord::AdrsKana, &TRecordInput::AdrsKana},
    TControl{&TAdrsRecord::JisCode, &TRecordInput::JisCode},       TControl{&TAdrsRecord::KajoCode, &TRecordInput::KajoCode},
    TControl{&TAdrsRecord::CorpKanji, &TRecordInput::CorpKanji},   TControl{&TAdrsRecord::CorpKana, &TRecordInput::CorpKana},
    TControl{&TAdrsRecord::Dptmnt, &TRecordInput::Dptmnt},         TControl{&TAdrsRecord::Post, &TRecordInput::Post},
    TControl{&TAdrsRecord::EmployeeNo, &TRecordInput::EmployeeNo}, TControl{&TAdrsRecord::NameKana, &TRecordInput::NameKana},
    TControl{&TAdrsRecord::Honor, &TRecordInput::Honor},           TControl{&TAdrsRecord::URL, &TRecordInput::URL},
    TControl{&TAdrsRecord::EMail1, &TRecordInput::EMail1},         TControl{&TAdrsRecord::EMail2, &TRecordInput::EMail2},
    TControl{&TAdrsRecord::JointHonor, &TRecordInput::JointHonor}, TControl{&TAdrsRecord::Keyword, &TRecordInput::Keyword},
};
// Telephone-like numbers: shown as stored, given back as their digits.
const auto kNumberControls = std::tuple{
    TControl{&TAdrsRecord::Tel, &TRecordInput::Tel},             TControl{&TAdrsRecord::Fax, &TRecordInput::Fax},
    TControl{&TAdrsRecord::Portable1, &TRecordInput::Portable1}, TControl{&TAdrsRecord::Portable2, &TRecordInput::Portable2},
};
// Names in the wide-text form: shown decoded, given back encoded.
const auto kWideControls = std::tuple{
    TControl{&TAdrsRecord::NameKanji, &TRecordInput::NameKanji},
    TControl{&TAdrsRecord::Joint, &TRecordInput::Joint},
};
// Enciphered numbers and memos: shown deciphered, given back enciphered.
const auto kCipherControls = std::tuple{
    TControl{&TAdrsRecord::MyNumber, &TRecordInput::MyNumber},
    TControl{&TAdrsRecord::JointMyNumber, &TRecordInput::JointMyNumber},
    TControl{&TAdrsRecord::ProtectMemo, &TRecordInput::ProtectMemo},
};
// Values the controls hold as they are.
const auto kValueControls = std::tuple{
    TControl{&TAdrsRecord::Group, &TRecordInput::Group},           TControl{&TAdrsRecord::Latitude, &TRecordInput::Latitude},
    TControl{&TAdrsRecord::Longitude, &TRecordInput::Longitude},   TControl{&TAdrsRecord::PrivCorp, &TRecordInput::Priv},
    TControl{&TAdrsRecord::IgnoreName, &TRecordInput::IgnoreName}, TControl{&TAdrsRecord::JointOwner, &TRecordInput::JointOwner},
    TControl{&TAdrsRecord::Sender, &TRecordInput::Sender},         TControl{&TAdrsRecord::SymbolColor, &TRecordInput::SymbolColor},
    TControl{&TAdrsRecord::CodeMain, &TRecordInput::CodeMain},
};

template <class T>
struct TIsArray : std::false_type {};
template <class T, std::size_t N>
struct TIsArray<std::array<T, N>> : std::true_type {};

// f(field, control) for every control of the list, element by element.
template <class Controls, class Record, class Input, class F>
void EachControl(const Controls& controls, Record& r, Input& in, F&& f)
{
    std::apply(
        [&](const auto&... c) {
            const auto one = [&](const auto& control) {
                auto& field = r.*control.Field;
                auto& input = in.*control.Input;
                if constexpr (TIsArray<std::remove_cvref_t<decltype(field)>>::value) {
                    static_assert(std::tuple_size_v<std::remove_cvref_t<decltype(field)>> ==
                                  std::tuple_size_v<std::remove_cvref_t<decltype(input)>>);
                    for (std::size_t i = 0; i < field.size(); ++i)
                        f(field[i], input[i]);
                } else {
                    f(field, input);
                }
            };
            (one(c), ...);
        },
        controls);
}

} // namespace

TRecordInput InputFromRecord(const TAdrsRecord& r)
{
    TRecordInput in;
    EachControl(kTextControls, r, in, [](const auto& field, QString& text) { text = field.Text(); });
    EachControl(kNumberControls, r, in, [](const auto& field, QString& text) { text = field.Text(); });
    EachControl(kWideControls, r, in, [](const auto& field, QString& text) { text = AtHexToWide(field.Bytes()); });
    EachControl(kCipherControls, r, in, [](const auto& field, QString& text) { text = Deciphered(field.Bytes()); });
    EachControl(kValueControls, r, in, [](const auto& field, auto& value) { value = field; });
    in.MainNumber = r.TelDiv == 3;
    in.PubDate = recordform::PubDateText(r.PubDate.Text());
    in.Pos = recordform::PostalCodeText(r.Pos.Text());
    in.CodeSubEntry = r.CodeSub > 0 ? r.CodeMain * 100 + r.CodeSub : 0;
    for (int i = 0; i < 5; ++i)
        in.JointPrint[i + 1] = r.JointPrintN[i];
    in.JointPrint[0] = r.JointPrint;
    in.PrintTarget = (r.PrintTarget == 1 || r.PrintTarget == 2) ? r.PrintTarget : 0;
    if (r.Note)
        in.Note = LinesText(*r.Note);
    in.ProtectNote = r.ProtectNote.Text();
    if (r.ExtLink) {
        for (const QByteArray& link : *r.ExtLink)
            in.ExtLink.append(cp932::Decode(link));
    }
    in.SymbolMark = r.SymbolMark.Text();
    in.AddDateTime = recordform::DateTimeText(r.AddDateTime);
    in.UpdDateTime = recordform::DateTimeText(r.UpdDateTime);
    return in;
}

void ApplyListing(const TListingDetail& l, TRecordInput& in)
{
    if (l.TelKind != 1)
        in.Tel = l.Tel;
    if (l.TelKind == 1 || l.TelKind == 2)
        in.Fax = l.Tel;
    in.MainNumber = l.TelKind == 3;
    in.PubDate = recordform::PubDateText(l.PubDate.left(6));
    in.Pos = recordform::PostalCodeText(l.PostalCode);
    in.Tdfkn = cp932::CutToBytes(l.Tdfkn, input_limit::Tdfkn);
    // The joined address goes into Adrs2; what does not fit goes on in Adrs3.
    TDicAdrsRecord address;
    address.City = l.City;
    address.Town = l.JoinedAddress();
    address = address.FittedToRecord();
    in.Adrs1 = address.City;
    in.Adrs2 = address.Town;
    in.Adrs3 = address.Rest;
    in.AdrsKana = cp932::CutToBytes(l.JoinedReading(), input_limit::AdrsKana);
    in.JisCode = l.JisCode();
    in.KajoCode = l.KajoCode();
    in.Latitude = l.LatitudeMs();
    in.Longitude = l.LongitudeMs();
    in.Priv = l.IsPerson();
    if (in.Priv) {
        in.NameKanji = l.Name.left(input_limit::NameKanjiChars);
        in.NameKana = cp932::CutToBytes(l.NameKana, input_limit::NameKana);
        return;
    }
    in.CorpKanji = cp932::CutToBytes(ExpandCorpFormW(l.Name), input_limit::CorpKanji);
    in.CorpKana = cp932::CutToBytes(l.NameKana, input_limit::CorpKana);
    if (!cp932::Trim(l.Category).isEmpty()) {
        in.CodeMain = l.CategoryMain();
        const int minor = l.CategorySub();
        in.CodeSubEntry = minor > 0 ? in.CodeMain * 100 + minor : 0;
    }
}

namespace {

// Whether the typed text, trimmed and not empty, already begins with what a
// lookup found (the user typed the block number after it).
bool StartsWithText(const QString& typed, const QString& found)
{
    const QString t = cp932::Trim(typed);
    return !t.isEmpty() && t.startsWith(found);
}

} // namespace

void ApplyDictionaryResult(const TDicAdrsRecord& found, int resultKind, TRecordInput& in)
{
    const TDicAdrsRecord f = found.FittedToRecord();
    // A postal code or an address from the dictionary names a place and
    // nothing else: whom the record is about stays as it was.
    const bool place = resultKind == TDicSearch::kResultPostal || resultKind == TDicSearch::kResultAddress;
    if (!place) {
        if (f.TelKind != 1)
            in.Tel = cp932::Trim(f.Tel);
        if (f.TelKind == 1 || f.TelKind == 2)
            in.Fax = cp932::Trim(f.Tel);
        in.MainNumber = f.TelKind == 3;
        in.PubDate = recordform::PubDateText(f.PubDate.left(6));
    }
    in.Pos = recordform::PostalCodeText(f.PostalCode);
    if (!StartsWithText(in.Tdfkn + in.Adrs1 + in.Adrs2 + in.Adrs3, f.Tdfkn + f.City + f.Town + f.Rest)) {
        in.Tdfkn = f.Tdfkn;
        in.Adrs1 = f.City;
        in.Adrs2 = f.Town;
        in.Adrs3 = f.Rest;
    }
    if (!StartsWithText(in.AdrsKana, f.AdrsKana))
        in.AdrsKana = cp932::CutToBytes(f.AdrsKana, input_limit::AdrsKana);
    if (place) {
        // The codes only when the place was found in the listings.
        if (!f.JisCode.isEmpty()) {
            in.JisCode = f.JisCode;
            in.KajoCode = f.KajoCode;
        }
        return;
    }
    in.JisCode = f.JisCode;
    in.KajoCode = f.KajoCode;
    in.Latitude = f.Latitude;
    in.Longitude = f.Longitude;
    if (f.Person == 0) {
        in.Priv = false;
        in.CorpKanji = cp932::CutToBytes(f.Name, input_limit::CorpKanji);
        in.CorpKana = cp932::CutToBytes(f.NameKana, input_limit::CorpKana);
    } else if (resultKind == TDicSearch::kResultPersonTel) {
        in.Priv = true;
        in.NameKanji = f.Name.left(input_limit::NameKanjiChars);
        in.NameKana = cp932::CutToBytes(f.NameKana, input_limit::NameKana);
    }
    in.CodeMain = f.CtgryMain;
    in.CodeSubEntry = f.CtgryMain > 0 && f.CtgrySub > 0 ? f.CtgryMain * 100 + f.CtgrySub : 0;
}

namespace {

// Every field whose control still holds what showing the record put there
// keeps the record's stored value exactly: a value the window cannot show
// as stored (a protected value that cannot be deciphered, blanks the write
// would trim, a note's line breaks) is never rewritten by a save of
// something else.
template <class Controls>
void KeepUnedited(const Controls& controls, const TRecordInput& in, const TRecordInput& shown,
                  const TAdrsRecord& stored, TAdrsRecord& r)
{
    std::apply(
        [&](const auto&... c) {
            const auto one = [&](const auto& control) {
                auto& field = r.*control.Field;
                const auto& kept = stored.*control.Field;
                const auto& now = in.*control.Input;
                const auto& then = shown.*control.Input;
                if constexpr (TIsArray<std::remove_cvref_t<decltype(field)>>::value) {
                    for (std::size_t i = 0; i < field.size(); ++i) {
                        if (now[i] == then[i])
                            field[i] = kept[i];
                    }
                } else if (now == then) {
                    field = kept;
                }
            };
            (one(c), ...);
        },
        controls);
}

void KeepUneditedFields(const TRecordInput& in, const TRecordInput& shown, const TAdrsRecord& s, TAdrsRecord& r)
{
    KeepUnedited(kTextControls, in, shown, s, r);
    KeepUnedited(kNumberControls, in, shown, s, r);
    KeepUnedited(kWideControls, in, shown, s, r);
    KeepUnedited(kCipherControls, in, shown, s, r);
    if (in.MainNumber == shown.MainNumber)
        r.TelDiv = s.TelDiv;
    if (in.PubDate == shown.PubDate)
        r.PubDate = s.PubDate;
    if (in.Pos == shown.Pos)
        r.Pos = s.Pos;
    if (in.PrintTarget == shown.PrintTarget)
        r.PrintTarget = s.PrintTarget;
    if (in.CodeMain == shown.CodeMain && in.CodeSubEntry == shown.CodeSubEntry)
        r.CodeSub = s.CodeSub;
    if (in.Note == shown.Note)
        r.Note = s.Note;
    if (in.ProtectNote == shown.ProtectNote)
        r.ProtectNote = s.ProtectNote;
    if (in.ExtLink == shown.ExtLink) {
        r.ExtLink = s.ExtLink;
    } else if (r.ExtLink && s.ExtLink) {
        // Links added, deleted or moved: each link the record showed keeps
        // its stored bytes, which a link the code page cannot give back
        // (damaged by another program) would lose if written again.
        for (qsizetype i = 0; i < in.ExtLink.size() && i < r.ExtLink->size(); ++i) {
            const qsizetype at = shown.ExtLink.indexOf(in.ExtLink[i]);
            if (at >= 0 && at < s.ExtLink->size())
                (*r.ExtLink)[i] = s.ExtLink->at(at);
        }
    }
    if (in.SymbolMark == shown.SymbolMark)
        r.SymbolMark = s.SymbolMark;
}

} // namespace

void RecordFromInput(const TRecordInput& in, TRecordForm form, TAdrsRecord& r, const TAdrsRecord* shownFrom)
{
    ClearAdrsRecord(r);
    const bool write = form == TRecordForm::Write;
    EachControl(kTextControls, r, in, [&](auto& field, const QString& text) { Put(field, text, form); });
    EachControl(kNumberControls, r, in, [](auto& field, const QString& text) { field.Assign(Digits(text)); });
    EachControl(kWideControls, r, in, [&](auto& field, const QString& text) {
        field.Assign(WideToAtHex(write ? cp932::Trim(text) : text));
    });
    EachControl(kCipherControls, r, in, [](auto& field, const QString& text) { field.Assign(Enciphered(text)); });
    EachControl(kValueControls, r, in, [](auto& field, const auto& value) { field = value; });
    r.TelDiv = in.MainNumber ? 3 : 0;
    r.PubDate.Assign(Digits(in.PubDate));
    r.Pos.Assign(Digits(in.Pos));
    for (int i = 0; i < 5; ++i)
        r.JointPrintN[i] = in.JointPrint[i + 1];
    r.JointPrint = in.JointPrint[0];
    r.PrintTarget = in.PrintTarget;
    if (!in.Note.isEmpty())
        r.Note = std::make_unique<TStringList>(MemoLines(in.Note));
    r.ProtectNote.SetText(in.ProtectNote);
    if (!in.ExtLink.isEmpty()) {
        r.ExtLink = std::make_unique<TStringList>();
        for (const QString& link : in.ExtLink)
            r.ExtLink->append(cp932::Encode(link));
    }
    r.SymbolMark.SetText(in.SymbolMark);
    r.CodeSub = in.CodeMain > 0 ? in.CodeSubEntry % 100 : 0;
    if (shownFrom)
        KeepUneditedFields(in, InputFromRecord(*shownFrom), *shownFrom, r);
}

namespace {

// Columns the change test compares by hand (or never), each for its reason;
// every other column is compared by its kind in IsRecordChanged.
bool ComparedByHand(int column)
{
    switch (column) {
    case afRecNo:       // the table's
    case afAddDateTime: // time stamps and genre are not the input's
    case afUpdDateTime:
    case afCodeGenre:
    case afTelDiv:      // only whether it is the main number
    case afCodeSub:     // only under a major category
    case afPos:         // a text column holding the postal code's digits
    case afJisCode:     // as the controls hold them
    case afKajoCode:
    case afProtectNote: // exactly, blanks included
    case afSymbolMark:
    case afExtLink:     // without regard to letter case
        return true;
    default:
        return false;
    }
}

template <int N>
QByteArray DigitsOf(const TShortStr<N>& field)
{
    return ExtractNumChars(field.Bytes(), kExtractDigits);
}

} // namespace

bool IsRecordChanged(const TRecordInput& in, const TAdrsRecord& s)
{
    TAdrsRecord w;
    RecordFromInput(in, TRecordForm::Write, w, &s);

    bool changed = false;
    ForEachAdrsColumn([&](const auto& d, int i, int column) {
        if (changed || ComparedByHand(column))
            return;
        const auto& a = d.At(w, i);
        const auto& b = d.At(s, i);
        constexpr TFieldKind kind = std::remove_cvref_t<decltype(d)>::Kind;
        if constexpr (kind == TFieldKind::Narrow)
            changed = Stored(a) != Stored(b); // trimmed on both sides
        else if constexpr (kind == TFieldKind::Digits || kind == TFieldKind::Phone)
            changed = DigitsOf(a) != DigitsOf(b);
        else if constexpr (kind == TFieldKind::Wide) // decoded, whichever form they were stored in
            changed = StoredWide(a.Bytes()) != StoredWide(b.Bytes());
        else if constexpr (kind == TFieldKind::Cipher) // as stored text, letter case included
            changed = a.Bytes() != b.Bytes();
        else if constexpr (kind == TFieldKind::Lines) // line by line; no lines and no list alike
            changed = (a ? *a : TStringList{}) != (b ? *b : TStringList{});
        else if constexpr (kind != TFieldKind::DateTime && kind != TFieldKind::RecNo)
            changed = a != b;
    });
    if (changed)
        return true;

    if (in.MainNumber != (s.TelDiv == 3))
        return true;
    if (w.CodeMain > 0 && w.CodeSub != s.CodeSub)
        return true;
    if (DigitsOf(w.Pos) != DigitsOf(s.Pos))
        return true;
    // As typed: a blank typed after a code is a change, one stored with it is not.
    const TRecordInput shown = InputFromRecord(s);
    if ((in.JisCode != shown.JisCode && in.JisCode != Stored(s.JisCode)) ||
        (in.KajoCode != shown.KajoCode && in.KajoCode != Stored(s.KajoCode)))
        return true;
    if (w.ProtectNote.Bytes() != s.ProtectNote.Bytes() || w.SymbolMark.Bytes() != s.SymbolMark.Bytes())
        return true;

    if (s.ExtLink) {
        const qsizetype rows = w.ExtLink ? w.ExtLink->size() : 0;
        if (rows != s.ExtLink->size())
            return true;
        for (qsizetype i = 0; i < rows; ++i) {
            if (cp932::Decode(w.ExtLink->at(i)).compare(cp932::Decode(s.ExtLink->at(i)), Qt::CaseInsensitive) != 0)
                return true;
        }
        return false;
    }
    return w.ExtLink != nullptr;
}

char32_t UnstorableLinkChar(const QString& link)
{
    for (const char32_t ch : link.toUcs4()) {
        if (QChar::category(ch) == QChar::Other_Control)
            return ch;
        if (ch < 0x80)
            continue;
        const QString one = QString::fromUcs4(&ch, 1);
        if (!cp932::CanEncodeChar(ch) || cp932::Decode(cp932::Encode(one)) != one)
            return ch;
    }
    return 0;
}

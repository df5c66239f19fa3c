#include "records/RecordMapping.h"

#include "core/AdrsFields.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Utils.h"
#include "listing_search/DicSch.h"
#include "listing_search/ListingDetail.h"
#include "platform/Cp932.h"

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

QString LinesText(const TStringList& lines)
{
    QStringList out;
    for (const QByteArray& line : lines)
        out.append(cp932::Decode(line));
    return out.join(QStringLiteral("\r\n"));
}

// Memo text as lines; a final line break does not start another line.
TStringList MemoLines(const QString& text)
{
    return SplitMemoLines(cp932::Encode(text));
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

} // namespace

TRecordInput InputFromRecord(const TAdrsRecord& r)
{
    TRecordInput in;
    in.Group = r.Group;
    in.CustomCode = r.CustomCode.Text();
    in.Tel = r.Tel.Text();
    in.MainNumber = r.TelDiv == 3;
    in.Fax = r.Fax.Text();
    in.PubDate = recordform::PubDateText(r.PubDate.Text());
    in.Portable1 = r.Portable1.Text();
    in.Portable2 = r.Portable2.Text();
    in.Pos = recordform::PostalCodeText(r.Pos.Text());
    in.Tdfkn = r.Tdfkn.Text();
    in.Adrs1 = r.Adrs1.Text();
    in.Adrs2 = r.Adrs2.Text();
    in.Adrs3 = r.Adrs3.Text();
    in.AdrsKana = r.AdrsKana.Text();
    in.JisCode = r.JisCode.Text();
    in.KajoCode = r.KajoCode.Text();
    in.Latitude = r.Latitude;
    in.Longitude = r.Longitude;
    in.Priv = r.PrivCorp;
    in.MyNumber = Deciphered(r.MyNumber.Bytes());
    in.CorpKanji = r.CorpKanji.Text();
    in.CorpKana = r.CorpKana.Text();
    in.Dptmnt = r.Dptmnt.Text();
    in.Post = r.Post.Text();
    in.EmployeeNo = r.EmployeeNo.Text();
    in.NameKanji = AtHexToWide(r.NameKanji.Bytes());
    in.NameKana = r.NameKana.Text();
    in.Honor = r.Honor.Text();
    in.IgnoreName = r.IgnoreName;
    in.CodeMain = r.CodeMain;
    in.CodeSubEntry = r.CodeSub > 0 ? r.CodeMain * 100 + r.CodeSub : 0;
    in.URL = r.URL.Text();
    in.EMail1 = r.EMail1.Text();
    in.EMail2 = r.EMail2.Text();
    for (int i = 0; i < 5; ++i) {
        in.Joint[i] = AtHexToWide(r.Joint[i].Bytes());
        in.JointHonor[i] = r.JointHonor[i].Text();
        in.JointMyNumber[i] = Deciphered(r.JointMyNumber[i].Bytes());
        in.JointPrint[i + 1] = r.JointPrintN[i];
    }
    in.JointOwner = r.JointOwner;
    in.JointPrint[0] = r.JointPrint;
    in.PrintTarget = (r.PrintTarget == 1 || r.PrintTarget == 2) ? r.PrintTarget : 0;
    in.Sender = r.Sender;
    for (int i = 0; i < 8; ++i)
        in.Keyword[i] = r.Keyword[i].Text();
    if (r.Note)
        in.Note = LinesText(*r.Note);
    for (int i = 0; i < 10; ++i)
        in.ProtectMemo[i] = Deciphered(r.ProtectMemo[i].Bytes());
    in.ProtectNote = r.ProtectNote.Text();
    if (r.ExtLink) {
        for (const QByteArray& link : *r.ExtLink)
            in.ExtLink.append(cp932::Decode(link));
    }
    in.SymbolMark = r.SymbolMark.Text();
    in.SymbolColor = r.SymbolColor;
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
    in.Adrs1 = cp932::CutToBytes(l.City, input_limit::Adrs1);
    in.Adrs2 = cp932::CutToBytes(l.JoinedAddress(), input_limit::Adrs2);
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
    if (resultKind != TDicSearch::kResultPostal && resultKind != TDicSearch::kResultAddress) {
        if (f.TelKind != 1)
            in.Tel = cp932::Trim(f.Tel);
        if (f.TelKind == 1 || f.TelKind == 2)
            in.Fax = cp932::Trim(f.Tel);
    }
    in.MainNumber = f.TelKind == 3;
    in.PubDate = recordform::PubDateText(f.PubDate.left(6));
    in.Pos = recordform::PostalCodeText(f.PostalCode);
    if (!StartsWithText(in.Tdfkn + in.Adrs1 + in.Adrs2 + in.Adrs3, f.Tdfkn + f.City + f.Town + f.Rest)) {
        in.Tdfkn = f.Tdfkn;
        in.Adrs1 = f.City;
        in.Adrs2 = f.Town;
        in.Adrs3 = f.Rest;
    }
    if (!StartsWithText(in.AdrsKana, f.AdrsKana))
        in.AdrsKana = cp932::CutToBytes(f.AdrsKana, input_limit::AdrsKana);
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

void RecordFromInput(const TRecordInput& in, TRecordForm form, TAdrsRecord& r)
{
    ClearAdrsRecord(r);
    r.Group = in.Group;
    Put(r.CustomCode, in.CustomCode, form);
    r.Tel.Assign(Digits(in.Tel));
    r.TelDiv = in.MainNumber ? 3 : 0;
    r.Fax.Assign(Digits(in.Fax));
    r.PubDate.Assign(Digits(in.PubDate));
    r.Portable1.Assign(Digits(in.Portable1));
    r.Portable2.Assign(Digits(in.Portable2));
    r.Pos.Assign(Digits(in.Pos));
    Put(r.Tdfkn, in.Tdfkn, form);
    Put(r.Adrs1, in.Adrs1, form);
    Put(r.Adrs2, in.Adrs2, form);
    Put(r.Adrs3, in.Adrs3, form);
    Put(r.AdrsKana, in.AdrsKana, form);
    Put(r.JisCode, in.JisCode, form);
    Put(r.KajoCode, in.KajoCode, form);
    r.Latitude = in.Latitude;
    r.Longitude = in.Longitude;
    r.PrivCorp = in.Priv;
    r.MyNumber.Assign(Enciphered(in.MyNumber));
    Put(r.CorpKanji, in.CorpKanji, form);
    Put(r.CorpKana, in.CorpKana, form);
    Put(r.Dptmnt, in.Dptmnt, form);
    Put(r.Post, in.Post, form);
    Put(r.EmployeeNo, in.EmployeeNo, form);
    r.NameKanji.Assign(WideToAtHex(form == TRecordForm::Write ? cp932::Trim(in.NameKanji) : in.NameKanji));
    Put(r.NameKana, in.NameKana, form);
    Put(r.Honor, in.Honor, form);
    r.IgnoreName = in.IgnoreName;
    Put(r.URL, in.URL, form);
    Put(r.EMail1, in.EMail1, form);
    Put(r.EMail2, in.EMail2, form);
    for (int i = 0; i < 5; ++i) {
        r.Joint[i].Assign(WideToAtHex(form == TRecordForm::Write ? cp932::Trim(in.Joint[i]) : in.Joint[i]));
        Put(r.JointHonor[i], in.JointHonor[i], form);
        r.JointMyNumber[i].Assign(Enciphered(in.JointMyNumber[i]));
        r.JointPrintN[i] = in.JointPrint[i + 1];
    }
    r.JointOwner = in.JointOwner;
    r.JointPrint = in.JointPrint[0];
    r.PrintTarget = in.PrintTarget;
    r.Sender = in.Sender;
    for (int i = 0; i < 8; ++i)
        Put(r.Keyword[i], in.Keyword[i], form);
    if (!in.Note.isEmpty())
        r.Note = std::make_unique<TStringList>(MemoLines(in.Note));
    for (int i = 0; i < 10; ++i)
        r.ProtectMemo[i].Assign(Enciphered(in.ProtectMemo[i]));
    r.ProtectNote.SetText(in.ProtectNote);
    if (!in.ExtLink.isEmpty()) {
        r.ExtLink = std::make_unique<TStringList>();
        for (const QString& link : in.ExtLink)
            r.ExtLink->append(cp932::Encode(link));
    }
    r.SymbolMark.SetText(in.SymbolMark);
    r.SymbolColor = in.SymbolColor;
    r.CodeMain = in.CodeMain;
    r.CodeSub = in.CodeMain > 0 ? in.CodeSubEntry % 100 : 0;
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
    RecordFromInput(in, TRecordForm::Write, w);

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
        else if constexpr (kind == TFieldKind::Lines) // line by line
            changed = b ? (!a || *a != *b) : a != nullptr;
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
    if (in.JisCode != Stored(s.JisCode) || in.KajoCode != Stored(s.KajoCode))
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

#include "records/RecordWriter.h"

#include "core/AdrsFields.h"
#include "core/DBInfo.h"
#include "core/common/AddressText.h"
#include "listing_search/DicSch.h"
#include "platform/Cp932.h"
#include "platform/SqlTable.h"
#include "records/RecordMapping.h"

#include <algorithm>

namespace {

// The table keeps telephone-type numbers as at most this many digits.
constexpr int kNumberDigits = 11;

const QString kCustomCodeChars = QStringLiteral(
    "顧客コードは、以下の半角文字で入力してください  \r\n"
    "　　英数字  \r\n"
    "　　スペース  \r\n"
    "　　ハイフン（ - ）  \r\n"
    "　　スラッシュ（ / ）  ");

bool IsCustomCodeChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '-' || u == '/' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
           (u >= 'a' && u <= 'z');
}

// Only single-byte digits and hyphens, once outer blanks are trimmed.
bool IsNumberText(const QString& text)
{
    const QByteArray bytes = cp932::Encode(cp932::Trim(text));
    return ExtractNumChars(bytes, kExtractDigits | kExtractHyphen) == bytes;
}

QByteArray Digits(const QString& text)
{
    return ExtractNumChars(cp932::Encode(text), kExtractDigits);
}

struct TNumberCheck {
    const QString TRecordInput::*Field;
    const char* Control;
    const char* Name;
    const char* Message;
};

const TNumberCheck kNumbers[] = {
    {&TRecordInput::Tel, "edtTel", "電話番号", "電話番号は半角数字かハイフンのみが有効です  "},
    {&TRecordInput::Fax, "edtFax", "FAX番号", "FAX番号は半角数字かハイフンのみが有効です  "},
    {&TRecordInput::Portable1, "edtPortable1", "携帯番号", "携帯番号は半角数字かハイフンのみが有効です  "},
    {&TRecordInput::Portable2, "edtPortable2", "携帯番号", "携帯番号は半角数字かハイフンのみが有効です  "},
};

const char* const kIndexNames[] = {"Tel", "Fax", "Portable1", "Portable2"};

} // namespace

std::optional<TInputError> CheckInputFormat(const TRecordInput& in, const TAdrsRecord* shownFrom)
{
    const QString code = cp932::Trim(in.CustomCode);
    for (QChar c : code) {
        if (!IsCustomCodeChar(c))
            return TInputError{kCustomCodeChars, QStringLiteral("edtCustomCode"), true};
    }
    for (const TNumberCheck& n : kNumbers) {
        const QString& text = in.*n.Field;
        const QString control = QLatin1String(n.Control);
        if (!IsNumberText(text))
            return TInputError{QString::fromUtf8(n.Message), control, true};
        // The table holds no more digits than this; cutting would store another number.
        if (Digits(text).size() > kNumberDigits)
            return TInputError{QStringLiteral("%1は%2桁以内で入力してください  ")
                                   .arg(QString::fromUtf8(n.Name))
                                   .arg(kNumberDigits),
                               control, true};
    }
    const QString pos = cp932::Trim(in.Pos);
    if (!pos.isEmpty()) {
        if (!IsNumberText(pos))
            return TInputError{QStringLiteral("正しい郵便番号を入力してください  "), QStringLiteral("edtPos"), false};
        const qsizetype digits = Digits(pos).size();
        if (digits != 3 && digits != 5 && digits != 7)
            return TInputError{QStringLiteral("正しい桁数の郵便番号を入力してください  "), QStringLiteral("edtPos"),
                               false};
    }
    const QStringList shownLinks = shownFrom ? InputFromRecord(*shownFrom).ExtLink : QStringList();
    for (const QString& link : in.ExtLink) {
        const char32_t ch = shownLinks.contains(link) ? 0 : UnstorableLinkChar(link);
        if (ch != 0)
            return TInputError{cp932::UnencodableMessage(ch), QStringLiteral("lvExtLink"), false};
    }
    return std::nullopt;
}

bool CustomCodeInUse(TSqlTable& table, const QString& code)
{
    table.SetIndexName(QStringLiteral("CustomCode"));
    const bool found = table.FindKey({code});
    table.SetIndexName(QString());
    return found;
}

int FindDuplicateNumber(TSqlTable& table, const TRecordInput& in)
{
    int hit = -1;
    for (int i = 0; i < 4 && hit < 0; ++i) {
        const QByteArray digits = Digits(in.*kNumbers[i].Field);
        if (digits.isEmpty())
            continue;
        table.SetIndexName(QLatin1String(kIndexNames[i]));
        if (table.FindKey({QString::fromLatin1(digits)}))
            hit = i;
    }
    table.SetIndexName(QString());
    return hit;
}

QString DuplicateNumberLabel(int which)
{
    static const char* const labels[] = {"電話番号", "FAX番号", "携帯番号１", "携帯番号２"};
    return which >= 0 && which < 4 ? QString::fromUtf8(labels[which]) : QString();
}

QString WriteFailureMessage(const QString& text, const QString& cause)
{
    return cause.isEmpty() ? text : text + QStringLiteral("\r\n") + cause + QStringLiteral("  ");
}

namespace {

// Readers hand the numbers on hyphenated, the table holds their digits.
void PhonesAsStored(TAdrsRecord& r)
{
    for (auto* field : {&r.Tel, &r.Fax, &r.Portable1, &r.Portable2})
        field->Assign(ExtractNumChars(field->Bytes(), kExtractDigits));
}

bool SameRow(TAdrsRecord a, TAdrsRecord b)
{
    PhonesAsStored(a);
    PhonesAsStored(b);
    return a == b;
}

// The columns the administrator lock protects: the My Numbers, the
// protected memos (all enciphered) and the protected free memo.
bool IsProtectedColumn(int column)
{
    return column == afProtectNote || AdrsColumnKind(column) == TFieldKind::Cipher;
}

// A protected column of the current row as the file holds it: not read
// through the record's fixed-width field, which would cut a longer value
// (written by another program) or change a character code page 932 has not.
struct TStoredColumn {
    int column;
    bool null;
    QByteArray utf8;
};

std::vector<TStoredColumn> StoredProtectedColumns(const TSqlTable& table)
{
    std::vector<TStoredColumn> out;
    for (int column = 0; column < kAdrsColumnCount; ++column)
        if (IsProtectedColumn(column))
            out.push_back({column, table.IsNull(column), table.AsUtf8(column)});
    return out;
}

// Puts them back over what the record wrote. A value the table cannot take
// fails the post, with the cause, and is never cut.
void RestoreColumns(const std::vector<TStoredColumn>& stored, TSqlTable& table)
{
    for (const TStoredColumn& c : stored) {
        if (c.null)
            table.SetNull(c.column);
        else
            table.SetUtf8(c.column, c.utf8);
    }
}

} // namespace

TWriteResult WriteAdrsRow(TSqlTable& table, const TAdrsRecord& record, int heldRecNo, int* newRecNo, QString* cause,
                          TAdrsRecord* rowAsShown, bool keepProtected)
{
    if (cause)
        cause->clear();
    try {
        table.SetIndexName(QString());
        std::vector<TStoredColumn> kept;
        if (heldRecNo < 0) {
            table.Append();
        } else {
            if (!table.FindKey({heldRecNo}))
                return TWriteResult::Refused;
            TAdrsRecord now;
            if (rowAsShown)
                ReadAdrsRecord(table, now);
            if (rowAsShown && !SameRow(now, *rowAsShown)) {
                if (cause)
                    *cause = QStringLiteral("データが他で変更されています");
                return TWriteResult::Failed;
            }
            if (keepProtected)
                kept = StoredProtectedColumns(table);
            table.Edit();
        }
        WriteAdrsRecord(record, table);
        RestoreColumns(kept, table);
        table.Post();
        table.FlushBuffers();
        if (rowAsShown && heldRecNo >= 0 && table.FindKey({heldRecNo}))
            ReadAdrsRecord(table, *rowAsShown);
        if (newRecNo && heldRecNo < 0) {
            table.Last();
            *newRecNo = int(table.CurrentRecNo());
        }
        return TWriteResult::Written;
    } catch (const ESqlTableError& e) {
        if (cause)
            *cause = BookWriteCause(e);
        try {
            if (table.State() == TSqlTable::TState::Edit || table.State() == TSqlTable::TState::Insert)
                table.Cancel();
        } catch (const ESqlTableError&) {
            // the cause above is the one to show
        }
        return TWriteResult::Failed;
    }
}

QString BookWriteCause(const ESqlTableError& error)
{
    if (error.Kind() == ESqlTableError::TKind::Moved)
        return QStringLiteral("アドレス帳のファイルが移動または削除されたか、別のファイルに置き換えられました");
    return error.ShownCause();
}

std::vector<TBookTelMatch> FindBookTelMatches(TSqlTable& table, const QString& tel)
{
    std::vector<TBookTelMatch> out;
    const QString digits = QString::fromLatin1(Digits(tel));
    if (digits.isEmpty() || !table.Active())
        return out;
    for (const char* index : kIndexNames) {
        const QString name = QLatin1String(index);
        const int field = table.FieldIndex(name);
        table.SetIndexName(name);
        for (bool found = table.FindKey({digits}); found && !table.Eof() && table.AsString(field) == digits;
             table.Next()) {
            const int recNo = int(table.CurrentRecNo());
            if (std::any_of(out.begin(), out.end(), [&](const TBookTelMatch& m) { return m.RecNo == recNo; }))
                continue;
            TAdrsRecord r;
            ReadAdrsRecord(table, r);
            TBookTelMatch m;
            m.RecNo = recNo;
            m.Name = r.PrivCorp ? AtHexToWide(r.NameKanji.Bytes()) : r.CorpKanji.Text();
            m.Address = r.Tdfkn.Text() + r.Adrs1.Text() + r.Adrs2.Text() + r.Adrs3.Text();
            out.push_back(std::move(m));
        }
    }
    table.SetIndexName(QString());
    return out;
}

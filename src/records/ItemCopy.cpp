#include "records/ItemCopy.h"

#include "core/AdrsRecord.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "listing_search/FieldItemText.h"
#include "platform/Cp932.h"

#include <QStringList>
#include <algorithm>

namespace {

constexpr const char16_t* kCaptions[kCopyItemCount] = {
    u"グループ", u"顧客コード", u"環境設定マイナンバー", u"電話番号", u"代表電話", u"FAX番号", u"初回掲載年月",
    u"携帯番号１", u"携帯番号２", u"郵便番号", u"都道府県", u"住所１", u"住所２", u"住所３", u"連結住所",
    u"住所カナ", u"市町村コード", u"マイナンバー", u"会社名漢字", u"会社名カナ", u"部署", u"役職", u"従業員番号",
    u"名前漢字", u"名前カナ", u"敬称", u"URL", u"メールアドレス１", u"メールアドレス２", u"連名１", u"連名２",
    u"連名３", u"連名４", u"連名５", u"連名敬称１", u"連名敬称２", u"連名敬称３", u"連名敬称４", u"連名敬称５",
    u"連名マイナンバー１", u"連名マイナンバー２", u"連名マイナンバー３", u"連名マイナンバー４",
    u"連名マイナンバー５", u"連名主", u"印刷指定", u"差出人", u"キーワード１", u"キーワード２", u"キーワード３",
    u"キーワード４", u"キーワード５", u"キーワード６", u"キーワード７", u"キーワード８", u"備考", u"保護メモ１",
    u"保護メモ２", u"保護メモ３", u"保護メモ４", u"保護メモ５", u"保護メモ６", u"保護メモ７", u"保護メモ８",
    u"保護メモ９", u"保護メモ１０", u"保護フリーメモ", u"外部リンク", u"シンボルマーク", u"登録日付", u"登録時刻",
    u"更新日付", u"更新時刻", u"大分類名", u"小分類名",
};

enum : int {
    kCommonMyNumber = 2,
    kMyNumber = 17,
    kJointMyNumber1 = 39,
    kKeyword1 = 47,
    kProtectMemo1 = 56,
    kProtectNote = 66,
};

// A multi-line text as one value: each line break becomes a tab.
QString OneLine(const QString& text)
{
    QString s = cp932::Trim(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\t"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\t'));
    s.replace(QLatin1Char('\n'), QLatin1Char('\t'));
    return s;
}

QString StoredDateTime(const std::optional<double>& value, const QString& format)
{
    if (!value)
        return {};
    const QDateTime dt = StoredToDateTime(*value);
    return dt.isValid() ? dt.toString(format) : QString();
}

} // namespace

QString CopyItemCaption(int itemNo)
{
    return itemNo >= 0 && itemNo < kCopyItemCount ? QString::fromUtf16(kCaptions[itemNo]) : QString();
}

QString CopyItemRowCaption(int itemNo)
{
    if (itemNo == kCommonMyNumber)
        return Settings().MyNumberLabel.isEmpty() ? QStringLiteral("共通マイナンバー") : Settings().MyNumberLabel;
    if (itemNo >= kKeyword1 && itemNo < kKeyword1 + kKeywordCount)
        return KeywordNames[itemNo - kKeyword1];
    if (itemNo >= kProtectMemo1 && itemNo < kProtectMemo1 + kProtectMemoCount)
        return ProtectMemoNames[itemNo - kProtectMemo1];
    return CopyItemCaption(itemNo);
}

bool IsCopyItemMasked(int itemNo)
{
    return itemNo == kCommonMyNumber || itemNo == kMyNumber || (itemNo >= kJointMyNumber1 && itemNo < kJointMyNumber1 + 5)
           || (itemNo >= kProtectMemo1 && itemNo <= kProtectNote);
}

TCopyItems DefaultCopyItems()
{
    TCopyItems items;
    for (int i = 0; i < kCopyItemCount; ++i)
        items[i] = TFieldItem{i, i, true};
    return items;
}

TCopyItems ParseCopyItems(const QString& index, const QString& copy)
{
    TCopyItems items = DefaultCopyItems();
    ParseFieldItems(index, copy, items);
    return items;
}

QString CopyItemIndexText(const TCopyItems& items) { return FieldItemIndexText(items); }

QString CopyItemCopyText(const TCopyItems& items) { return FieldItemChosenText(items); }

TCopyValues CopyItemValues(const TCopySource& source)
{
    const TRecordInput& in = source.Input;
    TCopyValues v;
    v[0] = cp932::Trim(source.GroupName);
    v[1] = cp932::Trim(in.CustomCode);
    v[2] = cp932::Trim(source.CommonMyNumber);
    v[3] = cp932::Trim(in.Tel);
    v[4] = in.MainNumber ? QStringLiteral("代表") : QString();
    v[5] = cp932::Trim(in.Fax);
    v[6] = cp932::Trim(in.PubDate);
    v[7] = cp932::Trim(in.Portable1);
    v[8] = cp932::Trim(in.Portable2);
    v[9] = cp932::Trim(in.Pos);
    v[10] = cp932::Trim(in.Tdfkn);
    v[11] = cp932::Trim(in.Adrs1);
    v[12] = cp932::Trim(in.Adrs2);
    v[13] = cp932::Trim(in.Adrs3);
    v[14] = v[10] + v[11] + v[12] + v[13];
    v[15] = cp932::Trim(in.AdrsKana);
    v[16] = cp932::Trim(in.JisCode);
    v[17] = cp932::Trim(in.MyNumber);
    v[18] = cp932::Trim(in.CorpKanji);
    v[19] = cp932::Trim(in.CorpKana);
    v[20] = cp932::Trim(in.Dptmnt);
    v[21] = cp932::Trim(in.Post);
    v[22] = cp932::Trim(in.EmployeeNo);
    // Names stay Unicode: the clipboard takes it, so a name outside code
    // page 932 is copied as typed.
    v[23] = cp932::Trim(in.NameKanji);
    v[24] = cp932::Trim(in.NameKana);
    v[25] = cp932::Trim(in.Honor);
    v[26] = cp932::Trim(in.URL);
    v[27] = cp932::Trim(in.EMail1);
    v[28] = cp932::Trim(in.EMail2);
    for (int i = 0; i < 5; ++i) {
        v[29 + i] = cp932::Trim(in.Joint[i]);
        v[34 + i] = cp932::Trim(in.JointHonor[i]);
        v[39 + i] = cp932::Trim(in.JointMyNumber[i]);
    }
    v[44] = cp932::Trim(source.JointOwner);
    v[45] = in.PrintTarget == 1   ? QStringLiteral("印刷対象")
            : in.PrintTarget == 2 ? QStringLiteral("印刷除外")
                                  : QStringLiteral("指定なし");
    v[46] = cp932::Trim(source.Sender);
    for (int i = 0; i < 8; ++i)
        v[47 + i] = cp932::Trim(in.Keyword[i]);
    v[55] = OneLine(in.Note);
    for (int i = 0; i < 10; ++i)
        v[56 + i] = cp932::Trim(in.ProtectMemo[i]);
    v[66] = OneLine(in.ProtectNote);
    QStringList links;
    for (const QString& link : in.ExtLink)
        links << cp932::Trim(link);
    v[67] = links.join(QLatin1Char('\t'));
    v[68] = cp932::Trim(in.SymbolMark);
    v[69] = StoredDateTime(source.AddDateTime, QStringLiteral("yyyy/MM/dd"));
    v[70] = StoredDateTime(source.AddDateTime, QStringLiteral("HH:mm:ss"));
    v[71] = StoredDateTime(source.UpdDateTime, QStringLiteral("yyyy/MM/dd"));
    v[72] = StoredDateTime(source.UpdDateTime, QStringLiteral("HH:mm:ss"));
    v[73] = cp932::Trim(source.CatMain);
    v[74] = cp932::Trim(source.CatSub);
    return v;
}

QString ComposeItemCopy(const TCopyValues& values, const TCopyItems& items, bool masked, bool lastReturn)
{
    QStringList parts;
    for (const TFieldItem& e : items) {
        if (!e.Selected || e.ItemNo < 0 || e.ItemNo >= kCopyItemCount)
            continue;
        const QString& value = values[e.ItemNo];
        if (masked && IsCopyItemMasked(e.ItemNo)) {
            // One star per character, as the window shows it.
            parts << QString(int(value.toUcs4().size()), QLatin1Char('*'));
        } else {
            parts << value;
        }
    }
    QString text = parts.join(QLatin1Char(','));
    if (lastReturn)
        text += QStringLiteral("\r\n");
    return text;
}

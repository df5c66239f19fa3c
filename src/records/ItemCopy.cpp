#include "records/ItemCopy.h"

#include "core/AdrsRecord.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "listing_search/FieldItemText.h"

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
    QString s = text.trimmed();
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
    v[0] = source.GroupName.trimmed();
    v[1] = in.CustomCode.trimmed();
    v[2] = source.CommonMyNumber.trimmed();
    v[3] = in.Tel.trimmed();
    v[4] = in.MainNumber ? QStringLiteral("代表") : QString();
    v[5] = in.Fax.trimmed();
    v[6] = in.PubDate.trimmed();
    v[7] = in.Portable1.trimmed();
    v[8] = in.Portable2.trimmed();
    v[9] = in.Pos.trimmed();
    v[10] = in.Tdfkn.trimmed();
    v[11] = in.Adrs1.trimmed();
    v[12] = in.Adrs2.trimmed();
    v[13] = in.Adrs3.trimmed();
    v[14] = v[10] + v[11] + v[12] + v[13];
    v[15] = in.AdrsKana.trimmed();
    v[16] = in.JisCode.trimmed();
    v[17] = in.MyNumber.trimmed();
    v[18] = in.CorpKanji.trimmed();
    v[19] = in.CorpKana.trimmed();
    v[20] = in.Dptmnt.trimmed();
    v[21] = in.Post.trimmed();
    v[22] = in.EmployeeNo.trimmed();
    // Names stay Unicode: the clipboard takes it, so a name outside code
    // page 932 is copied as typed.
    v[23] = in.NameKanji.trimmed();
    v[24] = in.NameKana.trimmed();
    v[25] = in.Honor.trimmed();
    v[26] = in.URL.trimmed();
    v[27] = in.EMail1.trimmed();
    v[28] = in.EMail2.trimmed();
    for (int i = 0; i < 5; ++i) {
        v[29 + i] = in.Joint[i].trimmed();
        v[34 + i] = in.JointHonor[i].trimmed();
        v[39 + i] = in.JointMyNumber[i].trimmed();
    }
    v[44] = source.JointOwner.trimmed();
    v[45] = in.PrintTarget == 1   ? QStringLiteral("印刷対象")
            : in.PrintTarget == 2 ? QStringLiteral("印刷除外")
                                  : QStringLiteral("指定なし");
    v[46] = source.Sender.trimmed();
    for (int i = 0; i < 8; ++i)
        v[47 + i] = in.Keyword[i].trimmed();
    v[55] = OneLine(in.Note);
    for (int i = 0; i < 10; ++i)
        v[56 + i] = in.ProtectMemo[i].trimmed();
    v[66] = OneLine(in.ProtectNote);
    QStringList links;
    for (const QString& link : in.ExtLink)
        links << link.trimmed();
    v[67] = links.join(QLatin1Char('\t'));
    v[68] = in.SymbolMark.trimmed();
    v[69] = StoredDateTime(source.AddDateTime, QStringLiteral("yyyy/MM/dd"));
    v[70] = StoredDateTime(source.AddDateTime, QStringLiteral("HH:mm:ss"));
    v[71] = StoredDateTime(source.UpdDateTime, QStringLiteral("yyyy/MM/dd"));
    v[72] = StoredDateTime(source.UpdDateTime, QStringLiteral("HH:mm:ss"));
    v[73] = source.CatMain.trimmed();
    v[74] = source.CatSub.trimmed();
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

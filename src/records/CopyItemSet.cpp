#include "records/CopyItemSet.h"

TCopyItemSet::TCopyItemSet(QWidget* owner)
    : TFieldSelect(owner, TStyle{QStringLiteral("コピーする項目の設定"),
                                 QStringLiteral("クリップボードにコピーする項目を設定してください："),
                                 QStringLiteral("すべてコピー"),
                                 QStringLiteral("コピーする項目は１つ以上選択してください  "), true})
{
    SetCaptionSource(CopyItemRowCaption);
}

void TCopyItemSet::SetItems(const TCopyItems& items, bool lastReturn)
{
    SetEntries(QList<TFieldItem>(items.begin(), items.end()));
    SetLastReturnFlag(lastReturn);
}

void TCopyItemSet::GetItems(TCopyItems& items, bool& lastReturn) const
{
    const QList<TFieldItem> entries = Entries();
    for (int i = 0; i < kCopyItemCount && i < entries.size(); ++i)
        items[i] = entries[i];
    lastReturn = LastReturnFlag();
}

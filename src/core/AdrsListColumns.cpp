#include "core/AdrsListColumns.h"

#include "core/DBInfo.h"
#include "platform/IniFile.h"

#include <QStringList>
#include <bitset>

namespace {
const QString kSection = QStringLiteral("LIST COLUMN");
}

// clang-format off
const std::array<TAdrsListColumnDef, kAdrsListColumnCount> AdrsListColumnDefs = {{
    {"No.", true, 60, true},
    {"グループ", false, 90, true},
    {"顧客コード", false, 100, false, afCustomCode},
    {"電話番号", false, 110, true, afTel},
    {"代表電話", false, 64, true},
    {"FAX番号", false, 110, false, afFax},
    {"初期掲載年月", false, 90, false, afPubDate},
    {"携帯番号1", false, 110, false, afPortable1},
    {"携帯番号2", false, 110, false, afPortable2},
    {"〒", false, 70, false, afPos},
    {"住所", false, 230, true},
    {"住所カナ", false, 200, false, afAdrsKana},
    {"個人会社区分", false, 90, false},
    {"マイナンバー", false, 110, true, afMyNumber},
    {"会社名", false, 180, true, afCorpKanji},
    {"会社名カナ", false, 160, false, afCorpKana},
    {"部署", false, 120, false, afDptmnt},
    {"役職", false, 100, false, afPost},
    {"従業員番号", false, 100, false, afEmployeeNo},
    {"名前", false, 120, true, afNameKanji},
    {"名前カナ", false, 120, false, afNameKana},
    {"URL", false, 160, false, afURL},
    {"E-Mail1", false, 160, false, afEMail1},
    {"E-Mail2", false, 160, false, afEMail2},
    {"連名1", false, 100, false, afJoint1},
    {"連名2", false, 100, false, afJoint2},
    {"連名3", false, 100, false, afJoint3},
    {"連名4", false, 100, false, afJoint4},
    {"連名5", false, 100, false, afJoint5},
    {"連名マイナンバー1", false, 120, false, afJointMyNumber1},
    {"連名マイナンバー2", false, 120, false, afJointMyNumber2},
    {"連名マイナンバー3", false, 120, false, afJointMyNumber3},
    {"連名マイナンバー4", false, 120, false, afJointMyNumber4},
    {"連名マイナンバー5", false, 120, false, afJointMyNumber5},
    {"キーワード1", false, 120, false, afKeyword1},
    {"キーワード2", false, 120, false, afKeyword2},
    {"キーワード3", false, 120, false, afKeyword3},
    {"キーワード4", false, 120, false, afKeyword4},
    {"キーワード5", false, 120, false, afKeyword5},
    {"キーワード6", false, 120, false, afKeyword6},
    {"キーワード7", false, 120, false, afKeyword7},
    {"キーワード8", false, 120, false, afKeyword8},
    {"備考", false, 200, false, afNote},
    {"シンボル", false, 60, false, afSymbolMark},
    {"登録日時", false, 140, false},
    {"登録日付", false, 90, false},
    {"登録時刻", false, 70, false},
    {"更新日時", false, 140, false},
    {"更新日付", false, 90, false},
    {"更新時刻", false, 70, false},
    {"大分類名", false, 140, false},
    {"小分類名", false, 140, false},
}};
// clang-format on

QString AdrsListColumnCaption(int column, const QString* keywordNames)
{
    if (column < 0 || column >= kAdrsListColumnCount)
        return {};
    if (keywordNames && column >= kAdrsListKeywordColumn && column < kAdrsListKeywordColumn + 8)
        return keywordNames[column - kAdrsListKeywordColumn];
    return QString::fromUtf8(AdrsListColumnDefs[column].caption);
}

bool IsValidListColumns(std::span<const TListColumnSetting> columns)
{
    if (columns.size() != size_t(kAdrsListColumnCount))
        return false;
    std::bitset<kAdrsListColumnCount> seen;
    for (const TListColumnSetting& c : columns) {
        if (c.Position < 0 || c.Position >= kAdrsListColumnCount || c.ColumnNo != c.Position || seen[size_t(c.Position)])
            return false;
        seen[size_t(c.Position)] = true;
    }
    return true;
}

TListColumnSettings DefaultListColumns()
{
    TListColumnSettings columns;
    for (int i = 0; i < kAdrsListColumnCount; ++i)
        columns[i] = {i, i, AdrsListColumnDefs[i].width, AdrsListColumnDefs[i].defaultShown};
    return columns;
}

TListColumnSettings LoadListColumns(const TIniFile& ini)
{
    TListColumnSettings columns;
    std::bitset<kAdrsListColumnCount> seen;
    bool anyShown = false;
    for (int i = 0; i < kAdrsListColumnCount; ++i) {
        const QStringList parts =
            ini.ReadString(kSection, QStringLiteral("Column%1").arg(i + 1)).split(u',');
        if (parts.size() != 4)
            return DefaultListColumns();
        bool ok[4];
        const int no = parts[0].trimmed().toInt(&ok[0]);
        const int pos = parts[1].trimmed().toInt(&ok[1]);
        const int width = parts[2].trimmed().toInt(&ok[2]);
        const int shown = parts[3].trimmed().toInt(&ok[3]);
        if (!(ok[0] && ok[1] && ok[2] && ok[3]) || no < 0 || no >= kAdrsListColumnCount || no != pos || seen[no])
            return DefaultListColumns();
        seen[no] = true;
        anyShown = anyShown || shown != 0;
        columns[i] = {no, pos, width > 0 ? width : AdrsListColumnDefs[no].width, shown != 0};
    }
    return anyShown ? columns : DefaultListColumns();
}

void SaveListColumns(TIniFile& ini, const TListColumnSettings& columns)
{
    for (int i = 0; i < kAdrsListColumnCount; ++i) {
        const TListColumnSetting& c = columns[i];
        ini.WriteString(kSection, QStringLiteral("Column%1").arg(i + 1),
                        QStringLiteral("%1,%2,%3,%4").arg(c.ColumnNo).arg(c.Position).arg(c.Width).arg(c.Shown ? 1 : 0));
    }
}

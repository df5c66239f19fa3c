#include "core/AdrsFields.h"
#include "core/DBInfo.h"

#include <gtest/gtest.h>

namespace {

QString describe(const TSqlTableDef& def)
{
    QStringList out;
    for (const TSqlFieldDef& f : def.Fields) {
        const char* type = "AIFBTM" + int(f.Type);
        out << f.Name + u':' + QLatin1Char(*type) + (f.Size ? QString::number(f.Size) : QString()) +
                   (f.DigitsOnly ? QStringLiteral("d") : QString());
    }
    return out.join(u' ');
}

} // namespace

// Books already on disk hold exactly these columns, in this order, with these
// widths and checks: the field list must describe them unchanged.
TEST(AdrsFields, TableIsTheOneExistingBooksHold)
{
    static_assert(int(TSqlFieldType::AutoInc) == 0 && int(TSqlFieldType::Memo) == 5);
    const char* expected =
        "RecNo:A Group:I CustomCode:T20 Tel:T11d TelDiv:I Fax:T11d PubDate:T6d Portable1:T11d "
        "Portable2:T11d Pos:T7 Tdfkn:T8 Adrs1:T32 Adrs2:T100 Adrs3:T116 AdrsKana:T100 JisCode:T5 "
        "KajoCode:T6 Latitude:I Longitude:I PrivCorp:B MyNumber:T34 CorpKanji:T112 CorpKana:T80 "
        "Dptmnt:T100 Post:T50 EmployeeNo:T15 NameKanji:T75 NameKana:T25 Honor:T10 IgnoreName:B URL:T128 "
        "EMail1:T64 EMail2:T64 Joint1:T55 Joint2:T55 Joint3:T55 Joint4:T55 Joint5:T55 JointHonor1:T10 "
        "JointHonor2:T10 JointHonor3:T10 JointHonor4:T10 JointHonor5:T10 JointMyNumber1:T34 "
        "JointMyNumber2:T34 JointMyNumber3:T34 JointMyNumber4:T34 JointMyNumber5:T34 JointOwner:I "
        "JointPrint:B JointPrint1:B JointPrint2:B JointPrint3:B JointPrint4:B JointPrint5:B Sender:I "
        "PrintTarget:I Note:M Keyword1:T100 Keyword2:T100 Keyword3:T100 Keyword4:T100 Keyword5:T100 "
        "Keyword6:T100 Keyword7:T100 Keyword8:T100 ProtectMemo1:T130 ProtectMemo2:T130 "
        "ProtectMemo3:T130 ProtectMemo4:T130 ProtectMemo5:T130 ProtectMemo6:T130 ProtectMemo7:T130 "
        "ProtectMemo8:T130 ProtectMemo9:T130 ProtectMemo10:T130 ProtectNote:T1000 ExtLink:M "
        "SymbolMark:T10 SymbolColor:I CodeMain:I CodeSub:I CodeGenre:I AddDateTime:F UpdDateTime:F";
    EXPECT_EQ(describe(AdrsTableDef()), QString::fromLatin1(expected));
    EXPECT_EQ(int(AdrsTableDef().Fields.size()), afFieldCount);
    QStringList indexes;
    for (const TSqlIndexDef& ix : AdrsTableDef().Indexes)
        indexes << ix.Name + u'=' + ix.Fields.join(u',');
    EXPECT_EQ(indexes.join(u' '), QStringLiteral("CustomCode=CustomCode Tel=Tel Fax=Fax Portable1=Portable1 Portable2=Portable2"));
}

TEST(AdrsFields, ColumnsAreFoundByNameAndKnowTheirKind)
{
    EXPECT_EQ(AdrsColumnOf("Joint3"), afJoint3);
    EXPECT_EQ(AdrsColumnOf("JointPrint"), afJointPrint) << "the single column, not the array beside it";
    EXPECT_EQ(AdrsColumnOf("JointPrint5"), afJointPrint5);
    EXPECT_EQ(AdrsColumnOf("ProtectMemo10"), afProtectMemo10);
    for (const char* none : {"Keyword9", "Keyword0", "Tel1", "Joint", "", "UpdDateTime2"})
        EXPECT_EQ(AdrsColumnOf(none), -1) << none;

    EXPECT_EQ(AdrsColumnKind(afTel), TFieldKind::Phone);
    EXPECT_EQ(AdrsColumnKind(afPubDate), TFieldKind::Digits);
    EXPECT_EQ(AdrsColumnKind(afJoint5), TFieldKind::Wide);
    EXPECT_EQ(AdrsColumnKind(afJointMyNumber1), TFieldKind::Cipher);
    EXPECT_EQ(AdrsColumnKind(afJointPrint3), TFieldKind::Boolean);
    EXPECT_EQ(AdrsColumnKind(afExtLink), TFieldKind::Lines);
    EXPECT_EQ(AdrsColumnKind(afUpdDateTime), TFieldKind::DateTime);
}

// Records differ when any one field differs, a list's absence included.
TEST(AdrsFields, EveryFieldTakesPartInComparingRecords)
{
    const TAdrsRecord blank;
    int columns = 0;
    ForEachAdrsColumn([&](const auto& d, int i, int column) {
        TAdrsRecord r;
        auto& v = d.At(r, i);
        using V = std::remove_cvref_t<decltype(v)>;
        if constexpr (std::remove_cvref_t<decltype(d)>::Kind == TFieldKind::Lines)
            v = std::make_unique<TStringList>();
        else if constexpr (std::is_same_v<V, bool>)
            v = true;
        else if constexpr (std::is_arithmetic_v<V>)
            v = 1;
        else
            v.Assign("\x95\x5C"); // 表
        EXPECT_FALSE(r == blank) << d.ColumnName(i).toStdString();
        const TAdrsRecord copy = r;
        EXPECT_TRUE(copy == r) << d.ColumnName(i).toStdString();
        ++columns;
        (void)column;
    });
    EXPECT_EQ(columns, afFieldCount);
}

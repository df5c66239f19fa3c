#include "core/AdrsFields.h"

#include "core/DBInfo.h"

// The names the rest of the program reaches columns by must stay where the
// stored books have them.
static_assert(AdrsColumnOf("RecNo") == afRecNo);
static_assert(AdrsColumnOf("Group") == afGroup);
static_assert(AdrsColumnOf("CustomCode") == afCustomCode);
static_assert(AdrsColumnOf("Tel") == afTel);
static_assert(AdrsColumnOf("TelDiv") == afTelDiv);
static_assert(AdrsColumnOf("Fax") == afFax);
static_assert(AdrsColumnOf("PubDate") == afPubDate);
static_assert(AdrsColumnOf("Portable1") == afPortable1);
static_assert(AdrsColumnOf("Portable2") == afPortable2);
static_assert(AdrsColumnOf("Pos") == afPos);
static_assert(AdrsColumnOf("Tdfkn") == afTdfkn);
static_assert(AdrsColumnOf("Adrs1") == afAdrs1);
static_assert(AdrsColumnOf("Adrs2") == afAdrs2);
static_assert(AdrsColumnOf("Adrs3") == afAdrs3);
static_assert(AdrsColumnOf("AdrsKana") == afAdrsKana);
static_assert(AdrsColumnOf("JisCode") == afJisCode);
static_assert(AdrsColumnOf("KajoCode") == afKajoCode);
static_assert(AdrsColumnOf("Latitude") == afLatitude);
static_assert(AdrsColumnOf("Longitude") == afLongitude);
static_assert(AdrsColumnOf("PrivCorp") == afPrivCorp);
static_assert(AdrsColumnOf("MyNumber") == afMyNumber);
static_assert(AdrsColumnOf("CorpKanji") == afCorpKanji);
static_assert(AdrsColumnOf("CorpKana") == afCorpKana);
static_assert(AdrsColumnOf("Dptmnt") == afDptmnt);
static_assert(AdrsColumnOf("Post") == afPost);
static_assert(AdrsColumnOf("EmployeeNo") == afEmployeeNo);
static_assert(AdrsColumnOf("NameKanji") == afNameKanji);
static_assert(AdrsColumnOf("NameKana") == afNameKana);
static_assert(AdrsColumnOf("Honor") == afHonor);
static_assert(AdrsColumnOf("IgnoreName") == afIgnoreName);
static_assert(AdrsColumnOf("URL") == afURL);
static_assert(AdrsColumnOf("EMail1") == afEMail1);
static_assert(AdrsColumnOf("EMail2") == afEMail2);
static_assert(AdrsColumnOf("Joint1") == afJoint1);
static_assert(AdrsColumnOf("Joint2") == afJoint2);
static_assert(AdrsColumnOf("Joint3") == afJoint3);
static_assert(AdrsColumnOf("Joint4") == afJoint4);
static_assert(AdrsColumnOf("Joint5") == afJoint5);
static_assert(AdrsColumnOf("JointHonor1") == afJointHonor1);
static_assert(AdrsColumnOf("JointHonor2") == afJointHonor2);
static_assert(AdrsColumnOf("JointHonor3") == afJointHonor3);
static_assert(AdrsColumnOf("JointHonor4") == afJointHonor4);
static_assert(AdrsColumnOf("JointHonor5") == afJointHonor5);
static_assert(AdrsColumnOf("JointMyNumber1") == afJointMyNumber1);
static_assert(AdrsColumnOf("JointMyNumber2") == afJointMyNumber2);
static_assert(AdrsColumnOf("JointMyNumber3") == afJointMyNumber3);
static_assert(AdrsColumnOf("JointMyNumber4") == afJointMyNumber4);
static_assert(AdrsColumnOf("JointMyNumber5") == afJointMyNumber5);
static_assert(AdrsColumnOf("JointOwner") == afJointOwner);
static_assert(AdrsColumnOf("JointPrint") == afJointPrint);
static_assert(AdrsColumnOf("JointPrint1") == afJointPrint1);
static_assert(AdrsColumnOf("JointPrint2") == afJointPrint2);
static_assert(AdrsColumnOf("JointPrint3") == afJointPrint3);
static_assert(AdrsColumnOf("JointPrint4") == afJointPrint4);
static_assert(AdrsColumnOf("JointPrint5") == afJointPrint5);
static_assert(AdrsColumnOf("Sender") == afSender);
static_assert(AdrsColumnOf("PrintTarget") == afPrintTarget);
static_assert(AdrsColumnOf("Note") == afNote);
static_assert(AdrsColumnOf("Keyword1") == afKeyword1);
static_assert(AdrsColumnOf("Keyword2") == afKeyword2);
static_assert(AdrsColumnOf("Keyword3") == afKeyword3);
static_assert(AdrsColumnOf("Keyword4") == afKeyword4);
static_assert(AdrsColumnOf("Keyword5") == afKeyword5);
static_assert(AdrsColumnOf("Keyword6") == afKeyword6);
static_assert(AdrsColumnOf("Keyword7") == afKeyword7);
static_assert(AdrsColumnOf("Keyword8") == afKeyword8);
static_assert(AdrsColumnOf("ProtectMemo1") == afProtectMemo1);
static_assert(AdrsColumnOf("ProtectMemo2") == afProtectMemo2);
static_assert(AdrsColumnOf("ProtectMemo3") == afProtectMemo3);
static_assert(AdrsColumnOf("ProtectMemo4") == afProtectMemo4);
static_assert(AdrsColumnOf("ProtectMemo5") == afProtectMemo5);
static_assert(AdrsColumnOf("ProtectMemo6") == afProtectMemo6);
static_assert(AdrsColumnOf("ProtectMemo7") == afProtectMemo7);
static_assert(AdrsColumnOf("ProtectMemo8") == afProtectMemo8);
static_assert(AdrsColumnOf("ProtectMemo9") == afProtectMemo9);
static_assert(AdrsColumnOf("ProtectMemo10") == afProtectMemo10);
static_assert(AdrsColumnOf("ProtectNote") == afProtectNote);
static_assert(AdrsColumnOf("ExtLink") == afExtLink);
static_assert(AdrsColumnOf("SymbolMark") == afSymbolMark);
static_assert(AdrsColumnOf("SymbolColor") == afSymbolColor);
static_assert(AdrsColumnOf("CodeMain") == afCodeMain);
static_assert(AdrsColumnOf("CodeSub") == afCodeSub);
static_assert(AdrsColumnOf("CodeGenre") == afCodeGenre);
static_assert(AdrsColumnOf("AddDateTime") == afAddDateTime);
static_assert(AdrsColumnOf("UpdDateTime") == afUpdDateTime);

TFieldKind AdrsColumnKind(int column)
{
    TFieldKind kind = TFieldKind::Narrow;
    ForEachAdrsField([&](const auto& d) {
        if (column >= d.First && column < d.First + d.Count)
            kind = d.Kind;
    });
    return kind;
}

std::vector<TSqlFieldDef> AdrsFieldDefs()
{
    std::vector<TSqlFieldDef> defs;
    defs.reserve(size_t(kAdrsColumnCount));
    ForEachAdrsColumn([&](const auto& d, int i, int) {
        using FT = TSqlFieldType;
        TSqlFieldDef f{d.ColumnName(i), FT::Text, 0, false};
        switch (d.Kind) {
        case TFieldKind::RecNo: f.Type = FT::AutoInc; break;
        case TFieldKind::Integer: f.Type = FT::Integer; break;
        case TFieldKind::Boolean: f.Type = FT::Boolean; break;
        case TFieldKind::Float:
        case TFieldKind::DateTime: f.Type = FT::Float; break;
        case TFieldKind::Lines: f.Type = FT::Memo; break;
        case TFieldKind::Narrow:
        case TFieldKind::Wide:
        case TFieldKind::Cipher: f.Size = d.Width; break;
        case TFieldKind::Digits:
        case TFieldKind::Phone:
            f.Size = d.Width;
            f.DigitsOnly = true;
            break;
        }
        defs.push_back(std::move(f));
    });
    return defs;
}

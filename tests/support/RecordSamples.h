#pragma once
// A record with every field away from its default: kanji whose trail byte is
// 0x5C, a name outside code page 932, enciphered numbers, a two-line note
// and ten links.

#include "core/AdrsRecord.h"
#include "core/FieldCipher.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"

inline QByteArray SampleCipher(const char* plain)
{
    return EncryptAESString(QByteArray(plain), QByteArray(kFieldKey));
}

inline TAdrsRecord FullSampleRecord()
{
    TAdrsRecord r;
    r.RecNo = 42;
    r.Group = 3;
    r.CustomCode.SetText(QStringLiteral("AB-12/3"));
    r.Tel.SetText(QStringLiteral("03-1234-5678"));
    r.TelDiv = 3;
    r.Fax.SetText(QStringLiteral("03-1234-5679"));
    r.PubDate.SetText(QStringLiteral("199804"));
    r.Portable1.SetText(QStringLiteral("090-1111-2222"));
    r.Portable2.SetText(QStringLiteral("080-3333-4444"));
    r.Pos.SetText(QStringLiteral("1234567"));
    r.Tdfkn.SetText(QStringLiteral("東京都"));
    r.Adrs1.SetText(QStringLiteral("千代田区"));
    r.Adrs2.SetText(QStringLiteral("表町１－２－３")); // 表 ends in 0x5C
    r.Adrs3.SetText(QStringLiteral("ソフトビル５階"));  // ソ ends in 0x5C
    r.AdrsKana.SetText(QStringLiteral("ﾄｳｷｮｳﾄ ﾁﾖﾀﾞｸ"));
    r.JisCode.SetText(QStringLiteral("13101"));
    r.KajoCode.SetText(QStringLiteral("001002"));
    r.Latitude = 128000123;
    r.Longitude = 503000456;
    r.PrivCorp = false;
    r.MyNumber.Assign(SampleCipher("1234567890123"));
    r.CorpKanji.SetText(QStringLiteral("能登表示株式会社"));
    r.CorpKana.SetText(QStringLiteral("ﾉﾄﾋｮｳｼﾞ"));
    r.Dptmnt.SetText(QStringLiteral("営業部"));
    r.Post.SetText(QStringLiteral("部長"));
    r.EmployeeNo.SetText(QStringLiteral("E-00123"));
    r.NameKanji.Assign(WideToAtHex(QStringLiteral("𠮷田 太郎"))); // 𠮷 is outside code page 932
    r.NameKana.SetText(QStringLiteral("ﾖｼﾀﾞ ﾀﾛｳ"));
    r.Honor.SetText(QStringLiteral("様"));
    r.IgnoreName = true;
    r.URL.SetText(QStringLiteral("https://example.jp/"));
    r.EMail1.SetText(QStringLiteral("a@example.jp"));
    r.EMail2.SetText(QStringLiteral("b@example.jp"));
    const char* joints[] = {"花子", "一郎", "次郎", "三郎", "四郎"};
    for (int i = 0; i < 5; ++i) {
        r.Joint[i].Assign(WideToAtHex(QString::fromUtf8(joints[i])));
        r.JointHonor[i].SetText(QStringLiteral("様"));
        r.JointPrintN[i] = i % 2 == 0;
    }
    r.JointMyNumber[0].Assign(SampleCipher("123456789018"));
    r.JointOwner = 2;
    r.JointPrint = false;
    r.JointPrintN[1] = true; // the owner is printed
    r.PrintTarget = 2;
    r.Sender = 7;
    for (int i = 0; i < 8; ++i)
        r.Keyword[i].SetText(QStringLiteral("キー%1").arg(i + 1));
    for (int i = 0; i < 10; ++i)
        r.ProtectMemo[i].Assign(SampleCipher(QByteArray("memo").append(char('0' + i)).constData()));
    r.ProtectNote.SetText(QStringLiteral("秘密\r\nの話"));
    r.SymbolMark.SetText(QStringLiteral("★"));
    r.SymbolColor = 0x123456;
    r.AddDateTime = 35930.5;      // 1998/05/15 12:00:00
    r.UpdDateTime = 45000.25;
    r.CodeMain = 5;
    r.CodeSub = 3;
    r.CodeGenre = 9;
    r.Note = std::make_unique<TStringList>(TStringList{cp932::Encode(QStringLiteral("一行目")),
                                                      cp932::Encode(QStringLiteral("二行目"))});
    r.ExtLink = std::make_unique<TStringList>();
    for (int i = 0; i < 10; ++i)
        r.ExtLink->append(QByteArray("https://example.jp/Link") + QByteArray::number(i));
    return r;
}

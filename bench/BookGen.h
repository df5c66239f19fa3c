#pragma once
// Deterministic address books for the benchmarks: code page 932 texts full
// of 0x5C trail bytes, enciphered-looking My Numbers, and duplicates of
// numbers and names, all from a fixed seed.

#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "platform/Cp932.h"

#include <QFile>
#include <QStringList>
#include <random>

class TBookGen {
public:
    explicit TBookGen(unsigned seed = 20240601) : rng_(seed) {}

    void Fill(TAdrsRecord& r, int i)
    {
        static const QStringList family = {"表", "能登", "十河", "ソ野", "予備", "高橋", "鈴木", "田中", "構", "暴"};
        static const QStringList given = {"太郎", "花子", "申", "貼", "ソラ", "噂", "表示", "浩"};
        static const QStringList towns = {"表参道", "能見台", "十条", "ソフト町", "予讃", "南青山", "構内"};
        static const QStringList prefs = {"東京都", "神奈川県", "大阪府", "北海道", "福岡県"};
        ClearAdrsRecord(r);
        // One record in twenty repeats an earlier number and name: duplicates.
        const int base = (i % 20 == 19 && i > 100) ? i - 1 - int(pick(100)) : i;
        r.Group = int(pick(11));
        r.CustomCode.Assign(QByteArray("C") + QByteArray::number(i).rightJustified(8, '0'));
        r.Tel.Assign(QByteArray("03") + QByteArray::number(10000000 + base * 7));
        r.Fax.Assign(QByteArray("03") + QByteArray::number(20000000 + base * 7));
        r.Portable1.Assign(QByteArray("090") + QByteArray::number(10000000 + base * 13));
        r.PubDate.Assign(QByteArray::number(1990 + pick(35)) + QByteArray::number(1 + pick(12)).rightJustified(2, '0'));
        r.Pos.Assign(QByteArray::number(1000000 + pick(8999999)));
        r.Tdfkn.SetText(prefs[pick(prefs.size())]);
        r.Adrs1.SetText(towns[pick(towns.size())] + QStringLiteral("区"));
        r.Adrs2.SetText(towns[pick(towns.size())] + QString::number(1 + pick(9)) + QStringLiteral("丁目") +
                        QString::number(pick(30)) + u'-' + QString::number(pick(20)));
        r.Adrs3.SetText(QStringLiteral("ソフト表ビル") + QString::number(pick(12)) + QStringLiteral("Ｆ"));
        r.AdrsKana.SetText(QStringLiteral("ﾄｳｷｮｳﾄ ｵﾓﾃｻﾝﾄﾞｳ"));
        r.JisCode.Assign(QByteArray::number(13101 + pick(20)));
        r.Latitude = 128000000 + int(pick(1000000));
        r.Longitude = 502000000 + int(pick(1000000));
        r.PrivCorp = pick(2) == 0;
        r.MyNumber.Assign(hex(34));
        r.CorpKanji.SetText(QStringLiteral("株式会社") + family[pick(family.size())] + QStringLiteral("表示工業"));
        r.CorpKana.SetText(QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬ ﾋｮｳｼﾞｺｳｷﾞｮｳ"));
        r.Dptmnt.SetText(QStringLiteral("営業部ソフト課"));
        r.Post.SetText(QStringLiteral("課長"));
        std::mt19937 nameRng{unsigned(base)}; // duplicates share their name too
        r.NameKanji.SetText(family[nameRng() % family.size()] + u'　' + given[nameRng() % given.size()]);
        r.NameKana.SetText(QStringLiteral("ﾀﾅｶ ﾀﾛｳ"));
        r.Honor.SetText(QStringLiteral("様"));
        r.EMail1.Assign(QByteArray("user") + QByteArray::number(i) + "@example.jp");
        r.JointPrint = true;
        r.Keyword[0].SetText(QStringLiteral("見込み客"));
        r.ProtectMemo[0].Assign(hex(34));
        r.SymbolColor = kDefaultSymbolColor;
        r.AddDateTime = 45000 + i / 1000.0;
        r.UpdDateTime = r.AddDateTime;
        r.CodeMain = 1 + int(pick(17));
        r.CodeSub = 1 + int(pick(4));
        if (i % 10 == 0)
            r.Note = std::make_unique<TStringList>(TStringList{cp932::Encode(QStringLiteral("表示確認済み")), "2nd"});
    }

    // Writes a book of count records into file (replacing it).
    void MakeBook(const QString& file, int count)
    {
        QFile::remove(file);
        TSqlTable::CreateTable(file, AdrsTableDef());
        TSqlTable t(AdrsTableDef());
        t.Open(file);
        t.StartTransaction();
        TAdrsRecord r;
        for (int i = 0; i < count; ++i) {
            Fill(r, i);
            t.Append();
            WriteAdrsRecord(r, t);
            t.Post();
        }
        t.Commit();
    }

    unsigned pick(qsizetype n) { return unsigned(rng_() % quint64(n)); }

private:
    QByteArray hex(int n)
    {
        static const char digits[] = "0123456789ABCDEF";
        QByteArray b(n, '0');
        for (char& c : b)
            c = digits[rng_() % 16];
        return b;
    }

    std::mt19937_64 rng_;
};

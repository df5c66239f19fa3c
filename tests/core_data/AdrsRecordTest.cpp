#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "platform/Cp932.h"
#include "support/RecordSamples.h"
#include "support/data/DataSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <tuple>

namespace {

QByteArray sj(const QString& s) { return cp932::Encode(s); }

// "@" and four upper-case hex digits per UTF-16 unit, as names outside code page 932 are held.
QByteArray wideForm(const QString& s)
{
    QByteArray out;
    for (QChar c : s)
        out += '@' + QByteArray::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
    return out;
}

// A text of exactly N bytes built from a double-byte character with a 0x5C trail byte.
template <int N>
QByteArray full(char tag)
{
    QByteArray b = QByteArray(1, tag) + sj(QStringLiteral("表")).repeated(N);
    return b.left(N % 2 ? N : N - 1) + (N % 2 ? QByteArray() : QByteArray(1, tag));
}

// The sample record with its texts at their full width.
TAdrsRecord sampleRecord()
{
    TAdrsRecord r = FullSampleRecord();
    r.CustomCode.Assign(full<20>('C'));
    r.Tel.Assign("09012345678"); // numbers are stored as digits
    r.Fax.Assign("0312345678");
    r.Portable1.Assign("08011112222");
    r.Portable2.Assign("07033334444");
    r.Adrs1.Assign(full<32>('1'));
    r.Adrs2.Assign(full<100>('2'));
    r.Adrs3.Assign(full<116>('3'));
    r.Longitude = -502'000'456;
    r.PrivCorp = true;
    r.CorpKanji.Assign(full<112>('K'));
    r.CorpKana.Assign(full<80>('k'));
    r.Dptmnt.Assign(full<100>('D'));
    r.Post.Assign(full<50>('P'));
    r.NameKanji.Assign(wideForm(QStringLiteral("𠮷野家髙橋﨑ソン")).left(75)); // outside code page 932: the wide form
    r.NameKana.Assign(full<25>('n'));
    r.URL.Assign(QByteArray("https://example.jp/").append(QByteArray(109, 'u')));
    r.EMail1.Assign(QByteArray(64, 'm'));
    for (int i = 0; i < 5; ++i) {
        r.Joint[i].Assign(full<55>(char('a' + i)));
        r.JointMyNumber[i].Assign(QByteArray(34, char('0' + i)));
    }
    for (int i = 0; i < 8; ++i)
        r.Keyword[i].Assign(full<100>(char('p' + i)));
    for (int i = 0; i < 10; ++i)
        r.ProtectMemo[i].Assign(QByteArray(130, char('A' + i)));
    r.ProtectNote.Assign(full<1000>('N'));
    r.AddDateTime = 45123.123456789;
    r.Note = std::make_unique<TStringList>(TStringList{sj(QStringLiteral("一行目")), QByteArray(), "third"});
    return r;
}

class AdrsRecordTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = AdrsTableFileName(QStringLiteral("Test"));
        TSqlTable::CreateTable(file, AdrsTableDef());
        table.Open(file);
    }
    TAdrsRecord roundTrip(const TAdrsRecord& in)
    {
        table.Append();
        WriteAdrsRecord(in, table);
        table.Post();
        const qint64 recNo = table.CurrentRecNo();
        table.Close(); // read back from disk, not from the edit buffer
        table.Open(file);
        EXPECT_TRUE(table.Locate(QStringLiteral("RecNo"), recNo));
        TAdrsRecord out;
        ReadAdrsRecord(table, out);
        return out;
    }

    TTempDataFolder folder;
    QString file;
    TSqlTable table{AdrsTableDef()};
};

TEST_F(AdrsRecordTable, EveryFieldRoundTripsByteForByte)
{
    TAdrsRecord in = sampleRecord();
    TAdrsRecord out = roundTrip(in);
    EXPECT_GT(out.RecNo, 0);
    in.RecNo = out.RecNo;
    EXPECT_TRUE(in == out);
    EXPECT_EQ(out.ProtectNote.Length(), 1000) << "a text at its exact width";
    EXPECT_EQ(out.NameKanji.Bytes(), wideForm(QStringLiteral("𠮷野家髙橋﨑ソン")).left(75));
    ASSERT_TRUE(out.Note);
    EXPECT_EQ(out.Note->size(), 3);
    EXPECT_EQ(out.Note->at(1), QByteArray());
}

// Texts the converter must take whole (a byte that is no code of its own, a
// lead byte cut off at the end) are stored as the converter reads them, and a
// value written after one of them in the same slot is not left with its tail.
TEST_F(AdrsRecordTable, TextsOutsideTheTableGoThroughTheConverter)
{
    const QByteArray odd = sj(QStringLiteral("表ソ")) + QByteArray("\x80x") + sj(QStringLiteral("能"));
    const QByteArray cutLead = QByteArray("ab") + sj(QStringLiteral("表")).left(1);
    TAdrsRecord in;
    in.Adrs3.Assign(odd);
    in.Dptmnt.Assign(cutLead);
    const TAdrsRecord out = roundTrip(in);
    EXPECT_EQ(out.Adrs3.Bytes(), cp932::Encode(cp932::Decode(odd)));
    EXPECT_EQ(out.Dptmnt.Bytes(), cp932::Encode(cp932::Decode(cutLead)));
    EXPECT_EQ(table.AsUtf8(afAdrs3), cp932::Decode(odd).toUtf8());

    TAdrsRecord next;
    next.Adrs3.Assign(sj(QStringLiteral("十")));
    EXPECT_EQ(roundTrip(next).Adrs3.Bytes(), sj(QStringLiteral("十")));
}

TEST_F(AdrsRecordTable, EmptyAndAbsentMemoListsStayApart)
{
    TAdrsRecord in;
    in.Note = std::make_unique<TStringList>();
    TAdrsRecord out = roundTrip(in);
    ASSERT_TRUE(out.Note);
    EXPECT_TRUE(out.Note->isEmpty());
    EXPECT_FALSE(out.ExtLink);
}

TEST_F(AdrsRecordTable, EveryColumnHoldsItsOwnField)
{
    // Values named after their field: a column written from (or read into) the
    // wrong field shows here even when reading and writing are swapped alike.
    TAdrsRecord in;
#define NAMED(field) in.field.Assign(#field)
    NAMED(CustomCode), NAMED(Tdfkn), NAMED(Adrs1), NAMED(Adrs2), NAMED(Adrs3), NAMED(AdrsKana), NAMED(CorpKanji);
    NAMED(CorpKana), NAMED(Dptmnt), NAMED(Post), NAMED(NameKanji), NAMED(NameKana), NAMED(EMail1), NAMED(EMail2);
#undef NAMED
    in.Tel.Assign("1");
    in.Fax.Assign("2");
    in.Portable1.Assign("3");
    in.Portable2.Assign("4");
    for (int i = 0; i < 5; ++i) {
        in.Joint[i].Assign("Joint" + QByteArray::number(i + 1));
        in.JointHonor[i].Assign("JH" + QByteArray::number(i + 1));
        in.JointMyNumber[i].Assign("JointMyNumber" + QByteArray::number(i + 1));
    }
    for (int i = 0; i < 8; ++i)
        in.Keyword[i].Assign("Keyword" + QByteArray::number(i + 1));
    for (int i = 0; i < 10; ++i)
        in.ProtectMemo[i].Assign("ProtectMemo" + QByteArray::number(i + 1));
    std::tie(in.Latitude, in.Longitude, in.CodeMain, in.CodeSub, in.CodeGenre) = std::tuple(1, 2, 3, 4, 5);
    std::tie(in.Sender, in.PrintTarget, in.JointOwner, in.Group, in.TelDiv) = std::tuple(6, 7, 8, 9, 10);
    roundTrip(in);
    table.Close();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT * FROM Adrs", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    const QMap<QString, QString> expected{
        {"Tel", "1"}, {"Fax", "2"}, {"Portable1", "3"}, {"Portable2", "4"}, {"JointHonor1", "JH1"},
        {"JointHonor2", "JH2"}, {"JointHonor3", "JH3"}, {"JointHonor4", "JH4"}, {"JointHonor5", "JH5"},
        {"Latitude", "1"}, {"Longitude", "2"}, {"CodeMain", "3"}, {"CodeSub", "4"}, {"CodeGenre", "5"},
        {"Sender", "6"}, {"PrintTarget", "7"}, {"JointOwner", "8"}, {"Group", "9"}, {"TelDiv", "10"}};
    int checked = 0;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st, c));
        const QString value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        if (expected.contains(name)) {
            EXPECT_EQ(value, expected[name]) << name.toStdString();
            ++checked;
        } else if (!value.isEmpty() && value.front().isLetter()) {
            EXPECT_EQ(value, name) << "column " << name.toStdString();
            ++checked;
        }
    }
    EXPECT_GE(checked, 60);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

TEST_F(AdrsRecordTable, PhoneNumbersAreStoredAsDigitsAndOverlongOnesRefused)
{
    TAdrsRecord in;
    in.Tel.Assign("03-1234-5678");
    in.Portable1.Assign("090 1234 5678");
    in.Fax.Assign(sj(QStringLiteral("℡0312345678"))); // a double-byte character is no digit
    TAdrsRecord out = roundTrip(in);
    EXPECT_EQ(out.Tel.Bytes(), "0312345678");
    EXPECT_EQ(out.Portable1.Bytes(), "09012345678");
    EXPECT_EQ(out.Fax.Bytes(), "0312345678");

    const int before = table.RecordCount();
    TAdrsRecord tooLong;
    tooLong.Fax.Assign("0120123456789"); // 13 digits fit the record, not the table's 11
    table.Append();
    WriteAdrsRecord(tooLong, table);
    try {
        table.Post();
        ADD_FAILURE() << "a fax number of 13 digits was stored";
    } catch (const ESqlTableError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Fax"))) << "the message names the field";
    }
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), before);
}

TEST(AdrsRecord, TextsAreCutToTheirWidthWithoutSplittingACharacter)
{
    TAdrsRecord r;
    r.Honor.SetText(QStringLiteral("aあいうえお")); // 11 bytes: the last character would straddle
    EXPECT_EQ(r.Honor.Text(), QStringLiteral("aあいうえ"));
    r.Tdfkn.Assign(sj(QStringLiteral("表表表表")));
    EXPECT_EQ(r.Tdfkn.Bytes(), sj(QStringLiteral("表表表表"))) << "0x5C trail bytes are no break";
    r.Pos.Assign(QByteArray("12345678"));
    EXPECT_EQ(r.Pos.Bytes(), "1234567");
}

TEST(AdrsRecord, CopyOwnsItsListsAndClearFreesThem)
{
    TAdrsRecord src = sampleRecord();
    TAdrsRecord kept(src);
    src.Note->append("added later");
    (*src.ExtLink)[0] = "changed";
    EXPECT_EQ(kept.Note->size(), 3);
    EXPECT_EQ(kept.ExtLink->at(0), "https://example.jp/Link0");

    TAdrsRecord assigned;
    assigned = kept;
    EXPECT_TRUE(assigned == kept);
    EXPECT_NE(assigned.ExtLink.get(), kept.ExtLink.get());

    ClearAdrsRecord(kept);
    EXPECT_TRUE(!kept.Note && kept == TAdrsRecord());

    InitNewAdrsRecord(kept, true);
    EXPECT_TRUE(kept.PrivCorp && kept.JointPrint);
}

TEST(AdrsRecord, MemoTextSplitsOnEveryLineBreak)
{
    EXPECT_EQ(SplitMemoLines("a\r\nb\nc\rd"), (TStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitMemoLines("\r\n"), (TStringList{""}));
    EXPECT_TRUE(SplitMemoLines("").isEmpty());
    const TStringList lines{"x", "", "y"};
    EXPECT_EQ(SplitMemoLines(JoinMemoLines(lines)), lines);
}

} // namespace

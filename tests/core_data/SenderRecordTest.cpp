// Sender records without a window: the numbers kept in Sender.ini, the title
// a new record is offered, the title-duplicate rule, and the blank record.

#include "core/DBInfo.h"
#include "core/SenderRecord.h"
#include "platform/IniFile.h"
#include "platform/SqlTable.h"
#include "support/data/DataSupport.h"
#include "support/CorpusReplay.h"

#include "../../fuzz/FuzzSupport.cpp"
#define LLVMFuzzerTestOneInput SenderIniFuzzOne
#include "../../fuzz/sender_ini_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(SenderTitle, NewTitleStartsAtTheRecordCountAndSkipsTakenOnes)
{
    EXPECT_EQ(NewSenderTitle({}), QStringLiteral("差出人1"));
    EXPECT_EQ(NewSenderTitle({QStringLiteral("差出人2")}), QStringLiteral("差出人1"));
    EXPECT_EQ(NewSenderTitle({QStringLiteral("差出人1"), QStringLiteral("差出人2")}), QStringLiteral("差出人3"));
    // Three left after the fourth went: the fourth number is free again as a title.
    EXPECT_EQ(NewSenderTitle({QStringLiteral("差出人1"), QStringLiteral("差出人2"), QStringLiteral("差出人3")}),
              QStringLiteral("差出人4"));
    EXPECT_EQ(NewSenderTitle({QStringLiteral("本社"), QStringLiteral("差出人2"), QStringLiteral("差出人3")}),
              QStringLiteral("差出人4"));
}

TEST(SenderTitle, PostalCodeShowsAHyphenOnlyForFiveOrSevenCharacters)
{
    EXPECT_EQ(SenderPostalCodeText(QStringLiteral("1000001")), QStringLiteral("100-0001"));
    EXPECT_EQ(SenderPostalCodeText(QStringLiteral("10000")), QStringLiteral("100-00"));
    EXPECT_EQ(SenderPostalCodeText(QStringLiteral("100000")), QStringLiteral("100000"));
    EXPECT_EQ(SenderPostalCodeText(QString()), QString());
    EXPECT_EQ(ContactHeadKind(QStringLiteral("TEL/FAX")), int(chTelFax));
    EXPECT_EQ(ContactHeadKind(QString()), int(chNone));
    EXPECT_EQ(ContactHeadKind(QStringLiteral("tel")), -1) << "a typed caption of another case is no kind";
}

class SenderTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        TSqlTable::CreateTable(SenderTableFileName(), SenderTableDef());
        table.Open(SenderTableFileName());
    }
    int add(const QString& title)
    {
        table.Append();
        BlankSenderRecord(table, title);
        table.Post();
        return int(table.CurrentRecNo());
    }

    TTempDataFolder folder;
    TSqlTable table{SenderTableDef()};
};

TEST_F(SenderTable, TitleIsTakenOnlyByAnotherRowComparedTrimmedAndByCase)
{
    const int a = add(QStringLiteral("本社"));
    const int b = add(QStringLiteral("Branch"));
    table.Locate(QStringLiteral("RecNo"), a);
    EXPECT_TRUE(SenderTitleExists(table, QStringLiteral("  Branch "), a));
    EXPECT_FALSE(SenderTitleExists(table, QStringLiteral("BRANCH"), a));
    EXPECT_FALSE(SenderTitleExists(table, QStringLiteral("Branch"), b)) << "its own title";
    EXPECT_FALSE(SenderTitleExists(table, QStringLiteral("本社　"), b)) << "an ideographic space is no blank";
    EXPECT_EQ(table.CurrentRecNo(), a) << "the check leaves the current row where it was";
}

TEST_F(SenderTable, BlankRecordPrintsNameAndJointNamesOnly)
{
    add(QStringLiteral("x"));
    table.Edit();
    table.SetString(QStringLiteral("Corp"), QStringLiteral("会社"));
    table.SetBoolean(QStringLiteral("AdditionPrint2"), true);
    table.SetInteger(QStringLiteral("SelectInfo"), 2);
    BlankSenderRecord(table, QStringLiteral("差出人1"));
    table.Post();
    EXPECT_EQ(table.AsString(QStringLiteral("Title")), QStringLiteral("差出人1"));
    EXPECT_EQ(table.AsString(QStringLiteral("Corp")), QString());
    EXPECT_EQ(table.AsInteger(QStringLiteral("SelectInfo")), 0);
    EXPECT_TRUE(table.AsBoolean(QStringLiteral("NamePrint")));
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(table.AsBoolean(QStringLiteral("JointPrint%1").arg(n)));
    for (int n = 1; n <= 4; ++n)
        EXPECT_FALSE(table.AsBoolean(QStringLiteral("AdditionPrint%1").arg(n)));
}

TEST(SenderNumbers, WrittenBesideWhatTheFileHoldsAndReadBack)
{
    TTempDataFolder folder;
    // Sections and keys of others, and a comment, stay byte for byte.
    const QByteArray before = "; kept\r\n[OTHER]\r\nKey=\x95\x5c\r\n[SENDER]\r\nExtra=1\r\nLastNo=3\r\n";
    ASSERT_TRUE(WriteFile(SenderIniFileName(), before));
    EXPECT_EQ(ReadSenderNumbers().LastNo, 3);
    ASSERT_TRUE(WriteSenderLastNo(4));
    EXPECT_EQ(ReadFile(SenderIniFileName()),
              QByteArray("; kept\r\n[OTHER]\r\nKey=\x95\x5c\r\n[SENDER]\r\nExtra=1\r\nLastNo=4\r\n"));
    // Negative, huge and unreadable numbers, repeated sections, keys of
    // others: read, written and read back by the harness.
    ReplayFuzzCorpus("sender_ini", 3, sender_ini_fuzz::OneInput);
    DefaultSenderNo = 0;
}

} // namespace

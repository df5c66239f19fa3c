#include "core/AdrsBook.h"
#include "core/AdrsListCache.h"
#include "core/AdrsRecord.h"
#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "core/HistoryData.h"
#include "core/ItemNames.h"
#include "core/ui/SubAdrsOpen.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// A fresh data folder, its book list read as the program does at start.
class BookFolder : public ::testing::Test {
protected:
    void SetUp() override { BuildAdrsBookList(); }
    TTempDataFolder folder;
};

QStringList bookNames()
{
    QStringList names;
    for (const auto& b : AdrsBookList)
        names << b.Name;
    return names;
}

TEST_F(BookFolder, FirstStartMakesTheDefaultBookOnce)
{
    ASSERT_TRUE(EnsureDefaultAdrsBook());
    EXPECT_EQ(bookNames(), QStringList{QStringLiteral("アドレス")});
    EXPECT_TRUE(QFileInfo::exists(DataPath() + QStringLiteral("Adrs/アドレス/Adrs.DB")));
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("取引先")));
    ASSERT_TRUE(EnsureDefaultAdrsBook());
    EXPECT_EQ(bookNames(), (QStringList{QStringLiteral("アドレス"), QStringLiteral("取引先")}));
}

TEST_F(BookFolder, OrderComesFromAdrsMngAndUnlistedBooksFollow)
{
    for (const char* n : {"b", "a", "c"})
        ASSERT_TRUE(CreateAdrsBook(QString::fromLatin1(n)));
    AdrsBookList = {AdrsBookList[2], AdrsBookList[0]}; // c, b; a is found on disk only
    AdrsBookList[1].State = 1;
    ASSERT_TRUE(SaveAdrsBookList());
    BuildAdrsBookList();
    EXPECT_EQ(bookNames(), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(AdrsBookList[1].State, 1);

    QDir(AdrsBookFolderPath(QStringLiteral("c"))).removeRecursively();
    BuildAdrsBookList();
    EXPECT_EQ(bookNames(), (QStringList{"b", "a"})) << "a listed book without its table is gone";
}

TEST_F(BookFolder, BadNamesAndDuplicatesAreRefusedWithAMessage)
{
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("顧客")));
    for (const QString& bad : {QString(), QStringLiteral(" "), QStringLiteral("a/b"), QStringLiteral(".."),
                               QStringLiteral("顧客"), QStringLiteral(" 顧客"), QString(41, u'x'),
                               QStringLiteral("𠮷")}) {
        QString msg;
        EXPECT_FALSE(CreateAdrsBook(bad, &msg)) << bad.toStdString();
        EXPECT_FALSE(msg.isEmpty());
    }
    EXPECT_EQ(AdrsBookList.size(), 1u);
}

TEST_F(BookFolder, EveryBookThatCanBeMadeIsFoundAgainAtTheNextStart)
{
    const QStringList names = {QStringLiteral(".顧客"), QStringLiteral("顧客.2024"), QStringLiteral("-x"),
                               QStringLiteral("a b"), QStringLiteral("O'Brien商事")};
    QStringList made;
    for (const QString& n : names)
        if (CreateAdrsBook(n))
            made << n;
    EXPECT_FALSE(made.contains(QStringLiteral(".顧客"))) << "a hidden folder is not listed at the next start";
    BuildAdrsBookList();
    EXPECT_EQ(bookNames(), made);
}

TEST_F(BookFolder, DamagedAdrsMngIsReadAsFarAsItIsSound)
{
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("x")));
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("y")));
    ASSERT_TRUE(WriteFile(AdrsMngFileName(), "[ADRSMNG]\r\nCount=2147483647\r\nName1=y\r\nName2=../../etc\r\nFolder2=../..\r\n"
                                 "\xFF\xFE\x00garbage\r\nName4=x\r\n"));
    BuildAdrsBookList();
    EXPECT_EQ(bookNames(), (QStringList{"y", "x"}));
}

TEST_F(BookFolder, SenderTableIsCreatedAndReferenceCounted)
{
    TDMTelvora21 dm;
    EXPECT_EQ(DMTelvora21, &dm);
    dm.OpenSenderTable();
    EXPECT_TRUE(QFileInfo::exists(DataPath() + QStringLiteral("Other/Sender.DB")));
    dm.OpenSenderTable();
    TSqlTable& t = dm.SenderTable();
    t.Append();
    t.SetInteger(QStringLiteral("RecNo"), 1);
    t.SetString(QStringLiteral("Title"), QStringLiteral("差出人1"));
    t.Post();
    dm.CloseSenderTable();
    EXPECT_TRUE(t.Active());
    dm.CloseSenderTable();
    dm.CloseSenderTable(); // one close too many is harmless
    EXPECT_FALSE(t.Active());
    dm.OpenSenderTable();
    EXPECT_EQ(t.RecordCount(), 1);
}

TEST_F(BookFolder, SubBookLockedElsewhereShowsTheMessageAndFails)
{
    TMessageRecorder messages;
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("本")));
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("別")));
    TDMTelvora21 dm;
    dm.OpenAdrsTable(QStringLiteral("本"));

    EXPECT_FALSE(OpenSubAdrsTable(dm, QStringLiteral("本"))) << "the open book itself holds the lock";
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳ファイルがオープンできませんでした（サブ）  \r\n他で使用中です  "));
    EXPECT_EQ(messages.Messages()[0].flags & 0xF0, unsigned(MB_ICONERROR));
    EXPECT_EQ(dm.SubAdrsTable(), nullptr);

    EXPECT_FALSE(OpenSubAdrsTable(dm, QStringLiteral("無い本")));
    EXPECT_EQ(messages.Messages().size(), 2u);

    ASSERT_TRUE(OpenSubAdrsTable(dm, QStringLiteral("別")));
    TSqlTable other(AdrsTableDef());
    EXPECT_THROW(other.Open(AdrsTableFileName(QStringLiteral("別"))), ESqlTableError)
        << "nobody else opens a book held exclusively";
    dm.CloseSubAdrsTable();
    other.Open(AdrsTableFileName(QStringLiteral("別")));
}

TEST_F(BookFolder, HistoryListsLieInTheHistoryFolder)
{
    {
        TDMTelvora21 dm;
        dm.DptmntHistory().Insert(0, QStringLiteral("営業部"), QDateTime::currentDateTime());
        ASSERT_TRUE(dm.DptmntHistory().Save());
        dm.KeywordHistory(8).Insert(0, QStringLiteral("八"), QDateTime::currentDateTime());
        ASSERT_TRUE(dm.KeywordHistory(8).Save());
        EXPECT_THROW(dm.KeywordHistory(5), EHistoryDataError);
    }
    EXPECT_TRUE(QFileInfo::exists(DataPath() + QStringLiteral("History/Dptmnt.mtd")));
    TDMTelvora21 dm;
    EXPECT_EQ(dm.DptmntHistory().GetItem(0), QStringLiteral("営業部"));
    EXPECT_EQ(dm.KeywordHistory(8).GetItem(0), QStringLiteral("八"));
    EXPECT_EQ(dm.PostHistory().GetCount(), 0);
}

TEST_F(BookFolder, ListCacheHoldsEveryStoredValueAndFindsRecNos)
{
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("c")));
    TDMTelvora21 dm;
    dm.OpenAdrsTable(QStringLiteral("c"));
    TSqlTable& t = dm.AdrsTable();
    for (int i = 1; i <= 4; ++i) {
        TAdrsRecord r;
        r.CorpKanji.SetText(QStringLiteral("会社%1").arg(i));
        r.Tel.Assign("03" + QByteArray::number(i));
        r.Group = i;
        r.AddDateTime = 45000.5 + i;
        if (i == 2)
            r.Note = std::make_unique<TStringList>(TStringList{"memo"});
        t.Append();
        WriteAdrsRecord(r, t);
        t.Post();
    }
    t.Locate(QStringLiteral("RecNo"), 3);
    t.Delete();
    EXPECT_FALSE(dm.AdrsTableFull());

    TAdrsListCache cache;
    cache.Load(t);
    ASSERT_EQ(cache.Count(), 3);
    EXPECT_EQ(cache.IndexOfRecNo(4), 2);
    EXPECT_EQ(cache.IndexOfRecNo(3), -1);
    EXPECT_EQ(cache.Text(2, afCorpKanji), QStringLiteral("会社4"));
    EXPECT_EQ(cache.Integer(1, afGroup), 2);
    EXPECT_DOUBLE_EQ(cache.Float(0, afAddDateTime), 45001.5);
    EXPECT_TRUE(cache.IsNull(0, afNote));
    EXPECT_EQ(cache.Text(1, afNote), QStringLiteral("memo\r\n"));
}

TEST(DataLists, DamagedCategoryFileStopsAtTheFirstGap)
{
    TTempDataFolder folder;
    const QString file = folder.path() + QStringLiteral("c.dat");
    ASSERT_TRUE(WriteFile(file, cp932::Encode(QStringLiteral(
                        "[CATEGORY]\r\nVersion=1\r\n[MAIN]\r\n1=農業\r\n2=建設\r\n4=飛び\r\n[SUB2]\r\n3=土木\r\n"))));
    ASSERT_TRUE(LoadCategories(file));
    EXPECT_EQ(CtgryMainList.size(), 2u);
    EXPECT_EQ(GetCtgrySubName(203), QStringLiteral("土木"));
    EXPECT_TRUE(GetCtgryMainName(4).isEmpty());

    ASSERT_TRUE(WriteFile(file, QByteArray(5000, '\xFF')));
    EXPECT_FALSE(LoadCategories(file));
    EXPECT_TRUE(CtgryMainList.empty());
    EXPECT_FALSE(LoadCategories(file + QStringLiteral(".missing")));
}

TEST(DataLists, ItemNamesFollowTheirDefaultsAndChecks)
{
    TTempDataFolder folder;
    ASSERT_TRUE(WriteFile(AdrsListIniFileName(), cp932::Encode(QStringLiteral(
                                         "[KEYWORD]\r\nName1=業種\r\nMode1=1\r\nMode2=3\r\nName5=\r\n"
                                         "[PROTECT MEMO]\r\nName10=口座\r\nMode10=8\r\n"))));
    LoadItemNames();
    EXPECT_EQ(KeywordNames[0], QStringLiteral("業種"));
    EXPECT_EQ(KeywordModes[0], 1);
    EXPECT_EQ(KeywordModes[1], 6) << "3 is no input mode";
    EXPECT_EQ(KeywordNames[4], QStringLiteral("キーワード５"));
    EXPECT_EQ(ProtectMemoNames[9], QStringLiteral("口座"));
    EXPECT_EQ(ProtectMemoModes[9], 8);
    EXPECT_EQ(DefaultProtectMemoName(10), QStringLiteral("保護メモ１０"));

    KeywordNames[2] = QStringLiteral("地域");
    ProtectMemoModes[0] = imFullAlpha;
    ASSERT_TRUE(SaveKeywordItems());
    ASSERT_TRUE(SaveProtectMemoItems());
    KeywordNames[2].clear();
    LoadItemNames();
    EXPECT_EQ(KeywordNames[2], QStringLiteral("地域"));
    EXPECT_EQ(ProtectMemoModes[0], 5);
    EXPECT_EQ(TIniFile(AdrsListIniFileName()).ReadString(QStringLiteral("KEYWORD"), QStringLiteral("Name1")),
              QStringLiteral("業種"));
}

TEST(DataLists, GroupNamesSurviveARestartAndDamage)
{
    TTempDataFolder folder;
    LoadGroupNames();
    EXPECT_EQ(GroupName(1), QStringLiteral("グループ１"));
    EXPECT_EQ(GroupName(10), QStringLiteral("グループ１０"));
    EXPECT_TRUE(GroupName(11).isEmpty());

    SetGroupName(3, QStringLiteral("得意先"));
    SetGroupName(4, QString(40, QChar(u'あ'))); // cut to 30 bytes
    ASSERT_TRUE(SaveGroupNames());
    SetGroupName(3, QStringLiteral("x"));
    LoadGroupNames();
    EXPECT_EQ(GroupName(3), QStringLiteral("得意先"));
    EXPECT_EQ(GroupName(4), QString(15, QChar(u'あ')));

    ASSERT_TRUE(QFile::resize(GroupDatFileName(), 8 + 1 + cp932::Encode(GroupName(1)).size() + 2)); // inside the second name
    LoadGroupNames();
    EXPECT_EQ(GroupName(1), QStringLiteral("グループ１"));
    EXPECT_EQ(GroupName(3), QStringLiteral("グループ３")) << "names after the damage take their defaults";
}

} // namespace

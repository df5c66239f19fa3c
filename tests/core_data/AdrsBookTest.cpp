#include "core/AdrsBook.h"

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "platform/Cp932.h"
#include "support/data/DataSupport.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(AdrsBook, BlankNamesAndAnEmptyFolderAreRefused)
{
    TTempDataFolder folder;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("表ソ")));
    // A name made only of ideographic spaces (or with blanks) looks empty.
    for (const QString& blank : {QStringLiteral("　　"), QStringLiteral("　"), QStringLiteral(" 　 "), QString()}) {
        EXPECT_EQ(CheckAdrsBookName(blank), QStringLiteral("アドレス帳名を入力してください  "))
            << blank.toStdString();
        EXPECT_FALSE(CreateAdrsBook(blank));
    }
    EXPECT_TRUE(CheckAdrsBookName(QStringLiteral("顧客　二")).isEmpty()); // an inner space is a name

    // A table lying directly in Adrs/ would be what an empty folder name reaches.
    TSqlTable::CreateTable(AdrsTableFileName(QStringLiteral("表ソ")).replace(QStringLiteral("表ソ/"), QString()),
                           AdrsTableDef());
    ASSERT_TRUE(QFileInfo::exists(DataPath() + QStringLiteral("Adrs/Adrs.DB")));
    ASSERT_TRUE(QDir().mkpath(AdrsBookFolderPath(QStringLiteral("　"))));
    TSqlTable::CreateTable(AdrsTableFileName(QStringLiteral("　")), AdrsTableDef());
    const QByteArray list = "[ADRSMNG]\r\nCount=4\r\nName1=" + cp932::Encode(QStringLiteral("空")) +
                            "\r\nFolder1=\r\nName2=" + cp932::Encode(QStringLiteral("　")) + "\r\nFolder2=" +
                            cp932::Encode(QStringLiteral("表ソ")) + "\r\nName3=" + cp932::Encode(QStringLiteral("表ソ")) +
                            "\r\nName4=" + cp932::Encode(QStringLiteral("別名")) + "\r\nFolder4=" +
                            cp932::Encode(QStringLiteral("　")) + "\r\n";
    ASSERT_TRUE(WriteFile(AdrsMngFileName(), list));
    BuildAdrsBookList();
    ASSERT_EQ(AdrsBookList.size(), 1u);
    EXPECT_EQ(AdrsBookList[0].Name, QStringLiteral("表ソ"));
    EXPECT_EQ(AdrsBookList[0].Folder, QStringLiteral("表ソ"));
}

TEST(AdrsBook, AListedNameWithAControlCharacterIsLeftOutAndTheBookFoundOnDisk)
{
    // Found by fuzzing: a bare CR inside a listed name was taken, and the
    // list written back (a value is one line) named the book differently.
    TTempDataFolder folder;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("ゾウ")));
    ASSERT_TRUE(WriteFile(AdrsMngFileName(), "[ADRSMNG]\r\nCount=1\r\nName1=" + cp932::Encode(QStringLiteral("ゾ")) + "\r" +
                                                 cp932::Encode(QStringLiteral("ウ")) + "\r\nFolder1=" +
                                                 cp932::Encode(QStringLiteral("ゾウ")) + "\r\nState1=1\r\n"));
    BuildAdrsBookList();
    ASSERT_EQ(AdrsBookList.size(), 1u);
    EXPECT_EQ(AdrsBookList[0].Name, QStringLiteral("ゾウ"));
    EXPECT_EQ(AdrsBookList[0].State, 0);
    ASSERT_TRUE(SaveAdrsBookList());
    BuildAdrsBookList();
    ASSERT_EQ(AdrsBookList.size(), 1u);
    EXPECT_EQ(AdrsBookList[0].Name, QStringLiteral("ゾウ"));
}

#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>


TEST(IniFile, KeepsUntouchedLinesByteForByteAndWritesCp932)
{
    QTemporaryDir dir;
    QString path = dir.filePath("Telvora21.ini");
    QByteArray original = "; comment\r\n[OPERATION]\r\nViewSplash = 1 \r\n\r\n[X]\r\nName=\x95\x5C\r\n";
    WriteFile(path, original);
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("operation", "VIEWSPLASH"), "1");
        EXPECT_EQ(ini.ReadString("x", "name"), QStringLiteral("表"));
        ini.WriteString("ADRS COPY", "Folder", QStringLiteral("顧客"));
        ini.WriteBool("ADRS COPY", "SameNum", true);
        ASSERT_TRUE(ini.UpdateFile());
    }
    QByteArray after = ReadFile(path);
    EXPECT_TRUE(after.startsWith(original));
    EXPECT_TRUE(after.contains("[ADRS COPY]\r\nFolder=" + cp932::Encode(QStringLiteral("顧客")) + "\r\nSameNum=1\r\n"));
    TIniFile again(path);
    EXPECT_TRUE(again.ReadBool("Adrs Copy", "samenum"));
    EXPECT_EQ(again.ReadSections(), (QStringList{"OPERATION", "X", "ADRS COPY"}));
}

TEST(IniFile, ChangesAKeyInPlaceAndDeletes)
{
    QTemporaryDir dir;
    QString path = dir.filePath("a.ini");
    WriteFile(path, "[A]\na=1\nb=\"quoted\"\n[B]\nc=3\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "b"), "quoted");
    EXPECT_EQ(ini.ReadInteger("A", "missing", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7);
    ini.WriteInteger("a", "A", 2);
    ini.DeleteKey("A", "b");
    ini.EraseSection("b");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadFile(path), QByteArray("[A]\nA=2\n"));
}

TEST(IniFile, FailedWriteLeavesOldFile)
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("missing-folder/a.ini"));
    ini.WriteString("A", "k", "v");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_TRUE(ini.Modified());
}

TEST(IniFile, WrittenFileReadsBackThroughIconvAsCp932)
{
    QTemporaryDir dir;
    QString path = dir.filePath("Telvora21.ini");
    {
        TIniFile ini(path);
        ini.WriteString("ADRS COPY", "Folder", QStringLiteral("ソフト表示～"));
    }
    QProcess iconv;
    iconv.start("iconv", {"-f", "CP932", "-t", "UTF-8", path});
    if (!iconv.waitForFinished(10000) || iconv.exitStatus() != QProcess::NormalExit)
        GTEST_SKIP() << "iconv is not available";
    ASSERT_EQ(iconv.exitCode(), 0);
    QString text = QString::fromUtf8(iconv.readAllStandardOutput());
    EXPECT_TRUE(text.startsWith(QStringLiteral("[ADRS COPY]\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Folder=ソフト表示～\r\n"))) << text.toStdString();
}

TEST(IniFile, ALineBreakInAValueCannotAddKeysOrSections)
{
    QTemporaryDir dir;
    QString path = dir.filePath("Telvora21.ini");
    {
        TIniFile ini(path);
        ini.WriteString("MYNUMBER", "MyNumberLabel", QStringLiteral("番号\r\nAdminPassword=\n[ADDRESS]\rSameNum=0"));
        ini.WriteString("MYNUMBER", "AdminPassword", "hash");
        ASSERT_TRUE(ini.UpdateFile());
    }
    TIniFile again(path);
    EXPECT_EQ(again.ReadString("MYNUMBER", "AdminPassword"), "hash");
    EXPECT_EQ(again.ReadSections(), QStringList{"MYNUMBER"});
    EXPECT_EQ(again.ReadSection("MYNUMBER"), (QStringList{"MyNumberLabel", "AdminPassword"}));
    EXPECT_EQ(again.ReadString("MYNUMBER", "MyNumberLabel"), QStringLiteral("番号 AdminPassword= [ADDRESS] SameNum=0"));
}

TEST(IniFile, AWrittenValueReadsTheSameBeforeAndAfterTheFileIsReread)
{
    QTemporaryDir dir;
    QString path = dir.filePath("a.ini");
    TIniFile ini(path);
    ini.WriteString("A", "padded", "  x  ");
    ini.WriteString("A", "quoted", "\"q\"");
    ini.WriteString("A", "break", "a\nb");
    ASSERT_TRUE(ini.UpdateFile());
    TIniFile reread(path);
    for (const char* key : {"padded", "quoted", "break"})
        EXPECT_EQ(ini.ReadString("A", key), reread.ReadString("A", key)) << key;
}

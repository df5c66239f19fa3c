#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


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

TEST(IniFile, ChangesAKeyInPlaceAndDeletesAndAFailedWriteStaysPending)
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

    // A failed write is told and the changes stay pending.
    TIniFile nowhere(dir.filePath("missing-folder/a.ini"));
    nowhere.WriteString("A", "k", "v");
    EXPECT_FALSE(nowhere.UpdateFile());
    EXPECT_TRUE(nowhere.Modified());

    // The disk refusing the bytes half-way (a file size limit stands in for
    // a full disk): the write fails and the old file stays whole.
    const QByteArray before = ReadFile(path);
    ini.WriteString("A", "long", QString(200, QLatin1Char('x')));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 20;
    setrlimit(RLIMIT_FSIZE, &tight);
    const bool written = ini.UpdateFile();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.ini")});
    EXPECT_TRUE(ini.UpdateFile());
}

TEST(IniFile, AWrittenValueReadsTheSameAfterARereadAndALineBreakAddsNoKey)
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

    // A line break in a value cannot add keys or sections.
    ini.WriteString("MYNUMBER", "MyNumberLabel", QStringLiteral("番号\r\nAdminPassword=\n[ADDRESS]\rSameNum=0"));
    ini.WriteString("MYNUMBER", "AdminPassword", "hash");
    ASSERT_TRUE(ini.UpdateFile());
    TIniFile again(path);
    EXPECT_EQ(again.ReadString("MYNUMBER", "AdminPassword"), "hash");
    EXPECT_EQ(again.ReadSections(), (QStringList{"A", "MYNUMBER"}));
    EXPECT_EQ(again.ReadSection("MYNUMBER"), (QStringList{"MyNumberLabel", "AdminPassword"}));
    EXPECT_EQ(again.ReadString("MYNUMBER", "MyNumberLabel"), QStringLiteral("番号 AdminPassword= [ADDRESS] SameNum=0"));
}

namespace {

// Runs body in a child process that has dropped root for nobody, so that a
// file's mode stops it as it stops any user; the child's exit code is the
// result (0 = every check passed). Without root the body runs in place.
int asUnprivilegedUser(const std::function<int()>& body)
{
    if (geteuid() != 0)
        return body();
    const pid_t pid = fork();
    if (pid < 0)
        return 100;
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(101);
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return 102;
    return WEXITSTATUS(status);
}

} // namespace

TEST(IniFile, AFileThatCannotBeReadIsNeverWrittenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Telvora21.ini");
    const QByteArray original =
        "[ADDRESS]\r\nSameNum=1\r\n[ADRS LIST]\r\nAdrsName=\x95\x5C\r\n[MYNUMBER]\r\nAdminPassword=PBKDF2-SHA256$1$ab$cd\r\n";
    ASSERT_TRUE(WriteFile(path, original));
    // The folder and the file belong to the user, who may write but not read it.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(QFile::encodeName(dir.path()).constData(), 65534, 65534), 0);
        ASSERT_EQ(chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));

    const int result = asUnprivilegedUser([&] {
        TIniFile ini(path);
        ini.WriteString("ADDRESS", "SameNum", "0");
        if (ini.UpdateFile())
            return 2;
        ini.WriteString("ADDRESS", "ChangeData", "0");
        return 0; // the destructor must not write either
    });
    EXPECT_EQ(result, 0);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadFile(path), original);
}

TEST(IniFile, SectionNamesAreReadAsCp932Characters)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    // ゾ is 0x83 0x5D: its trail byte is ']'. 表 is 0x95 0x5C, ソ 0x83 0x5C.
    const QByteArray zou = cp932::Encode(QStringLiteral("ゾウ"));
    ASSERT_EQ(zou.left(2), QByteArray("\x83\x5D"));
    const QByteArray original = "[" + zou + "]\r\nKey=" + cp932::Encode(QStringLiteral("表ソ")) +
                                "\r\n\r\n[" + cp932::Encode(QStringLiteral("ゾ")) + "] ; note\r\nx=1\r\n";
    ASSERT_TRUE(WriteFile(path, original));
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadSections(), (QStringList{QStringLiteral("ゾウ"), QStringLiteral("ゾ")}));
        EXPECT_EQ(ini.ReadString(QStringLiteral("ゾウ"), "key"), QStringLiteral("表ソ"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("ゾ"), "X"), "1");
        ini.WriteString(QStringLiteral("ゾウ"), "Key", QStringLiteral("表ソ")); // unchanged: nothing to write
        EXPECT_FALSE(ini.Modified());
        ini.WriteString(QStringLiteral("ゾウ"), "New", "2");
        ASSERT_TRUE(ini.UpdateFile());
    }
    const QByteArray expected = "[" + zou + "]\r\nKey=" + cp932::Encode(QStringLiteral("表ソ")) + "\r\nNew=2\r\n\r\n[" +
                                cp932::Encode(QStringLiteral("ゾ")) + "] ; note\r\nx=1\r\n";
    EXPECT_EQ(ReadFile(path), expected);
}

TEST(IniFile, RepeatedNamesResolveToTheFirstAndTheNextTakesOverWhenItGoes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    ASSERT_TRUE(WriteFile(path, "[A]\nk=1\nK=2\n[b]\nx=1\n[a]\nk=3\nj=4\n[B]\nx=2\n"));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("a", "K"), "1");
    EXPECT_EQ(ini.ReadString("A", "j"), ""); // a later section of the same name is not merged
    EXPECT_EQ(ini.ReadString("B", "X"), "1");
    ini.DeleteKey("A", "k");
    EXPECT_EQ(ini.ReadString("A", "k"), "2");
    ini.EraseSection("A");
    EXPECT_EQ(ini.ReadString("A", "k"), "3");
    EXPECT_EQ(ini.ReadString("A", "J"), "4");
    ini.EraseSection("b");
    EXPECT_EQ(ini.ReadString("b", "x"), "2");
    ini.WriteString("Ａ", "ｋ", "full"); // full-width letters fold as well
    EXPECT_EQ(ini.ReadString("ａ", "Ｋ"), "full");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadFile(path), QByteArray("[a]\nk=3\nj=4\n[B]\nx=2\n\n[") + cp932::Encode(QStringLiteral("Ａ")) + "]\n" +
                                  cp932::Encode(QStringLiteral("ｋ")) + "=full\n");
}

TEST(IniFile, TensOfThousandsOfSectionsAndKeysReadAndWriteBack)
{
    // The sizes of a book list and a category file at the readers' caps; a
    // lookup that scanned would take minutes here.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.ini");
    QByteArray data = "[ADRSMNG]\r\nCount=10000\r\n";
    for (int i = 1; i <= 60000; ++i)
        data += "Junk" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    for (int i = 0; i < 60000; ++i)
        data += "[" + cp932::Encode(QStringLiteral("分類")) + QByteArray::number(i) + "]\r\nName=" + QByteArray::number(i) + "\r\n";
    ASSERT_TRUE(WriteFile(path, data));
    TIniFile ini(path);
    for (int i = 1; i <= 60000; i += 7)
        ASSERT_EQ(ini.ReadInteger("adrsmng", "JUNK" + QString::number(i)), i);
    for (int i = 0; i < 60000; i += 7)
        ASSERT_EQ(ini.ReadInteger(QStringLiteral("分類") + QString::number(i), "name"), i);
    for (int i = 1; i <= 10000; ++i)
        ini.WriteInteger("ADRSMNG", "Name" + QString::number(i), i);
    ASSERT_TRUE(ini.UpdateFile());
    const QByteArray after = ReadFile(path);
    const qsizetype cut = data.indexOf("\r\n[", 10);
    EXPECT_TRUE(after.startsWith(data.left(cut))); // every junk key kept, in order
    EXPECT_TRUE(after.endsWith(data.mid(cut + 2)));
    EXPECT_TRUE(after.contains("Junk60000=60000\r\nName1=1\r\n"));
    EXPECT_EQ(TIniFile(path).ReadSections().size(), 60001);
}

// A settings file another editor saved in UTF-8 with a byte-order mark: the
// mark is no part of the first section's name, the text reads as the UTF-8
// it is, and a write keeps the mark, the encoding and every other byte.
// Marked code page 932 text stays code page 932.
TEST(IniFile, AFileWithAByteOrderMarkKeepsItsFirstSectionItsMarkAndItsEncoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Telvora21.ini");
    const auto file = [](const QString& name, const QString& more) {
        return "\xEF\xBB\xBF" + (QStringLiteral("[ADRS LIST]\r\nAdrsName=%1\r\nLeft=10\r\n").arg(name) + more +
                                QStringLiteral("\r\n[ゾウ]\r\nName=𠮷野家\r\n")).toUtf8();
    };
    ASSERT_TRUE(WriteFile(path, file(QStringLiteral("得意先ソ表"), {})));
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadSections(), (QStringList{QStringLiteral("ADRS LIST"), QStringLiteral("ゾウ")}));
        EXPECT_EQ(ini.ReadString("adrs list", "AdrsName"), QStringLiteral("得意先ソ表"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("ゾウ"), "name"), QStringLiteral("𠮷野家"));
        ini.WriteString("ADRS LIST", "AdrsName", QStringLiteral("顧客表"));
        ini.WriteInteger("ADRS LIST", "Width", 640);
    }
    EXPECT_EQ(ReadFile(path), file(QStringLiteral("顧客表"), QStringLiteral("Width=640\r\n")));

    const QByteArray marked932 = "\xEF\xBB\xBF[A]\r\nName=" + cp932::Encode(QStringLiteral("表ソ")) + "\r\n";
    ASSERT_TRUE(WriteFile(path, marked932));
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("A", "Name"), QStringLiteral("表ソ"));
        ini.WriteString("A", "Other", QStringLiteral("能"));
    }
    EXPECT_EQ(ReadFile(path), marked932 + "Other=" + cp932::Encode(QStringLiteral("能")) + "\r\n");
}

// Leaves what lstat fills in for a folder all over the stack below the
// caller, where a stat it never filled would read it.
[[gnu::noinline]] static void soilStackWithFolderModes()
{
    volatile std::uint32_t words[32768];
    for (volatile std::uint32_t& w : words)
        w = S_IFDIR | 0755;
}

// A file that cannot be opened for another cause than its absence is
// refused with that cause, never a folder in its place that is not there.
TEST(IniFile, AFileThatCannotBeOpenedIsRefusedWithItsTrueCause)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("folder.ini")));
    ASSERT_TRUE(WriteFile(dir.filePath("plain"), "x"));
    for (const auto& [name, cause] : {std::pair{"folder.ini", EISDIR}, std::pair{"plain/Telvora21.ini", ENOTDIR}}) {
        soilStackWithFolderModes();
        TIniFile ini(dir.filePath(name));
        ini.WriteString("A", "k", "v");
        errno = 0;
        EXPECT_FALSE(ini.UpdateFile());
        EXPECT_EQ(errno, cause) << name;
    }
    EXPECT_EQ(ReadFile(dir.filePath("plain")), QByteArray("x"));
}

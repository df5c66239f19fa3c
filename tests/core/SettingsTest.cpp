#include "core/Settings.h"

#include "core/FieldCipher.h"
#include "core/common/Units.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"
#include "support/CorpusReplay.h"

#include "../../fuzz/FuzzSupport.cpp"
#define LLVMFuzzerTestOneInput AdrsListIniFuzzOne
#include "../../fuzz/adrslist_ini_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput SettingsFuzzOne
#include "../../fuzz/settings_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <QDir>
#include <QFile>
#include <QColor>
#include <QDateTime>
#include <gtest/gtest.h>
#include <openssl/evp.h>

namespace {
void writeIni(const QByteArray& data) { ASSERT_TRUE(WriteFile(SettingsFileName(), data)); }
QByteArray readIni() { return ReadFile(SettingsFileName()); }
} // namespace

TEST(Settings, ReadsStoredValuesAndRejectsOutOfRange)
{
    TTempDataFolder data;
    writeIni("[address]\r\nsamenum=0\r\nChangeData=0\r\nFormClose=1\r\nConfirmation=0\r\nOutOfTarget=0\r\n"
             "[VIEW]\r\nBGPaint=0\r\nBGColor=255\r\n"
             "[COOPERATE]\r\nMap=10\r\nMapSearchKind=1\r\nRoot=1\r\n"
             "[MYNUMBER]\r\nMyNumberLabel="
             + cp932::Encode(QStringLiteral("会社のマイナンバー")) + "\r\n");
    LoadSettings();
    TSettings s = Settings();
    EXPECT_TRUE(!s.SameNum && !s.ChangeData && s.FormClose && !s.Confirmation && !s.OutOfTarget && !s.BGPaint);
    EXPECT_EQ(s.BGQColor(), QColor(255, 0, 0));
    EXPECT_TRUE(s.Map == 10 && s.MapSearchKind == 1 && s.Root == 1);
    EXPECT_EQ(s.MyNumberLabel, QStringLiteral("会社のマイナンバー"));

    writeIni("[COOPERATE]\r\nMap=11\r\nMapSearchKind=2\r\nRoot=-1\r\n[VIEW]\r\nBGColor=x\r\n[MYNUMBER]\r\nMyNumberLabel=\r\n");
    LoadSettings();
    s = Settings();
    EXPECT_TRUE(s.Map == 8 && s.MapSearchKind == 0 && s.Root == 0);
    EXPECT_EQ(s.BGColor, kDefaultBGColor);
    EXPECT_EQ(s.MyNumberLabel, QStringLiteral("共通マイナンバー"));
}

TEST(Settings, SaveKeepsOtherSectionsAndStoresTheNumberEncipheredOnly)
{
    TTempDataFolder data;
    writeIni("[OPERATION]\r\nViewSplash=1\r\n");
    LoadSettings();
    Settings().SameNum = false;
    Settings().Map = 3;
    Settings().BGColor = ColorToStored(QColor(0x10, 0x20, 0x30));
    Settings().MyNumberLabel = QStringLiteral("本社");
    ASSERT_TRUE(SetCommonMyNumber("123456789018"));
    ASSERT_TRUE(SaveSettings());

    const QByteArray file = readIni();
    EXPECT_TRUE(file.startsWith("[OPERATION]\r\nViewSplash=1\r\n"));
    // The common number is stored enciphered only.
    EXPECT_FALSE(file.contains("123456789018"));
    EXPECT_TRUE(file.contains("MyNumber=" + EncryptAESString("123456789018", kFieldKey)));

    Settings() = TSettings(); // the other values read back as saved: the replayed corpus below
    LoadSettings();
    EXPECT_EQ(CommonMyNumber(), "123456789018");
}

TEST(Settings, StoredMyNumberAndPasswordBytesAreWrittenBackAsReadAndUnreadableOnesShowEmpty)
{
    TTempDataFolder data;
    // 0x5C trail bytes (ソ 表 能), a half-width kana, bytes code page 932 does
    // not define and a lone lead byte: none of it may change on a save.
    const QByteArray odd = cp932::Encode(QStringLiteral("ソ表能ｱ")) + "\x80\xA0\xFD\xFF\\\x81";
    const QByteArray file = "[MYNUMBER]\r\nMyNumberLabel=L\r\nMyNumber=0C" + odd + "\r\nAdminPassword=" + odd + "\r\n[ADDRESS]\r\nSameNum=1\r\n";
    writeIni(file);
    LoadSettings();
    EXPECT_EQ(CommonMyNumber(), "");
    EXPECT_FALSE(SetCommonMyNumber(QString(300, u'1'))); // refused: the stored value stays
    Settings().SameNum = false;
    ASSERT_TRUE(SaveSettings());
    EXPECT_TRUE(readIni().startsWith(QByteArray(file).replace("SameNum=1", "SameNum=0"))) << readIni().toHex().data();
}

TEST(AdminPassword, StoredAsASaltedHashAndChecked)
{
    TTempDataFolder data;
    LoadSettings();
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("秘密pass1")));
    // Protected fields are masked while a password is set, unless in administrator mode.
    EXPECT_TRUE(IsProtectedFieldMasked());
    Settings().AdminMode = true;
    EXPECT_FALSE(IsProtectedFieldMasked());
    EXPECT_TRUE(CheckAdminPassword(QStringLiteral("秘密pass1")));
    EXPECT_FALSE(CheckAdminPassword(QStringLiteral("秘密pass")));

    const QByteArray file = readIni();
    EXPECT_FALSE(file.contains("pass1"));
    EXPECT_FALSE(file.contains(cp932::Encode(QStringLiteral("秘密"))));

    // The same password set again gets a new salt.
    const QByteArray first = Settings().AdminPassword;
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("秘密pass1")));
    EXPECT_NE(Settings().AdminPassword, first);

    // Survives a restart.
    LoadSettings();
    EXPECT_TRUE(CheckAdminPassword(QStringLiteral("秘密pass1")));

    ASSERT_TRUE(SetAdminPassword(QString()));
    LoadSettings();
    EXPECT_FALSE(HasAdminPassword());
}

TEST(AdminPassword, UnwritableFileChangesNothing)
{
    TTempDataFolder data;
    LoadSettings();
    ASSERT_TRUE(SetAdminPassword("pw"));
    const QByteArray before = Settings().AdminPassword;
    // A folder where the file should be makes the write fail.
    QFile::remove(SettingsFileName());
    ASSERT_TRUE(QDir().mkdir(SettingsFileName()));
    EXPECT_FALSE(SetAdminPassword("other"));
    EXPECT_EQ(Settings().AdminPassword, before);
    EXPECT_TRUE(CheckAdminPassword("pw"));
}

TEST(AdminPassword, DamagedHashesAndIterationCountsOutsideTheBoundLockAndAreKept)
{
    TTempDataFolder data;
    // A hash made with too few iterations, correct for "pw": it must not
    // open, since a file edited to a cheap count would make guessing cheap.
    const QByteArray salt = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    QByteArray hash(32, '\0');
    ASSERT_EQ(PKCS5_PBKDF2_HMAC("pw", 2, reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()), 999,
                                EVP_sha256(), 32, reinterpret_cast<unsigned char*>(hash.data())),
              1);
    const QByteArray cheap = "PBKDF2-SHA256$999$" + salt.toHex() + "$" + hash.toHex();
    // And one that would keep the check busy for minutes.
    const QByteArray endless = "PBKDF2-SHA256$2147483647$" + salt.toHex() + "$" + hash.toHex();
    // And one that is no hash at all, though it reads like the password.
    for (const QByteArray& stored : {cheap, endless, QByteArray("pw")}) {
        const QByteArray file = "[ADDRESS]\r\nSameNum=0\r\n[MYNUMBER]\r\nAdminPassword=" + stored + "\r\n";
        writeIni(file);
        LoadSettings();
        EXPECT_TRUE(HasAdminPassword());
        EXPECT_FALSE(CheckAdminPassword("pw")) << stored.constData();
        EXPECT_TRUE(IsProtectedFieldMasked());
        // The value that could not be verified stays as it was.
        Settings().SameNum = false;
        ASSERT_TRUE(SaveSettings());
        EXPECT_TRUE(readIni().contains("AdminPassword=" + stored + "\r\n"));
    }
}

TEST(SettingsFiles, EverySeedOfTheFuzzCorporaReplaysCleanly)
{
    ReplayFuzzCorpus("settings", 5, settings_fuzz::OneInput);
    ReplayFuzzCorpus("adrslist_ini", 4, adrslist_ini_fuzz::OneInput);
}

// The settings window driven as a user would: what it writes to
// Telvora21.ini, what it leaves alone, and the administrator password and
// mode it guards.

#include "core/ui/SettingsDialog.h"

#include "core/FieldCipher.h"
#include "core/Settings.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/PrivateFiles.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// The file's sections by name, each its bytes from its header to the next.
QMap<QByteArray, QByteArray> Sections(const QByteArray& file)
{
    QMap<QByteArray, QByteArray> sections;
    QByteArray name;
    for (const QByteArray& line : file.split('\n')) {
        if (line.startsWith('['))
            name = line.mid(1, line.indexOf(']') - 1).toUpper();
        sections[name] += line + '\n';
    }
    return sections;
}

QStringList Keys(const QByteArray& section)
{
    QStringList keys;
    for (const QByteArray& line : section.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0 && !line.startsWith('['))
            keys << QString::fromLatin1(line.left(eq));
    }
    return keys;
}

// A picture of the dialog for a person to look at, when asked for.
void Screenshot(QWidget& dialog, const char* name)
{
    if (const QByteArray dir = qgetenv("TELVORA_SCREENSHOT_DIR"); !dir.isEmpty()) {
        dialog.show();
        dialog.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
    }
}

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override { LoadSettings(); }

    template <class T>
    T* control(TSettingsDialog& dialog, const char* name)
    {
        T* w = dialog.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Fills the password edits and presses OK; whether the dialog closed.
    bool ok(TSettingsDialog& dialog)
    {
        control<QPushButton>(dialog, "btnOk")->click();
        return dialog.result() == mrOk;
    }
    QByteArray file() const { return ReadFile(SettingsFileName()); }

    TTempDataFolder folder;
    TMessageRecorder messages;
};

TEST_F(SettingsWindow, WritesTheKeysItShowsAndKeepsOtherSectionsByteForByte)
{
    // Other sections with code page 932 text whose trail byte is 0x5C, a
    // line without a key and a last line without its line break.
    const QByteArray others = "[DATA INQUIRY]\r\nLeft=12\r\nTop=-3\r\n\r\n[ORIGIN]\r\nName=" +
                              cp932::Encode(QStringLiteral("表ソ能")) + "\r\n; note\r\nLast=1";
    ASSERT_TRUE(WriteFile(SettingsFileName(), "[VIEW]\r\nBGPaint=1\r\n" + others));
    LoadSettings();
    {
        TSettingsDialog dialog;
        control<QCheckBox>(dialog, "chkConfirmation")->setChecked(false);
        control<QCheckBox>(dialog, "chkBGPaint")->setChecked(false);
        control<QComboBox>(dialog, "cbxMap")->setCurrentIndex(10);
        control<QComboBox>(dialog, "cbxMapSearchKind")->setCurrentIndex(1);
        control<QComboBox>(dialog, "cbxRoot")->setCurrentIndex(1);
        control<QLineEdit>(dialog, "edtMyNumberLabel")->setText(QStringLiteral(" 会社表示 "));
        control<QLineEdit>(dialog, "edtMyNumber")->setText(QStringLiteral("123456789018"));
        Screenshot(dialog, "SettingsDialog.png");
        ASSERT_TRUE(ok(dialog)) << messages.LastText().toStdString();
    }
    const QMap<QByteArray, QByteArray> written = Sections(file());
    const QMap<QByteArray, QByteArray> before = Sections(others);
    for (const QByteArray& name : {QByteArray("DATA INQUIRY"), QByteArray("ORIGIN")})
        EXPECT_EQ(written.value(name).trimmed(), before.value(name).trimmed()) << name.constData();
    EXPECT_EQ(Keys(written.value("ADDRESS")),
              QStringList({"SameNum", "ChangeData", "FormClose", "Confirmation", "OutOfTarget"}));
    EXPECT_EQ(Keys(written.value("VIEW")), QStringList({"BGPaint", "BGColor"}));
    EXPECT_EQ(Keys(written.value("COOPERATE")), QStringList({"Map", "MapSearchKind", "Root"}));
    EXPECT_EQ(Keys(written.value("MYNUMBER")), QStringList({"MyNumberLabel", "MyNumber", "AdminPassword"}));
    EXPECT_FALSE(file().contains("123456789018")); // enciphered as stored

    // What is read at the next start is what was set.
    const TSettings set = Settings();
    LoadSettings();
    const TSettings &read = Settings();
    EXPECT_TRUE(read.SameNum && !read.Confirmation && !read.BGPaint);
    EXPECT_TRUE(read.Map == 10 && read.MapSearchKind == 1 && read.Root == 1);
    EXPECT_EQ(read.MyNumberLabel, QStringLiteral("会社表示"));
    EXPECT_EQ(read.MyNumber, set.MyNumber);
    EXPECT_EQ(CommonMyNumber(), QStringLiteral("123456789018"));

    // Cancel and an unchanged OK leave the file as it is.
    const QByteArray stored = file();
    {
        TSettingsDialog dialog;
        control<QCheckBox>(dialog, "chkSameNum")->setChecked(false);
        control<QPushButton>(dialog, "btnCancel")->click();
    }
    EXPECT_EQ(file(), stored);
    EXPECT_TRUE(Settings().SameNum);
    TSettingsDialog unchanged;
    ASSERT_TRUE(ok(unchanged));
    EXPECT_EQ(file(), stored);
}

TEST_F(SettingsWindow, PasswordIsAskedTwiceAndTheOldOneBeforeAChangeOrClear)
{
    int lockAsked = 0;
    {
        TSettingsDialog dialog;
        dialog.SetLockGuard([&lockAsked] { return ++lockAsked > 0; });
        EXPECT_FALSE(control<QCheckBox>(dialog, "chkAdminMode")->isEnabled()); // nothing to guard yet
        control<QLineEdit>(dialog, "edtNewPassword")->setText(QStringLiteral("表ソ"));
        control<QLineEdit>(dialog, "edtNewPassword2")->setText(QStringLiteral("表ゾ"));
        EXPECT_FALSE(ok(dialog));
        EXPECT_EQ(messages.LastText(), QStringLiteral("新しいパスワードが一致しません  "));
        EXPECT_FALSE(HasAdminPassword());
        EXPECT_FALSE(QFile::exists(SettingsFileName()));
        control<QLineEdit>(dialog, "edtNewPassword2")->setText(QStringLiteral("表ソ"));
        ASSERT_TRUE(ok(dialog));
    }
    EXPECT_TRUE(CheckAdminPassword(QStringLiteral("表ソ")));
    // Who set it is the administrator until the mode is left: no lock came
    // on, so the lock question (over leaving the mode) was not asked.
    EXPECT_FALSE(IsProtectedFieldMasked());
    EXPECT_EQ(lockAsked, 0);
    {
        TSettingsDialog dialog;
        dialog.SetLockGuard([&lockAsked] { return ++lockAsked > 0; });
        control<QCheckBox>(dialog, "chkAdminMode")->setChecked(false);
        ASSERT_TRUE(ok(dialog));
    }
    EXPECT_EQ(lockAsked, 1);
    const QByteArray stored = file();
    EXPECT_TRUE(stored.contains("AdminPassword=PBKDF2-SHA256$"));
    EXPECT_FALSE(stored.contains(cp932::Encode(QStringLiteral("表ソ"))));
    EXPECT_TRUE(IsProtectedFieldMasked());

    // A wrong old password refuses the change, the clear and the mode alike,
    // and changes nothing.
    const auto refused = [&](const std::function<void(TSettingsDialog&)>& fill) {
        messages.Clear();
        TSettingsDialog dialog;
        control<QCheckBox>(dialog, "chkSameNum")->setChecked(false);
        control<QLineEdit>(dialog, "edtPassword")->setText(QStringLiteral("違う"));
        fill(dialog);
        EXPECT_FALSE(ok(dialog));
        EXPECT_EQ(messages.LastText(), QStringLiteral("パスワードが正しくありません  "));
        EXPECT_EQ(file(), stored);
        EXPECT_TRUE(Settings().SameNum);
        EXPECT_FALSE(Settings().AdminMode);
        EXPECT_TRUE(CheckAdminPassword(QStringLiteral("表ソ")));
    };
    refused([&](TSettingsDialog& d) {
        control<QLineEdit>(d, "edtNewPassword")->setText(QStringLiteral("新"));
        control<QLineEdit>(d, "edtNewPassword2")->setText(QStringLiteral("新"));
    });
    refused([&](TSettingsDialog& d) { control<QCheckBox>(d, "chkClearPassword")->setChecked(true); });
    refused([&](TSettingsDialog& d) {
        control<QCheckBox>(d, "chkAdminMode")->setChecked(true);
        EXPECT_TRUE(control<QLineEdit>(d, "edtMyNumber")->isReadOnly()); // not for a tick alone
    });

    // Mode on with the password: kept in memory, never in the file.
    {
        TSettingsDialog dialog;
        control<QLineEdit>(dialog, "edtPassword")->setText(QStringLiteral("表ソ"));
        control<QCheckBox>(dialog, "chkAdminMode")->setChecked(true);
        // The common number opens at once, not at the next opening.
        EXPECT_FALSE(control<QLineEdit>(dialog, "edtMyNumber")->isReadOnly());
        ASSERT_TRUE(ok(dialog));
        EXPECT_TRUE(dialog.AdminStateChanged());
    }
    EXPECT_TRUE(Settings().AdminMode);
    EXPECT_FALSE(IsProtectedFieldMasked());
    EXPECT_FALSE(file().contains("AdminMode"));
    // Off needs no password.
    {
        TSettingsDialog dialog;
        control<QCheckBox>(dialog, "chkAdminMode")->setChecked(false);
        ASSERT_TRUE(ok(dialog));
    }
    EXPECT_FALSE(Settings().AdminMode);

    // Cleared with the right password: nothing is masked any more.
    {
        TSettingsDialog dialog;
        control<QLineEdit>(dialog, "edtPassword")->setText(QStringLiteral("表ソ"));
        control<QCheckBox>(dialog, "chkClearPassword")->setChecked(true);
        ASSERT_TRUE(ok(dialog));
    }
    EXPECT_FALSE(HasAdminPassword());
    EXPECT_TRUE(file().contains("AdminPassword=\r\n"));
    LoadSettings();
    EXPECT_FALSE(IsProtectedFieldMasked());
}

TEST_F(SettingsWindow, CommonMyNumberIsCheckedAndStaysUntouchedWhileMasked)
{
    {
        TSettingsDialog dialog;
        // A file size limit below the settings file's size (ulimit -f) fails
        // the save with its message: the program goes on, the dialog stays
        // open, and the file and every setting are as they were.
        ASSERT_TRUE(SaveSettings());
        const QByteArray stored = ReadFile(SettingsFileName());
        KeepRunningAtFileSizeLimit();
        rlimit limit{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlim_t soft = limit.rlim_cur;
        limit.rlim_cur = rlim_t(stored.size() / 2);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        control<QCheckBox>(dialog, "chkSameNum")->setChecked(false);
        const bool saved = ok(dialog);
        limit.rlim_cur = soft;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        EXPECT_FALSE(saved);
        EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("設定を保存できませんでした")));
        EXPECT_EQ(messages.LastText().split(QStringLiteral("\r\n")).value(1).trimmed(), FileErrorCause(EFBIG)); // why
        EXPECT_TRUE(Settings().SameNum);
        EXPECT_EQ(ReadFile(SettingsFileName()), stored);
        ASSERT_TRUE(QFile::remove(SettingsFileName()));

        control<QLineEdit>(dialog, "edtMyNumber")->setText(QStringLiteral("123456789019")); // wrong check digit
        EXPECT_FALSE(ok(dialog));
        EXPECT_EQ(messages.LastText(), QStringLiteral("共通マイナンバーが正しくありません  "));
        EXPECT_FALSE(QFile::exists(SettingsFileName()));
        control<QLineEdit>(dialog, "edtMyNumber")->setText(QStringLiteral("123456789018"));
        ASSERT_TRUE(ok(dialog));
    }
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("pw")));
    const QByteArray cipher = Settings().MyNumber;
    TSettingsDialog dialog;
    QLineEdit* number = control<QLineEdit>(dialog, "edtMyNumber");
    EXPECT_EQ(number->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(number->isReadOnly());
    ASSERT_TRUE(ok(dialog));
    EXPECT_EQ(Settings().MyNumber, cipher);
}

// A common number typed while it shows is stored by OK whatever the dialog
// did to the lock in between, while the password stays proven.
TEST_F(SettingsWindow, ACommonNumberTypedIsStoredWhateverTheLockDoesBeforeOk)
{
    const auto check = [&](const char* box, const QString& password) {
        SCOPED_TRACE(box);
        ASSERT_TRUE(SetAdminPassword(QStringLiteral("表ソ")) && SetCommonMyNumber(QString()));
        Settings().AdminMode = true;
        TSettingsDialog dialog;
        QLineEdit* number = control<QLineEdit>(dialog, "edtMyNumber");
        number->setFocus();
        QTest::keyClicks(number, QStringLiteral("123456789018"));
        control<QLineEdit>(dialog, "edtPassword")->setText(QStringLiteral("表ソ"));
        control<QCheckBox>(dialog, box)->setChecked(!control<QCheckBox>(dialog, box)->isChecked());
        control<QLineEdit>(dialog, "edtPassword")->setText(password);
        EXPECT_EQ(number->text(), QStringLiteral("123456789018"));
        ASSERT_TRUE(ok(dialog)) << messages.LastText().toStdString();
        LoadSettings();
        EXPECT_EQ(CommonMyNumber(), QStringLiteral("123456789018"));
    };
    check("chkAdminMode", QString());          // the mode left: the lock on, no password asked
    check("chkClearPassword", QStringLiteral("表ソ")); // no lock at all

    // Typed with the password above proven, masked when the mode is left,
    // and stored only while that password stands.
    Settings().AdminMode = false;
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("表ソ")) && SetCommonMyNumber(QString()) && SaveSettings());
    TSettingsDialog dialog;
    QLineEdit* password = control<QLineEdit>(dialog, "edtPassword");
    QLineEdit* number = control<QLineEdit>(dialog, "edtMyNumber");
    password->setText(QStringLiteral("表ソ"));
    control<QCheckBox>(dialog, "chkAdminMode")->setChecked(true);
    number->setFocus();
    QTest::keyClicks(number, QStringLiteral("123456789018"));
    control<QCheckBox>(dialog, "chkAdminMode")->setChecked(false);
    EXPECT_TRUE(number->isReadOnly());
    password->clear();
    const QByteArray stored = file();
    EXPECT_FALSE(ok(dialog));
    EXPECT_EQ(messages.LastText(), QStringLiteral("パスワードが正しくありません  "));
    EXPECT_EQ(file(), stored);
    password->setText(QStringLiteral("表ソ"));
    ASSERT_TRUE(ok(dialog));
    EXPECT_EQ(CommonMyNumber(), QStringLiteral("123456789018"));
}

} // namespace

// The keyword and protected-memo item-name dialogs on a real AdrsList.ini,
// and the main window's reaction through the program's wiring.

#include "app/AppWiring.h"
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/ui/AdrsList.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "records/KeywordEdit.h"
#include "records/ProtectMemoEdit.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// Another section before and after ours, with a comment, odd spacing and
// kanji whose second byte is 0x5C: none of it may move.
const QString kIni = QStringLiteral("; 列の設定\r\n"
                                    "[LIST SORT]\r\n"
                                    "Column = 3\r\n"
                                    "Memo=表示ソフト\r\n"
                                    "[KEYWORD]\r\n"
                                    "Name1=業種\r\n"
                                    "Mode1=6\r\n"
                                    "Mode2=3\r\n"
                                    "Name5=\r\n"
                                    "[LIST COLUMN]\r\n"
                                    "Col0=0,0,40,1\r\n");

QByteArray section(const QByteArray& file, const QByteArray& name)
{
    const qsizetype from = file.indexOf("[" + name + "]");
    if (from < 0)
        return {};
    const qsizetype to = file.indexOf("\r\n[", from + 1);
    return file.mid(from, to < 0 ? -1 : to + 2 - from);
}

template <class T>
T* control(const QWidget& dialog, const QString& name)
{
    T* w = dialog.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

// A picture of the dialog for a person to look at, when asked for.
void screenshot(QWidget& dialog, const char* name)
{
    if (const QByteArray dir = qgetenv("TELVORA_SCREENSHOT_DIR"); !dir.isEmpty()) {
        dialog.show();
        dialog.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
    }
}

class ItemNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(AdrsListIniFileName(), cp932::Encode(kIni)));
        LoadItemNames();
    }
    TTempDataFolder folder;
    TMessageRecorder messages;
};

TEST_F(ItemNames, DialogShowsTheFileWithItsDefaults)
{
    TKeywordEdit dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("キーワード項目の設定"));
    EXPECT_EQ(control<QLineEdit>(dialog, "edtKeyword1")->text(), QStringLiteral("業種"));
    EXPECT_EQ(control<QComboBox>(dialog, "cbxKeyword2")->currentText(), QStringLiteral("全角ひらがな"));
    EXPECT_EQ(control<QLineEdit>(dialog, "edtKeyword5")->text(), QStringLiteral("キーワード５"));
    EXPECT_EQ(control<QLineEdit>(dialog, "edtKeyword6")->text(), QStringLiteral("キーワード６"));
    screenshot(dialog, "KeywordEdit.png");

    TProtectMemoEdit memo;
    EXPECT_EQ(control<QLineEdit>(memo, "edtProtectMemo10")->text(), QStringLiteral("保護メモ１０"));
    EXPECT_EQ(memo.findChild<QLineEdit*>("edtProtectMemo11"), nullptr);
    screenshot(memo, "ProtectMemoEdit.png");
}

TEST_F(ItemNames, EmptyNameIsRefusedAndNothingIsWritten)
{
    const QByteArray before = ReadFile(AdrsListIniFileName());
    TKeywordEdit dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    control<QLineEdit>(dialog, "edtKeyword1")->setText(QStringLiteral("地域"));
    control<QLineEdit>(dialog, "edtKeyword3")->setText(QStringLiteral("　 ")); // a full-width blank stays
    control<QLineEdit>(dialog, "edtKeyword4")->setText(QStringLiteral(" \t"));
    control<QPushButton>(dialog, "btnOk")->click();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("キーワード項目４が未入力です  "));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QWidget*>("edtKeyword4"));

    control<QLineEdit>(dialog, "edtKeyword4")->setText(QStringLiteral("x"));
    control<QLineEdit>(dialog, "edtKeyword3")->clear();
    control<QPushButton>(dialog, "btnOk")->click();
    EXPECT_EQ(messages.LastText(), QStringLiteral("キーワード項目３が未入力です  "));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ReadFile(AdrsListIniFileName()), before);
    EXPECT_EQ(KeywordNames[0], QStringLiteral("業種"));
}

TEST_F(ItemNames, OnlyAModeChangedWritesItsSectionAndKeepsTheOthers)
{
    const QByteArray before = ReadFile(AdrsListIniFileName());
    TKeywordEdit dialog;
    control<QComboBox>(dialog, "cbxKeyword1")->setCurrentIndex(4); // 半角英数
    control<QPushButton>(dialog, "btnOk")->click();
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_FALSE(dialog.NamesChanged());
    EXPECT_TRUE(dialog.ModesChanged());
    EXPECT_EQ(KeywordModes[0], imOff);

    const QByteArray after = ReadFile(AdrsListIniFileName());
    EXPECT_TRUE(section(after, "KEYWORD").contains("\r\nMode1=1\r\n"));
    EXPECT_TRUE(section(after, "KEYWORD").contains(cp932::Encode(QStringLiteral("\r\nName5=キーワード５\r\n"))));
    EXPECT_EQ(section(after, "LIST SORT"), section(before, "LIST SORT"));
    EXPECT_EQ(section(after, "LIST COLUMN"), section(before, "LIST COLUMN"));
    EXPECT_TRUE(after.startsWith(cp932::Encode(QStringLiteral("; 列の設定\r\n"))));
    EXPECT_FALSE(after.contains("PROTECT MEMO"));

    // Read back as the next start reads it.
    KeywordModes[0] = imHiragana;
    LoadItemNames();
    EXPECT_EQ(KeywordModes[0], imOff);
    EXPECT_EQ(KeywordModes[1], imHiragana);
    EXPECT_EQ(KeywordNames[0], QStringLiteral("業種"));

    // OK with nothing changed still writes its own section, both flags clear.
    TProtectMemoEdit memo;
    control<QPushButton>(memo, "btnOk")->click();
    EXPECT_EQ(memo.ModalResult(), mrOk);
    EXPECT_FALSE(memo.NamesChanged());
    EXPECT_FALSE(memo.ModesChanged());
    const TIniFile ini(AdrsListIniFileName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("PROTECT MEMO"), QStringLiteral("Name10")), QStringLiteral("保護メモ１０"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("PROTECT MEMO"), QStringLiteral("Mode10")), imHiragana);
    EXPECT_EQ(section(ReadFile(AdrsListIniFileName()), "KEYWORD"), section(after, "KEYWORD"));
}

TEST_F(ItemNames, NamesAreTrimmedCutOnLeavingAndCancelKeepsThem)
{
    {
        TKeywordEdit dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QLineEdit* name = control<QLineEdit>(dialog, "edtKeyword2");
        name->setText(QStringLiteral("あいうえおかき"));
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return); // Enter goes on to the mode of the same item
        EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QWidget*>("cbxKeyword2"));
        EXPECT_EQ(name->text(), QStringLiteral("あいうえおか"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QWidget*>("edtKeyword3"));

        control<QLineEdit>(dialog, "edtKeyword3")->setText(QStringLiteral("  表ソ "));
        control<QPushButton>(dialog, "btnCancel")->click();
        EXPECT_EQ(dialog.ModalResult(), mrCancel);
        EXPECT_FALSE(dialog.NamesChanged());
        EXPECT_EQ(KeywordNames[1], QStringLiteral("キーワード２"));
    }
    TKeywordEdit dialog;
    control<QLineEdit>(dialog, "edtKeyword3")->setText(QStringLiteral("  表ソ "));
    control<QPushButton>(dialog, "btnOk")->click();
    EXPECT_TRUE(dialog.NamesChanged());
    EXPECT_FALSE(dialog.ModesChanged());
    EXPECT_EQ(KeywordNames[2], QStringLiteral("表ソ"));
    LoadItemNames();
    EXPECT_EQ(KeywordNames[2], QStringLiteral("表ソ"));
}

// The file is written before the program takes the names: when it cannot
// be, the user is told, the dialog stays and the old names stay in force.
TEST_F(ItemNames, FailedWriteKeepsTheDialogOpenAndTheOldNames)
{
    ASSERT_TRUE(QFile::remove(AdrsListIniFileName()));
    ASSERT_TRUE(QDir().mkdir(AdrsListIniFileName())); // neither readable nor replaceable as a file
    TProtectMemoEdit dialog;
    control<QLineEdit>(dialog, "edtProtectMemo1")->setText(QStringLiteral("口座"));
    control<QComboBox>(dialog, "cbxProtectMemo1")->setCurrentIndex(2);
    control<QPushButton>(dialog, "btnOk")->click();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("保護メモ項目の設定が保存できませんでした  \r\n")));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_NE(dialog.ModalResult(), mrOk);
    EXPECT_EQ(ProtectMemoNames[0], QStringLiteral("保護メモ１"));
    EXPECT_EQ(ProtectMemoModes[0], imHiragana);
    EXPECT_EQ(control<QLineEdit>(dialog, "edtProtectMemo1")->text(), QStringLiteral("口座"));

    // Once the file can be written again, the same OK goes through.
    ASSERT_TRUE(QDir().rmdir(AdrsListIniFileName()));
    control<QPushButton>(dialog, "btnOk")->click();
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_EQ(ProtectMemoNames[0], QStringLiteral("口座"));
    EXPECT_EQ(ProtectMemoModes[0], imFullAlpha);
}

// The main window's menu, through the program's wiring.
class ItemNamesFromMainWindow : public ItemNames {
protected:
    void SetUp() override
    {
        ItemNames::SetUp();
        LoadSettings();
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(QStringLiteral("得意先")));
        main = std::make_unique<TAddressList>();
        WireMainWindow(*main);
        ASSERT_TRUE(main->OpenAdrsBook(QStringLiteral("得意先")));
        TListColumnSettings columns = DefaultListColumns();
        columns[kAdrsListKeywordColumn].Shown = true;
        main->SetColumnSettings(columns);
    }
    void TearDown() override
    {
        main.reset();
        dm.reset();
    }

    // Runs the menu entry, doing `edit` in the dialog it opens and pressing OK.
    void run(const char* action, std::function<void(QWidget&)> edit)
    {
        QTimer::singleShot(0, [edit] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            edit(*dialog);
            dialog->findChild<QPushButton*>("btnOk")->click();
        });
        main->findChild<QAction*>(QLatin1String(action))->trigger();
    }

    QString keywordCaption() const
    {
        const auto& shown = main->Model().Columns();
        const auto at = std::find(shown.begin(), shown.end(), kAdrsListKeywordColumn);
        return main->ListView()->model()->headerData(int(at - shown.begin()), Qt::Horizontal).toString();
    }

    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> main;
};

TEST_F(ItemNamesFromMainWindow, NamesRelabelTheListAndModesOnlyTellTheRecordWindow)
{
    EXPECT_EQ(keywordCaption(), QStringLiteral("業種"));
    QSignalSpy rebuilt(main.get(), &TAddressList::listRebuilt);
    QSignalSpy names(&ItemNameSignals(), &TItemNameSignals::keywordNamesChanged);
    QSignalSpy modes(&ItemNameSignals(), &TItemNameSignals::keywordModesChanged);

    run("actKeywordEdit", [](QWidget& d) { d.findChild<QComboBox*>("cbxKeyword3")->setCurrentIndex(1); });
    EXPECT_EQ(rebuilt.count(), 0) << "a mode alone does not relabel the columns";
    EXPECT_EQ(names.count(), 0);
    EXPECT_EQ(modes.count(), 1);
    EXPECT_EQ(KeywordModes[2], imFullKatakana);

    run("actKeywordEdit", [](QWidget& d) { d.findChild<QLineEdit*>("edtKeyword1")->setText(QStringLiteral("地域")); });
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(names.count(), 1);
    EXPECT_EQ(modes.count(), 1);
    EXPECT_EQ(keywordCaption(), QStringLiteral("地域"));

    QSignalSpy memoNames(&ItemNameSignals(), &TItemNameSignals::protectMemoNamesChanged);
    run("actProtectMemoEdit",
        [](QWidget& d) { d.findChild<QLineEdit*>("edtProtectMemo2")->setText(QStringLiteral("暗証")); });
    EXPECT_EQ(memoNames.count(), 1);
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(ProtectMemoNames[1], QStringLiteral("暗証"));
}

} // namespace

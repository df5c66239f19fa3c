// The item copy of the record window and the two field choosers.

#include "RecordWindowFixture.h"

#include "core/ItemNames.h"
#include "listing_search/FieldSelect.h"
#include "platform/IniFile.h"
#include "records/CopyItemSet.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <set>

#include "support/CorpusReplay.h"
#include "../../fuzz/FuzzSupport.cpp"
#define LLVMFuzzerTestOneInput CopyItemsFuzzOne
#include "../../fuzz/copy_items_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace {

QString Sequence(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out.join(QLatin1Char(','));
}

} // namespace

// Repeated, missing, out-of-range and unreadable codes, choices of the wrong
// length: the copy-settings harness holds the reading to the rule.
TEST(ItemCopySettings, EverySeedOfTheFuzzCorpusReplaysCleanly)
{
    ReplayFuzzCorpus("copy_items", 8, copy_items_fuzz::OneInput);
}

class ItemCopy : public RecordWindow {
protected:
    // Stores a copy choice and opens the window afresh to read it.
    void reopen(const QString& index, const QString& copy, bool lastReturn)
    {
        TIniFile ini(folder.path() + QStringLiteral("Telvora21.ini"));
        ini.WriteString(QStringLiteral("DATA INQUIRY"), QStringLiteral("CopyItemIndex"), index);
        ini.WriteString(QStringLiteral("DATA INQUIRY"), QStringLiteral("CopyItemCopy"), copy);
        ini.WriteBool(QStringLiteral("DATA INQUIRY"), QStringLiteral("LastReturn"), lastReturn);
        ASSERT_TRUE(ini.UpdateFile());
        delete window;
        window = new TDataInquiry;
    }
    void chooseOnly(int item, bool lastReturn)
    {
        QStringList copy(75, QStringLiteral("0"));
        copy[item] = QStringLiteral("1");
        reopen(Sequence(0, 74), copy.join(','), lastReturn);
    }
    QStringList copiedValues()
    {
        find<QPushButton>(QStringLiteral("btnCopy"))->click();
        QString text = QGuiApplication::clipboard()->text();
        if (text.endsWith(QStringLiteral("\r\n"))) // the default end of line
            text.chop(2);
        return text.split(QLatin1Char(','));
    }
};

TEST_F(ItemCopy, OneItemIsCopiedBareAndTheLineBreakOnlyWhenAsked)
{
    chooseOnly(3, false);
    CommitText(find<QWidget>(QStringLiteral("edtTel")), QStringLiteral("03-1234-5678"));
    find<QPushButton>(QStringLiteral("btnCopy"))->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("03-1234-5678"));

    chooseOnly(3, true);
    CommitText(find<QWidget>(QStringLiteral("edtTel")), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(window->ItemCopyText(), QStringLiteral("03-1234-5678\r\n"));
}

TEST_F(ItemCopy, AShownCompanyRecordCopiesItsValuesAndMasksUnderTheLock)
{
    // Full-width spaces at either end are data, kept as the record holds them.
    list.rows[0].Adrs3.SetText(QStringLiteral("ソフトビル５階　"));
    list.rows[0].Keyword[0].SetText(QStringLiteral("　見込み"));
    ASSERT_TRUE(SetCommonMyNumber(QStringLiteral("123456789012")));
    reopen(Sequence(0, 74), QString(), false);
    showRow(0);
    const QStringList v = copiedValues();
    ASSERT_EQ(v.size(), 75);
    EXPECT_EQ(v[14], QStringLiteral("東京都千代田区表町１－２－３ソフトビル５階　"));
    EXPECT_EQ(v[47], QStringLiteral("　見込み"));
    EXPECT_EQ(v[23], QStringLiteral("𠮷田 太郎")); // outside code page 932, kept
    EXPECT_EQ(v[17], QStringLiteral("1234567890123"));
    EXPECT_EQ(v[45], QStringLiteral("印刷除外"));
    EXPECT_EQ(v[46], QStringLiteral("本社"));
    EXPECT_EQ(v[55], QStringLiteral("一行目\t二行目"));
    EXPECT_EQ(v[66], QStringLiteral("秘密\tの話"));
    EXPECT_EQ(v[67].count(QLatin1Char('\t')), 9);
    EXPECT_EQ(v[69], QStringLiteral("1998/05/15"));
    EXPECT_EQ(v[70], QStringLiteral("12:00:00"));
    EXPECT_EQ(v[73], QStringLiteral("大分類5"));
    EXPECT_EQ(v[74], QStringLiteral("小分類3"));

    // A note ending in an empty line copies without a dangling tab.
    auto* note = find<QPlainTextEdit>(QStringLiteral("mmoNote"));
    note->setPlainText(QStringLiteral("一行目\n二行目\n\n"));
    EXPECT_EQ(copiedValues()[55], QStringLiteral("一行目\t二行目"));

    // Under the administrator lock the common and every own and joint My
    // Number, the protected memos and the protected note are a star per
    // character; everything else is left as it was.
    std::set<int> hidden = {2, 17, 39, 40, 41, 42, 43, 66};
    for (int i = 56; i < 66; ++i)
        hidden.insert(i);
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("pw")));
    const QStringList masked = copiedValues();
    for (int i = 0; i < 75; ++i)
        EXPECT_EQ(masked[i], hidden.count(i) ? QString(v[i].toUcs4().size(), QLatin1Char('*')) : v[i]) << i;
    Settings().AdminMode = true;
    EXPECT_EQ(copiedValues(), v);
}

TEST_F(ItemCopy, TheChooserMovesRowsWithTheirChecksAndRestoresTableOrder)
{
    KeywordNames[0] = QStringLiteral("取引区分");
    TCopyItemSet dialog;
    dialog.SetItems(DefaultCopyItems(), true);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbxItems"));
    ASSERT_EQ(list->count(), 75);
    EXPECT_EQ(list->currentRow(), 0);
    list->item(10)->setCheckState(Qt::Unchecked);
    list->setCurrentRow(47);
    dialog.MoveTop();
    list->setCurrentRow(5);
    dialog.MoveBottom();
    dialog.MoveDown(); // already last: nothing
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("取引区分"));
    EXPECT_EQ(list->currentRow(), 74);

    TCopyItems items;
    bool lastReturn = false;
    dialog.GetItems(items, lastReturn);
    EXPECT_TRUE(lastReturn);
    EXPECT_EQ(items[0].ItemNo, 47);
    EXPECT_EQ(items[74].ItemNo, 4); // row 5 was item 4 after 47 moved up
    EXPECT_EQ(items[10].ItemNo, 10); // down one by the move to the top, up one by the move to the bottom
    EXPECT_FALSE(items[10].Selected);

    dialog.ReSort();
    dialog.GetItems(items, lastReturn);
    for (int i = 0; i < 75; ++i) {
        EXPECT_EQ(items[i].ItemNo, i);
        EXPECT_EQ(items[i].Selected, i != 10) << i;
    }
    EXPECT_EQ(list->item(47)->text(), QStringLiteral("取引区分"));
    KeywordNames[0] = DefaultKeywordName(1);

    // Nothing checked: OK refuses with the chooser's message.
    for (int i = 0; i < 75; ++i)
        list->item(i)->setCheckState(Qt::Unchecked);
    dialog.accept();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(messages.LastText(), QStringLiteral("コピーする項目は１つ以上選択してください  "));
    dialog.CheckAll();
    dialog.accept();
    EXPECT_EQ(dialog.result(), int(mrOk));
}

TEST_F(ItemCopy, TheSettingButtonWritesTheChoiceAtOnceForTheNextWindow)
{
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TCopyItemSet*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lbxItems"));
        list->setCurrentRow(3);
        dialog->MoveTop();
        list->item(1)->setCheckState(Qt::Unchecked);
        dialog->findChild<QCheckBox*>(QStringLiteral("chkLastReturn"))->setChecked(false);
        dialog->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    find<QPushButton>(QStringLiteral("bbtnCopySetting"))->click();

    TIniFile ini(folder.path() + QStringLiteral("Telvora21.ini"));
    EXPECT_TRUE(ini.ReadString(QStringLiteral("DATA INQUIRY"), QStringLiteral("CopyItemIndex"), {})
                    .startsWith(QStringLiteral("3,0,1,2,4,")));
    delete window;
    window = new TDataInquiry;
    EXPECT_FALSE(window->CopyLastReturn());
    EXPECT_EQ(window->CopyItems()[0].ItemNo, 3);
    EXPECT_FALSE(window->CopyItems()[1].Selected);
}

TEST(FieldSelect, EnterLeadsFromTheListToOkThroughTheLineBreakBox)
{
    TExportItemSelect exportItems;
    exportItems.SetItems(DefaultExportItems());
    auto* list = exportItems.findChild<QListWidget*>(QStringLiteral("lbxItems"));
    ASSERT_EQ(list->count(), kExportItemCount);
    EXPECT_EQ(list->item(18)->text(), QStringLiteral("小分類コード"));
    EXPECT_FALSE(exportItems.findChild<QCheckBox*>(QStringLiteral("chkLastReturn"))->isVisibleTo(&exportItems));
    exportItems.show();
    exportItems.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&exportItems));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), exportItems.findChild<QPushButton*>(QStringLiteral("btnOk")));

    TCopyItemSet copy;
    copy.SetItems(DefaultCopyItems(), false);
    copy.show();
    copy.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&copy));
    auto* copyList = copy.findChild<QListWidget*>(QStringLiteral("lbxItems"));
    auto* chk = copy.findChild<QCheckBox*>(QStringLiteral("chkLastReturn"));
    copyList->setFocus();
    QTest::keyClick(copyList, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), chk);
    QTest::keyClick(chk, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), copy.findChild<QPushButton*>(QStringLiteral("btnOk")));
}

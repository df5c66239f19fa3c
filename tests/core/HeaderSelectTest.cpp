#include "core/ui/HeaderSelect.h"

#include "core/AdrsBook.h"
#include "core/AdrsListColumns.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/ui/AdrsList.h"
#include "platform/IniFile.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <numeric>

namespace {

std::vector<int> Positions(const TListColumnSettings& columns)
{
    std::vector<int> out;
    for (const TListColumnSetting& c : columns)
        out.push_back(c.Position);
    return out;
}

std::vector<int> Unchecked(const TListColumnSettings& columns)
{
    std::vector<int> out;
    for (const TListColumnSetting& c : columns)
        if (!c.Shown)
            out.push_back(c.ColumnNo);
    return out;
}

class HeaderSelectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.SetColumns(DefaultListColumns());
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        rows = dialog.findChild<QListWidget*>("lvHeader");
        ASSERT_NE(rows, nullptr);
    }
    void Click(const char* name) { dialog.findChild<QPushButton*>(name)->click(); }

    TMessageRecorder messages;
    THeaderSelect dialog;
    QListWidget* rows = nullptr;
};

// Moving row 5 to the top, unchecking two columns and restoring the order
// gives the table order with the two still unchecked; the widths the list
// keeps pass through untouched.
TEST_F(HeaderSelectTest, RestoringTheOrderKeepsTheChecksTheUserSet)
{
    TListColumnSettings given = DefaultListColumns();
    given[7].Width = 333;
    dialog.SetColumns(given);
    EXPECT_EQ(rows->currentRow(), 0);
    rows->setCurrentRow(5);
    Click("bbtnTop");
    EXPECT_EQ(rows->currentRow(), 0);
    EXPECT_EQ(rows->item(0)->text(), QStringLiteral("FAX番号"));
    TListColumnSettings moved = dialog.GetColumns();
    EXPECT_EQ(Positions(moved)[0], 5);
    EXPECT_EQ(Positions(moved)[1], 0);
    EXPECT_EQ(Positions(moved)[5], 4);
    EXPECT_EQ(Positions(moved)[6], 6);

    rows->item(1)->setCheckState(Qt::Unchecked);  // No.
    rows->item(10)->setCheckState(Qt::Unchecked); // 住所, below the move
    Click("bbtnReSort");
    const TListColumnSettings back = dialog.GetColumns();
    std::vector<int> order(kAdrsListColumnCount);
    std::iota(order.begin(), order.end(), 0);
    EXPECT_EQ(Positions(back), order);
    for (const TListColumnSetting& c : back)
        EXPECT_EQ(c.ColumnNo, c.Position);
    EXPECT_EQ(rows->currentRow(), 0);
    std::vector<int> expectUnchecked;
    for (int i = 0; i < kAdrsListColumnCount; ++i)
        if (!AdrsListColumnDefs[size_t(i)].defaultShown || i == alcNo || i == alcAddress)
            expectUnchecked.push_back(i);
    EXPECT_EQ(Unchecked(back), expectUnchecked);
    EXPECT_EQ(back[7].Width, 333);
}

// Up, down, the ends, show all and restore visibility; the ends change
// nothing at the ends.
TEST_F(HeaderSelectTest, MovesAndChecks)
{
    const TListColumnSettings before = dialog.GetColumns();
    Click("bbtnTop");
    Click("bbtnUp");
    EXPECT_EQ(dialog.GetColumns(), before);
    rows->setCurrentRow(kAdrsListColumnCount - 1);
    Click("bbtnBottom");
    Click("bbtnDown");
    EXPECT_EQ(dialog.GetColumns(), before);

    Click("bbtnUp");
    EXPECT_EQ(rows->currentRow(), kAdrsListColumnCount - 2);
    EXPECT_EQ(rows->item(kAdrsListColumnCount - 2)->text(), QStringLiteral("小分類名"));
    rows->setCurrentRow(2);
    Click("bbtnBottom");
    Click("bbtnDown"); // at the end already
    EXPECT_EQ(rows->currentRow(), kAdrsListColumnCount - 1);
    const std::vector<int> order = Positions(dialog.GetColumns());
    EXPECT_EQ(order.back(), 2);
    EXPECT_EQ(order[kAdrsListColumnCount - 2], 50);
    EXPECT_EQ(order[kAdrsListColumnCount - 3], 51);

    Click("bbtnAll");
    EXPECT_TRUE(Unchecked(dialog.GetColumns()).empty());
    Click("bbtnReView");
    const TListColumnSettings shownAgain = dialog.GetColumns();
    EXPECT_EQ(Positions(shownAgain), order);
    for (const TListColumnSetting& c : shownAgain)
        EXPECT_EQ(c.Shown, AdrsListColumnDefs[size_t(c.Position)].defaultShown);

    // A double click toggles; Enter goes on to OK.
    emit rows->itemDoubleClicked(rows->item(0));
    EXPECT_EQ(rows->item(0)->checkState(), Qt::Unchecked);
    emit rows->itemDoubleClicked(rows->item(0));
    EXPECT_EQ(rows->item(0)->checkState(), Qt::Checked);
    rows->setFocus();
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QWidget*>("btnOk"));
}

TEST_F(HeaderSelectTest, OkWithNothingShownIsRefusedAndTheDialogStays)
{
    for (int i = 0; i < rows->count(); ++i)
        rows->item(i)->setCheckState(Qt::Unchecked);
    Click("btnOk");
    EXPECT_EQ(messages.LastText(), QStringLiteral("表示する項目は１つ以上選択してください  "));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), rows);
    rows->item(40)->setCheckState(Qt::Checked);
    Click("btnOk");
    EXPECT_EQ(dialog.result(), int(mrOk));
    EXPECT_EQ(messages.Messages().size(), 1u);
}

// The keyword columns carry the keyword item names; settings that are not
// the 52 columns each once give the defaults instead.
TEST_F(HeaderSelectTest, KeywordCaptionsAndDamagedSettings)
{
    const auto names = KeywordNames;
    KeywordNames[2] = QStringLiteral("表示用ソ");
    TListColumnSettings given = DefaultListColumns();
    std::swap(given[0], given[36]);
    given[0].Shown = false;
    dialog.SetColumns(given);
    EXPECT_EQ(rows->item(0)->text(), QStringLiteral("表示用ソ"));
    EXPECT_EQ(rows->item(36)->text(), QStringLiteral("No."));
    EXPECT_EQ(dialog.GetColumns(), given);
    KeywordNames = names;

    TListColumnSettings twice = DefaultListColumns();
    twice[3] = twice[4];
    dialog.SetColumns(twice);
    EXPECT_EQ(dialog.GetColumns(), DefaultListColumns());
    TListColumnSettings outOfRange = DefaultListColumns();
    outOfRange[51].ColumnNo = outOfRange[51].Position = 52;
    dialog.SetColumns(outOfRange);
    EXPECT_EQ(dialog.GetColumns(), DefaultListColumns());
    dialog.SetColumns(std::span<const TListColumnSetting>(given.data(), 51));
    EXPECT_EQ(dialog.GetColumns(), DefaultListColumns());
}

// Through the main window: the choice reaches the list's columns and
// AdrsList.ini, reads back equal and is written again byte for byte; the
// selected records stay selected. Settings that are not a permutation never
// reach the list.
TEST(HeaderSelectAction, ColumnsRoundTripThroughTheStoredFileAndKeepTheSelection)
{
    TTempDataFolder folder;
    TMessageRecorder messages;
    LoadSettings();
    TDMTelvora21 dm;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("列")));
    {
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(QStringLiteral("列")));
        for (int i = 0; i < 5; ++i) {
            TAdrsRecord r;
            InitNewAdrsRecord(r, true);
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
        }
    }
    TAddressList list;
    ASSERT_TRUE(list.OpenAdrsBook(QStringLiteral("列")));
    list.SelectItem(1, true, false);
    list.SelectItem(3, false, false);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* rows = dialog->findChild<QListWidget*>("lvHeader");
        rows->setCurrentRow(19); // 名前
        dialog->findChild<QPushButton*>("bbtnTop")->click();
        rows->item(kAdrsListKeywordColumn)->setCheckState(Qt::Checked); // キーワード1, below the move
        dialog->findChild<QPushButton*>("btnOk")->click();
    });
    list.actHeaderSelectExecute();
    const std::vector<int> expected = {alcNameKanji, alcNo, alcGroup, alcTel, alcTelDiv, alcAddress, alcMyNumber,
                                       alcCorpKanji, alcKeyword1};
    EXPECT_EQ(list.Model().Columns(), expected);
    EXPECT_EQ(list.GetSelCount(), 2);
    EXPECT_TRUE(list.IsSelected(1) && list.IsSelected(3));

    const QByteArray stored = ReadFile(AdrsListIniFileName());
    const TListColumnSettings read = LoadListColumns(TIniFile(AdrsListIniFileName()));
    EXPECT_EQ(read, list.GetColumnSettings());
    {
        TIniFile ini(AdrsListIniFileName());
        SaveListColumns(ini, read);
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(ReadFile(AdrsListIniFileName()), stored);

    TListColumnSettings broken = read;
    broken[0].ColumnNo = broken[0].Position = 77;
    list.SetColumnSettings(broken);
    EXPECT_EQ(list.GetColumnSettings(), DefaultListColumns());
    EXPECT_EQ(list.Model().Columns().size(), 8u);
}

} // namespace
